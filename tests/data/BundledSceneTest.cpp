// The scene, units and models shipped in data/ are what the program shows on start; these tests
// load them exactly as the program does (working directory data/) and check what they were
// designed to hold. scripts/make_models.py generates every file checked here.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "scene/ModelCache.h"
#include "scene/World.h"
#include "sim/Unit.h"
#include "tests/support/TestFiles.h"

namespace zelmor {
namespace {

constexpr std::size_t STATIC_COUNT = 208;
constexpr std::size_t UNIT_COUNT = 16;
constexpr std::size_t MODEL_COUNT = 25;
constexpr int TRIANGLES = 4;

// The ground the terrain grid covers, on x and on z.
constexpr float TERRAIN_MIN = -25.0f;
constexpr float TERRAIN_MAX = 20.0f;

std::filesystem::path dataDir() {
    return std::filesystem::path(ZELMOR_SOURCE_DIR) / "data";
}

class BundledScene : public ::testing::Test {
protected:
    // That the files read without a problem is held by ZelmorCheck.TheBundledSceneChecksClean.
    void SetUp() override { world.loadScene("wdf/test.wdf", ReadContext{}); }

    test::ScopedWorkingDirectory workingDirectory{dataDir()};
    ModelCache cache;
    World world{cache};
};

// A mesh the program can draw as designed: triangles, every index on a vertex, and either one
// colour per vertex or a translucent single colour (which is drawn additively).
void expectDrawable(const Mesh* mesh, const std::string& what) {
    ASSERT_NE(mesh, nullptr) << what;
    EXPECT_GT(mesh->vertexCount(), 0u) << what;
    EXPECT_GT(mesh->indexCount(), 0u) << what;
    EXPECT_EQ(mesh->indexCount() % 3, 0u) << what;
    EXPECT_EQ(mesh->primitiveMode(), TRIANGLES) << what;
    for (uint32_t index : mesh->indices()) {
        ASSERT_LT(index, mesh->vertexCount()) << what;
    }
    if (mesh->hasVertexColours()) {
        EXPECT_EQ(mesh->vertexColours().size(), 4u * mesh->vertexCount()) << what;
        // A repeated draw of the same mesh comes out in the model colour: keep it opaque.
        EXPECT_EQ(mesh->colour().a, 1.0f) << what;
    } else {
        EXPECT_LT(mesh->colour().a, 1.0f) << what;
    }
}

TEST_F(BundledScene, HoldsTheDesignedObjectsAndModels) {
    EXPECT_EQ(world.staticObjects.size(), STATIC_COUNT);
    EXPECT_EQ(world.units.size(), UNIT_COUNT);
    EXPECT_EQ(cache.size(), MODEL_COUNT);
    expectDrawable(cache.get("SELECTOR"), "SELECTOR");
    const Mesh* pond = cache.get("pond");
    ASSERT_NE(pond, nullptr);
    EXPECT_FALSE(pond->hasVertexColours());
}

TEST_F(BundledScene, EveryModelFileIsListedAndDrawable) {
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dataDir() / "models")) {
        ++files;
        const std::string name = entry.path().stem().string();
        expectDrawable(cache.get(name), name);
    }
    EXPECT_EQ(files, MODEL_COUNT);
}

TEST_F(BundledScene, EveryObjectAndPartHasADrawableMesh) {
    for (std::size_t i = 0; i < world.staticObjects.size(); ++i) {
        expectDrawable(world.staticObjects[i].mesh, "static object " + std::to_string(i));
    }
    for (std::size_t i = 0; i < world.units.size(); ++i) {
        for (const auto& [name, part] : world.units[i].parts()) {
            expectDrawable(part.mesh, "unit " + std::to_string(i) + " part " + name);
        }
    }
}

// The program skips the colour set-up of a mesh drawn right after itself, which would draw the
// second of two neighbours in one flat colour. The scenery therefore comes in pairs at one spot,
// ground cover then object, which the culling keeps or drops together, and no model is used both
// as ground cover and as object: no culling can bring two draws of one mesh together.
TEST_F(BundledScene, NoCullingDrawsOneSceneryMeshTwiceInARow) {
    ASSERT_EQ(world.staticObjects.size() % 2, 0u);
    std::set<const Mesh*> covers;
    std::set<const Mesh*> objects;
    for (std::size_t i = 0; i < world.staticObjects.size(); i += 2) {
        const StaticObject& cover = world.staticObjects[i];
        const StaticObject& object = world.staticObjects[i + 1];
        EXPECT_EQ(cover.position, object.position) << i;
        EXPECT_NE(cover.mesh, object.mesh) << i;
        covers.insert(cover.mesh);
        objects.insert(object.mesh);
    }
    for (const Mesh* mesh : covers) {
        EXPECT_EQ(objects.count(mesh), 0u);
    }
}

