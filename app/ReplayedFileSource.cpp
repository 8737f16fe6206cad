#include "app/ReplayedFileSource.h"

#include <sstream>

namespace zelmor {

void ReplayedFileSource::add(const replay::EmbeddedFile& file) {
    files_[file.path].push_back({file.opened, file.bytes});
    bytes_ += file.bytes.size();
}

std::unique_ptr<std::istream> ReplayedFileSource::open(const std::string& path) const {
    const auto found = files_.find(path);
    if (found == files_.end()) {
        return nullptr;
    }
    const std::vector<Content>& versions = found->second;
    std::size_t& opens = opened_[path];
    const Content& content = versions[std::min(opens, versions.size() - 1)];
    ++opens;
    if (!content.opened) {
        return nullptr;
    }
    return std::make_unique<std::istringstream>(content.bytes);
}

}  // namespace zelmor
