// The real program when the operating system fails it: a model file that cannot be read past
// a byte in the middle of a number, and logs on a full disk. The program runs with what it
// could read and ends normally; the logs are best-effort.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ProgramRun.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Xvfb.h"

namespace zelmor {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

TEST(ReadFault, AnUnreadableModelAndFullLogsLeaveTheProgramRunning) {
    struct Case {
        std::vector<std::string> logsOnAFullDisk;
        bool glLogReadable;
    };
    const Case cases[] = {
        {{"zelmorGL.log"}, true},
        {{"zelmorGL.log", "gl.log"}, false},
    };
    for (const Case& c : cases) {
        test::Xvfb x;
        ASSERT_TRUE(x.running());
        test::TempDir folder;
        fs::copy(fs::path(ZELMOR_SOURCE_DIR) / "data", folder.path(), fs::copy_options::recursive);
        for (const char* log : {"gl.log", "zelmorGL.log"}) {
            fs::remove(folder.path() / log);
        }
        for (const std::string& log : c.logsOnAFullDisk) {
            fs::create_symlink("/dev/full", folder.path() / log);
        }
        // A number spans byte 8191 of the largest model.
        test::ProgramRun run(
            ZELMOR_BINARY, folder.path(), x.display(),
            {{"LD_PRELOAD", ZELMOR_READ_FAULT}, {"ZELMOR_READ_FAULT", "models/reeds.mdl:8191"}});
        unsigned long window = 0;
        test::waitFor(
            [&] {
                window = test::findWindow(x.display(), "zelmor");
                return !run.running() || window != 0;
            },
            20s);
        ASSERT_NE(window, 0u) << run.standardError();
        std::this_thread::sleep_for(1500ms);  // past the first frame-rate line
        ASSERT_TRUE(run.running());
        EXPECT_EQ(test::xdotool(x.display(), {"windowfocus", "--sync", std::to_string(window)}), 0);
        EXPECT_EQ(test::xdotool(x.display(), {"key", "Escape"}), 0);
        const auto code = run.waitForExit(10s);
        ASSERT_TRUE(code.has_value()) << "still running after Escape";
        EXPECT_EQ(*code, 0) << run.standardError();
        if (c.glLogReadable) {
            const auto log = test::readLines(folder.path() / "gl.log");
            ASSERT_FALSE(log.empty());
            EXPECT_EQ(log.back(), "End OpenGL");
        }
    }
}

}  // namespace
}  // namespace zelmor
