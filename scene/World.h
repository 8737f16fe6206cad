#pragma once

#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "geometry/Camera.h"
#include "scene/ModelCache.h"
#include "scene/ReadContext.h"
#include "scene/SceneObject.h"
#include "scene/StaticObject.h"
#include "scene/TerrainGrid.h"
#include "sim/Unit.h"
#include "view/Light.h"

namespace zelmor {

class WorldTick;

// The whole scene. Its object lists are filled only while the SceneFile is read, so the
// pointers that the selection, the visible lists and Follow orders keep stay valid. The World
// owns its objects, camera, light and terrain by value, as the program's layout has it: the
// units and the light are the scene's, the simulation and the view only work on them.
class World {
public:
    // The program's World, created on first use (with the program's ModelCache), never destroyed.
    static World& instance();
    explicit World(ModelCache& models);
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    std::vector<SceneObject> extras;  // offered to the visibility pass; no record fills it
    std::vector<StaticObject> staticObjects;
    std::vector<Unit> units;
    Camera camera;
    Light light;
    TerrainGrid terrain;
    ModelCache* models;  // non-owning

    // terrain = TerrainGrid::build(10, 10, 5.0).
    void initTerrain();
    // Reads the SceneFile at path and adds what it describes.
    void loadScene(const std::string& path, const ReadContext& context = {});
    void loadScene(std::istream& in, const std::string& fileName, const ReadContext& context);
    // One fixed step for every unit, in list order.
    void update(int ms);
    // The step's own state (its contact search and index), made on first use. It and update
    // are defined with the tick in sim/, so the scene needs only the declaration.
    WorldTick& tick();
    // The camera's frustum test on the object's position alone.
    bool isVisible(const SceneObject& object) const;

private:
    std::shared_ptr<WorldTick> tick_;  // shared_ptr: destroyable where WorldTick is incomplete
};

}  // namespace zelmor
