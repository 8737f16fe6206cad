#include "scene/SceneCheck.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scene/FolderFileSource.h"
#include "scene/MemoryFileSource.h"
#include "scene/ModelCache.h"
#include "scene/World.h"
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
        printed.clear();
        return checker.run(SCENE);
    }
    const Lines& messages() const { return printed; }

    MemoryFileSource disk;
    Lines printed;
    SceneCheck checker{disk, [this](const std::string& line) { printed.push_back(line); }};
};

TEST_F(ZelmorCheckTest, ACleanSceneGivesOnlyTheSummary) {
    EXPECT_TRUE(check("m models.lst\np 1 0 1\nb hull\nu tank.unit\nu tank.unit\nl\nx\n"));
    EXPECT_EQ(messages(), Lines{});
    EXPECT_EQ(checker.summary(),
              "wdf/test.wdf: 2 units, 1 static object, 2 models; 0 problems, 0 notes");
}

// Notes do not make a scene fail; text after "x" is only a note.
TEST_F(ZelmorCheckTest, TextAfterTheEndIsANoteAndStillClean) {
    EXPECT_TRUE(check("m models.lst\nb hull x\n\n  old b turret\n"));
    EXPECT_EQ(messages(),
              Lines{"wdf/test.wdf:4:3: note: text after the end record 'x' is not read"});
    EXPECT_EQ(checker.notes(), 1);
    EXPECT_EQ(checker.summary(),
              "wdf/test.wdf: 0 units, 1 static object, 2 models; 0 problems, 1 note");
}

// Files that are missing or empty are shown where the scene names them.
TEST_F(ZelmorCheckTest, SceneProblemsAtTheirLineAndColumn) {
    disk.add("empty.unit", "p 0 1 0\nx\n");
    disk.add("bare.unit", "m nothing a body\nx\n");
    // "n turret" was meant as "m turret": the turret keeps the hull's model.
    disk.add("typo.unit", "m hull a hull\nn turret p 0 1 0 a turret\nx\n");
    EXPECT_FALSE(
        check("m models.lst\n"
              "m none.lst\n"
              "Q b ghost\n"
              "u none.unit\n"
              "\tu empty.unit\n"
              "u bare.unit u bare.unit\n"
              "u typo.unit\n"
              "x\n"));
    EXPECT_EQ(
        messages(),
        (Lines{
            "wdf/test.wdf:2:3: none.lst: model list cannot be opened; it loads no models",
            "wdf/test.wdf:3:1: skipped 'Q' where a record letter was expected",
            "wdf/test.wdf:3:5: model 'ghost' is in no model list loaded before it",
            "wdf/test.wdf:4:3: none.unit: unit file cannot be opened; the unit has no parts",
            "wdf/test.wdf:5:4: empty.unit: unit file stores no parts; the unit shows nothing",
            "bare.unit:1:3: model 'nothing' is in no model list loaded before this unit",
            "bare.unit:1:13: part 'body' has no model and draws nothing",
            "typo.unit:2:1: skipped 'n turret' where a record letter was expected",
            "typo.unit:2:20: note: part 'turret' keeps the model 'hull' of the part before it",
        }));
    EXPECT_EQ(checker.summary(),
              "wdf/test.wdf: 5 units, 1 static object, 2 models; 8 problems, 1 note");
}

// Each run starts afresh, so every scene below is judged on its own.
TEST_F(ZelmorCheckTest, NumbersThatCannotBeReadAndRecordsCutShort) {
    const auto messagesOf = [this](const std::string& scene) {
        EXPECT_FALSE(check(scene)) << scene;
        return messages();
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
    EXPECT_EQ(messagesOf("\n\nm models.lst\nb"),
              Lines{"wdf/test.wdf:4:1: record 'b' cut short by the end of the file"});
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
             "none none.mdl\n"
             "mode mode.mdl\n"
             "blank blank.mdl\n"
             "lone\n");
    disk.add("far.mdl", "v 3 0 0 0 1 0 0 0 1 0\ni 3 0 1 3\np 4\nx\n");
    disk.add("odd.mdl", "v 1 0 0 0\no 1 2 3 4\nv 2 0 0 0 1 1 1\ni 2 0 1\nx\n");
    disk.add("bad.mdl", "v 1 0 0 0 q q7\ni 2 0 -\n");
    disk.add("none.mdl", "v 3 0 0 0 1 0 0 0 1 0\np 4\nx\n");
    disk.add("mode.mdl", "v 3 0 0 0 1 0 0 0 1 0\ni 3 0 1 2\np 12\nx\n");
    disk.add("blank.mdl", " \n");
    EXPECT_FALSE(check("m models.lst\nx\n"));
    EXPECT_EQ(messages(),
              (Lines{
                  "far.mdl:2:1: index 3 at or above the vertex count 3",
                  "odd.mdl:3:1: vertex colours do not match the vertices",
                  "models.lst:4:6: gone.mdl: model file cannot be opened; the model draws nothing",
                  "bad.mdl:1:11: skipped 'q q7' where a record letter was expected",
                  "bad.mdl:2:7: number could not be read; reading ends here",
                  "models.lst:5:5: note: bad.mdl: model has no indices; it draws nothing",
                  "models.lst:6:6: note: none.mdl: model has no indices; it draws nothing",
                  "models.lst:7:6: note: mode.mdl: primitive mode 12 is no OpenGL primitive; the "
                  "model draws nothing",
                  "models.lst:8:7: note: blank.mdl: model file is empty; the model draws nothing",
                  "models.lst:9:1: model name without a path",
              }));
    EXPECT_EQ(checker.summary(),
              "wdf/test.wdf: 0 units, 0 static objects, 8 models; 6 problems, 4 notes");
}

