// Every reader meets the same malformed and overflowing numbers the same way: reading ends at
// the number, the record that holds it does not take effect, the records before it do, and no
// value that was never read is used.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "scene/ModelCache.h"
#include "scene/ModelFile.h"
#include "scene/World.h"
#include "sim/Unit.h"
#include "sim/UnitFile.h"
#include "tests/support/TestFiles.h"

namespace zelmor {
namespace {

// Out of the float range, not numbers at all, or only the start of one.
const char* const UNREADABLE[] = {"1e999", "-1e999", "3.5e38", "nan", "inf", "-inf",
                                  "-",     "+",      ".",      "1e",  "e5"};

TEST(ReaderHazard, SceneFileEndsAtAnUnreadableNumber) {
    for (const char* bad : UNREADABLE) {
        SCOPED_TRACE(bad);
        ModelCache models;
        World world(models);
        std::istringstream in(std::string("p 1 2 3 b one p 4 ") + bad + " 6 b two c 45 1 500");
        world.loadScene(in, "scene.wdf", ReadContext{});
        ASSERT_EQ(world.staticObjects.size(), 1u);
        EXPECT_EQ(world.staticObjects[0].position, Vector3(1, 2, 3));
        EXPECT_EQ(world.camera.fieldOfView(), 60.0f) << "nothing after it is read";
    }
}

TEST(ReaderHazard, UnitFileEndsAtAnUnreadableNumber) {
    const ModelCache models;
    for (const char* bad : UNREADABLE) {
        SCOPED_TRACE(bad);
        Unit unit;
        std::istringstream in(std::string("p 1 2 3 a one o 0 ") + bad + " 0 a two");
        UnitFile::read(in, "t.unit", models, nullptr, unit);
        ASSERT_EQ(unit.parts().size(), 1u);
        EXPECT_EQ(unit.parts().at("one").position, Vector3(1, 2, 3));
        EXPECT_EQ(unit.parts().at("one").angles, Vector3(0, 0, 0));
    }
}

TEST(ReaderHazard, ModelFileEndsAtAnUnreadableNumber) {
    for (const char* bad : UNREADABLE) {
        SCOPED_TRACE(bad);
        std::istringstream in(std::string("c 1 0 0 1 v 1 0 ") + bad + " 0 p 4");
        const Mesh mesh = readModelFile(in);
        EXPECT_EQ(mesh.colour().r, 1.0f);
        EXPECT_EQ(mesh.vertexCount(), 0u);
        EXPECT_EQ(mesh.primitiveMode(), 0);
    }
}

// Below the smallest float a number rounds to zero: it was read, only too small to keep.
TEST(ReaderHazard, NumbersTooSmallForAFloatReadAsZero) {
    ModelCache models;
    World world(models);
    std::istringstream scene("p 1e-50 -1e-50 2 b one");
    world.loadScene(scene, "scene.wdf", ReadContext{});
    ASSERT_EQ(world.staticObjects.size(), 1u);
    EXPECT_EQ(world.staticObjects[0].position, Vector3(0, 0, 2));

    std::istringstream model("v 1 1e-50 0 0 x");
    EXPECT_EQ(readModelFile(model).vertices(), (std::vector<float>{0, 0, 0}));
}

// A name read from a file may hold a NUL byte; the system would open the shorter name before it.
TEST(ReaderHazard, ANameHoldingANulByteOpensNothing) {
    test::TempDir dir;
    dir.write("lists", "tri tri.mdl");
    dir.write("tri.mdl", "v 3 0 0 0 1 0 0 0 1 0 i 3 0 1 2 p 4 x");
    const test::ScopedWorkingDirectory inDir(dir.path());
    ASSERT_NE(FileSource::disk().open("lists"), nullptr);
    EXPECT_EQ(FileSource::disk().open(std::string("lists\0x", 7)), nullptr);

    ModelCache models;
    World world(models);
    std::istringstream scene(std::string("m lists\0x b tri m lists b tri", 29));
    world.loadScene(scene, "scene.wdf", ReadContext{});
    ASSERT_EQ(world.staticObjects.size(), 2u);
    EXPECT_EQ(world.staticObjects[0].mesh, nullptr);
    EXPECT_NE(world.staticObjects[1].mesh, nullptr);
}

}  // namespace
}  // namespace zelmor
