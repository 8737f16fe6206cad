#pragma once

#include <cstdio>
#include <string>

#include "app/ReplaySink.h"

namespace zelmor::replay {

// A replay file on disk, created or truncated when the sink is made and closed with it. Its
// failures are the C library's messages ("No space left on device").
class ReplayFileSink : public ReplaySink {
public:
    explicit ReplayFileSink(const std::string& path);
    ~ReplayFileSink() override;
    ReplayFileSink(const ReplayFileSink&) = delete;
    ReplayFileSink& operator=(const ReplayFileSink&) = delete;

    // Why the file could not be created; empty when it was.
    const SinkFailure& openFailure() const { return openFailure_; }

    SinkFailure write(std::string_view bytes) override;
    // fflush: the bytes reach the system, enough to survive the process being killed.
    SinkFailure flush() override;

private:
    std::FILE* file_ = nullptr;
    SinkFailure openFailure_;
};

}  // namespace zelmor::replay
