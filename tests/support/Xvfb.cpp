#include "tests/support/Xvfb.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace zelmor::test {

namespace {

// Reads the display number that Xvfb writes once it accepts connections; empty on failure.
std::string readDisplayNumber(int fd) {
    std::string number;
    pollfd waiting{fd, POLLIN, 0};
    while (poll(&waiting, 1, 10000) > 0) {
        char c = 0;
        if (read(fd, &c, 1) != 1 || c == '\n') {
            break;
        }
        number += c;
    }
    return number;
}

}  // namespace

Xvfb::Xvfb(const std::vector<std::string>& arguments) {
    int fds[2];
    if (pipe(fds) != 0) {
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        // Xvfb picks a free display itself and reports it: no race with other servers. Without
        // -noreset the server starts afresh whenever its last client goes, and a program that
        // connects while it does so finds no display.
        const std::string fd = std::to_string(fds[1]);
        std::vector<const char*> argv = {"Xvfb",        "-displayfd", fd.c_str(), "-screen", "0",
                                         "1024x768x24", "-nolisten",  "tcp",      "-noreset"};
        for (const std::string& argument : arguments) {
            argv.push_back(argument.c_str());
        }
        argv.push_back(nullptr);
        execvp("Xvfb", const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    close(fds[1]);
    const std::string number = pid_ > 0 ? readDisplayNumber(fds[0]) : "";
    close(fds[0]);
    if (number.empty()) {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
        return;
    }
    display_ = ":" + number;
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