TEST_F(BundledScene, UnitsAreTanksScoutsAndLaunchers) {
    const std::set<std::string> tank{"barrel", "hull", "shadow", "turret"};
    const std::set<std::string> scout{"antenna", "body", "cabin", "shadow", "wheels"};
    const std::set<std::string> launcher{"chassis", "rack", "shadow"};
    int tanks = 0;
    int scouts = 0;
    int launchers = 0;
    for (const Unit& unit : world.units) {
        std::set<std::string> names;
        for (const auto& entry : unit.parts()) {
            names.insert(entry.first);
        }
        tanks += names == tank;
        scouts += names == scout;
        launchers += names == launcher;
    }
    EXPECT_EQ(tanks, 8);
    EXPECT_EQ(scouts, 5);
    EXPECT_EQ(launchers, 3);
    // Each part names its own offset: the tank's barrel sits above its hull, in front of the
    // turret, and the launcher's rack is raised at its front.
    const auto& parts = world.units.front().parts();
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts.at("hull").position, Vector3(0.0f, 0.0f, 0.0f));
    EXPECT_GT(parts.at("barrel").position.z, parts.at("turret").position.z);
    EXPECT_EQ(parts.at("barrel").angles, Vector3(0.0f, 0.0f, 0.0f));
    const auto& rack = world.units.back().parts().at("rack");
    EXPECT_LT(rack.angles.x, 0.0f);
}

TEST_F(BundledScene, UnitsStartOnTheTerrainAndClearOfEachOtherAndOfScenery) {
    // A unit that starts touching another object halts at once and never drives.
    for (std::size_t i = 0; i < world.units.size(); ++i) {
        const Unit& unit = world.units[i];
        EXPECT_GT(unit.position.x, TERRAIN_MIN) << i;
        EXPECT_LT(unit.position.x, TERRAIN_MAX) << i;
        EXPECT_GT(unit.position.z, TERRAIN_MIN) << i;
        EXPECT_LT(unit.position.z, TERRAIN_MAX) << i;
        EXPECT_EQ(unit.position.y, 0.0f) << i;
        for (std::size_t k = i + 1; k < world.units.size(); ++k) {
            EXPECT_FALSE(unit.overlaps(world.units[k])) << i << " and " << k;
        }
        for (const StaticObject& object : world.staticObjects) {
            EXPECT_FALSE(unit.collidesWith(object)) << i;
        }
    }
}

TEST_F(BundledScene, SceneryReachesBeyondTheTerrain) {
    int inside = 0;
    int outside = 0;
    for (const StaticObject& object : world.staticObjects) {
        const Vector3& p = object.position;
        const bool onTerrain =
            p.x >= TERRAIN_MIN && p.x <= TERRAIN_MAX && p.z >= TERRAIN_MIN && p.z <= TERRAIN_MAX;
        if (onTerrain) {
            ++inside;
        } else {
            ++outside;
        }
    }
    EXPECT_GE(inside, 20);
    EXPECT_GE(outside, 20);
}

TEST_F(BundledScene, CameraLooksDiagonallyDownOnTheTerrain) {
    const Camera& camera = world.camera;
    EXPECT_EQ(camera.position(), Vector3(-12.5f, 11.0f, -12.5f));
    EXPECT_EQ(camera.lookOffset(), Vector3(8.0f, -11.0f, 8.0f));
    EXPECT_EQ(camera.fieldOfView(), 60.0f);
    EXPECT_EQ(camera.nearPlane(), 0.5f);
    EXPECT_EQ(camera.farPlane(), 100.0f);
    // Along +x +z, the way the scroll keys move the eye, so scrolling follows the screen.
    EXPECT_EQ(camera.lookOffset().x, camera.lookOffset().z);
    // The point in the middle of the view lies on the terrain.
    const Vector3 eye = camera.position();
    const Vector3 look = camera.lookOffset();
    const double t = -static_cast<double>(eye.y) / look.y;
    const double x = eye.x + t * look.x;
    const double z = eye.z + t * look.z;
    EXPECT_GT(x, TERRAIN_MIN);
    EXPECT_LT(x, TERRAIN_MAX);
    EXPECT_GT(z, TERRAIN_MIN);
    EXPECT_LT(z, TERRAIN_MAX);
    EXPECT_EQ(world.light.flags, Light::HAS_POSITION);
    EXPECT_EQ(world.light.position, Vector3(-10.0f, 40.0f, -20.0f));
}

}  // namespace
}  // namespace zelmor
