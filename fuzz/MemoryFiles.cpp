#include "fuzz/MemoryFiles.h"

#include <sstream>
#include <string_view>

namespace zelmor::fuzz {

namespace {

constexpr std::string_view FILE_MARK = "\n@@ ";

}  // namespace

MemoryFiles MemoryFiles::split(const uint8_t* data, std::size_t size,
                               const std::string& firstName) {
    MemoryFiles files;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string name = firstName;
    std::size_t start = 0;
    for (;;) {
        const std::size_t mark = input.find(FILE_MARK, start);
        files.files_[name] = std::string(input.substr(start, mark - start));
        if (mark == std::string_view::npos) {
            break;
        }
        const std::size_t nameStart = mark + FILE_MARK.size();
        const std::size_t lineEnd = input.find('\n', nameStart);
        name = std::string(input.substr(nameStart, lineEnd - nameStart));
        if (lineEnd == std::string_view::npos) {
            files.files_[name].clear();
            break;
        }
        start = lineEnd + 1;
    }
    return files;
}

std::unique_ptr<std::istream> MemoryFiles::open(const std::string& path) const {
    const std::string* bytes = find(path);
    if (bytes == nullptr) {
        return nullptr;
    }
    return std::make_unique<std::istringstream>(*bytes, std::ios::in | std::ios::binary);
}

const std::string* MemoryFiles::find(const std::string& path) const {
    const auto found = files_.find(path);
    return found == files_.end() ? nullptr : &found->second;
}

}  // namespace zelmor::fuzz
