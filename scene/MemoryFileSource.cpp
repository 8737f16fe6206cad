#include "scene/MemoryFileSource.h"

#include <sstream>

namespace zelmor {

void MemoryFileSource::add(const std::string& path, std::string bytes) {
    files_[path] = std::move(bytes);
}

std::unique_ptr<std::istream> MemoryFileSource::open(const std::string& path) const {
    const std::string* bytes = find(path);
    if (bytes == nullptr) {
        return nullptr;
    }
    return std::make_unique<std::istringstream>(*bytes);
}

const std::string* MemoryFileSource::find(const std::string& path) const {
    const auto found = files_.find(path);
    return found == files_.end() ? nullptr : &found->second;
}

}  // namespace zelmor
