#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "app/GeometryHost.h"
#include "app/MainLoop.h"
#include "app/ReplayedFileSource.h"
#include "app/Session.h"
#include "app/SessionSnapshot.h"
#include "platform/Clock.h"
#include "scene/ModelCache.h"
#include "scene/World.h"
#include "view/ViewGeometry.h"

namespace zelmor {

// A recorded session played again through the program's own Session and main loop, without a
// window: its scene comes from the files the recording embedded, each recorded message reaches
// the session's window procedure before the step it came before, and the recorded clock
// readings decide how many steps each pass runs. The recorded state hashes are compared as the
// replay reaches them; the first that differs stops it. The replay can also go a step at a time
// and return to any step, through snapshots it keeps as it goes.
class SessionReplay : private LoopClient {
public:
    enum class Verdict { PLAYING, VERIFIED, MISMATCH, TRUNCATED, DAMAGED };
    struct Outcome {
        Verdict verdict = Verdict::PLAYING;
        std::string message;     // one line for people; empty while playing
        uint64_t lastMatch = 0;  // the last step whose recorded hash the replay matched
        bool matched = false;    // whether any hash matched yet
    };
    // Steps between the snapshots that seeking returns to.
    static constexpr uint64_t SNAPSHOT_INTERVAL = 500;
    // The most records a replay holds: a session of about a day at sixty frames a second.
    static constexpr std::size_t MAX_EVENTS = std::size_t{1} << 23;

    // Reads the whole file (up to its end or its first problem) and reads the recorded scene:
    // the replay then stands before its first step.
    explicit SessionReplay(std::istream& in);
    ~SessionReplay() override;
    SessionReplay(const SessionReplay&) = delete;
    SessionReplay& operator=(const SessionReplay&) = delete;

    // Plays on to the end of the next step or of the next pass's frame; false once the session
    // has ended or the replay stopped.
    bool advance();
    // Plays to the end, or to the first mismatch or problem.
    const Outcome& playToEnd();
    // Stands right after step `step` ran, as playing from the start would leave the session
    // there (0: before the first step). A step past the recorded ones goes as far as there are.
    void seek(uint64_t step);

    const Session& session() const { return session_; }
    const Outcome& outcome() const { return outcome_; }
    bool stopped() const { return outcome_.verdict != Verdict::PLAYING; }
    uint64_t steps() const { return session_.steps(); }
    // The state hash of the session now.
    uint64_t hash() const;
    // The steps the recording holds (its End's, or as far as its records reach).
    uint64_t recordedSteps() const { return recordedSteps_; }
    // The recorded clock (milliseconds since the recorded program started) of the pass being
    // played, and of the recording's last pass.
    int32_t clock() const { return pass_.start; }
    // The recorded clock at the start of the next pass to be played, which the frames of a
    // replay played at its recorded pace wait for; the last pass's end once none is left.
    int32_t nextClock() const;
    int32_t recordedEnd() const { return recordedEnd_; }
    // The bytes of the embedded files.
    std::size_t embeddedBytes() const { return files_.bytes(); }
    const std::string& programVersion() const { return programVersion_; }
    const std::string& platformName() const { return platformName_; }

private:
    struct Event;
    class RecordedClock : public platform::Clock {
    public:
        explicit RecordedClock(SessionReplay& replay) : replay_(replay) {}
        int32_t now() override;

    private:
        SessionReplay& replay_;
    };

    void read(std::istream& in);
    void loadScene();
    void stop(Verdict verdict, const std::string& message);
    // The events are used up before the session's end: the file stopped early or was damaged.
    void runOut();
    const Event* peek() const;

    // LoopClient: the recorded input, the session's steps, lists and frames.
    bool pollMessage(platform::Message& out) override;
    void dispatchMessage(const platform::Message&) override {}
    void step() override;
    void buildVisibleLists() override { session_.buildVisibleLists(); }
    void renderFrame() override { session_.renderFrame(); }
    void countFrame() override {}
    bool isMinimised() override;
    void waitFrame() override {}

    // Where a replay stands, kept every SNAPSHOT_INTERVAL steps.
    struct Mark {
        SessionSnapshot session;
        MainLoop::State loop;
        std::size_t next = 0;
        replay::Pass pass;
        int readings = 0;
    };
    Mark markHere() const;
    void returnTo(const Mark& mark);

    std::vector<Event> events_;
    std::size_t next_ = 0;  // the next event to play
    std::string programVersion_;
    std::string platformName_;
    std::string scenePath_;
    uint64_t recordedSteps_ = 0;
    int32_t recordedEnd_ = 0;
    Outcome ending_;  // what playing past the last event comes to

    ReplayedFileSource files_;
    ModelCache models_;
    World world_;
    ViewGeometry geometry_;
    GeometryHost host_{geometry_};  // nothing is drawn and nothing posted
    Session session_;
    RecordedClock clock_;
    MainLoop loop_;
    replay::Pass pass_;  // the pass being played
    int readings_ = 0;   // of its clock readings taken
    Outcome outcome_;
    std::vector<Mark> marks_;
};

}  // namespace zelmor
