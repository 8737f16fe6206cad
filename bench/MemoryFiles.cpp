#include "bench/MemoryFiles.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace zelmor::bench {

MemoryFileSource bundledFiles() {
    namespace fs = std::filesystem;
    MemoryFileSource files;
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

}  // namespace zelmor::bench
