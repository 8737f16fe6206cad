#include "view/Light.h"

#include <GL/gl.h>

namespace zelmor {

void Light::apply() const {
    if (flags & HAS_POSITION) {
        // w = 1 makes it a point light; the current modelview carries it into eye space.
        const GLfloat where[4] = {position.x, position.y, position.z, 1.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, where);
    }
    if (flags & HAS_AMBIENT) {
        glLightfv(GL_LIGHT0, GL_AMBIENT, ambient.data());
    }
    if (flags & HAS_DIFFUSE) {
        glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse.data());
    }
}

}  // namespace zelmor
