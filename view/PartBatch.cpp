#include "view/PartBatch.h"

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <utility>

#include "view/GLRenderer.h"

namespace zelmor {

namespace {

// The shared batches by what they are made from, and their handles: a batch's handle is its
// place in the list, plus one. A program has one per kind of unit; neither is ever destroyed,
// so units drawn at exit still find their batch.
struct Registry {
    std::map<std::string, uint32_t> handles;
    std::vector<std::unique_ptr<PartBatch>> batches;
};

Registry& registry() {
    static auto* batches = new Registry;
    return *batches;
}

// Vertices per primitive for the modes whose lists can be joined end to end (points, lines,
// triangles, quads); 0 for the others, whose primitives run on from one vertex to the next.
uint32_t verticesPerPrimitive(int32_t mode) {
    switch (mode) {
        case GL_POINTS:
            return 1;
        case GL_LINES:
            return 2;
        case GL_TRIANGLES:
            return 3;
        case GL_QUADS:
            return 4;
        default:
            return 0;
    }
}

// A part's place in the unit's frame: x' = offset + turn * x, with the turn about x, then y,
// then z as the part's own draw issues them.
struct Placement {
    std::array<double, 9> turn{1, 0, 0, 0, 1, 0, 0, 0, 1};  // row by row
    std::array<double, 3> offset{};

    Placement(const Vector3& position, const Vector3& angles) {
        offset = {position.x, position.y, position.z};
        const double toRadians = 3.141592653589793 / 180.0;
        rotate(angles.x * toRadians, 1, 2);
        rotate(angles.y * toRadians, 2, 0);
        rotate(angles.z * toRadians, 0, 1);
    }

    // Multiplies the turn on the right by a rotation in the plane of axes a to b.
    void rotate(double radians, int a, int b) {
        if (radians == 0.0) {
            return;
        }
        const double c = std::cos(radians);
        const double s = std::sin(radians);
        for (int row = 0; row < 3; ++row) {
            const double ta = turn[row * 3 + a];
            const double tb = turn[row * 3 + b];
            turn[row * 3 + a] = ta * c + tb * s;
            turn[row * 3 + b] = tb * c - ta * s;
        }
    }

    void apply(const float* in, std::vector<float>& out) const {
        for (int row = 0; row < 3; ++row) {
            out.push_back(static_cast<float>(offset[row] + turn[row * 3] * in[0] +
                                             turn[row * 3 + 1] * in[1] +
                                             turn[row * 3 + 2] * in[2]));
        }
    }

