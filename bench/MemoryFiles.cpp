#include "bench/MemoryFiles.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace zelmor::bench {

MemoryFiles MemoryFiles::bundled() {
    namespace fs = std::filesystem;
    MemoryFiles files;
    const fs::path root = ZELMOR_DATA_DIR;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".log") {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        files.add(fs::relative(entry.path(), root).generic_string(), bytes.str());
    }
    return files;
}

std::unique_ptr<std::istream> MemoryFiles::open(const std::string& path) const {
    const auto found = files_.find(path);
    if (found == files_.end()) {
        return nullptr;
    }
    return std::make_unique<std::istringstream>(found->second);
}

}  // namespace zelmor::bench
