#include "scene/ModelCache.h"

#include <istream>
#include <utility>

#include "scene/BoundedRead.h"
#include "scene/ModelFile.h"

namespace zelmor {

ModelCache& ModelCache::instance() {
    // Never destroyed: objects keep pointers to its meshes until the process ends. The static
    // pointer keeps it reachable, so leak checkers do not count it as lost.
    static ModelCache* cache = new ModelCache;
    return *cache;
}

namespace {

void tell(ReadReport* report, const std::string& file, std::streamoff at,
          const std::string& message) {
    if (report) {
        report->report(file, at, ReadReport::Kind::Problem, message);
    }
}

// The next white-space separated word and the offset it starts at; empty at the end of the file
// and for a word too long to be a name, which ends the list.
std::string nextWord(std::istream& in, ReadReport* report, const std::string& file,
                     std::streamoff& at) {
    std::string word;
    in >> std::ws;
    if (!in.good()) {
        return word;
    }
    at = report ? static_cast<std::streamoff>(in.tellg()) : -1;
    if (BoundedRead::word(in, word) == BoundedRead::Result::TooLong) {
        tell(report, file, at,
             "word longer than " + std::to_string(BoundedRead::WORD_LIMIT) +
                 " bytes; reading ends here");
    }
    return word;
}

}  // namespace

void ModelCache::preload(const std::string& listPath, const ReadContext& context) {
    const auto list = context.files->open(listPath);
    if (!list) {
        tell(context.report, listPath, -1, "cannot open the model list");
        return;
    }
    for (;;) {
        std::streamoff nameAt = -1;
        std::streamoff pathAt = -1;
        const std::string name = nextWord(*list, context.report, listPath, nameAt);
        const std::string path = nextWord(*list, context.report, listPath, pathAt);
        if (name.empty()) {
            return;
        }
        if (path.empty() && list->eof()) {
            tell(context.report, listPath, nameAt, "model name without a path");
            return;
        }
        if (path.empty()) {
            return;
        }
        if (context.report) {
            context.report->named(ReadReport::Role::ModelFile, path, listPath, pathAt);
        }
        Mesh mesh;
        if (const auto file = context.files->open(path)) {
            mesh = readModelFile(*file, path, context.report);
        } else {
            tell(context.report, listPath, pathAt, "cannot open model file " + path);
        }
        // Assigned into the entry, never re-inserted: a name loaded again keeps its address,
        // so the objects that took the old mesh now draw the new one.
        meshes_[name] = std::move(mesh);
    }
}

const Mesh* ModelCache::get(const std::string& name) const {
    const auto found = meshes_.find(name);
    return found == meshes_.end() ? nullptr : &found->second;
}

}  // namespace zelmor
