// The Windows layer on the real queue: messages posted and sent by Windows itself (wine in CI),
// input made with SendInput, read back the way the main loop reads them.

#include "platform/MessageQueue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/win32/WindowNative.h"

namespace zelmor::platform {
namespace {

constexpr uint32_t MOUSE_LEAVE = 0x02A3;

// Captures the mouse on a press and releases it on a release, as the program's procedure does.
int64_t capturingProcedure(Window* window, uint32_t message, uint64_t wParam, int64_t lParam) {
    if (message == WM_LBUTTONDOWN) {
        MessageQueue::setCapture(window);
        return 0;
    }
    if (message == WM_LBUTTONUP) {
        MessageQueue::releaseCapture();
        return 0;
    }
    return MessageQueue::defaultProcedure(window, message, wParam, lParam);
}

void send(INPUT input) {
    ASSERT_EQ(SendInput(1, &input, sizeof input), 1u);
}
void key(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    send(input);
}
void mouse(DWORD flags, POINT screen = {}) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if ((flags & MOUSEEVENTF_ABSOLUTE) != 0) {
        input.mi.dx = (screen.x * 65536 + 32768) / GetSystemMetrics(SM_CXSCREEN);
        input.mi.dy = (screen.y * 65536 + 32768) / GetSystemMetrics(SM_CYSCREEN);
    }
    send(input);
}

class WindowsQueue : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Window::registerClass());
        window = Window::create("queue test", 100, 100, 320, 240, &capturingProcedure);
        ASSERT_TRUE(window);
        window->show(SW_SHOWNORMAL);
        SetForegroundWindow(window->native().window);
        Message message;
        while (waitFor(
            message, [](const Message&) { return false; }, 300)) {
        }
    }

    // Polls (translating and dispatching as the main loop does) until a message the test wants
    // arrives or the time is up.
    bool waitFor(Message& out, const std::function<bool(const Message&)>& wanted,
                 int milliseconds = 2000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end) {
            if (!queue.peek(out, window.get())) {
                Sleep(5);
                continue;
            }
            if (wanted(out)) {
                return true;
            }
            MessageQueue::translate(out);
            MessageQueue::dispatch(out);
        }
        return false;
    }
    POINT clientToScreen(int x, int y) const {
        POINT point{x, y};
        ClientToScreen(window->native().window, &point);
        return point;
    }

    MessageQueue queue;
    std::unique_ptr<Window> window;
};

TEST_F(WindowsQueue, PostedMessagesAndTheQuitMessageComeOnePerPoll) {
    queue.post(window.get(), 0x0401, 7, -3);
    queue.post(window.get(), 0x0402, 8, 4);
    queue.postQuit(5);
    Message message;
    // A poll filtered on the window still takes the thread's quit message, after the others.
    const uint32_t expected[] = {0x0401, 0x0402, WM_QUIT};
    for (uint32_t number : expected) {
        ASSERT_TRUE(queue.peek(message, window.get()));
        EXPECT_EQ(message.message, number);
    }
    EXPECT_EQ(message.wParam, 5u);
    EXPECT_EQ(message.window, nullptr);
}

TEST_F(WindowsQueue, InputArrivesAsTheWindowMessagesOfItsKind) {
    const POINT inside = clientToScreen(50, 40);
    const POINT aboveLeft = clientToScreen(-40, -35);
    struct Case {
        const char* what;
        std::function<void()> act;
        uint32_t message;
        std::function<void(const Message&)> check;
    };
    const Case cases[] = {
        {"S pressed: scan code 31, not released", [] { key('S', false); }, WM_KEYDOWN,
         [](const Message& m) {
             EXPECT_EQ(m.wParam, uint64_t{'S'});
             EXPECT_EQ(keyScanCode(m.lParam), 31);
             EXPECT_FALSE(keyReleased(m.lParam));
             EXPECT_EQ(keyRepeatCount(m.lParam), 1);
             MessageQueue::translate(m);
         }},
        {"its character, made by the translation", [] {}, WM_CHAR,
         [](const Message& m) { EXPECT_EQ(m.wParam, uint64_t{'s'}); }},
        {"S released: the release and previous-state bits", [] { key('S', true); }, WM_KEYUP,
         [](const Message& m) {
             EXPECT_EQ(keyScanCode(m.lParam), 31);
             EXPECT_TRUE(keyReleased(m.lParam));
             EXPECT_TRUE(keyPrevious(m.lParam));
         }},
        {"a press in the window captures the mouse",
         [&] {
             mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, inside);
             mouse(MOUSEEVENTF_LEFTDOWN);
         },
         WM_LBUTTONDOWN,
         [&](const Message& m) {
             EXPECT_EQ(m.window, window.get());
             EXPECT_NEAR(pointX(m.lParam), 50, 1);
             EXPECT_NEAR(pointY(m.lParam), 40, 1);
             EXPECT_EQ(m.wParam & MK_LBUTTON, MK_LBUTTON);
             MessageQueue::dispatch(m);
             EXPECT_EQ(GetCapture(), window->native().window);
         }},
        {"a captured move above and left of the window: negative coordinates",
         [&] { mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, aboveLeft); }, WM_MOUSEMOVE,
         [](const Message& m) {
             EXPECT_NEAR(pointX(m.lParam), -40, 1);
             EXPECT_NEAR(pointY(m.lParam), -35, 1);
         }},
        {"the release outside still reaches the window", [] { mouse(MOUSEEVENTF_LEFTUP); },
         WM_LBUTTONUP,
         [](const Message& m) {
             MessageQueue::dispatch(m);
             EXPECT_EQ(GetCapture(), nullptr);
         }},
        {"released outside, the pointer has left the window", [] {}, MOUSE_LEAVE,
         [&](const Message& m) { EXPECT_EQ(m.window, window.get()); }},
        {"back inside without a button",
         [&] { mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, inside); }, WM_MOUSEMOVE,
         [](const Message& m) { MessageQueue::dispatch(m); }},
        {"out again: the watched pointer leaves",
         [&] { mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, aboveLeft); }, MOUSE_LEAVE,
         [&](const Message& m) { EXPECT_EQ(m.window, window.get()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.act();
        Message message;
        ASSERT_TRUE(waitFor(message, [&](const Message& m) { return m.message == c.message; }));
        c.check(message);
    }
}

}  // namespace
}  // namespace zelmor::platform
