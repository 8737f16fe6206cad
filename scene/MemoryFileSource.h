#pragma once

#include <istream>
#include <map>
#include <memory>
#include <string>

#include "scene/FileSource.h"

namespace zelmor {

// Files held in memory and looked up exactly as named, so that the readers can run without the
// disk: in tests, benchmarks and fuzz targets.
class MemoryFileSource : public FileSource {
public:
    // Stores bytes under path, replacing what was there.
    void add(const std::string& path, std::string bytes);
    std::unique_ptr<std::istream> open(const std::string& path) const override;
    // The bytes stored under path; null when there are none.
    const std::string* find(const std::string& path) const;

private:
    std::map<std::string, std::string> files_;
};

}  // namespace zelmor
