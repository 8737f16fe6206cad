#pragma once

#include <cstdint>

#include "app/SessionRecorder.h"
#include "platform/Clock.h"

namespace zelmor {

// The main loop's clock: every reading it takes also goes to the recording, when there is one.
class RecordingClock : public platform::Clock {
public:
    // clock must outlive this one.
    explicit RecordingClock(platform::Clock& clock) : clock_(clock) {}
    // Readings go to recorder from now on (null: nowhere); it must outlive its use.
    void recordTo(SessionRecorder* recorder) { recorder_ = recorder; }

    int32_t now() override {
        const int32_t reading = clock_.now();
        if (recorder_ != nullptr) {
            recorder_->clockRead(reading);
        }
        return reading;
    }

private:
    platform::Clock& clock_;
    SessionRecorder* recorder_ = nullptr;
};

}  // namespace zelmor
