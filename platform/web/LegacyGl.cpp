// GL 1.1 calls that the fixed-function emulation lacks or gets wrong, defined here so that the
// program's own calls reach them in the web build. The emulation's own versions stay reachable
// under their "emscripten_" names.
#include "platform/web/LegacyGl.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <emscripten.h>

#include <cmath>
#include <cstdint>
#include <vector>

extern "C" void emscripten_glDrawElements(GLenum mode, GLsizei count, GLenum type,
                                          const void* indices);

namespace zelmor::platform {

namespace {

EM_JS(void, runContextCreatedCallbacks, (), {
    Module.ctx = GLctx;
    Module.useWebGL = true;
    Browser.moduleContextCreatedCallbacks.forEach(function(callback) { callback(); });
});

bool started = false;

void normalise(double v[3]) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0.0) {
        return;
    }
    for (int i = 0; i < 3; ++i) {
        v[i] /= length;
    }
}

void cross(const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

int valueCount(GLenum name) {
    switch (name) {
        case GL_MODELVIEW_MATRIX:
        case GL_PROJECTION_MATRIX:
        case GL_TEXTURE_MATRIX:
            return 16;
        case GL_VIEWPORT:
        case GL_COLOR_CLEAR_VALUE:
        case GL_CURRENT_COLOR:
            return 4;
        case GL_DEPTH_RANGE:
            return 2;
        default:
            return 1;
    }
}

}  // namespace

void startLegacyGl() {
    if (!started) {
        runContextCreatedCallbacks();
        started = true;
    }
}

}  // namespace zelmor::platform

extern "C" {

// The emulation has only the float query; GL keeps these values as floats anyway.
void glGetDoublev(GLenum name, GLdouble* values) {
    GLfloat read[16] = {};
    glGetFloatv(name, read);
    const int count = zelmor::platform::valueCount(name);
    for (int i = 0; i < count; ++i) {
        values[i] = read[i];
    }
}

// The emulation has no material tracking to choose for: a vertex colour is taken as it is.
void glColorMaterial(GLenum, GLenum) {}

// The emulation's version leaves the matrix as it was. The view looks from the eye to the
// centre with the up vector's side of it up, multiplied onto the current matrix, then moved to
// the eye.
void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY,
               GLdouble centreZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    using zelmor::platform::cross;
    using zelmor::platform::normalise;
    double forward[3] = {centreX - eyeX, centreY - eyeY, centreZ - eyeZ};
    double up[3] = {upX, upY, upZ};
    double side[3];
    normalise(forward);
    cross(forward, up, side);
    normalise(side);
    cross(side, forward, up);
    const GLdouble matrix[16] = {side[0], up[0], -forward[0], 0, side[1], up[1], -forward[1], 0,
                                 side[2], up[2], -forward[2], 0, 0,       0,     0,           1};
    glMultMatrixd(matrix);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

// The emulation reads client-side indices as 16 bits whatever their type: 32-bit ones are
// handed over narrowed. A mesh with an index beyond 16 bits cannot be drawn that way and is
// left out.
void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    if (type != GL_UNSIGNED_INT || count <= 0) {
        emscripten_glDrawElements(mode, count, type, indices);
        return;
    }
    static std::vector<uint16_t> narrowed;
    const auto* wide = static_cast<const uint32_t*>(indices);
    narrowed.resize(static_cast<std::size_t>(count));
    for (GLsizei i = 0; i < count; ++i) {
        if (wide[i] > 0xFFFF) {
            return;
        }
        narrowed[static_cast<std::size_t>(i)] = static_cast<uint16_t>(wide[i]);
    }
    emscripten_glDrawElements(mode, count, GL_UNSIGNED_SHORT, narrowed.data());
}

}  // extern "C"
