#pragma once

#include <cstdint>
#include <vector>

namespace zelmor {

struct Colour {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 1.0f;
};

// One drawable model: a vertex array, an index list of one primitive mode, and one colour for
// the whole model or one RGBA byte colour per vertex. Drawn with client-side arrays and a single
// glDrawElements. Copies share nothing.
class Mesh {
public:
    Mesh() = default;
    // vertices holds x, y, z per vertex; vertexColours holds r, g, b, a per vertex or is empty.
    Mesh(std::vector<float> vertices, std::vector<uint32_t> indices,
         std::vector<uint8_t> vertexColours, Colour colour, int32_t primitiveMode);
    // Copies share nothing. Every replacement and destruction is counted (see changes()), so
    // that no draw relies on pointers into arrays a mesh has released.
    Mesh(const Mesh&) = default;
    Mesh(Mesh&& other) noexcept;
    Mesh& operator=(const Mesh& other);
    Mesh& operator=(Mesh&& other) noexcept;
    ~Mesh();

    uint32_t vertexCount() const { return static_cast<uint32_t>(vertices_.size() / 3); }
    uint32_t indexCount() const { return static_cast<uint32_t>(indices_.size()); }
    bool hasVertexColours() const { return !vertexColours_.empty(); }
    const std::vector<float>& vertices() const { return vertices_; }
    const std::vector<uint32_t>& indices() const { return indices_; }
    const std::vector<uint8_t>& vertexColours() const { return vertexColours_; }
    const Colour& colour() const { return colour_; }
    int32_t primitiveMode() const { return primitiveMode_; }
    // A mesh with an index at or above the vertex count draws nothing at all.
    bool indicesInRange() const { return indicesInRange_; }
    // Vertex colours that are not exactly one per vertex are drawn as if absent.
    bool coloursMatch() const { return coloursMatch_; }

    // Drawn by the installed renderer with the current model-view matrix: client-side arrays
    // and a single glDrawElements.
    void draw() const;
    // Counts every replacement (assignment, move) and destruction of any mesh: whoever keeps
    // what it derived from meshes (the GL state of the mesh drawn last, merged unit parts)
    // compares this count to know whether a mesh may have changed.
    static uint64_t changes();

private:
    std::vector<float> vertices_;
    std::vector<uint32_t> indices_;
    std::vector<uint8_t> vertexColours_;
    Colour colour_;
    int32_t primitiveMode_ = 0;
    // Decided once when the mesh is made, so the draw never reads outside the arrays.
    bool indicesInRange_ = true;
    bool coloursMatch_ = true;
};

}  // namespace zelmor
