#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "scene/FileSource.h"

namespace zelmor::fuzz {

// Files held in memory, cut from one fuzz input so that one input can carry a scene together
// with the model lists, model files and unit files it names:
//
//     <bytes of the first file>
//     @@ models.lst
//     <bytes of models.lst>
//     @@ models/a.mdl
//     <bytes of models/a.mdl>
//
// Each "\n@@ " starts a file whose name runs to the end of that line. A name given twice keeps
// the later bytes. Paths are looked up exactly as written; an unknown path opens nothing.
class MemoryFiles : public FileSource {
public:
    MemoryFiles() = default;
    // Cuts data into files; the part before the first mark is named firstName.
    static MemoryFiles split(const uint8_t* data, std::size_t size, const std::string& firstName);
    void add(const std::string& path, std::string bytes) { files_[path] = std::move(bytes); }

    std::unique_ptr<std::istream> open(const std::string& path) const override;
    // The bytes of the file, or null.
    const std::string* find(const std::string& path) const;

private:
    std::map<std::string, std::string> files_;
};

}  // namespace zelmor::fuzz
