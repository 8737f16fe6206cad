#include "scene/SceneCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "scene/MemoryFileSource.h"
#include "tests/support/TestFiles.h"

namespace zelmor {
namespace {

using Lines = std::vector<std::string>;

constexpr char SCENE[] = "wdf/test.wdf";
constexpr char TRIANGLE[] = "v 3 0 0 0 1 0 0 0 1 0\ni 3 0 1 2\np 4\nx\n";

class ZelmorCheckTest : public testing::Test {
protected:
    ZelmorCheckTest() {
        disk.add("models.lst", "hull tri.mdl\nturret tri.mdl\n");
        disk.add("tri.mdl", TRIANGLE);
        disk.add("tank.unit", "m hull a hull\nm turret p 0 1 0 a turret\nx\n");
    }
    // Runs the check on scene text; true when it found no problem.
    bool check(const std::string& scene) {
        disk.add(SCENE, scene);
        return checker.run(SCENE);
    }

    MemoryFileSource disk;
    SceneCheck checker{disk};
};

TEST_F(ZelmorCheckTest, ACleanSceneGivesOnlyTheSummary) {
    EXPECT_TRUE(check("m models.lst\np 1 0 1\nb hull\nu tank.unit\nu tank.unit\nl\nx\n"));
    EXPECT_EQ(checker.messages(), Lines{});
    EXPECT_EQ(checker.summary(),
              "wdf/test.wdf: 2 units, 1 static object, 2 models; 0 problems, 0 notes");
}

// Notes do not make a scene fail; text after "x" is only a note.
TEST_F(ZelmorCheckTest, TextAfterTheEndIsANoteAndStillClean) {
    EXPECT_TRUE(check("m models.lst\nb hull x\n\n  old b turret\n"));
    EXPECT_EQ(checker.messages(),
              Lines{"wdf/test.wdf:4:3: note: text after the end record 'x' is not read"});
    EXPECT_EQ(checker.notes(), 1);
    EXPECT_EQ(checker.summary(),
              "wdf/test.wdf: 0 units, 1 static object, 2 models; 0 problems, 1 note");
}

// Files that are missing or empty are shown where the scene names them.
TEST_F(ZelmorCheckTest, SceneProblemsAtTheirLineAndColumn) {
    disk.add("empty.unit", "p 0 1 0\nx\n");
    disk.add("bare.unit", "m nothing a body\nx\n");
    EXPECT_FALSE(
        check("m models.lst\n"
              "m none.lst\n"
              "Q b ghost\n"
              "u none.unit\n"
              "\tu empty.unit\n"
              "u bare.unit u bare.unit\n"
              "x\n"));
    EXPECT_EQ(checker.messages(),
              (Lines{
                  "wdf/test.wdf:2:3: none.lst: cannot open the model list",
                  "wdf/test.wdf:3:1: skipped 'Q' where a record letter was expected",
                  "wdf/test.wdf:3:5: model 'ghost' is in no model list loaded before it",
                  "wdf/test.wdf:4:3: none.unit: unit file cannot be opened; the unit has no parts",
                  "wdf/test.wdf:5:4: empty.unit: unit file stores no parts; the unit shows nothing",
                  "bare.unit:1:3: model 'nothing' is in no model list loaded before this unit",
                  "bare.unit:1:13: part 'body' has no model and draws nothing",
              }));
    EXPECT_EQ(checker.summary(),
              "wdf/test.wdf: 4 units, 1 static object, 2 models; 7 problems, 0 notes");
}

// Each run starts afresh, so every scene below is judged on its own.
TEST_F(ZelmorCheckTest, NumbersThatCannotBeReadAndRecordsCutShort) {
    const auto messagesOf = [this](const std::string& scene) {
        EXPECT_FALSE(check(scene)) << scene;
        return checker.messages();
    };
    EXPECT_EQ(messagesOf("p 1 2 3\no 0 1e999 0\nb hull\n"),
              Lines{"wdf/test.wdf:2:5: number could not be read; reading ends here"});
    EXPECT_EQ(messagesOf("p 1 2 3\r\nc 60 -\n"),
              Lines{"wdf/test.wdf:2:6: number could not be read; reading ends here"});
    EXPECT_EQ(messagesOf("p nan 0 0 b hull"),
              Lines{"wdf/test.wdf:1:3: number could not be read; reading ends here"});
    EXPECT_EQ(messagesOf("m models.lst\nc 60 0.1"),
              Lines{"wdf/test.wdf:2:1: record 'c' cut short by the end of the file"});
    EXPECT_EQ(messagesOf("m models.lst\nb"),
              Lines{"wdf/test.wdf:2:1: record 'b' cut short by the end of the file"});
    disk.add("nan.unit", "m hull\np 0 nan 0\na body\n");
    EXPECT_EQ(messagesOf("m models.lst u nan.unit"),
              (Lines{
                  "nan.unit:2:5: number could not be read; reading ends here",
                  "wdf/test.wdf:1:16: nan.unit: unit file stores no parts; the unit shows nothing",
              }));
}

TEST_F(ZelmorCheckTest, ModelListAndModelFileProblems) {
    disk.add("models.lst",
             "hull tri.mdl\n"
             "far far.mdl\n"
             "odd odd.mdl\n"
             "gone gone.mdl\n"
             "bad bad.mdl\n"
             "lone\n");
    disk.add("far.mdl", "v 3 0 0 0 1 0 0 0 1 0\ni 3 0 1 3\np 4\nx\n");
    disk.add("odd.mdl", "v 1 0 0 0\no 1 2 3 4\nv 2 0 0 0 1 1 1\ni 2 0 1\nx\n");
    disk.add("bad.mdl", "v 1 0 0 0 q\ni 2 0 -\n");
    EXPECT_FALSE(check("m models.lst\nx\n"));
    EXPECT_EQ(checker.messages(), (Lines{
                                      "far.mdl:2:1: index 3 at or above the vertex count 3",
                                      "odd.mdl:3:1: vertex colours do not match the vertices",
                                      "models.lst:4:6: cannot open model file gone.mdl",
                                      "bad.mdl:1:11: skipped 'q': not a record letter",
                                      "bad.mdl:2:7: unreadable number in 'i' record",
                                      "models.lst:6:1: model name without a path",
                                  }));
    EXPECT_EQ(checker.summary(),
              "wdf/test.wdf: 0 units, 0 static objects, 5 models; 6 problems, 0 notes");
}

TEST_F(ZelmorCheckTest, ASceneThatCannotBeOpened) {
    SceneCheck missing(disk);
    EXPECT_FALSE(missing.run("wdf/none.wdf"));
    EXPECT_EQ(missing.messages(),
              Lines{"wdf/none.wdf:1:1: scene file cannot be opened; the scene stays empty"});
    EXPECT_EQ(missing.summary(),
              "wdf/none.wdf: 0 units, 0 static objects, 0 models; 1 problem, 0 notes");
}

// The scene shipped in data/ must check clean, read from disk as the program reads it.
TEST(ZelmorCheck, TheBundledSceneChecksClean) {
    const test::ScopedWorkingDirectory inData(std::filesystem::path(ZELMOR_SOURCE_DIR) / "data");
    SceneCheck checker;
    EXPECT_TRUE(checker.run(SCENE));
    EXPECT_EQ(checker.messages(), Lines{});
    EXPECT_EQ(checker.problems(), 0);
}

}  // namespace
}  // namespace zelmor
