// The real program when the window system or GL cannot give it what it asks for: each start-up
// failure is told in its own words and ends the program at once; a context without the optional
// GL strings still runs. The SDL drivers, Mesa's version override and an X server without GLX
// bring each case about.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/ProgramRun.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Xvfb.h"

namespace zelmor {
namespace {

using namespace std::chrono_literals;
using Environment = std::vector<std::pair<std::string, std::string>>;

const std::string PIXEL_FORMAT_FAILURE =
    "ChoosePixelFormat() failed:  Cannot find a suitable pixel format.";

// Presses OK in the program's "Error" box once it shows, as the user would. The box can only
// show where the display has fonts for its text; elsewhere the program ends without it.
void answerTheBox(test::ProgramRun& run, const std::string& display) {
    unsigned long box = 0;
    test::waitFor(
        [&] {
            box = test::findWindow(display, "Error");
            return box != 0 || !run.running();
        },
        10s);
    if (box != 0 && run.running()) {
        test::xdotool(display, {"windowfocus", "--sync", std::to_string(box)});
        test::xdotool(display, {"key", "Return"});
    }
}

// Starts zelmor on the display (none when empty) in the given environment and expects it to
// give up with the message, at once or when its box is answered.
void expectRefusal(const std::string& display, const Environment& environment,
                   const std::string& message) {
    test::TempDir folder;
    test::ProgramRun run(ZELMOR_BINARY, folder.path(), display, environment);
    if (!display.empty()) {
        answerTheBox(run, display);
    }
    const auto code = run.waitForExit(10s);
    ASSERT_TRUE(code.has_value()) << "still running";
    EXPECT_EQ(*code, 1);
    EXPECT_NE(run.standardError().find("Error: " + message), std::string::npos)
        << run.standardError();
    EXPECT_EQ(test::readLines(folder.path() / "gl.log"),
              std::vector<std::string>{"Start OpenGL Init"});
}

// The window itself can be made in each case; it is the GL context that cannot.
TEST(StartUpHazard, AVideoDriverWithoutGlIsAPixelFormatFailure) {
    expectRefusal("", {{"SDL_VIDEODRIVER", "dummy"}}, PIXEL_FORMAT_FAILURE);
}

TEST(StartUpHazard, ADisplayWithoutGlxIsAPixelFormatFailure) {
    test::Xvfb x({"-extension", "GLX"});
    ASSERT_TRUE(x.running());
    expectRefusal(x.display(), {}, PIXEL_FORMAT_FAILURE);
}

TEST(StartUpHazard, AContextThatCannotBeMadeIsAPixelFormatFailure) {
    expectRefusal("", {{"SDL_VIDEODRIVER", "offscreen"}, {"MESA_GL_VERSION_OVERRIDE", "1.0"}},
                  PIXEL_FORMAT_FAILURE);
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
