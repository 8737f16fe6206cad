// The real program when the window system or GL cannot give it what it asks for: each start-up
// failure is told in its own words and ends the program at once; a context without the optional
// GL strings still runs. No X server is needed: the SDL drivers and Mesa's version override
// bring each case about.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/ProgramRun.h"
#include "tests/support/TestFiles.h"

namespace zelmor {
namespace {

using namespace std::chrono_literals;
using Environment = std::vector<std::pair<std::string, std::string>>;

// Starts zelmor without a display in the given environment and expects it to give up at once
// with the message.
void expectRefusal(const Environment& environment, const std::string& message) {
    test::TempDir folder;
    test::ProgramRun run(ZELMOR_BINARY, folder.path(), "", environment);
    const auto code = run.waitForExit(10s);
    ASSERT_TRUE(code.has_value()) << "still running";
    EXPECT_EQ(*code, 1);
    EXPECT_NE(run.standardError().find("Error: " + message), std::string::npos)
        << run.standardError();
    EXPECT_EQ(test::readLines(folder.path() / "gl.log"),
              std::vector<std::string>{"Start OpenGL Init"});
}

TEST(StartUpHazard, AVideoDriverWithoutGlCannotCreateTheWindow) {
    expectRefusal({{"SDL_VIDEODRIVER", "dummy"}},
                  "CreateWindow() failed:  Cannot create a window.");
}

TEST(StartUpHazard, AContextThatCannotBeMadeIsAPixelFormatFailure) {
    expectRefusal({{"SDL_VIDEODRIVER", "offscreen"}, {"MESA_GL_VERSION_OVERRIDE", "1.0"}},
                  "ChoosePixelFormat() failed:  Cannot find a suitable pixel format.");
}

// A core profile context has no extension string: the line stays empty, both extensions are
// missing, and the bundled scene still runs (its GL 1.1 draws fail inside GL, harmlessly).
TEST(StartUpHazard, AbsentGlStringsAreLeftOutAndTheProgramRuns) {
    test::TempDir folder;
    std::filesystem::copy(std::filesystem::path(ZELMOR_SOURCE_DIR) / "data", folder.path(),
                          std::filesystem::copy_options::recursive);
    // Logs left in data/ by an earlier run of the program must not pass for this run's.
    std::filesystem::remove(folder.path() / "gl.log");
    std::filesystem::remove(folder.path() / "zelmorGL.log");
    test::ProgramRun run(ZELMOR_BINARY, folder.path(), "",
                         {{"SDL_VIDEODRIVER", "offscreen"}, {"MESA_GL_VERSION_OVERRIDE", "3.2FC"}});
    const auto fpsLog = folder.path() / "zelmorGL.log";
    test::waitFor([&] { return !run.running() || test::readLines(fpsLog).size() >= 2; }, 20s);
    ASSERT_TRUE(run.running()) << run.standardError();
    EXPECT_GE(test::readLines(fpsLog).size(), 2u);
    const auto log = test::readLines(folder.path() / "gl.log");
    ASSERT_GE(log.size(), 10u);
    EXPECT_EQ(log[2].rfind("OpenGL Version: 3.2 (Core Profile)", 0), 0u) << log[2];
    EXPECT_EQ(log[4], "OpenGL Extensions: ");
    EXPECT_EQ(log[6], "glAddSwapHintRectWIN not supported ");
    EXPECT_EQ(log[7], "glLockArraysEXT / glUnlockArraysEXT not supported ");
}

}  // namespace
}  // namespace zelmor
