#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "scene/Mesh.h"
#include "scene/SceneObject.h"
#include "sim/CullPlan.h"

namespace zelmor {

// The draw calls of a unit's parts. A unit's parts never move against each other, so parts that
// draw with the same GL state and follow each other in name order are merged, once, into one
// array in the unit's own frame and drawn with one call: most of a frame's cost per call is the
// driver's state validation, not the vertices. The rest keep their own call, in name order:
// translucent (blended) parts, parts with children, strips, fans and loops (which cannot be
// joined). Parts that draw nothing are left out. Merged triangles draw with back faces culled
// where the view lets that change nothing (see CullPlan), and otherwise each both ways round
// under the same culling, so that a frame of units switches culling on once.
//
// Units whose parts use the same meshes at the same places share one batch, which lives, like the
// meshes, to the end of the process. A model list read later may replace a part's mesh in place;
// the batch notices and merges again before it draws.
class PartBatch {
public:
    using Parts = std::map<std::string, SceneObject>;

    // The batch for parts, shared with every unit whose parts are the same meshes at the same
    // offsets and angles; never destroyed.
    static PartBatch* shared(const Parts& parts);

    // Draws parts, the parts the batch was made for, with the unit's matrix current.
    void draw(const Parts& parts);
    // How many draw calls the parts take as the meshes are now.
    std::size_t callCount();
    // The batch of the same parts with the selection marker drawn after them at the unit's
    // origin, in the same call when it can share one; made on first use and kept with this
    // batch, and made again for another marker.
    PartBatch* withMarker(const Mesh* marker);

private:
    // What the batch is made from: each part's mesh and place, in name order.
    struct Source {
        const Mesh* mesh = nullptr;
        Vector3 position;
        Vector3 angles;
        bool hasChildren = false;
    };
    // Parts merged into one array, vertices in the unit's frame. The lighting sees the normal
    // each part had: one for the whole array while its parts face the same way, else one per
    // vertex.
    struct Merged {
        std::vector<float> vertices;
        std::vector<uint8_t> colours;
        std::vector<float> normals;  // empty while normal serves every vertex
        std::vector<uint32_t> indices;
        CullPlan culling;  // for triangles only
        Colour colour;
        std::array<float, 3> normal{0.0f, 0.0f, 1.0f};
        int32_t mode = 0;
        bool colourArray = false;
    };
    // One call: a merged array, or the part at this place in name order drawn on its own.
    struct Call {
        uint32_t part = 0;
        int32_t merged = -1;  // index into merged_, or -1
    };

    explicit PartBatch(std::vector<Source> sources) : sources_(std::move(sources)) {}
    static std::string keyOf(const std::vector<Source>& sources);
    // Merges again when some mesh changed since the last merge.
    void refresh();
    void merge();
    static void drawMerged(const Merged& merged);
    // The indices of a merged array as the current matrices allow, with culling set for them:
    // triangles draw with culling on, as planned where the plan holds, else both ways round;
    // points and lines are never culled; other polygons draw with culling off.
    static const std::vector<uint32_t>& indicesToDraw(const Merged& merged);

    std::vector<Source> sources_;
    std::vector<Merged> merged_;
    std::vector<Call> calls_;
    uint64_t mergedAt_ = UINT64_MAX;  // Mesh::changes() when merged
    std::unique_ptr<PartBatch> marked_;
};

}  // namespace zelmor
