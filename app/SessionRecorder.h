#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/ReplayRecord.h"
#include "app/ReplaySink.h"
#include "app/ReplayWriter.h"

namespace zelmor {

class Session;

// Records the session the program runs, as it runs, into a replay: the files it reads, the
// messages its window procedure handles with the step of each, the clock readings of every pass,
// a state hash every HASH_INTERVAL steps and the end. The writer streams it out in chunks at
// least once a second. The first failure (a write the system refuses, a file too large to embed)
// stops the recording for good with one line to the log; the session itself goes on as before.
class SessionRecorder {
public:
    static constexpr uint64_t HASH_INTERVAL = 100;
    using Log = std::function<void(const std::string& line)>;

    // Records into sink (which must outlive the recorder), beginning with the header.
    SessionRecorder(replay::ReplaySink& sink, const replay::Header& header, Log log);

    void embed(const replay::EmbeddedFile& file);
    // The scene has been read; files embedded and messages handled before this came before it.
    void sceneLoaded();
    void handled(uint64_t step, uint32_t message, uint64_t wParam, int64_t lParam);
    // Whether the pass that is ending has a minimised window; the next two clock readings of
    // the loop are its start and end.
    void passMinimised(bool minimised);
    void clockRead(int32_t reading);
    void quit(uint64_t step, int exitCode);
    // After every step: the state hash when one is due.
    void stepped(const Session& session);
    // The session has ended; the recording is complete and written out.
    void end(const Session& session);
    // Writes out what has waited long enough (call once a pass).
    void flushIfDue(int32_t nowMs);
    // Stops the recording with the reason, in one line of the log.
    void stop(const std::string& reason);

    bool recording() const { return !stopped_; }

private:
    void write(const replay::Record& record);

    replay::ReplayWriter writer_;
    Log log_;
    bool stopped_ = false;
    std::optional<replay::Pass> pass_;  // the pass whose readings are being taken
    int readings_ = 0;
};

}  // namespace zelmor
