#pragma once

#include <map>
#include <string>

#include "scene/Mesh.h"
#include "scene/ReadContext.h"

namespace zelmor {

// The one name-to-mesh map. It owns every Mesh; an entry keeps its address for the life of the
// cache, so the pointers handed out stay valid, and a name loaded again is replaced in place.
class ModelCache {
public:
    // The program's cache, created on first use and never destroyed.
    static ModelCache& instance();

    // Loads every model that the ModelList at listPath names.
    void preload(const std::string& listPath, const ReadContext& context = {});
    // The mesh stored under name (case-sensitive, exact), or null. Never loads, never inserts.
    const Mesh* get(const std::string& name) const;
    std::size_t size() const { return meshes_.size(); }

private:
    std::map<std::string, Mesh> meshes_;
};

}  // namespace zelmor
