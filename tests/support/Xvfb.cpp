#include "tests/support/Xvfb.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace zelmor::test {

namespace {

bool displayTaken(int number) {
    return std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)) ||
           std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock");
}

}  // namespace

Xvfb::Xvfb() {
    int number = 90 + static_cast<int>(getpid() % 400);
    while (displayTaken(number)) {
        ++number;
    }
    display_ = ":" + std::to_string(number);
    pid_ = fork();
    if (pid_ == 0) {
        execlp("Xvfb", "Xvfb", display_.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto socket = "/tmp/.X11-unix/X" + std::to_string(number);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(socket)) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_ ||
            std::chrono::steady_clock::now() > deadline) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

Xvfb::~Xvfb() {
    if (pid_ <= 0) {
        return;
    }
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
}

}  // namespace zelmor::test
