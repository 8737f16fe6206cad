#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace zelmor::replay {

// The records of a recorded session, in the order the session made them. A session's state
// follows from its scene files, the window messages its window procedure handled (each with the
// step before which it was handled), and the clock readings of each pass of the main loop; the
// state hashes let a replay check that it arrives at the same bits.

// What wrote the file. Always the file's first record.
struct Header {
    std::string programVersion;  // the program's version, "1.0.0"
    std::string platform;        // "linux", "windows" or "web"; for people, not for replaying
    int64_t startTime = 0;       // when the session began, seconds since 1970 (UTC)
};

// A file the session's readers opened, embedded whole, so that a replay needs no data folder.
struct EmbeddedFile {
    std::string path;    // as the reader asked for it
    bool opened = true;  // false: it could not be opened, and the reader got no content
    std::string bytes;   // what the reader got: the whole file, or what came before a failed read
};

// The scene has been read: the files it named came before, and Handled records before it were
// handled before the scene existed (the window's first size).
struct SceneLoaded {};

// A window message that reached the window procedure during step `step`'s poll (or, before the
// loop, while the window was made and shown). Steps count from 0; a message handled before step
// 0 runs carries step 0.
struct Handled {
    uint64_t step = 0;
    uint32_t message = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
};

// One pass of the main loop: whether the window was minimised (nothing drawn, one frame period
// waited), and the two clock readings (milliseconds since the program started) around the
// drawing or the wait. Their difference feeds the next pass's steps.
struct Pass {
    bool minimised = false;
    int32_t start = 0;
    int32_t end = 0;
};

// The poll of step `step` took the quit message: that pass runs no more steps, draws its frame
// and ends the session with exitCode.
struct Quit {
    uint64_t step = 0;
    int32_t exitCode = 0;
};

// The hash of the session's state after `step` steps (every 100 steps).
struct StateHash {
    uint64_t step = 0;
    uint64_t hash = 0;
};

// The session ended after `step` steps with this state hash. Always the last record.
struct End {
    uint64_t step = 0;
    uint64_t hash = 0;
};

using Record = std::variant<Header, EmbeddedFile, SceneLoaded, Handled, Pass, Quit, StateHash, End>;

}  // namespace zelmor::replay
