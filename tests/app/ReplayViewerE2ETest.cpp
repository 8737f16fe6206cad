// The program plays a recording with --replay: it draws the recorded session, shows the step, the
// speed and the verdict in its title bar, and answers the viewer's keys.

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "tests/support/ProgramRun.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Xvfb.h"

namespace zelmor {
namespace {

using namespace std::chrono_literals;
using test::Screenshot;

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(ReplayViewer, PlaysAGoldenReplayToItsVerdictAndAnswersItsKeys) {
    test::Xvfb x;
    ASSERT_TRUE(x.running());
    test::TempDir folder;
    const std::string golden = std::string(ZELMOR_SOURCE_DIR) + "/tests/replays/orders.replay";
    test::ProgramRun run(ZELMOR_BINARY, folder.path(), x.display(), {}, {"--replay", golden});
    std::string title;
    unsigned long window = 0;
    // The title as it is once it passes the test, within the limit.
    const auto titleOnceItIs = [&](auto wanted) {
        test::waitFor(
            [&] {
                window = test::findWindowTitled(x.display(), wanted, &title);
                return window != 0 || !run.running();
            },
            30s);
        return title;
    };
    // Played at the recorded pace to its end: 558 steps, every hash matched.
    EXPECT_EQ(titleOnceItIs([](const std::string& t) { return endsWith(t, ", verified"); }),
              "zelmor replay: step 558 of 558, 5.58 s, 1x, verified")
        << run.standardError();
    ASSERT_NE(window, 0u);
    const Screenshot shot = Screenshot::grab(x.display());
    const int field = shot.count(0, 0, 640, 480, [](test::Rgb c) {
        return test::near(c, {32, 191, 64}, 40);
    });
    EXPECT_GT(field, 640 * 480 / 4) << "the recorded scene's field";

    ASSERT_EQ(test::xdotool(x.display(), {"windowfocus", "--sync", std::to_string(window)}), 0);
    struct Step {
        const char* key;
        const char* title;
    };
    const Step steps[] = {
        {"space", "zelmor replay: step 558 of 558, 5.58 s, 1x, paused, verified"},
        {"Home", "zelmor replay: step 0 of 558, 0.00 s, 1x, paused"},
        {"5", "zelmor replay: step 279 of 558, 2.79 s, 1x, paused, hashes match"},
        {"Up", "zelmor replay: step 279 of 558, 2.79 s, 2x, paused, hashes match"},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(test::xdotool(x.display(), {"key", step.key}), 0);
        EXPECT_EQ(titleOnceItIs([&step](const std::string& t) { return t == step.title; }),
                  step.title)
            << "after " << step.key;
    }
    EXPECT_EQ(test::xdotool(x.display(), {"key", "Escape"}), 0);
    EXPECT_EQ(run.waitForExit(10s), std::optional<int>(0));
}

}  // namespace
}  // namespace zelmor
