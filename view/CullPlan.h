#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace zelmor {

// How a merged array of triangles may be drawn with back faces culled and still give the frame
// it gives drawn whole. Half of a solid's triangles face away from the eye and are hidden behind
// the other half, yet without culling the renderer sets up and rasterises them all. (Only along
// an edge where a back face meets its front face can the depth buffer round the two to one depth
// and let the back face show; culled, those pixels show the front face.)
//
// A connected piece of a part whose triangles are the faces of a convex body, all wound one way,
// is such a solid as long as the eye sees no opening in it: the piece may lack faces only in one
// plane (the bottom the models leave out, say), and the eye must then be on the body's side of
// that plane. A piece that is inside out is drawn turned round. Every other piece (flat, hollow,
// not convex, not finite) keeps its back faces: each of its triangles is drawn twice, wound both
// ways, so that one of the two is front-facing from wherever the eye looks.
//
// The plan also holds only while the near plane cuts no part of the array, because a cut opens
// the solids; and it holds for the eye outside every solid, which the near plane then ensures.
class CullPlan {
public:
    // Adds a part's triangles in their order: vertexCount vertices (x, y, z each) in the array's
    // frame, indices into them, each index offset by base in the plan's own indices.
    void addPart(const float* vertices, uint32_t vertexCount, const uint32_t* indices,
                 uint32_t indexCount, uint32_t base);

    // The triangles to draw with GL_CULL_FACE on where the plan holds, as indices into the array.
    const std::vector<uint32_t>& indices() const { return indices_; }
    // Every triangle both ways round: drawn with GL_CULL_FACE on, the frame of the triangles drawn
    // without culling, from any eye. Switching culling off and on between units would cost more
    // than the triangles it saves.
    const std::vector<uint32_t>& bothWays() const { return bothWays_; }

    // Whether culling keeps the frame with these matrices current (column-major, as GL gives
    // them): the array lies wholly beyond the near plane and the eye sees into no solid.
    bool holdsFor(const std::array<float, 16>& modelview,
                  const std::array<float, 16>& projection) const;

private:
    // The eye must lie where normal . eye < offset, in the array's frame.
    struct EyeLimit {
        std::array<double, 3> normal;
        double offset;
    };

    void addLimit(const EyeLimit& limit);

    std::vector<uint32_t> indices_;
    std::vector<uint32_t> bothWays_;
    std::vector<EyeLimit> limits_;
    double reach_ = 0.0;  // the largest distance of a vertex from the frame's origin
};

}  // namespace zelmor
