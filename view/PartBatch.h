#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "scene/Mesh.h"
#include "scene/SceneObject.h"
#include "view/CullPlan.h"
#include "view/GLState.h"

namespace zelmor {

class GLRenderer;

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

    // Whether units draw their parts and selection marker through their batch or one by one,
    // each with its own matrix; one by one is the reference the batch must match.
    static inline bool mergeParts = true;

    // The batch for parts, shared with every unit whose parts are the same meshes at the same
    // offsets and angles; never destroyed.
    static PartBatch* shared(const Parts& parts);
    // The same batch by a handle that stays valid for the life of the process (never 0), for a
    // unit to keep, and the batch a handle stands for.
    static uint32_t sharedHandle(const Parts& parts);
    static PartBatch& byHandle(uint32_t handle);

    // Draws parts, the parts the batch was made for, with the unit's matrix current: the parts
    // with calls of their own through renderer, the merged arrays directly (they take the mesh
    // set-up and switch culling in the renderer's state).
    void draw(const Parts& parts, GLRenderer& renderer);
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

    // How a source is drawn: not at all, with a call of its own, or merged into an array.
    enum class CallKind { NONE, OWN, MERGED };

    explicit PartBatch(std::vector<Source> sources) : sources_(std::move(sources)) {}
    static std::string keyOf(const std::vector<Source>& sources);
    static CallKind callKindOf(const Source& source);
    // Merges again when some mesh changed since the last merge.
    void refresh();
    void merge();
    // The array source number part joins: the open one when its state fits, else a new one.
    Merged& arrayFor(uint32_t part, const Mesh& mesh, const std::array<float, 3>& normal,
                     uint32_t indexCount, bool open);
    // Places the mesh's vertices in the unit's frame and appends them, their colours and
    // normals, and its first indexCount indices (with their culling) to the array.
    static void append(Merged& into, const Source& source, uint32_t indexCount);
    static void drawMerged(const Merged& merged, GLState& state);
    // The indices of a merged array as the current matrices allow, with culling set for them:
    // triangles draw with culling on, as planned where the plan holds, else both ways round;
    // points and lines are never culled; other polygons draw with culling off.
    static const std::vector<uint32_t>& indicesToDraw(const Merged& merged, GLState& state);

    std::vector<Source> sources_;
    std::vector<Merged> merged_;
    std::vector<Call> calls_;
    uint64_t mergedAt_ = UINT64_MAX;  // Mesh::changes() when merged
    std::unique_ptr<PartBatch> marked_;
};

}  // namespace zelmor
