#include "app/ReplayViewer.h"

#include <cstdio>
#include <fstream>

#include "platform/MessageQueue.h"
#include "platform/WindowMessages.h"

namespace zelmor {

using namespace platform;

namespace {

// Recorded time per wall-clock time; 0 plays as fast as the frames allow.
constexpr double SPEEDS[] = {0.25, 0.5, 1, 2, 4, 8, 16, 0};
constexpr int SPEED_COUNT = static_cast<int>(std::size(SPEEDS));
constexpr uint64_t JUMP_STEPS = 1000;      // 10 s
constexpr int32_t WORK_PER_FRAME_MS = 40;  // what playing may take of a frame

constexpr uint64_t VK_SPACE = 0x20;
constexpr uint64_t VK_PRIOR = 0x21;
constexpr uint64_t VK_NEXT = 0x22;
constexpr uint64_t VK_END = 0x23;
constexpr uint64_t VK_HOME = 0x24;
constexpr uint64_t VK_LEFT = 0x25;
constexpr uint64_t VK_UP = 0x26;
constexpr uint64_t VK_RIGHT = 0x27;
constexpr uint64_t VK_DOWN = 0x28;

std::string verdictText(const SessionReplay& replay) {
    switch (replay.outcome().verdict) {
        case SessionReplay::Verdict::PLAYING:
            return replay.outcome().matched ? "hashes match" : "";
        case SessionReplay::Verdict::VERIFIED:
            return "verified";
        default:
            return replay.outcome().message;
    }
}

}  // namespace

ReplayViewer* ReplayViewer::current_ = nullptr;

int ReplayViewer::run(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "zelmor: cannot open the replay %s\n", path.c_str());
        return 1;
    }
    ReplayViewer viewer(std::make_unique<SessionReplay>(in));
    if (!viewer.openWindow()) {
        return 1;
    }
    viewer.play();
    viewer.close();
    return 0;
}

ReplayViewer::ReplayViewer(std::unique_ptr<SessionReplay> replay) : replay_(std::move(replay)) {
    current_ = this;
    target_ = replay_->nextClock();
}

ReplayViewer::~ReplayViewer() {
    current_ = nullptr;
}

bool ReplayViewer::openWindow() {
    if (view_.createWindow("zelmor replay", 0, 0, 640, 480, &ReplayViewer::windowProcedure) ==
        nullptr) {
        return false;
    }
    view_.show(1);
    return true;
}

int64_t ReplayViewer::windowProcedure(Window* window, uint32_t message, uint64_t wParam,
                                      int64_t lParam) {
    ReplayViewer* viewer = current_;
    if (viewer == nullptr) {
        return MessageQueue::defaultProcedure(window, message, wParam, lParam);
    }
    switch (message) {
        case WM_SIZE:
            viewer->view_.resize(sizeWidth(lParam), sizeHeight(lParam));
            return 0;
        case WM_CLOSE:
            viewer->quit_ = true;
            return 0;
        case WM_KEYDOWN:
            viewer->onKey(wParam);
            return 0;
        default:
            return MessageQueue::defaultProcedure(window, message, wParam, lParam);
    }
}

void ReplayViewer::play() {
    MessageQueue& queue = MessageQueue::instance();
    int32_t last = clock_.now();
    while (!quit_) {
        Message message;
        while (!quit_ && queue.peek(message, view_.window())) {
            if (message.message == WM_QUIT) {
                quit_ = true;
                break;
            }
            MessageQueue::translate(message);
            MessageQueue::dispatch(message);
        }
        const int32_t now = clock_.now();
        playFor(Clock::millisecondsBetween(last, now));
        last = now;
        if (view_.window()->isMinimised()) {
            view_.window()->waitFrame();
            continue;
        }
        drawFrame();
    }
}

void ReplayViewer::onKey(uint64_t virtualKey) {
    const uint64_t steps = replay_->steps();
    const uint64_t recorded = replay_->recordedSteps();
    if (virtualKey >= '0' && virtualKey <= '9') {
        jumpTo(recorded * (virtualKey - '0') / 10);
        return;
    }
    switch (virtualKey) {
        case VK_ESCAPE:
            quit_ = true;
            return;
        case VK_SPACE:
            togglePause();
            return;
        case VK_RIGHT:
            playing_ = false;
            jumpTo(steps + 1);
            return;
        case VK_LEFT:
            playing_ = false;
            jumpTo(steps > 0 ? steps - 1 : 0);
            return;
        case VK_UP:
            faster();
            return;
        case VK_DOWN:
            slower();
            return;
        case VK_NEXT:
            jumpTo(steps + JUMP_STEPS);
            return;
        case VK_PRIOR:
            jumpTo(steps > JUMP_STEPS ? steps - JUMP_STEPS : 0);
            return;
        case VK_HOME:
            jumpTo(0);
            return;
        case VK_END:
            jumpTo(recorded);
            return;
        default:
            return;
    }
}

void ReplayViewer::togglePause() {
    playing_ = !playing_;
    target_ = replay_->nextClock();
}

void ReplayViewer::faster() {
    speedIndex_ = std::min(speedIndex_ + 1, SPEED_COUNT - 1);
}

void ReplayViewer::slower() {
    speedIndex_ = std::max(speedIndex_ - 1, 0);
}

double ReplayViewer::speed() const {
    return SPEEDS[speedIndex_];
}

void ReplayViewer::jumpTo(uint64_t step) {
    replay_->seek(step);
    target_ = replay_->nextClock();
}

void ReplayViewer::playFor(uint32_t elapsed) {
    if (!playing_ || replay_->stopped()) {
        return;
    }
    const int32_t deadline = clock_.now() + WORK_PER_FRAME_MS;
    const auto withinFrame = [&] { return static_cast<int32_t>(clock_.now() - deadline) < 0; };
    if (speed() == 0) {
        while (withinFrame() && replay_->advance()) {
        }
        return;
    }
    target_ += elapsed * speed();
    while (replay_->nextClock() <= target_ && withinFrame() && replay_->advance()) {
    }
    // Frames that could not keep up do not pile up: the replay goes on from where it got to.
    if (!withinFrame()) {
        target_ = replay_->nextClock();
    }
}

void ReplayViewer::drawFrame() {
    view_.window()->setTitle(title());
    const Session& session = replay_->session();
    const World* world = session.world();
    if (world != nullptr) {
        // The recorded camera, marked changed so that GL takes its view every frame, through
        // this window's lens.
        camera_ = world->camera;
        camera_.setPosition(camera_.position());
        view_.setCamera(camera_);
    }
    view_.beginFrame();
    const AppState& state = session.state();
    view_.drawList(state.visibleStatics);
    view_.drawList(state.visibleUnits);
    view_.drawOnTop(state.selectionBox);
    view_.endFrame();
}

std::string ReplayViewer::title() const {
    char text[160];
    const double seconds = replay_->steps() * 0.01;
    const std::string pace = speed() == 0
                                 ? "fastest"
                                 : (speed() < 1 ? "1/" + std::to_string(int(1 / speed())) + "x"
                                                : std::to_string(int(speed())) + "x");
    std::snprintf(text, sizeof text, "zelmor replay: step %llu of %llu, %.2f s, %s%s",
                  static_cast<unsigned long long>(replay_->steps()),
                  static_cast<unsigned long long>(replay_->recordedSteps()), seconds, pace.c_str(),
                  playing_ ? "" : ", paused");
    const std::string verdict = verdictText(*replay_);
    return verdict.empty() ? text : std::string(text) + ", " + verdict;
}

}  // namespace zelmor
