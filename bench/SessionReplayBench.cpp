// Replaying a recorded session: a ten-minute session on the bundled scene, recorded here as the
// program records one (its files, its messages before their steps, its clock readings and a
// hash every 100 steps), then verified from its start, and jumped around in as the viewer does.
// The counters give the steps verified per second, the bytes a minute of play takes, and what
// the embedded scene files add.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "app/GeometryHost.h"
#include "app/MainLoop.h"
#include "app/RecordingClock.h"
#include "app/RecordingFileSource.h"
#include "app/ReplaySink.h"
#include "app/Session.h"
#include "app/SessionRecorder.h"
#include "app/SessionReplay.h"
#include "platform/WindowMessages.h"
#include "scene/FolderFileSource.h"

namespace zelmor::bench {

namespace {

using namespace platform;

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;
constexpr uint64_t TEN_MINUTES = 60000;  // steps
constexpr int32_t FRAME_MS = 16;

class StringSink : public replay::ReplaySink {
public:
    replay::SinkFailure write(std::string_view data) override {
        bytes.append(data);
        return std::nullopt;
    }
    replay::SinkFailure flush() override { return std::nullopt; }
    std::string bytes;
};

class ScriptedClock : public platform::Clock {
public:
    int32_t now() override { return time; }
    int32_t time = 0;
};

// A user who every twenty seconds selects every unit in view with a rubber band over the whole
// window and sends them to one of four places, and now and then scrolls; each frame takes 16 ms.
class ScriptedUser : public LoopClient {
public:
    ScriptedUser(Session& session, SessionRecorder& recorder, ScriptedClock& clock)
        : session_(session), recorder_(recorder), clock_(clock) {}

    bool pollMessage(Message& out) override {
        const uint64_t step = session_.steps();
        if (step >= TEN_MINUTES) {
            recorder_.quit(step, 0);
            out = {nullptr, WM_QUIT, 0, 0};
            return true;
        }
        const uint64_t phase = step % 2000;
        const int goal = static_cast<int>(step / 2000 % 4);
        const int64_t corner = makePointParam(goal % 2 == 0 ? 200 : 440, goal < 2 ? 150 : 330);
        const Message script[] = {
            {nullptr, WM_LBUTTONDOWN, MK_LBUTTON, makePointParam(21, 21)},
            {nullptr, WM_MOUSEMOVE, MK_LBUTTON, makePointParam(320, 240)},
            {nullptr, WM_LBUTTONUP, 0, makePointParam(WIDTH - 22, HEIGHT - 22)},
            {nullptr, WM_RBUTTONDOWN, MK_RBUTTON, corner},
            {nullptr, WM_RBUTTONUP, 0, corner},
            {nullptr, WM_KEYDOWN, 0x26, makeKeyParam(SCAN_UP, true, false, false)},
            {nullptr, WM_KEYUP, 0x26, makeKeyParam(SCAN_UP, true, true, true)},
        };
        const uint64_t at[] = {0, 1, 2, 3, 4, 1000, 1030};
        for (std::size_t i = 0; i < std::size(script); ++i) {
            if (phase == at[i]) {
                out = script[i];
                return true;
            }
        }
        return false;
    }
    void dispatchMessage(const Message& message) override {
        recorder_.handled(session_.steps(), message.message, message.wParam, message.lParam);
        session_.handleMessage(message.message, message.wParam, message.lParam);
    }
    void step() override {
        session_.step();
        recorder_.stepped(session_);
    }
    void buildVisibleLists() override { session_.buildVisibleLists(); }
    void renderFrame() override {
        session_.renderFrame();
        clock_.time += FRAME_MS;
    }
    void countFrame() override {}
    bool isMinimised() override {
        recorder_.flushIfDue(clock_.time);
        recorder_.passMinimised(false);
        return false;
    }
    void waitFrame() override {}

private:
    Session& session_;
    SessionRecorder& recorder_;
    ScriptedClock& clock_;
};

struct Recording {
    std::string bytes;
    std::size_t sceneBytes = 0;
};

const Recording& tenMinutesOnTheBundledScene() {
    static const Recording recording = [] {
        StringSink sink;
        SessionRecorder recorder(sink, {"1.0.0", "linux", 0}, [](const std::string&) {});
        ViewGeometry geometry;
        GeometryHost host(geometry);
        Session session(geometry, host);
        const int64_t size = makeSizeParam(WIDTH, HEIGHT);
        recorder.handled(0, WM_SIZE, 0, size);
        session.handleMessage(WM_SIZE, 0, size);
        // The program's paths, read from the data folder.
        const FolderFileSource folder(ZELMOR_DATA_DIR, "");
        std::size_t sceneBytes = 0;
        const RecordingFileSource files(
            folder,
            [&](const replay::EmbeddedFile& file) {
                sceneBytes += file.bytes.size();
                recorder.embed(file);
            },
            [](const std::string&) {});
        ModelCache models;
        World world(models);
        session.loadWorld(world, "wdf/test.wdf", ReadContext{&files, nullptr});
        recorder.sceneLoaded();
        ScriptedClock clock;
        RecordingClock loopClock(clock);
        loopClock.recordTo(&recorder);
        ScriptedUser user(session, recorder, clock);
        MainLoop::run(user, loopClock);
        recorder.end(session);
        return Recording{sink.bytes, sceneBytes};
    }();
    return recording;
}

void verify(benchmark::State& state) {
    const Recording& recording = tenMinutesOnTheBundledScene();
    uint64_t steps = 0;
    for (auto _ : state) {
        std::istringstream in(recording.bytes);
        SessionReplay replay(in);
        if (replay.playToEnd().verdict != SessionReplay::Verdict::VERIFIED) {
            state.SkipWithError(replay.outcome().message.c_str());
            return;
        }
        steps = replay.steps();
    }
    state.counters["steps_per_s"] =
        benchmark::Counter(static_cast<double>(steps) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    const double minutes = static_cast<double>(steps) / 6000.0;
    state.counters["bytes_per_minute"] =
        static_cast<double>(recording.bytes.size() - recording.sceneBytes) / minutes;
    state.counters["scene_bytes"] = static_cast<double>(recording.sceneBytes);
}

// Jumps to random steps, backwards and forwards, in a replay that has been played through once
// (so its snapshots are all there, as in a viewer that has shown the whole session).
void seek(benchmark::State& state) {
    const Recording& recording = tenMinutesOnTheBundledScene();
    std::istringstream in(recording.bytes);
    SessionReplay replay(in);
    replay.playToEnd();
    std::minstd_rand random(7);
    for (auto _ : state) {
        replay.seek(random() % TEN_MINUTES);
    }
}

}  // namespace

BENCHMARK(verify)->Name("Replay/verify/bundled-scene/ten-minutes")->Unit(benchmark::kMillisecond);
BENCHMARK(seek)->Name("Replay/seek/bundled-scene/ten-minutes")->Unit(benchmark::kMillisecond);

}  // namespace zelmor::bench
