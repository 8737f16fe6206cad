#pragma once

#include <sys/types.h>
#include <string>
#include <vector>

namespace zelmor::test {

// A private X server (Xvfb, 1024x768x24, no TCP) on a free display number, started for one test
// and ended, by its PID, when the object goes. Further server arguments (such as "-extension",
// "GLX" for a display without GL) come after the usual ones.
class Xvfb {
public:
    explicit Xvfb(const std::vector<std::string>& arguments = {});
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    bool running() const { return pid_ > 0; }
    // ":N", for DISPLAY.
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace zelmor::test
