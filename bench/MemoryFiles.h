#pragma once

#include <map>
#include <memory>
#include <string>

#include "scene/FileSource.h"

namespace zelmor::bench {

// Files held in memory, so that the readers are measured without the disk: the bundled data
// folder plus whatever a benchmark generates.
class MemoryFiles : public FileSource {
public:
    // Every file of the repository's data folder (logs left out), named by its path relative to
    // that folder, as the bundled scene names them.
    static MemoryFiles bundled();

    void add(const std::string& path, std::string bytes) { files_[path] = std::move(bytes); }
    std::unique_ptr<std::istream> open(const std::string& path) const override;

private:
    std::map<std::string, std::string> files_;
};

}  // namespace zelmor::bench