    // The default normal (0, 0, 1) turned as the part is.
    std::array<float, 3> defaultNormal() const {
        std::array<float, 3> normal{};
        for (int row = 0; row < 3; ++row) {
            normal[row] = static_cast<float>(turn[row * 3 + 2]);
        }
        return normal;
    }
};

constexpr std::array<float, 3> DEFAULT_NORMAL{0.0f, 0.0f, 1.0f};

bool sameColour(const Colour& a, const Colour& b) {
    return std::memcmp(&a, &b, sizeof(Colour)) == 0;
}

}  // namespace

PartBatch* PartBatch::shared(const Parts& parts) {
    return &byHandle(sharedHandle(parts));
}

uint32_t PartBatch::sharedHandle(const Parts& parts) {
    std::vector<Source> sources;
    sources.reserve(parts.size());
    for (const auto& [name, part] : parts) {
        sources.push_back({part.mesh, part.position, part.angles, !part.children.empty()});
    }
    Registry& batches = registry();
    uint32_t& handle = batches.handles[keyOf(sources)];
    if (handle == 0) {
        batches.batches.emplace_back(new PartBatch(std::move(sources)));
        handle = static_cast<uint32_t>(batches.batches.size());
    }
    return handle;
}

PartBatch& PartBatch::byHandle(uint32_t handle) {
    return *registry().batches.at(handle - 1);
}

std::string PartBatch::keyOf(const std::vector<Source>& sources) {
    std::string key;
    for (const Source& source : sources) {
        key.append(reinterpret_cast<const char*>(&source.mesh), sizeof source.mesh);
        key.append(reinterpret_cast<const char*>(&source.position), sizeof source.position);
        key.append(reinterpret_cast<const char*>(&source.angles), sizeof source.angles);
        key.push_back(source.hasChildren ? 'c' : '-');
    }
    return key;
}

void PartBatch::refresh() {
    if (mergedAt_ != Mesh::changes()) {
        merge();
        mergedAt_ = Mesh::changes();
    }
}

std::size_t PartBatch::callCount() {
    refresh();
    return calls_.size();
}

PartBatch::CallKind PartBatch::callKindOf(const Source& source) {
    const Mesh* mesh = source.mesh;
    // A part without children and without a mesh it can draw shows nothing.
    if (!source.hasChildren && (mesh == nullptr || !mesh->indicesInRange())) {
        return CallKind::NONE;
    }
    if (source.hasChildren || verticesPerPrimitive(mesh->primitiveMode()) == 0) {
        return CallKind::OWN;
    }
    // Blended parts must blend over exactly what the parts before them drew.
    const bool colourArray = mesh->coloursMatch() && mesh->hasVertexColours();
    return !colourArray && mesh->colour().a != 1.0f ? CallKind::OWN : CallKind::MERGED;
}

void PartBatch::merge() {
    merged_.clear();
    calls_.clear();
    bool open = false;  // whether the last call is a merged array that may take more parts
    for (uint32_t i = 0; i < sources_.size(); ++i) {
        const Source& source = sources_[i];
        const CallKind kind = callKindOf(source);
        if (kind == CallKind::OWN) {
            calls_.push_back({i, -1});
            open = false;
        }
        if (kind != CallKind::MERGED) {
            continue;
        }
        const Mesh& mesh = *source.mesh;
        // What GL would leave of a last, incomplete primitive is left out here too.
        const uint32_t perPrimitive = verticesPerPrimitive(mesh.primitiveMode());
        const uint32_t indexCount = mesh.indexCount() - mesh.indexCount() % perPrimitive;
        if (indexCount == 0) {
            continue;
        }
        const std::array<float, 3> normal =
            Placement(source.position, source.angles).defaultNormal();
        append(arrayFor(i, mesh, normal, indexCount, open), source, indexCount);
        open = true;
    }
}

PartBatch::Merged& PartBatch::arrayFor(uint32_t part, const Mesh& mesh,
                                       const std::array<float, 3>& normal, uint32_t indexCount,
                                       bool open) {
    const bool colourArray = mesh.coloursMatch() && mesh.hasVertexColours();
    if (open) {
        Merged& last = merged_.back();
        const bool fits = last.mode == mesh.primitiveMode() && last.colourArray == colourArray &&
                          (colourArray || sameColour(last.colour, mesh.colour())) &&
                          last.vertices.size() / 3 + mesh.vertexCount() <= INT32_MAX / 4 &&
                          last.indices.size() + indexCount <= INT32_MAX / 4;
        if (fits) {
            return last;
        }
    }
    Merged& fresh = merged_.emplace_back();
    fresh.colour = mesh.colour();
    fresh.normal = normal;
    fresh.mode = mesh.primitiveMode();
    fresh.colourArray = colourArray;
    calls_.push_back({part, static_cast<int32_t>(merged_.size() - 1)});
    return fresh;
}

void PartBatch::append(Merged& into, const Source& source, uint32_t indexCount) {
    const Mesh& mesh = *source.mesh;
    const Placement placement(source.position, source.angles);
    const std::array<float, 3> normal = placement.defaultNormal();
    const auto base = static_cast<uint32_t>(into.vertices.size() / 3);
    // A part that faces another way than the array's parts so far gives the array a normal per
    // vertex, each the one its part had.
    if (into.normals.empty() && normal != into.normal) {
        for (uint32_t v = 0; v < base; ++v) {
            into.normals.insert(into.normals.end(), into.normal.begin(), into.normal.end());
        }
    }
    const float* vertices = mesh.vertices().data();
    for (uint32_t v = 0; v < mesh.vertexCount(); ++v) {
        placement.apply(vertices + 3 * v, into.vertices);
        if (!into.normals.empty()) {
            into.normals.insert(into.normals.end(), normal.begin(), normal.end());
        }
    }
    if (into.colourArray) {
        into.colours.insert(into.colours.end(), mesh.vertexColours().begin(),
                            mesh.vertexColours().end());
    }
    const uint32_t* indices = mesh.indices().data();
    for (uint32_t k = 0; k < indexCount; ++k) {
        into.indices.push_back(base + indices[k]);
    }
    if (into.mode == GL_TRIANGLES) {
        into.culling.addPart(into.vertices.data() + 3 * std::size_t(base), mesh.vertexCount(),
                             indices, indexCount, base);
    }
}

PartBatch* PartBatch::withMarker(const Mesh* marker) {
    if (!marked_ || marked_->sources_.back().mesh != marker) {
        std::vector<Source> sources = sources_;
        sources.push_back({marker, {}, {}, false});
        marked_.reset(new PartBatch(std::move(sources)));
    }
    return marked_.get();
}

void PartBatch::draw(const Parts& parts, GLRenderer& renderer) {
    refresh();
    auto part = parts.begin();
    uint32_t at = 0;
    for (const Call& call : calls_) {
        if (call.merged >= 0) {
            drawMerged(merged_[static_cast<std::size_t>(call.merged)], renderer.state());
            continue;
        }
        if (call.part >= parts.size()) {
            // The selection marker, after the parts.
            glPushMatrix();
            renderer.drawMesh(*sources_[call.part].mesh);
            glPopMatrix();
            continue;
        }
        std::advance(part, call.part - at);
        at = call.part;
        glPushMatrix();
        renderer.drawObject(part->second);
        glPopMatrix();
    }
}

const std::vector<uint32_t>& PartBatch::indicesToDraw(const Merged& merged, GLState& state) {
    if (merged.mode == GL_POINTS || merged.mode == GL_LINES) {
        return merged.indices;  // never culled
    }
    if (merged.mode != GL_TRIANGLES) {
        state.cullBackFaces(false);
        return merged.indices;
    }
    state.cullBackFaces(true);
    std::array<float, 16> modelview{};
    std::array<float, 16> projection{};
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview.data());
    glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
    return merged.culling.holdsFor(modelview, projection) ? merged.culling.indices()
                                                          : merged.culling.bothWays();
}

