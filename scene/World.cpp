#include "scene/World.h"

#include "scene/SceneFile.h"

namespace zelmor {

namespace {

constexpr unsigned TERRAIN_WIDTH = 10;
constexpr unsigned TERRAIN_DEPTH = 10;
constexpr float TERRAIN_SPACING = 5.0f;

}  // namespace

World& World::instance() {
    // Never destroyed: units, Follow targets and the view point into it until the process ends.
    static World* const world = new World(ModelCache::instance());
    return *world;
}

World::World(ModelCache& models) : models(&models) {}

void World::initTerrain() {
    terrain = TerrainGrid::build(TERRAIN_WIDTH, TERRAIN_DEPTH, TERRAIN_SPACING);
}

void World::loadScene(const std::string& path, const ReadContext& context) {
    auto in = context.files->open(path);
    // A scene that cannot be opened leaves the world empty; the program still runs.
    if (!in) {
        ReadReport::cannotOpen(context.report, path, "scene file", "the scene stays empty");
        return;
    }
    loadScene(*in, path, context);
}

void World::loadScene(std::istream& in, const std::string& fileName, const ReadContext& context) {
    SceneFile::read(in, fileName, *this, context);
}

bool World::isVisible(const SceneObject& object) const {
    return camera.isInFrustum(object.position);
}

}  // namespace zelmor
