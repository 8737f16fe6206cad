#include "scene/ModelCache.h"

#include <istream>
#include <utility>

#include "scene/ModelFile.h"
#include "scene/RecordReader.h"

namespace zelmor {

ModelCache& ModelCache::instance() {
    // Never destroyed: objects keep pointers to its meshes until the process ends. The static
    // pointer keeps it reachable, so leak checkers do not count it as lost.
    static ModelCache* cache = new ModelCache;
    return *cache;
}

void ModelCache::preload(const std::string& listPath, const ReadContext& context) {
    const auto list = context.files->open(listPath);
    if (!list) {
        ReadReport::cannotOpen(context.report, listPath, "model list", "it loads no models");
        return;
    }
    // Pairs of words, a name and the path of its model file, to the end of the list.
    RecordReader reader(*list, listPath, context.report);
    std::string name;
    std::string path;
    for (;;) {
        const std::streamoff nameAt = reader.nextTokenOffset();
        if (!reader.nextWord(name)) {
            return;
        }
        const std::streamoff pathAt = reader.nextTokenOffset();
        if (!reader.nextWord(path)) {
            if (list->eof()) {
                reader.problem(nameAt, "model name without a path");
            }
            return;
        }
        reader.named(ReadReport::Role::ModelFile, path, pathAt);
        Mesh mesh;
        if (const auto file = context.files->open(path)) {
            mesh = readModelFile(*file, path, context.report);
        } else {
            ReadReport::cannotOpen(context.report, path, "model file", "the model draws nothing");
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
