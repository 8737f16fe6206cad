#include "tests/support/ProgramRun.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "tests/support/TestFiles.h"

namespace zelmor::test {

namespace {

void setDisplay(const std::string& display) {
    if (display.empty()) {
        unsetenv("DISPLAY");
    } else {
        setenv("DISPLAY", display.c_str(), 1);
    }
}

std::optional<int> decode(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return std::nullopt;
}

}  // namespace

ProgramRun::ProgramRun(const std::string& program, const std::filesystem::path& folder,
                       const std::string& display,
                       const std::vector<std::pair<std::string, std::string>>& environment,
                       const std::vector<std::string>& arguments)
    : errorFile_(folder / "stderr.txt") {
    pid_ = fork();
    if (pid_ != 0) {
        return;
    }
    if (chdir(folder.c_str()) != 0) {
        _exit(126);
    }
    setDisplay(display);
    unsetenv("SDL_VIDEODRIVER");
    for (const auto& [name, value] : environment) {
        setenv(name.c_str(), value.c_str(), 1);
    }
    const int error = open(errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (error >= 0) {
        dup2(error, 2);
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

ProgramRun::~ProgramRun() {
    if (running()) {
        kill(pid_, SIGKILL);
        waitForExit(std::chrono::seconds(5));
    }
}

bool ProgramRun::running() {
    if (pid_ <= 0 || exitCode_) {
        return false;
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exitCode_ = decode(status);
        return false;
    }
    return true;
}

std::optional<int> ProgramRun::waitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (running()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return exitCode_;
}

std::string ProgramRun::standardError() const {
    return readWholeFile(errorFile_);
}

int runCommand(const std::vector<std::string>& argv, const std::string& display,
               std::string* output) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return -1;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        setDisplay(display);
        dup2(pipeFds[1], 1);
        close(pipeFds[0]);
        // A command that hangs (a --sync that never syncs) ends after 30 s.
        std::vector<char*> args{const_cast<char*>("timeout"), const_cast<char*>("30")};
        for (const auto& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(pipeFds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (output != nullptr) {
        *output = text;
    }
    return decode(status).value_or(-1);
}

int xdotool(const std::string& display, const std::vector<std::string>& arguments) {
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runCommand(command, display);
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

}  // namespace zelmor::test
