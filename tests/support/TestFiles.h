#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zelmor::test {

// A fresh temporary folder, removed with its contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes text to the file at the relative path (folders are made) and returns its full path.
    std::string write(const std::string& relativePath, const std::string& text) const;

private:
    std::filesystem::path path_;
};

// Runs code with the working directory set to dir, restoring it afterwards.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::filesystem::path& dir);
    ~ScopedWorkingDirectory();

private:
    std::filesystem::path previous_;
};

std::string readWholeFile(const std::filesystem::path& path);
// The file's lines without their line ends; none when it cannot be read.
std::vector<std::string> readLines(const std::filesystem::path& path);

}  // namespace zelmor::test
