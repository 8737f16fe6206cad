#pragma once

#include <sys/types.h>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zelmor::test {

// A program started in a folder with DISPLAY set (or unset when empty), the environment's further
// variables and its arguments, its standard error kept in a file. Killed when the object goes,
// if it still runs.
class ProgramRun {
public:
    ProgramRun(const std::string& program, const std::filesystem::path& folder,
               const std::string& display,
               const std::vector<std::pair<std::string, std::string>>& environment = {},
               const std::vector<std::string>& arguments = {});
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // The exit code, or nothing when it is still running after the timeout (or was killed by a
    // signal, reported as 128 + signal).
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    bool running();
    std::string standardError() const;

private:
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
    std::filesystem::path errorFile_;
};

// Runs a command with DISPLAY set and waits for it (at most 30 s); returns its exit code and
// puts its standard output into output when given.
int runCommand(const std::vector<std::string>& argv, const std::string& display,
               std::string* output = nullptr);
// Runs xdotool with the arguments on the display; returns its exit code.
int xdotool(const std::string& display, const std::vector<std::string>& arguments);
// Checks the condition every 100 ms until it holds (true) or the limit has passed (false).
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit);

}  // namespace zelmor::test
