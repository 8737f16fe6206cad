#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/ProgramRun.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Xvfb.h"

namespace zelmor {
namespace {

using namespace std::chrono_literals;
using test::ProgramRun;
using test::Screenshot;

// The real program in an empty folder (so an empty scene over the green field) on its own X
// server.
class Program : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(x.running()) << "Xvfb did not start"; }

    // Starts zelmor and waits until its window is there and a frame-rate line was written.
    void start() {
        run = std::make_unique<ProgramRun>(ZELMOR_BINARY, folder.path(), x.display());
        test::waitFor(
            [this] {
                window = test::findWindow(x.display(), "zelmor");
                return !run->running() || (window != 0 && !fpsLines().empty());
            },
            20s);
        ASSERT_NE(window, 0u) << run->standardError();
    }
    std::vector<std::string> glLog() const { return test::readLines(folder.path() / "gl.log"); }
    std::vector<std::string> fpsLines() const {
        return test::readLines(folder.path() / "zelmorGL.log");
    }
    int xdotool(const std::vector<std::string>& arguments) {
        return test::xdotool(x.display(), arguments);
    }

    test::Xvfb x;
    test::TempDir folder;
    std::unique_ptr<ProgramRun> run;
    unsigned long window = 0;
};

// Started where there is no scene, it says where it looked and where to run it, and otherwise
// runs as ever.
TEST_F(Program, OpensItsWindowLogsAndEndsWithEscape) {
    start();
    EXPECT_NE(run->standardError().find("zelmor: no readable wdf/test.wdf in " +
                                        std::filesystem::canonical(folder.path()).string() +
                                        "; run zelmor in the data folder"),
              std::string::npos)
        << run->standardError();
    const auto log = glLog();
    ASSERT_GE(log.size(), 10u);
    EXPECT_EQ(log[0], "Start OpenGL Init");
    EXPECT_EQ(log[5], "OpenGL init extensions: ");
    char handle[9];
    std::snprintf(handle, sizeof handle, "%08lX", window);
    EXPECT_EQ(log[8], std::string("End OpenGL Init. Window Handle: ") + handle)
        << "the X server's id of the window";
    EXPECT_EQ(log[9], "Resize: 640x480");

    const auto fps = fpsLines();
    ASSERT_FALSE(fps.empty());
    EXPECT_NE(fps[0].find(" fps"), std::string::npos);
    EXPECT_GT(std::stod(fps[0]), 0.0);

    const Screenshot shot = Screenshot::grab(x.display());
    EXPECT_TRUE(test::near(shot.at(320, 240), {32, 191, 64}, 1))
        << shot.at(320, 240).r << "," << shot.at(320, 240).g << "," << shot.at(320, 240).b;

    EXPECT_EQ(xdotool({"windowfocus", "--sync", std::to_string(window)}), 0);
    EXPECT_EQ(xdotool({"key", "Escape"}), 0);
    const auto code = run->waitForExit(10s);
    ASSERT_TRUE(code.has_value()) << "still running after Escape";
    EXPECT_EQ(*code, 0);
    EXPECT_EQ(glLog().back(), "End OpenGL");
}

TEST_F(Program, TheCloseBoxEndsItWithExitCodeZero) {
    start();
    ASSERT_TRUE(test::closeWindow(x.display(), window));
    const auto code = run->waitForExit(10s);
    ASSERT_TRUE(code.has_value()) << "still running after the close request";
    EXPECT_EQ(*code, 0);
    EXPECT_EQ(glLog().back(), "End OpenGL");
}

TEST(ProgramWithoutDisplay, SaysSoAndExitsAtOnce) {
    test::TempDir folder;
    const auto started = std::chrono::steady_clock::now();
    ProgramRun run(ZELMOR_BINARY, folder.path(), "");
    const auto code = run.waitForExit(5s);
    ASSERT_TRUE(code.has_value()) << "an invisible program that never ends";
    EXPECT_NE(*code, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1500ms);
    EXPECT_NE(run.standardError().find("RegisterClass() failed: Cannot register window class."),
              std::string::npos)
        << run.standardError();
}

}  // namespace
}  // namespace zelmor
