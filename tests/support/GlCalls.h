#pragma once

#include <string>
#include <vector>

namespace zelmor::test {

// One GL call made from our objects, with its numeric arguments (pointers left out).
struct GlCall {
    std::string name;
    std::vector<double> args;
};

// Records the calls that the GL test binary routes through its link-time wrappers:
// glEnable glDisable glRotatef glTranslatef glDrawElements glColor4f glEnableClientState
// glDisableClientState glColorPointer glVertexPointer glBlendFunc glLoadIdentity glLightfv
// glBegin glEnd glVertex3f gluLookAt glPushMatrix glPopMatrix glClear glViewport.
// Every wrapper still calls the real function.
class GlCalls {
public:
    static void reset();
    static const std::vector<GlCall>& log();
    static int count(const std::string& name);
    // Only the calls with that name, in order.
    static std::vector<GlCall> named(const std::string& name);
    // The names of all calls in order, for comparing whole sequences.
    static std::vector<std::string> names();
    static void record(const char* name, std::vector<double> args);
};

}  // namespace zelmor::test
