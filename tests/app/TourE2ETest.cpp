#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/SessionReplay.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Xvfb.h"

namespace zelmor {
namespace {

using namespace std::chrono_literals;
using test::Rgb;
using test::Screenshot;
namespace fs = std::filesystem;

// Colours of the bundled models as the field shows them, shading included.
bool markerYellow(Rgb c) {
    return c.r > 200 && c.g > 180 && c.b < 60;
}
bool tankSteel(Rgb c) {
    return c.b > c.r + 20 && c.b > c.g + 15 && c.r > 50 && c.b < 220;
}
bool scoutSand(Rgb c) {
    return c.r > 150 && c.r > c.g + 40 && c.g > c.b + 40;
}

int pixels(const Screenshot& shot, bool (*test)(Rgb)) {
    return shot.count(0, 0, shot.width(), shot.height(), test);
}

// The tour that the first README command plays without a display, on the bundled scene.
TEST(Tour, PlaysTheBundledSceneAndSavesItsScreenshots) {
    test::Xvfb x;
    ASSERT_TRUE(x.running());
    test::TempDir folder;
    fs::copy(fs::path(ZELMOR_SOURCE_DIR) / "data", folder.path() / "data",
             fs::copy_options::recursive);
    // Recordings of sessions run in data/ itself are not this one's.
    fs::remove_all(folder.path() / "data" / "replays");
    const fs::path shots = folder.path() / "shots";
    fs::create_directory(shots);
    test::ProgramRun program(ZELMOR_BINARY, folder.path() / "data", x.display());
    const std::string tour = std::string(ZELMOR_SOURCE_DIR) + "/scripts/tour.sh";
    ASSERT_EQ(test::runCommand({"bash", tour, shots.string()}, x.display()), 0)
        << program.standardError();
    const auto code = program.waitForExit(10s);
    ASSERT_TRUE(code.has_value()) << "the tour ends the program with Escape";
    EXPECT_EQ(*code, 0);
    EXPECT_EQ(program.standardError().find("no readable"), std::string::npos)
        << "in the data folder it finds its scene";

    // The session's recording replays to every state hash it recorded. It is kept as
    // out/tour/tour.replay, where the web and Windows stages verify it on their platforms.
    std::vector<fs::path> recordings;
    for (const auto& entry : fs::directory_iterator(folder.path() / "data" / "replays")) {
        recordings.push_back(entry.path());
    }
    ASSERT_EQ(recordings.size(), 1u);
    const fs::path kept = fs::path(ZELMOR_SOURCE_DIR) / "out" / "tour" / "tour.replay";
    fs::create_directories(kept.parent_path());
    fs::copy_file(recordings[0], kept, fs::copy_options::overwrite_existing);
    std::ifstream recording(kept, std::ios::binary);
    SessionReplay replay(recording);
    EXPECT_EQ(replay.playToEnd().verdict, SessionReplay::Verdict::VERIFIED)
        << replay.outcome().message;
    EXPECT_GT(replay.steps(), 500u) << "the tour lasts several seconds";
    EXPECT_EQ(replay.steps(), replay.recordedSteps());

    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(shots)) {
        ++count;
    }
    EXPECT_EQ(count, 7);
    const auto shot = [&](const std::string& name) {
        return Screenshot::load((shots / (name + ".png")).string());
    };
    const Screenshot start = shot("01-start");
    const Screenshot selected = shot("02-tanks-selected");
    ASSERT_EQ(start.width(), 640);
    ASSERT_EQ(selected.height(), 480);
    EXPECT_GT(pixels(start, tankSteel), 2000) << "tanks in view";
    EXPECT_GT(pixels(start, scoutSand), 1000) << "scouts in view";
    EXPECT_LT(pixels(start, markerYellow), 50) << "nothing selected yet";
    EXPECT_GT(pixels(selected, markerYellow), 1000) << "markers around the selected tanks";
    // The tanks' rows start in the lower left and drive up the field.
    const auto lowerLeftSteel = [](const Screenshot& s) {
        return s.count(0, 240, 320, 240, tankSteel);
    };
    EXPECT_LT(lowerLeftSteel(shot("06-halted")), lowerLeftSteel(start) / 4) << "tanks moved up";
    // The halt's band holds the two scouts and the patrol standing near them.
    EXPECT_GT(pixels(shot("06-halted"), markerYellow), 400);
    // A frame costs no more at the end of the tour than early on: work kept from frame to frame
    // by mistake would bring the rate down to a small fraction. The first line also counts the
    // start-up; the bound leaves room for a busy machine.
    std::vector<double> rates;
    for (const std::string& line : test::readLines(folder.path() / "data" / "zelmorGL.log")) {
        rates.push_back(std::stod(line));
    }
    ASSERT_GE(rates.size(), 6u);
    const double early = *std::max_element(rates.begin() + 1, rates.begin() + 4);
    EXPECT_GT(rates.back(), early / 6) << testing::PrintToString(rates);
}

}  // namespace
}  // namespace zelmor