// Each message stands at its own file's line and column, in the order the reading meets them:
// back and forth between files, and back to an earlier place of a file read again in another
// role (the model list named as a unit file).
TEST_F(ZelmorCheckTest, PositionsHoldAcrossFilesAndAtAnEarlierPlaceOfAFile) {
    disk.add("models.lst", "hull tri.mdl\nturret tri.mdl\nlone\n");
    disk.add("typo.unit", "m hull a hull\nn turret p 0 1 0 a turret\nx\n");
    EXPECT_FALSE(check("m models.lst\n u typo.unit\nQ\n  u models.lst\n\tQ\n"));
    Lines places;  // file name (without its folder), line and column of each message
    for (const std::string& line : messages()) {
        const std::size_t name = line.rfind('/', line.find(':')) + 1;
        places.push_back(line.substr(name, line.find(": ") - name));
    }
    EXPECT_EQ(places,
              (Lines{"models.lst:3:1", "typo.unit:2:1", "typo.unit:2:20", "test.wdf:3:1",
                     "models.lst:1:1", "models.lst:1:11", "models.lst:2:1", "models.lst:2:13",
                     "models.lst:3:1", "models.lst:3:3", "test.wdf:4:5", "test.wdf:5:2"}))
        << testing::PrintToString(messages());
}

// Past 50 messages a file only counts the rest, by kind: a tail of notes is told as notes.
TEST_F(ZelmorCheckTest, MessagesPastFiftyAreCountedByKind) {
    std::string parts = "m hull a hull";
    for (int n = 0; n < 25; ++n) {
        parts += " Z a turret";  // a skipped letter, and a part keeping the hull's model
    }
    disk.add("many.unit", parts + "\nx\ntext after the end\n");
    EXPECT_FALSE(check("m models.lst\nu many.unit\nx\n"));
    ASSERT_EQ(messages().size(), 51u);
    EXPECT_EQ(messages().back(), "many.unit: ... and 1 more note in this file");
}

TEST_F(ZelmorCheckTest, ASceneThatCannotBeOpened) {
    EXPECT_FALSE(checker.run("wdf/none.wdf"));
    EXPECT_EQ(messages(),
              Lines{"wdf/none.wdf:1:1: scene file cannot be opened; the scene stays empty"});
    EXPECT_EQ(checker.summary(),
              "wdf/none.wdf: 0 units, 0 static objects, 0 models; 1 problem, 0 notes");
}