void PartBatch::drawMerged(const Merged& merged, GLState& state) {
    glColor4f(merged.colour.r, merged.colour.g, merged.colour.b, merged.colour.a);
    if (merged.colourArray) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, merged.colours.data());
    }
    const bool normalArray = !merged.normals.empty();
    const bool turned = normalArray || merged.normal != DEFAULT_NORMAL;
    if (normalArray) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, merged.normals.data());
    } else if (turned) {
        glNormal3f(merged.normal[0], merged.normal[1], merged.normal[2]);
    }
    glVertexPointer(3, GL_FLOAT, 0, merged.vertices.data());
    const std::vector<uint32_t>& indices = indicesToDraw(merged, state);
    glDrawElements(static_cast<GLenum>(merged.mode), static_cast<GLsizei>(indices.size()),
                   GL_UNSIGNED_INT, indices.data());
    if (merged.colourArray) {
        glDisableClientState(GL_COLOR_ARRAY);
    }
    if (normalArray) {
        glDisableClientState(GL_NORMAL_ARRAY);
    }
    if (turned) {
        // Every other drawing faces the default normal.
        glNormal3f(DEFAULT_NORMAL[0], DEFAULT_NORMAL[1], DEFAULT_NORMAL[2]);
    }
    // The vertex pointer is no longer any mesh's.
    state.forgetMesh();
}

}  // namespace zelmor
