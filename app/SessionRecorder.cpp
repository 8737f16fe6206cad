#include "app/SessionRecorder.h"

#include "app/ReplayFormat.h"
#include "app/Session.h"
#include "app/SessionHash.h"

namespace zelmor {

namespace {

bool isRecorded(uint32_t message) {
    for (const replay::MessageRule& rule : replay::MESSAGE_RULES) {
        if (rule.message == message) {
            return true;
        }
    }
    return false;
}

}  // namespace

SessionRecorder::SessionRecorder(replay::ReplaySink& sink, const replay::Header& header, Log log)
    : writer_(sink), log_(std::move(log)) {
    write(header);
}

void SessionRecorder::embed(const replay::EmbeddedFile& file) {
    write(file);
}

void SessionRecorder::sceneLoaded() {
    write(replay::SceneLoaded{});
}

void SessionRecorder::handled(uint64_t step, uint32_t message, uint64_t wParam, int64_t lParam) {
    // A message the format has no place for is one the session leaves to the window system; a
    // known one with values it cannot hold would make the replay go its own way.
    if (!isRecorded(message)) {
        return;
    }
    const std::string_view problem = replay::messageProblem(message, wParam, lParam);
    if (!problem.empty()) {
        stop("message " + std::to_string(message) + ": " + std::string(problem));
        return;
    }
    write(replay::Handled{step, message, wParam, lParam});
}

void SessionRecorder::passMinimised(bool minimised) {
    pass_ = replay::Pass{minimised, 0, 0};
    readings_ = 0;
}

void SessionRecorder::clockRead(int32_t reading) {
    if (!pass_) {
        return;
    }
    if (readings_++ == 0) {
        pass_->start = reading;
        return;
    }
    pass_->end = reading;
    write(*pass_);
    pass_.reset();
}

void SessionRecorder::quit(uint64_t step, int exitCode) {
    write(replay::Quit{step, exitCode});
}

void SessionRecorder::stepped(const Session& session) {
    if (session.steps() % HASH_INTERVAL == 0) {
        write(replay::StateHash{session.steps(), SessionHash::of(session)});
    }
}

void SessionRecorder::end(const Session& session) {
    write(replay::End{session.steps(), SessionHash::of(session)});
    writer_.flush();
    if (writer_.failed()) {
        stop(writer_.failure());
    }
}

void SessionRecorder::flushIfDue(int32_t nowMs) {
    if (stopped_) {
        return;
    }
    writer_.flushIfDue(nowMs);
    if (writer_.failed()) {
        stop(writer_.failure());
    }
}

void SessionRecorder::write(const replay::Record& record) {
    if (stopped_) {
        return;
    }
    writer_.write(record);
    if (writer_.failed()) {
        stop(writer_.failure());
    }
}

void SessionRecorder::stop(const std::string& reason) {
    if (stopped_) {
        return;
    }
    stopped_ = true;
    log_("Replay recording stopped: " + reason);
}

}  // namespace zelmor