// Only regular files are content. A folder, a device that never ends and a FIFO that blocks
// its opening give empty content to the program and a problem to the checker, in each role.
TEST(ZelmorCheck, NoFileButARegularOneHasContent) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.path() / "folder");
    ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0600), 0);
    const std::string scene = dir.write("wdf/test.wdf", "");
    for (const std::string bad : {"folder", "/dev/zero", "fifo"}) {
        SCOPED_TRACE(bad);
        dir.write("models.lst", "a " + bad + "\n");
        dir.write("wdf/test.wdf", "m models.lst\nm " + bad + "\nu " + bad + "\nx\n");
        const FolderFileSource files(dir.path(), scene);
        Lines printed;
        SceneCheck checker(files, [&](const std::string& line) { printed.push_back(line); });
        EXPECT_FALSE(checker.run(scene));
        const std::string list = (dir.path() / "models.lst").string();
        const std::string named = bad.starts_with('/') ? bad : (dir.path() / bad).string();
        EXPECT_EQ(
            printed,
            (Lines{
                list + ":1:3: " + named +
                    ": model file cannot be opened; the model draws "
                    "nothing",
                scene + ":2:3: " + named + ": model list cannot be opened; it loads no models",
                scene + ":3:3: " + named + ": unit file cannot be opened; the unit has no parts",
            }));
        const FolderFileSource asScene(dir.path(), bad);
        SceneCheck sceneChecker(asScene, [&](const std::string& line) { printed.push_back(line); });
        printed.clear();
        EXPECT_FALSE(sceneChecker.run(bad));
        EXPECT_EQ(printed, Lines{bad + ":1:1: scene file cannot be opened; the scene stays empty"});

        // What the program loads from the same files.
        ModelCache models;
        World world(models);
        world.loadScene(scene, ReadContext{&files, nullptr});
        ASSERT_NE(models.get("a"), nullptr);
        EXPECT_EQ(models.get("a")->vertexCount(), 0u);
        ASSERT_EQ(world.units.size(), 1u);
        EXPECT_TRUE(world.units[0].parts().empty());
        World empty(models);
        empty.loadScene(bad, ReadContext{&asScene, nullptr});
        EXPECT_TRUE(empty.staticObjects.empty());
    }
}

// The zelmor-check program itself: run in dir with arguments, its output lines, exit status and
// the most memory it held.
struct CheckRun {
    int status = -1;
    long maxResidentKb = 0;
    Lines output;
};

// A hard ceiling on the checker's memory, so that a checker that keeps what it reads fails fast
// instead of taking the machine's memory. AddressSanitizer reserves terabytes of address space
// for its shadow memory, so a sanitizer build runs without the ceiling.
bool limitAddressSpace() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#else
    const rlimit ceiling{1L << 30, 1L << 30};
    return ::setrlimit(RLIMIT_AS, &ceiling) == 0;
#endif
}

CheckRun runCheck(const std::filesystem::path& dir, const std::vector<std::string>& arguments) {
    test::TempDir scratch;
    const std::string outPath = (scratch.path() / "out").string();
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv{const_cast<char*>(ZELMOR_CHECK)};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        if (::chdir(dir.c_str()) != 0 || !std::freopen(outPath.c_str(), "w", stdout) ||
            !limitAddressSpace()) {
            ::_exit(127);
        }
        ::execv(ZELMOR_CHECK, argv.data());
        ::_exit(127);
    }
    CheckRun run;
    int status = 0;
    rusage usage{};
    if (child > 0 && ::wait4(child, &status, 0, &usage) == child && WIFEXITED(status)) {
        run.status = WEXITSTATUS(status);
        run.maxResidentKb = usage.ru_maxrss;
    }
    run.output = test::readLines(outPath);
    return run;
}

// Tens of megabytes of problems: each is counted, the first few are shown, and the checker's
// memory does not grow with the file.
TEST(ZelmorCheck, AHugeFileOfProblemsIsCheckedInLittleMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's own memory would be measured";
#endif
    test::TempDir dir;
    constexpr long long RECORDS = 2'000'000;  // "Q p 0 0 0\n": 10 bytes and one problem each
    std::filesystem::create_directory(dir.path() / "wdf");
    {
        std::ofstream out(dir.path() / "wdf/test.wdf", std::ios::binary);
        const std::string block = [] {
            std::string text;
            for (int n = 0; n < 1000; ++n) {
                text += "Q p 0 0 0\n";
            }
            return text;
        }();
        for (long long n = 0; n < RECORDS / 1000; ++n) {
            out << block;
        }
    }
    const CheckRun run = runCheck(dir.path(), {});
    EXPECT_EQ(run.status, 1);
    EXPECT_LT(run.maxResidentKb, 50 * 1024);
    ASSERT_EQ(run.output.size(), 1u + 50u + 2u);  // at most 50 messages per file
    EXPECT_EQ(run.output[1], "wdf/test.wdf:1:1: skipped 'Q' where a record letter was expected");
    EXPECT_EQ(run.output[50], "wdf/test.wdf:50:1: skipped 'Q' where a record letter was expected");
    EXPECT_EQ(run.output.end()[-2], "wdf/test.wdf: ... and " +
                                        SceneCheck::withCommas(RECORDS - 50) +
                                        " more problems in this file");
    EXPECT_EQ(run.output.back(),
              "wdf/test.wdf: 0 units, 0 static objects, 0 models; 2,000,000 problems, 0 notes");
}

