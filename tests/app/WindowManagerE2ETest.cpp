#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
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

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The program on a desktop with a window manager (openbox): its window is framed, placed,
// focused and resized by the manager, and the pointer can leave it for the desktop.
class UnderAWindowManager : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.running());
        manager = std::make_unique<test::ProgramRun>("/usr/bin/openbox", managerFolder.path(),
                                                     x.display());
        ASSERT_TRUE(waitFor(
            [this] {
                std::string root;
                test::runCommand({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, x.display(),
                                 &root);
                return root.find("window id") != std::string::npos;
            },
            20s))
            << "openbox did not start";
        test::writeOneUnitScene(folder);
        run = std::make_unique<test::ProgramRun>(ZELMOR_BINARY, folder.path(), x.display());
        ASSERT_TRUE(waitFor(
            [this] {
                // Framed by the manager, the window is no longer a child of the root.
                std::string found;
                test::runCommand({"xdotool", "search", "--onlyvisible", "--name", "^zelmor$"},
                                 x.display(), &found);
                window = found.empty() ? 0 : std::stoul(found);
                return window != 0 && unitIn(client()).has_value();
            },
            20s))
            << run->standardError();
    }

    int xdotool(const std::vector<std::string>& arguments) {
        return test::xdotool(x.display(), arguments);
    }
    void mouseTo(int px, int py) { xdotool({"mousemove", std::to_string(px), std::to_string(py)}); }
    // The client area on the screen, as the window manager placed and sized it.
    Rect client() {
        std::string info;
        test::runCommand({"xwininfo", "-id", std::to_string(window)}, x.display(), &info);
        const auto field = [&info](const std::string& name) {
            const auto at = info.find(name);
            return at == std::string::npos ? 0 : std::stoi(info.substr(at + name.size()));
        };
        return {field("Absolute upper-left X:"), field("Absolute upper-left Y:"), field("Width:"),
                field("Height:")};
    }
    // The screen position of the centre of the magenta unit inside the rectangle.
    std::optional<std::pair<int, int>> unitIn(Rect r) {
        const Screenshot shot = Screenshot::grab(x.display());
        long sx = 0;
        long sy = 0;
        int n = 0;
        for (int py = std::max(r.y, 0); py < std::min(r.y + r.height, shot.height()); ++py) {
            for (int px = std::max(r.x, 0); px < std::min(r.x + r.width, shot.width()); ++px) {
                if (test::near(shot.at(px, py), {255, 0, 255}, 40)) {
                    sx += px;
                    sy += py;
                    ++n;
                }
            }
        }
        if (n < 20) {
            return std::nullopt;
        }
        return std::make_pair(static_cast<int>(sx / n), static_cast<int>(sy / n));
    }
    // Pixels of the client area that differ between two screenshots a second apart, taken once
    // the pointer has rested where it was put for a moment.
    int changedPixelsOverASecond(Rect r) {
        std::this_thread::sleep_for(500ms);
        const Screenshot before = Screenshot::grab(x.display());
        std::this_thread::sleep_for(1s);
        const Screenshot after = Screenshot::grab(x.display());
        return differing(before, after, r);
    }
    static int differing(const Screenshot& a, const Screenshot& b, Rect r) {
        int n = 0;
        for (int py = r.y; py < r.y + r.height; ++py) {
            for (int px = r.x; px < r.x + r.width; ++px) {
                const Rgb p = a.at(px, py);
                const Rgb q = b.at(px, py);
                n += p.r != q.r || p.g != q.g || p.b != q.b;
            }
        }
        return n;
    }
    std::vector<std::string> glLog() const { return test::readLines(folder.path() / "gl.log"); }

    test::Xvfb x;
    test::TempDir managerFolder;
    std::unique_ptr<test::ProgramRun> manager;
    test::TempDir folder;
    std::unique_ptr<test::ProgramRun> run;
    unsigned long window = 0;
};

TEST_F(UnderAWindowManager, ResizeLeaveAndCloseBox) {
    // Resized by the manager: the new client size is logged and a click picks the unit where it
    // is drawn now.
    ASSERT_EQ(xdotool({"windowsize", std::to_string(window), "800", "600"}), 0);
    ASSERT_TRUE(waitFor(
        [this] {
            const auto log = glLog();
            return std::find(log.begin(), log.end(), "Resize: 800x600") != log.end();
        },
        10s));
    Rect area = client();
    ASSERT_EQ(area.width, 800);
    ASSERT_EQ(area.height, 600);
    std::optional<std::pair<int, int>> unit;
    ASSERT_TRUE(waitFor([&] { return (unit = unitIn(area)).has_value(); }, 10s));
    EXPECT_NEAR(unit->first, area.x + 400, 10) << "drawn at the centre of the larger window";
    EXPECT_NEAR(unit->second, area.y + 300, 10);
    mouseTo(unit->first, unit->second);
    xdotool({"click", "1"});
    EXPECT_TRUE(waitFor(
        [&] {
            return Screenshot::grab(x.display())
                       .count(area.x, area.y, area.width, area.height, [](Rgb c) {
                           return test::near(c, {255, 255, 0}, 40);
                       }) > 200;
        },
        10s))
        << "the click selected the unit: its marker shows";

    // The pointer leaves for the desktop, from the centre and from the right edge zone, with
    // no button held: the view stays still.
    const int desktopX = std::min(area.x + area.width + 80, 1015);
    const int middleY = area.y + area.height / 2;
    ASSERT_LT(area.x + area.width + 10, desktopX) << "room on the desktop beside the window";
    mouseTo(area.x + area.width / 2, middleY);
    std::this_thread::sleep_for(300ms);
    mouseTo(desktopX, middleY);
    EXPECT_EQ(changedPixelsOverASecond(area), 0) << "left from the centre";
    mouseTo(area.x + area.width - 5, middleY);  // the edge zone scrolls the view a little
    std::this_thread::sleep_for(300ms);
    mouseTo(desktopX, middleY);
    EXPECT_EQ(changedPixelsOverASecond(area), 0) << "left from the edge zone";
    // A view that scrolled on would have lost the unit and shown an unchanging field.
    EXPECT_TRUE(unitIn(area).has_value()) << "the unit is still in view";

    // The close box, at the right end of the title bar above the client area, ends the program.
    area = client();
    mouseTo(area.x + area.width - 11, area.y - 11);
    xdotool({"click", "1"});
    const auto code = run->waitForExit(10s);
    ASSERT_TRUE(code.has_value()) << "still running after the close box";
    EXPECT_EQ(*code, 0);
    EXPECT_EQ(glLog().back(), "End OpenGL");
}

}  // namespace
}  // namespace zelmor
