// The real program records its session as it runs: a session ended with Escape verifies, a
// killed one plays up to its last complete record, a disk that refuses the recording stops it
// with one line in the log and nothing else, and old recordings beyond twenty go.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/OneUnitScene.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Xvfb.h"

namespace zelmor {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::vector<fs::path> recordings(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder / "replays", error)) {
        if (entry.path().extension() == ".replay") {
            found.push_back(entry.path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

TEST(Recording, EndedKilledRefusedAndKept) {
    enum class End { ESCAPE, KILL };
    struct Case {
        const char* what;
        End end;
        unsigned fileLimitKb;  // 0: none
        int oldRecordings;
        int verifierStatus;
        const char* logged;  // in gl.log, or null
    };
    const Case cases[] = {
        {"ended with Escape", End::ESCAPE, 0, 0, 0, nullptr},
        {"killed", End::KILL, 0, 0, 2, nullptr},
        {"a disk that takes 32 KB", End::ESCAPE, 32, 0, 2,
         "Replay recording stopped: write: File too large"},
        {"25 recordings before", End::ESCAPE, 0, 25, 0, nullptr},
    };
    test::Xvfb x;
    ASSERT_TRUE(x.running());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir folder;
        if (c.fileLimitKb > 0) {
            // The bundled scene: its files alone make more than the limit, the logs less.
            fs::copy(fs::path(ZELMOR_SOURCE_DIR) / "data", folder.path(),
                     fs::copy_options::recursive);
            fs::remove_all(folder.path() / "replays");
        } else {
            test::writeOneUnitScene(folder);
        }
        for (int i = 0; i < c.oldRecordings; ++i) {
            folder.write("replays/20000101-0000" + std::to_string(10 + i) + ".replay", "old");
        }
        folder.write("replays/notes.txt", "mine");
        std::string program = ZELMOR_BINARY;
        if (c.fileLimitKb > 0) {
            // Files grow only so far; the signal that would end the program is ignored, so a
            // write past the limit fails as on a full disk.
            program = folder.write("limited.sh",
                                   "#!/bin/bash\nulimit -f " + std::to_string(c.fileLimitKb) +
                                       "\ntrap '' XFSZ\nexec " + ZELMOR_BINARY + "\n");
            fs::permissions(program, fs::perms::owner_all);
        }
        auto run = std::make_unique<test::ProgramRun>(program, folder.path(), x.display());
        unsigned long window = 0;
        ASSERT_TRUE(test::waitFor(
            [&] { return (window = test::findWindow(x.display(), "zelmor")) != 0; }, 20s))
            << run->standardError();
        std::this_thread::sleep_for(3s);  // past a few chunks of the recording
        if (c.end == End::KILL) {
            run.reset();  // killed on the spot
        } else {
            EXPECT_EQ(test::xdotool(x.display(), {"windowfocus", "--sync", std::to_string(window)}),
                      0);
            EXPECT_EQ(test::xdotool(x.display(), {"key", "Escape"}), 0);
            EXPECT_EQ(run->waitForExit(10s), std::optional<int>(0)) << run->standardError();
        }
        const std::vector<fs::path> made = recordings(folder.path());
        const std::size_t expected = c.oldRecordings > 0 ? 20 : 1;
        ASSERT_EQ(made.size(), expected);
        EXPECT_TRUE(fs::exists(folder.path() / "replays/notes.txt"));
        std::string output;
        EXPECT_EQ(test::runCommand({ZELMOR_REPLAY, "verify", made.back().string()}, "", &output),
                  c.verifierStatus)
            << output;
        if (c.verifierStatus == 2) {
            EXPECT_NE(output.find("\ntruncated "), std::string::npos) << output;
        }
        const std::vector<std::string> log = test::readLines(folder.path() / "gl.log");
        if (c.end == End::ESCAPE) {
            ASSERT_FALSE(log.empty());
            EXPECT_EQ(log.back(), "End OpenGL");
        }
        const bool noted = std::find_if(log.begin(), log.end(), [](const std::string& line) {
                               return line.rfind("Replay recording stopped", 0) == 0;
                           }) != log.end();
        EXPECT_EQ(noted, c.logged != nullptr);
        if (c.logged != nullptr) {
            EXPECT_NE(std::find(log.begin(), log.end(), c.logged), log.end());
        }
    }
}

}  // namespace
}  // namespace zelmor
