#include "tests/support/GlCalls.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace zelmor::test {

namespace {
std::vector<GlCall>& calls() {
    static std::vector<GlCall> all;
    return all;
}
}  // namespace

void GlCalls::reset() {
    calls().clear();
}
const std::vector<GlCall>& GlCalls::log() {
    return calls();
}

int GlCalls::count(const std::string& name) {
    int n = 0;
    for (const auto& call : calls()) {
        n += call.name == name ? 1 : 0;
    }
    return n;
}

std::vector<GlCall> GlCalls::named(const std::string& name) {
    std::vector<GlCall> result;
    for (const auto& call : calls()) {
        if (call.name == name) {
            result.push_back(call);
        }
    }
    return result;
}

std::vector<std::string> GlCalls::names() {
    std::vector<std::string> result;
    for (const auto& call : calls()) {
        result.push_back(call.name);
    }
    return result;
}

void GlCalls::record(const char* name, std::vector<double> args) {
    calls().push_back({name, std::move(args)});
}

}  // namespace zelmor::test

using zelmor::test::GlCalls;

// The wrappers: the linker sends our objects' calls of glX to __wrap_glX, and __real_glX is the
// library function.
extern "C" {
void __real_glEnable(GLenum);
void __real_glDisable(GLenum);
void __real_glRotatef(GLfloat, GLfloat, GLfloat, GLfloat);
void __real_glTranslatef(GLfloat, GLfloat, GLfloat);
void __real_glDrawElements(GLenum, GLsizei, GLenum, const void*);
void __real_glColor4f(GLfloat, GLfloat, GLfloat, GLfloat);
void __real_glEnableClientState(GLenum);
void __real_glDisableClientState(GLenum);
void __real_glColorPointer(GLint, GLenum, GLsizei, const void*);
void __real_glVertexPointer(GLint, GLenum, GLsizei, const void*);
void __real_glBlendFunc(GLenum, GLenum);
void __real_glLoadIdentity();
void __real_glLightfv(GLenum, GLenum, const GLfloat*);
void __real_glBegin(GLenum);
void __real_glEnd();
void __real_glVertex3f(GLfloat, GLfloat, GLfloat);
void __real_gluLookAt(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble,
                      GLdouble, GLdouble);
void __real_glPushMatrix();
void __real_glPopMatrix();
void __real_glClear(GLbitfield);
void __real_glViewport(GLint, GLint, GLsizei, GLsizei);

void __wrap_glEnable(GLenum cap) {
    GlCalls::record("glEnable", {double(cap)});
    __real_glEnable(cap);
}
void __wrap_glDisable(GLenum cap) {
    GlCalls::record("glDisable", {double(cap)});
    __real_glDisable(cap);
}
void __wrap_glRotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) {
    GlCalls::record("glRotatef", {a, x, y, z});
    __real_glRotatef(a, x, y, z);
}
void __wrap_glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    GlCalls::record("glTranslatef", {x, y, z});
    __real_glTranslatef(x, y, z);
}
void __wrap_glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    GlCalls::record("glDrawElements", {double(mode), double(count), double(type)});
    __real_glDrawElements(mode, count, type, indices);
}
void __wrap_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    GlCalls::record("glColor4f", {r, g, b, a});
    __real_glColor4f(r, g, b, a);
}
void __wrap_glEnableClientState(GLenum array) {
    GlCalls::record("glEnableClientState", {double(array)});
    __real_glEnableClientState(array);
}
void __wrap_glDisableClientState(GLenum array) {
    GlCalls::record("glDisableClientState", {double(array)});
    __real_glDisableClientState(array);
}
void __wrap_glColorPointer(GLint size, GLenum type, GLsizei stride, const void* data) {
    GlCalls::record("glColorPointer", {double(size), double(type), double(stride)});
    __real_glColorPointer(size, type, stride, data);
}
void __wrap_glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* data) {
    GlCalls::record("glVertexPointer", {double(size), double(type), double(stride)});
    __real_glVertexPointer(size, type, stride, data);
}
void __wrap_glBlendFunc(GLenum s, GLenum d) {
    GlCalls::record("glBlendFunc", {double(s), double(d)});
    __real_glBlendFunc(s, d);
}
void __wrap_glLoadIdentity() {
    GlCalls::record("glLoadIdentity", {});
    __real_glLoadIdentity();
}
void __wrap_glLightfv(GLenum light, GLenum name, const GLfloat* v) {
    GlCalls::record("glLightfv", {double(light), double(name), v[0], v[1], v[2], v[3]});
    __real_glLightfv(light, name, v);
}
void __wrap_glBegin(GLenum mode) {
    GlCalls::record("glBegin", {double(mode)});
    __real_glBegin(mode);
}
void __wrap_glEnd() {
    GlCalls::record("glEnd", {});
    __real_glEnd();
}
void __wrap_glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    GlCalls::record("glVertex3f", {x, y, z});
    __real_glVertex3f(x, y, z);
}
void __wrap_gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz,
                      GLdouble ux, GLdouble uy, GLdouble uz) {
    GlCalls::record("gluLookAt", {ex, ey, ez, cx, cy, cz, ux, uy, uz});
    __real_gluLookAt(ex, ey, ez, cx, cy, cz, ux, uy, uz);
}
void __wrap_glPushMatrix() {
    GlCalls::record("glPushMatrix", {});
    __real_glPushMatrix();
}
void __wrap_glPopMatrix() {
    GlCalls::record("glPopMatrix", {});
    __real_glPopMatrix();
}
void __wrap_glClear(GLbitfield mask) {
    GlCalls::record("glClear", {double(mask)});
    __real_glClear(mask);
}
void __wrap_glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    GlCalls::record("glViewport", {double(x), double(y), double(w), double(h)});
    __real_glViewport(x, y, w, h);
}
}
