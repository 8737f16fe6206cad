#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelmor::replay {

// Why a sink could not take bytes or pass them on; empty when it could.
using SinkFailure = std::optional<std::string>;

// Where a replay writer's bytes go: a file for the program, memory or a failing stand-in for
// tests. A sink need not accept every byte of a failed write.
class ReplaySink {
public:
    virtual ~ReplaySink() = default;
    virtual SinkFailure write(std::string_view bytes) = 0;
    // Hands what was written so far to the system, so that it outlives the process.
    virtual SinkFailure flush() = 0;
};

}  // namespace zelmor::replay
