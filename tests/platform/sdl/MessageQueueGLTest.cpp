#include "platform/MessageQueue.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include <SDL.h>

#include "platform/Window.h"
#include "platform/sdl/WindowNative.h"

namespace zelmor::platform {
namespace {

TEST(MessageQueue, PostedMessagesComeFirstThenTheQuitMessage) {
    MessageQueue queue;
    queue.postQuit(3);
    queue.post(nullptr, WM_PAINT, 0, 0);
    Message message;
    ASSERT_TRUE(queue.peek(message, nullptr));
    EXPECT_EQ(message.message, WM_PAINT);
    ASSERT_TRUE(queue.peek(message, nullptr));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_FALSE(queue.peek(message, nullptr)) << "the quit message is delivered once";
}

// Events pushed into SDL's own queue on the offscreen driver, read back the way the main loop
// reads them: one message per poll. The program's windows are GL windows, so these tests run
// with the GL suite, whose sanitizer run keeps Mesa's driver loaded to the end.
class MessageQueueBurst : public testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ASSERT_TRUE(Window::registerClass()) << SDL_GetError();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

    static void pushMoves(int count, int firstX) {
        for (int i = 0; i < count; ++i) {
            SDL_Event event{};
            event.motion.type = SDL_MOUSEMOTION;
            event.motion.x = firstX + i % 600;
            event.motion.y = (7 * i) % 480;
            ASSERT_EQ(SDL_PushEvent(&event), 1);
        }
    }
    static void pushKey(Uint32 type, SDL_Scancode code, SDL_Keycode character, Uint16 mod) {
        SDL_Event event{};
        event.key.type = type;
        event.key.keysym.scancode = code;
        event.key.keysym.sym = character;
        event.key.keysym.mod = mod;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
    std::vector<Message> pollAll() {
        std::vector<Message> messages;
        Message message;
        while (messages.size() < 2000 && queue.peek(message, nullptr)) {
            messages.push_back(message);
        }
        return messages;
    }

    MessageQueue queue;
};

TEST_F(MessageQueueBurst, AKeyBehindFiveHundredMovesWaitsOneMessage) {
    pushMoves(500, 0);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_S, 's', KMOD_NONE);
    const std::vector<Message> messages = pollAll();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(pointX(messages[0].lParam), 499);
    EXPECT_EQ(pointY(messages[0].lParam), (7 * 499) % 480);
    EXPECT_EQ(messages[1].message, WM_KEYDOWN);
    EXPECT_EQ(messages[1].wParam, 0x53u);
}

// SHIFT pressed in the middle of a burst: the moves are not folded across it, so the moves
// before it carry no SHIFT and those after it do, and the click keeps its SHIFT.
TEST_F(MessageQueueBurst, MovesAreFoldedOnlyUpToTheNextOtherEvent) {
    pushMoves(200, 0);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT);
    pushMoves(300, 1);
    SDL_Event click{};
    click.button.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_LEFT;
    click.button.x = 5;
    click.button.y = 6;
    ASSERT_EQ(SDL_PushEvent(&click), 1);
    const std::vector<Message> messages = pollAll();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(messages[0].wParam, 0u);
    EXPECT_EQ(pointX(messages[0].lParam), 199);
    EXPECT_EQ(messages[1].message, WM_KEYDOWN);
    EXPECT_EQ(messages[2].message, WM_MOUSEMOVE);
    EXPECT_EQ(messages[2].wParam, MK_SHIFT);
    EXPECT_EQ(pointX(messages[2].lParam), 300);
    EXPECT_EQ(messages[3].message, WM_LBUTTONDOWN);
    EXPECT_EQ(messages[3].wParam, MK_SHIFT | MK_LBUTTON);
}

// Outside its client area a window hears of the pointer only while it holds the capture; the
// pointer leaving without the capture, a release outside after it, and the focus going each
// make their own message, which the program answers by stopping the edge scrolling.
TEST_F(MessageQueueBurst, OutsideTheClientAreaOnlyACapturedPointerIsHeard) {
    const auto window = Window::create("zelmor", 0, 0, 640, 480, nullptr);
    ASSERT_TRUE(window);
    const Uint32 id = SDL_GetWindowID(window->native().window);
    const auto motion = [id](int x, int y) {
        SDL_Event event{};
        event.motion.type = SDL_MOUSEMOTION;
        event.motion.windowID = id;
        event.motion.x = x;
        event.motion.y = y;
        return event;
    };
    const auto windowEvent = [id](SDL_WindowEventID what) {
        SDL_Event event{};
        event.window.type = SDL_WINDOWEVENT;
        event.window.windowID = id;
        event.window.event = what;
        return event;
    };
    SDL_Event release{};
    release.button.type = SDL_MOUSEBUTTONUP;
    release.button.windowID = id;
    release.button.button = SDL_BUTTON_LEFT;
    release.button.x = 700;
    release.button.y = -20;
    struct Case {
        SDL_Event event;
        bool captured;
        uint32_t message;
    };
    const Case cases[] = {
        {motion(639, 479), false, WM_MOUSEMOVE},
        {motion(640, 10), false, WM_NULL},
        {motion(-1, 10), false, WM_NULL},
        {windowEvent(SDL_WINDOWEVENT_LEAVE), false, WM_MOUSELEAVE},
        {windowEvent(SDL_WINDOWEVENT_FOCUS_LOST), false, WM_KILLFOCUS},
        {windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), false, WM_SETFOCUS},
        {windowEvent(SDL_WINDOWEVENT_MOVED), false, WM_NULL},  // reaches the window unhandled
        {motion(700, -20), true, WM_MOUSEMOVE},
        {windowEvent(SDL_WINDOWEVENT_LEAVE), true, WM_NULL},
        {release, true, WM_LBUTTONUP},
    };
    MessageQueue& programQueue = MessageQueue::instance();
    Message message;
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    for (const Case& c : cases) {  // the captured cases come last
        if (c.captured) {
            MessageQueue::setCapture(window.get());
        }
        SDL_Event event = c.event;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        // A poll that meets the end of what SDL had when it last looked finds nothing once.
        const bool taken =
            programQueue.peek(message, nullptr) || programQueue.peek(message, nullptr);
        ASSERT_TRUE(taken) << "case " << (&c - cases);
        EXPECT_EQ(message.message, c.message) << "case " << (&c - cases);
        EXPECT_EQ(message.window, window.get()) << "case " << (&c - cases);
    }
    MessageQueue::releaseCapture();
    ASSERT_TRUE(programQueue.peek(message, nullptr));
    EXPECT_EQ(message.message, WM_MOUSELEAVE) << "released outside: the leave went unheard";
    EXPECT_EQ(message.window, window.get());
    // Released inside, the pointer is where the window hears it: there is no leave to tell.
    MessageQueue::setCapture(window.get());
    SDL_Event inside = motion(320, 240);
    ASSERT_EQ(SDL_PushEvent(&inside), 1);
    ASSERT_TRUE(programQueue.peek(message, nullptr) || programQueue.peek(message, nullptr));
    MessageQueue::releaseCapture();
    EXPECT_FALSE(programQueue.peek(message, nullptr)) << "message " << message.message;
}

}  // namespace
}  // namespace zelmor::platform
