#pragma once

#include <istream>
#include <string>
#include <vector>

#include "geometry/Camera.h"
#include "scene/ModelCache.h"
#include "scene/ReadContext.h"
#include "scene/SceneObject.h"
#include "scene/StaticObject.h"
#include "scene/TerrainGrid.h"
#include "sim/ContactGrid.h"
#include "sim/Unit.h"
#include "view/Light.h"

namespace zelmor {

// How the tick finds the units and static objects that a moving unit touches. Both find exactly
// the same contacts; AllPairs is the plain reference search, Grid the default.
enum class ContactSearch { AllPairs, Grid };

// The whole scene. Its object lists are filled only while the SceneFile is read, so the
// pointers that the selection, the visible lists and Follow orders keep stay valid.
class World {
public:
    // The program's World, created on first use (with the program's ModelCache), never destroyed.
    static World& instance();
    explicit World(ModelCache& models);

    std::vector<SceneObject> extras;  // offered to the visibility pass; no record fills it
    std::vector<StaticObject> staticObjects;
    std::vector<Unit> units;
    Camera camera;
    Light light;
    TerrainGrid terrain;
    ModelCache* models;  // non-owning
    ContactSearch contactSearch = ContactSearch::Grid;
    ContactGrid contactGrid;  // the tick's index of the units, rebuilt at each step

    // terrain = TerrainGrid::build(10, 10, 5.0).
    void initTerrain();
    // Reads the SceneFile at path and adds what it describes.
    void loadScene(const std::string& path, const ReadContext& context = {});
    void loadScene(std::istream& in, const std::string& fileName, const ReadContext& context);
    // One fixed step for every unit, in list order.
    void update(int ms);
    // The camera's frustum test on the object's position alone.
    bool isVisible(const SceneObject& object) const;
};

}  // namespace zelmor
