#include "app/SessionReplay.h"

#include <algorithm>
#include <cstdio>
#include <type_traits>

#include "app/ReplayReader.h"
#include "app/SessionHash.h"
#include "app/SessionRecorder.h"

namespace zelmor {

// One record of the recorded loop, kept small: a replay holds every one of them.
struct SessionReplay::Event {
    enum Kind : uint8_t { LOADED, HANDLED, PASS, QUIT, HASH, END };
    Kind kind = LOADED;
    bool minimised = false;
    uint32_t message = 0;
    int32_t start = 0;
    int32_t end = 0;
    uint64_t step = 0;
    uint64_t value = 0;  // wParam, the hash or the exit code
    int64_t lParam = 0;
};

namespace {

std::string hex(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

const char* nameOf(uint8_t kind) {
    constexpr const char* NAMES[] = {"SceneLoaded", "Handled", "Pass", "Quit", "StateHash", "End"};
    return kind < std::size(NAMES) ? NAMES[kind] : "record";
}

}  // namespace

SessionReplay::SessionReplay(std::istream& in)
    : world_(models_), session_(geometry_, host_), clock_(*this), loop_(*this, clock_) {
    read(in);
    loadScene();
    marks_.push_back(markHere());
}

SessionReplay::~SessionReplay() = default;

void SessionReplay::read(std::istream& in) {
    replay::ReplayReader reader(in);
    replay::Record record;
    while (events_.size() < MAX_EVENTS && reader.next(record)) {
        std::visit(
            [this](const auto& r) {
                using R = std::decay_t<decltype(r)>;
                if constexpr (std::is_same_v<R, replay::Header>) {
                    programVersion_ = r.programVersion;
                    platformName_ = r.platform;
                } else if constexpr (std::is_same_v<R, replay::EmbeddedFile>) {
                    files_.add(r);
                    if (scenePath_.empty()) {
                        scenePath_ = r.path;  // the scene is the first file a session reads
                    }
                } else if constexpr (std::is_same_v<R, replay::SceneLoaded>) {
                    events_.push_back({Event::LOADED});
                } else if constexpr (std::is_same_v<R, replay::Handled>) {
                    events_.push_back(
                        {Event::HANDLED, false, r.message, 0, 0, r.step, r.wParam, r.lParam});
                } else if constexpr (std::is_same_v<R, replay::Pass>) {
                    events_.push_back({Event::PASS, r.minimised, 0, r.start, r.end});
                    recordedEnd_ = r.end;
                } else if constexpr (std::is_same_v<R, replay::Quit>) {
                    events_.push_back({Event::QUIT, false, 0, 0, 0, r.step,
                                       static_cast<uint64_t>(static_cast<uint32_t>(r.exitCode))});
                } else if constexpr (std::is_same_v<R, replay::StateHash>) {
                    events_.push_back({Event::HASH, false, 0, 0, 0, r.step, r.hash});
                    recordedSteps_ = std::max(recordedSteps_, r.step);
                } else {
                    events_.push_back({Event::END, false, 0, 0, 0, r.step, r.hash});
                    recordedSteps_ = r.step;
                }
            },
            record);
    }
    using Status = replay::ReplayReader::Status;
    if (events_.size() >= MAX_EVENTS) {
        ending_ = {Verdict::DAMAGED, "more than " + std::to_string(MAX_EVENTS) + " records"};
    } else if (reader.status() == Status::Damaged) {
        ending_ = {Verdict::DAMAGED, "damaged: " + reader.reason()};
    } else {
        ending_ = {Verdict::TRUNCATED, {}};
    }
}

void SessionReplay::loadScene() {
    // The window's first sizes came before the scene was read.
    while (const Event* event = peek()) {
        ++next_;
        if (event->kind == Event::LOADED) {
            session_.loadWorld(world_, scenePath_, ReadContext{&files_, nullptr});
            return;
        }
        if (event->kind != Event::HANDLED || event->step != 0) {
            stop(Verdict::DAMAGED, std::string("damaged: a ") + nameOf(event->kind) +
                                       " record before the scene was read");
            return;
        }
        session_.handleMessage(event->message, event->value, event->lParam);
    }
    // A session killed while it read its scene: nothing of it can be played.
    stop(ending_.verdict, ending_.verdict == Verdict::TRUNCATED
                              ? "truncated before the scene was read, verified up to step 0"
                              : ending_.message);
}

const SessionReplay::Event* SessionReplay::peek() const {
    return next_ < events_.size() ? &events_[next_] : nullptr;
}

void SessionReplay::stop(Verdict verdict, const std::string& message) {
    if (stopped()) {
        return;
    }
    outcome_.verdict = verdict;
    outcome_.message = message;
}

int32_t SessionReplay::nextClock() const {
    for (std::size_t i = next_; i < events_.size(); ++i) {
        if (events_[i].kind == Event::PASS) {
            return events_[i].start;
        }
    }
    return recordedEnd_;
}

uint64_t SessionReplay::hash() const {
    return SessionHash::of(session_);
}

bool SessionReplay::advance() {
    if (stopped()) {
        return false;
    }
    const MainLoop::Progress progress = loop_.advance();
    if (stopped()) {
        return false;
    }
    if (progress == MainLoop::Progress::QUIT) {
        const Event* end = peek();
        const uint64_t replayed = hash();
        if (end == nullptr) {
            runOut();
        } else if (end->kind != Event::END) {
            stop(Verdict::DAMAGED, "damaged: the session quit at step " +
                                       std::to_string(session_.steps()) + " without an End record");
        } else if (end->step != session_.steps() || end->value != replayed) {
            stop(Verdict::MISMATCH, "step " + std::to_string(end->step) + ": recorded " +
                                        hex(end->value) + ", replayed " + hex(replayed) +
                                        " at step " + std::to_string(session_.steps()) +
                                        " (last match at step " +
                                        std::to_string(outcome_.lastMatch) + ")");
        } else {
            ++next_;
            outcome_.lastMatch = end->step;
            outcome_.matched = true;
            stop(Verdict::VERIFIED, {});
        }
        return false;
    }
    const uint64_t steps = session_.steps();
    if (progress == MainLoop::Progress::STEP && steps % SNAPSHOT_INTERVAL == 0 &&
        marks_.back().session.steps() < steps) {
        marks_.push_back(markHere());
    }
    return true;
}

const SessionReplay::Outcome& SessionReplay::playToEnd() {
    while (advance()) {
    }
    return outcome_;
}

void SessionReplay::seek(uint64_t step) {
    // The last mark at or before the step, unless playing on from here gets there sooner.
    const auto after =
        std::upper_bound(marks_.begin(), marks_.end(), step,
                         [](uint64_t s, const Mark& mark) { return s < mark.session.steps(); });
    const Mark& mark = *std::prev(after);
    if (step < session_.steps() || mark.session.steps() > session_.steps()) {
        returnTo(mark);
    }
    while (session_.steps() < step && advance()) {
    }
}

SessionReplay::Mark SessionReplay::markHere() const {
    return {SessionSnapshot::of(session_), loop_.state(), next_, pass_, readings_};
}

void SessionReplay::returnTo(const Mark& mark) {
    mark.session.restore(session_);
    loop_.restore(mark.loop);
    next_ = mark.next;
    pass_ = mark.pass;
    readings_ = mark.readings;
    // Every mark stands where the replay still played and matched what it had met.
    const uint64_t lastMatch = std::min(outcome_.lastMatch, mark.session.steps());
    outcome_ = {Verdict::PLAYING, {}, lastMatch, outcome_.matched && lastMatch > 0};
}

bool SessionReplay::pollMessage(platform::Message& out) {
    const uint64_t steps = session_.steps();
    while (const Event* event = peek()) {
        if ((event->kind == Event::HANDLED || event->kind == Event::QUIT) && event->step < steps) {
            stop(Verdict::DAMAGED, std::string("damaged: a ") + nameOf(event->kind) +
                                       " record for step " + std::to_string(event->step) +
                                       " comes after step " + std::to_string(steps));
            return false;
        }
        if (event->step != steps) {
            return false;
        }
        if (event->kind == Event::QUIT) {
            ++next_;
            out = {nullptr, platform::WM_QUIT, event->value, 0};
            return true;
        }
        if (event->kind != Event::HANDLED) {
            return false;
        }
        ++next_;
        session_.handleMessage(event->message, event->value, event->lParam);
    }
    return false;
}

void SessionReplay::step() {
    session_.step();
    const uint64_t steps = session_.steps();
    const Event* event = peek();
    if (steps % SessionRecorder::HASH_INTERVAL != 0 || event == nullptr) {
        return;
    }
    // A recording holds a hash at every interval: a replay never runs further than its file
    // holds hashes for, however long the passes claim to have lasted.
    if (event->kind != Event::HASH || event->step != steps) {
        stop(Verdict::DAMAGED, "damaged: no state hash for step " + std::to_string(steps));
        return;
    }
    ++next_;
    const uint64_t replayed = hash();
    if (replayed != event->value) {
        stop(Verdict::MISMATCH, "step " + std::to_string(steps) + ": recorded " +
                                    hex(event->value) + ", replayed " + hex(replayed) +
                                    " (last match at step " + std::to_string(outcome_.lastMatch) +
                                    ")");
        return;
    }
    outcome_.lastMatch = steps;
    outcome_.matched = true;
}

bool SessionReplay::isMinimised() {
    // Messages handled after the pass's last poll count before its frame.
    const uint64_t steps = session_.steps();
    while (const Event* event = peek()) {
        if (event->kind != Event::HANDLED || event->step != steps) {
            break;
        }
        ++next_;
        session_.handleMessage(event->message, event->value, event->lParam);
    }
    const Event* event = peek();
    if (event == nullptr) {
        runOut();
        return true;
    }
    if (event->kind != Event::PASS) {
        stop(Verdict::DAMAGED, std::string("damaged: a ") + nameOf(event->kind) +
                                   " record at step " + std::to_string(steps) +
                                   " where a pass's clock readings belong");
        return true;
    }
    ++next_;
    pass_ = {event->minimised, event->start, event->end};
    readings_ = 0;
    return pass_.minimised;
}

void SessionReplay::runOut() {
    const std::string verified = std::to_string(outcome_.lastMatch);
    stop(ending_.verdict, ending_.verdict == Verdict::TRUNCATED
                              ? "truncated after step " + std::to_string(session_.steps()) +
                                    ", verified up to step " + verified
                              : ending_.message + " (verified up to step " + verified + ")");
}

int32_t SessionReplay::RecordedClock::now() {
    return replay_.readings_++ == 0 ? replay_.pass_.start : replay_.pass_.end;
}

}  // namespace zelmor
