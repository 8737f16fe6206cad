#include "scene/FileSource.h"

#include <filesystem>
#include <fstream>

namespace zelmor {

std::unique_ptr<std::istream> FileSource::open(const std::string& path) const {
    // A name read from a file may carry a NUL byte; the system would open a shorter name than
    // the one written, so such a name opens nothing.
    if (path.empty() || path.find('\0') != std::string::npos) {
        return nullptr;
    }
    // Only a regular file has content: a folder reads as nothing, /dev/zero never ends and a
    // FIFO blocks the opening until someone writes to it. Links are followed, as opening does.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return nullptr;
    }
    auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!file->is_open()) {
        return nullptr;
    }
    return file;
}

const FileSource& FileSource::disk() {
    static const FileSource source;
    return source;
}

}  // namespace zelmor