// Every path the checker prints opens from the folder it was run in, however the scene and the
// data folder were named, so that a terminal or an editor can jump to it.
TEST(ZelmorCheck, EveryPrintedPathOpensFromWhereTheCheckerRan) {
    test::TempDir dir;
    dir.write("data/wdf/test.wdf", "m models.lst\nm none.lst\nu units/bad.unit\nx\n");
    dir.write("data/models.lst", "hull tri.mdl\n");
    dir.write("data/tri.mdl", TRIANGLE);
    dir.write("data/units/bad.unit", "m ghost a body\nx\n");
    dir.write("data/other/scene.wdf", "m models.lst u units/bad.unit Q x\n");
    const auto expected = [](const std::string& data, const std::string& scene) {
        return Lines{
            scene + ":2:3: " + data + "none.lst: model list cannot be opened; it loads no models",
            data + "units/bad.unit:1:3: model 'ghost' is in no model list loaded before this unit",
            data + "units/bad.unit:1:11: part 'body' has no model and draws nothing",
        };
    };
    const struct {
        std::string folder;
        std::vector<std::string> arguments;
        Lines lines;
    } cases[] = {
        {"", {"data/wdf/test.wdf"}, expected("data/", "data/wdf/test.wdf")},
        {"", {"--data", "data"}, expected("data/", "data/wdf/test.wdf")},
        {"data", {}, expected("", "wdf/test.wdf")},
        {"data/units", {"../wdf/test.wdf"}, expected("../", "../wdf/test.wdf")},
        {"",
         {"--data", "data", "data/other/scene.wdf"},
         {"data/units/bad.unit:1:3: model 'ghost' is in no model list loaded before this unit",
          "data/units/bad.unit:1:11: part 'body' has no model and draws nothing",
          "data/other/scene.wdf:1:31: skipped 'Q' where a record letter was expected"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder + " " + testing::PrintToString(c.arguments));
        const CheckRun run = runCheck(dir.path() / c.folder, c.arguments);
        EXPECT_EQ(run.status, 1);
        ASSERT_EQ(run.output.size(), c.lines.size() + 2);
        EXPECT_EQ(Lines(run.output.begin() + 1, run.output.end() - 1), c.lines);
    }
}

// The scene shipped in data/ must check clean, named as a user at the repository's root would.
TEST(ZelmorCheck, TheBundledSceneChecksCleanFromTheRepositoryRoot) {
    const std::filesystem::path root(ZELMOR_SOURCE_DIR);
    const CheckRun run = runCheck(root, {"data/wdf/test.wdf"});
    EXPECT_EQ(run.status, 0);
    ASSERT_EQ(run.output.size(), 2u) << run.output.back();
    EXPECT_EQ(run.output[0], "zelmor-check: reading from the data folder " +
                                 (root / "data").lexically_normal().string());
    EXPECT_TRUE(run.output[1].ends_with("; 0 problems, 0 notes")) << run.output[1];
}

// What the operating system does to good files and to the report: a file that cannot be read
// part-way (a preloaded read() fails at a byte in the middle of a number), a file that is
// regular by its type but cannot be read at all, and standard output on a full disk.
TEST(ZelmorCheck, ReadFailuresAreProblemsNamingTheFileAndALostReportIsAFailure) {
    test::TempDir dir;
    std::filesystem::copy(std::filesystem::path(ZELMOR_SOURCE_DIR) / "data", dir.path(),
                          std::filesystem::copy_options::recursive);
    dir.write("wdf/mem.wdf", "m models.lst\np 0 0 0 u /proc/self/mem\nx\n");
    const std::string preload = std::string("LD_PRELOAD=") + ZELMOR_READ_FAULT +
                                " ASAN_OPTIONS=$ASAN_OPTIONS:verify_asan_link_order=0 ";
    struct Case {
        std::string command;
        int status;
        std::string said;  // on standard output, or on standard error when the output is lost
    };
    const Case cases[] = {
        {preload + "ZELMOR_READ_FAULT=models/reeds.mdl:8191 zelmor-check > out", 1,
         "models/reeds.mdl:"},
        {"zelmor-check wdf/mem.wdf > out", 1, "/proc/self/mem:"},
        {"zelmor-check > /dev/full 2> out", 2,
         "zelmor-check: cannot write the report: No space left on device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const std::string command = "cd '" + dir.path().string() + "' && PATH='" +
                                    std::filesystem::path(ZELMOR_CHECK).parent_path().string() +
                                    "':$PATH " + c.command;
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), c.status);
        const Lines out = test::readLines(dir.path() / "out");
        EXPECT_TRUE(std::any_of(out.begin(), out.end(), [&](const std::string& line) {
            return line.find(c.said) != std::string::npos &&
                   (c.status == 2 || line.find("(Input/output error)") != std::string::npos);
        })) << testing::PrintToString(out);
    }
}

}  // namespace
}  // namespace zelmor
