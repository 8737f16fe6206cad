#include "view/GLState.h"

#include <GL/gl.h>

#include "scene/Mesh.h"

namespace zelmor {

GLState::GLState() {
    for (uint32_t capability : {GL_LIGHTING, GL_DEPTH_TEST, GL_COLOR_MATERIAL, GL_LIGHT0, GL_LIGHT1,
                                GL_LIGHT2, GL_LIGHT3, GL_FOG, GL_BLEND, GL_TEXTURE_2D}) {
        capabilities_[capability] = false;
    }
}

void GLState::enable(uint32_t capability) {
    bool& on = capabilities_[capability];
    if (on) {
        return;
    }
    glEnable(capability);
    on = true;
}

void GLState::disable(uint32_t capability) {
    bool& on = capabilities_[capability];
    if (!on) {
        return;
    }
    glDisable(capability);
    on = false;
}

void GLState::cullBackFaces(bool on) {
    if (culling_ == on) {
        return;
    }
    if (on) {
        glEnable(GL_CULL_FACE);
    } else {
        glDisable(GL_CULL_FACE);
    }
    culling_ = on;
}

void GLState::resetCulling() {
    glDisable(GL_CULL_FACE);
    culling_ = false;
}

bool GLState::isSetUp(const Mesh& mesh) const {
    return lastMesh_ == &mesh && lastMeshAt_ == Mesh::changes();
}

void GLState::setUp(const Mesh& mesh) {
    lastMesh_ = &mesh;
    lastMeshAt_ = Mesh::changes();
}

}  // namespace zelmor
