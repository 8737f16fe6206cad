#include "tests/support/TestFiles.h"

#include <fstream>
#include <random>
#include <sstream>

namespace zelmor::test {

TempDir::TempDir() {
    std::random_device device;
    const auto base = std::filesystem::temp_directory_path();
    do {
        path_ = base / ("zelmor-test-" + std::to_string(device()));
    } while (!std::filesystem::create_directory(path_));
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(const std::string& relativePath, const std::string& text) const {
    const auto full = path_ / relativePath;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary);
    out << text;
    return full.string();
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::filesystem::path& dir)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
}

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> readLines(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::istringstream in(readWholeFile(path));
    for (std::string line; std::getline(in, line);) {
        // Logs written in text mode on Windows end their lines with CR LF.
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace zelmor::test
