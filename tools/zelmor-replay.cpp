// zelmor-replay verify FILE: replays a recorded session through the program's own session and
// main loop, without a window and without the data folder (the scene comes from the file), and
// compares every state hash the recording holds. Prints what it found, then the final step and
// state hash (16 hex digits) as its last line. Exit status: 0 every hash matched to the end, 1 a
// hash differed, 2 the file ends early (a session killed while it ran), 3 the file is damaged,
// 4 the command line or the file could not be used.

#include <cstdio>
#include <fstream>
#include <string>

#include "app/SessionReplay.h"

namespace {

using zelmor::SessionReplay;

constexpr int USAGE = 4;

int statusOf(SessionReplay::Verdict verdict) {
    switch (verdict) {
        case SessionReplay::Verdict::VERIFIED:
            return 0;
        case SessionReplay::Verdict::MISMATCH:
            return 1;
        case SessionReplay::Verdict::TRUNCATED:
            return 2;
        default:
            return 3;
    }
}

int verify(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "zelmor-replay: cannot open %s\n", path);
        return USAGE;
    }
    SessionReplay replay(in);
    std::printf("%s: recorded by zelmor %s on %s, %llu steps, %zu bytes of scene files\n", path,
                replay.programVersion().c_str(), replay.platformName().c_str(),
                static_cast<unsigned long long>(replay.recordedSteps()), replay.embeddedBytes());
    const SessionReplay::Outcome& outcome = replay.playToEnd();
    if (outcome.verdict == SessionReplay::Verdict::VERIFIED) {
        std::printf("verified: every recorded state hash matched\n");
    } else {
        std::printf("%s\n", outcome.message.c_str());
    }
    std::printf("step %llu hash %016llx\n", static_cast<unsigned long long>(replay.steps()),
                static_cast<unsigned long long>(replay.hash()));
    return statusOf(outcome.verdict);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::string(argv[1]) != "verify") {
        std::fprintf(stderr, "usage: zelmor-replay verify FILE\n");
        return USAGE;
    }
    return verify(argv[2]);
}
