#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
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
using test::Rgb;
using test::Screenshot;
using test::waitFor;

struct Point {
    double x = 0;
    double y = 0;
};

double distance(Point a, Point b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

bool magenta(Rgb c) {
    return test::near(c, {255, 0, 255}, 40);
}
bool yellow(Rgb c) {
    return test::near(c, {255, 255, 0}, 40);
}

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.running());
        test::writeOneUnitScene(folder);
        run = std::make_unique<test::ProgramRun>(ZELMOR_BINARY, folder.path(), x.display());
        ASSERT_TRUE(waitFor([this] { return unitOnScreen().has_value(); }, 20s))
            << run->standardError();
        window = test::findWindow(x.display(), "zelmor");
        ASSERT_EQ(xdotool({"windowfocus", "--sync", std::to_string(window)}), 0);
    }
    void TearDown() override {
        xdotool({"key", "Escape"});
        const auto code = run->waitForExit(10s);
        ASSERT_TRUE(code.has_value());
        EXPECT_EQ(*code, 0);
    }

    int xdotool(const std::vector<std::string>& arguments) {
        return test::xdotool(x.display(), arguments);
    }
    static std::string str(double value) { return std::to_string(static_cast<int>(value)); }
    void mouseTo(Point p) { xdotool({"mousemove", str(p.x), str(p.y)}); }

    // The centre of the magenta pixels in the window, if there are enough of them.
    std::optional<Point> unitOnScreen() {
        const Screenshot shot = Screenshot::grab(x.display());
        double sx = 0;
        double sy = 0;
        int n = 0;
        for (int py = 0; py < 480; ++py) {
            for (int px = 0; px < 640; ++px) {
                if (magenta(shot.at(px, py))) {
                    sx += px;
                    sy += py;
                    ++n;
                }
            }
        }
        if (n < 20) {
            return std::nullopt;
        }
        return Point{sx / n, sy / n};
    }
    // Where the unit is now; a failure, and a point far off the window, when it is not in view.
    Point unitNow() {
        const auto at = unitOnScreen();
        if (!at) {
            ADD_FAILURE() << "the unit is not on screen";
            return {-1000, -1000};
        }
        return *at;
    }
    bool markerShown() {
        return waitFor([this] { return yellowPixels() > 200; }, 10s);
    }
    int yellowPixels() { return Screenshot::grab(x.display()).count(0, 0, 640, 480, yellow); }
    bool unitArrivesNear(Point target, std::chrono::seconds limit) {
        return waitFor(
            [&] {
                const auto at = unitOnScreen();
                return at && distance(*at, target) < 15;
            },
            limit);
    }
    // Box-selects the unit where it stands now.
    void selectUnit() {
        const Point at = unitNow();
        mouseTo({at.x - 40, at.y - 40});
        xdotool({"mousedown", "1"});
        mouseTo({at.x, at.y});
        mouseTo({at.x + 40, at.y + 40});
        xdotool({"mouseup", "1"});
        mouseTo({320, 240});
    }

    test::Xvfb x;
    test::TempDir folder;
    std::unique_ptr<test::ProgramRun> run;
    unsigned long window = 0;
};

TEST_F(Commands, BoxSelectionShowsTheMarkerAndARightClickSendsTheUnitThere) {
    const Point start = unitNow();
    EXPECT_LT(distance(start, {320, 240}), 10) << "the unit stands at the window centre";
    EXPECT_EQ(yellowPixels(), 0) << "no marker before selection";
    selectUnit();
    ASSERT_TRUE(markerShown());

    const Point goal{470, 240};
    mouseTo(goal);
    xdotool({"click", "3"});
    EXPECT_TRUE(unitArrivesNear(goal, 30s));
}

TEST_F(Commands, ShiftQueuedWaypointsAreVisitedInTurn) {
    selectUnit();
    ASSERT_TRUE(markerShown());
    const Point first{470, 240};
    const Point second{470, 100};
    xdotool({"keydown", "shift"});
    mouseTo(first);
    xdotool({"click", "3"});
    mouseTo(second);
    xdotool({"click", "3"});
    xdotool({"keyup", "shift"});
    mouseTo({320, 240});
    EXPECT_TRUE(unitArrivesNear(first, 30s)) << "passes the first waypoint";
    EXPECT_TRUE(unitArrivesNear(second, 30s)) << "then drives on to the second";
    std::this_thread::sleep_for(1s);
    EXPECT_LT(distance(unitNow(), second), 15) << "and stops there";
}

TEST_F(Commands, STheHaltKeyStopsADrivingUnitShortOfItsGoal) {
    selectUnit();
    ASSERT_TRUE(markerShown());
    const Point start = unitNow();
    const Point goal{620, 240};
    mouseTo(goal);
    xdotool({"click", "3"});
    mouseTo({320, 240});
    ASSERT_TRUE(waitFor(
        [&] {
            const auto at = unitOnScreen();
            return at && distance(*at, start) > 30;
        },
        20s))
        << "the unit set off";
    xdotool({"key", "s"});
    std::optional<Point> last;
    ASSERT_TRUE(waitFor(
        [&] {
            const auto now = unitOnScreen();
            const bool still = now && last && distance(*now, *last) < 0.5;
            last = now;
            std::this_thread::sleep_for(300ms);
            return still;
        },
        20s))
        << "the unit comes to a stand";
    ASSERT_TRUE(last.has_value());
    EXPECT_GT(distance(*last, goal), 40) << "short of the goal";
}

TEST_F(Commands, HoldingUpScrollsTheView) {
    const Point before = unitNow();
    xdotool({"keydown", "Up"});
    std::this_thread::sleep_for(700ms);
    xdotool({"keyup", "Up"});
    std::this_thread::sleep_for(300ms);
    const auto after = unitOnScreen();
    ASSERT_TRUE(after.has_value()) << "still in view";
    EXPECT_GT(distance(*after, before), 30) << "the scene slid under the eye";
    std::this_thread::sleep_for(500ms);
    EXPECT_LT(distance(unitNow(), *after), 1) << "and stops when the key is released";
}

// The press captures the mouse: a band dragged out past the window's corner still ends where
// the button is released, and selects what it covers.
TEST_F(Commands, ABandReleasedOutsideTheWindowStillSelects) {
    const Point at = unitNow();
    mouseTo({at.x - 40, at.y - 40});
    xdotool({"mousedown", "1"});
    mouseTo({at.x, at.y});
    mouseTo({700, 560});
    xdotool({"mouseup", "1"});
    mouseTo({320, 240});
    EXPECT_TRUE(markerShown()) << "the release outside reached the program";
}

}  // namespace
}  // namespace zelmor
