#include "scene/SceneFile.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "scene/MemoryFileSource.h"
#include "scene/World.h"
#include "tests/support/RecordedReports.h"

namespace zelmor {
namespace {

class SceneFileTest : public testing::Test {
protected:
    SceneFileTest() {
        disk.add("tri.mdl", "v 3 0 0 0 1 0 0 0 1 0 i 3 0 1 2 p 4 x");
        disk.add("models.lst", "barn tri.mdl arn tri.mdl hull tri.mdl");
        disk.add("tank.unit", "m hull a hull p 0 1 0 a turret x");
    }
    void load(const std::string& text, ReadReport* report = nullptr) {
        std::istringstream in(text);
        world.loadScene(in, "scene.wdf", ReadContext{&disk, report});
    }

    MemoryFileSource disk;
    ModelCache models;
    World world{models};
};

TEST_F(SceneFileTest, EmptyInputLeavesAnEmptyWorldWithDefaultCameraAndLight) {
    load("");
    load(" \n\t \r\n");
    EXPECT_TRUE(world.staticObjects.empty());
    EXPECT_TRUE(world.units.empty());
    EXPECT_TRUE(world.extras.empty());
    EXPECT_EQ(world.camera.fieldOfView(), 60.0f);
    EXPECT_EQ(world.camera.farPlane(), 100.0f);
    EXPECT_EQ(world.light.flags, 0);
}

TEST_F(SceneFileTest, PositionAndOrientationStayInForceUntilTheNextRecordSetsThem) {
    load("m models.lst p 1 2 3 o 0 90 0 b barn b barn p 7 7 7 b barn P 4 5 6 b barn");
    ASSERT_EQ(world.staticObjects.size(), 4u);
    EXPECT_EQ(world.staticObjects[0].position, Vector3(1, 2, 3));
    EXPECT_EQ(world.staticObjects[1].position, Vector3(1, 2, 3));
    EXPECT_EQ(world.staticObjects[1].angles, Vector3(0, 90, 0));
    EXPECT_EQ(world.staticObjects[2].position, Vector3(7, 7, 7));
    EXPECT_EQ(world.staticObjects[3].position, Vector3(7, 7, 7)) << "P and its digits are skipped";
    EXPECT_EQ(world.staticObjects[0].mesh, models.get("barn"));
    EXPECT_NE(world.staticObjects[0].mesh, nullptr);
    EXPECT_EQ(world.staticObjects[0].radius(), 1.0f);
}

TEST_F(SceneFileTest, StrayCharactersAreSkippedAloneAndModelsMustBeListedFirst) {
    load("b barn m models.lst qbarn b barn p1 2 3 bhull");
    ASSERT_EQ(world.staticObjects.size(), 4u);
    EXPECT_EQ(world.staticObjects[0].mesh, nullptr) << "listed only later";
    EXPECT_EQ(world.staticObjects[1].mesh, models.get("arn")) << "q skipped, b starts a record";
    EXPECT_EQ(world.staticObjects[2].mesh, models.get("barn"));
    EXPECT_EQ(world.staticObjects[3].position, Vector3(1, 2, 3));
    EXPECT_EQ(world.staticObjects[3].mesh, models.get("hull"));
}

TEST_F(SceneFileTest, CameraAndLightTakeTheCurrentValuesAndLaterRecordsReplaceThem) {
    load("c 30 2 50 l");
    EXPECT_EQ(world.camera.position(), Vector3(0, 0, 0));
    EXPECT_EQ(world.camera.fieldOfView(), 30.0f);
    EXPECT_EQ(world.light.flags, Light::HAS_POSITION);
    load("p 0 20 -30 o 0 -20 30 c 45 1 500 p 1 1 1 l");
    EXPECT_EQ(world.camera.position(), Vector3(0, 20, -30));
    EXPECT_EQ(world.camera.lookOffset(), Vector3(0, -20, 30));
    EXPECT_EQ(world.camera.fieldOfView(), 45.0f);
    EXPECT_EQ(world.camera.nearPlane(), 1.0f);
    EXPECT_EQ(world.camera.farPlane(), 500.0f);
    EXPECT_EQ(world.light.position, Vector3(1, 1, 1));
}

TEST_F(SceneFileTest, EachUnitRecordReadsItsOwnUnit) {
    load("m models.lst p 1 0 1 o 0 45 0 u tank.unit p 2 0 2 u tank.unit u missing.unit");
    ASSERT_EQ(world.units.size(), 3u);
    EXPECT_EQ(world.units[0].position, Vector3(1, 0, 1));
    EXPECT_EQ(world.units[0].angles, Vector3(0, 45, 0));
    EXPECT_EQ(world.units[1].position, Vector3(2, 0, 2));
    ASSERT_EQ(world.units[0].parts().size(), 2u);
    EXPECT_EQ(world.units[1].parts().size(), 2u);
    EXPECT_NE(&world.units[0].parts().at("turret"), &world.units[1].parts().at("turret"));
    EXPECT_EQ(world.units[0].parts().at("turret").position, Vector3(0, 1, 0));
    EXPECT_EQ(world.units[0].parts().at("turret").mesh, models.get("hull"));
    EXPECT_TRUE(world.units[2].parts().empty()) << "a unit file that cannot be opened";
    EXPECT_EQ(world.units[2].boundingRadius, Unit::UNIT_RADIUS);
}

// A record whose operands cannot all be read ends the reading and leaves no trace.
TEST_F(SceneFileTest, RecordsAfterXOrAfterAnUnreadableRecordAreNotCarriedOut) {
    load("b one x b two");
    load("b three o 1 - 3 b four");
    load("c 45 1");
    load("b");
    load("p 1e40 0 0 b five");
    ASSERT_EQ(world.staticObjects.size(), 2u);
    EXPECT_EQ(world.staticObjects[1].angles, Vector3(0, 0, 0));
    EXPECT_EQ(world.camera.fieldOfView(), 60.0f);
    load("u");
    EXPECT_TRUE(world.units.empty());
}

TEST_F(SceneFileTest, AScenePathThatCannotBeOpenedAddsNothing) {
    disk.add("scene.wdf", "m models.lst b barn u tank.unit");
    test::RecordedReports heard;
    world.loadScene("nowhere.wdf", ReadContext{&disk, &heard});
    EXPECT_TRUE(world.staticObjects.empty());
    EXPECT_EQ(heard.lines,
              std::vector<std::string>{
                  "nowhere.wdf@-1 scene file cannot be opened; the scene stays empty"});
    world.loadScene("scene.wdf", ReadContext{&disk, nullptr});
    EXPECT_EQ(world.staticObjects.size(), 1u);
    EXPECT_EQ(world.units.size(), 1u);
}

TEST_F(SceneFileTest, ReportsGiveTheOffsetOfEachProblem) {
    test::RecordedReports heard;
    load("Z b ghost u lost.unit p 1 2 x", &heard);
    load("c 1 2", &heard);
    load("l x\nb late", &heard);
    EXPECT_EQ(heard.lines, (std::vector<std::string>{
                               "scene.wdf@0 skipped 'Z' where a record letter was expected",
                               "scene.wdf@4 model 'ghost' is in no model list loaded before it",
                               "lost.unit@-1 unit file cannot be opened; the unit has no parts",
                               "scene.wdf@28 number could not be read; reading ends here",
                               "scene.wdf@0 record 'c' cut short by the end of the file",
                               "scene.wdf@4 note text after the end record 'x' is not read",
                           }));
}

}  // namespace
}  // namespace zelmor
