#include "scene/SceneRenderer.h"

namespace zelmor {

SceneRenderer* SceneRenderer::install(SceneRenderer* renderer) {
    SceneRenderer* const before = installed_;
    installed_ = renderer;
    return before;
}

}  // namespace zelmor
