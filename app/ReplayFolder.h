#pragma once

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

namespace zelmor {

// The folder of the program's recordings, "replays/" beside its logs. Each session's file is
// named after the moment it began (UTC), "20261208-194702.replay", with "-2", "-3", ... for
// sessions begun in the same second; only the newest KEPT recordings stay. Other files in the
// folder are never touched.
class ReplayFolder {
public:
    static constexpr std::size_t KEPT = 20;
    static constexpr const char* NAME = "replays";

    // Makes the folder in parent when needed, removes the oldest recordings so that the new one
    // makes KEPT, and returns the new recording's path; nullopt, with the reason in error, when
    // the folder cannot be made.
    static std::optional<std::filesystem::path> prepare(const std::filesystem::path& parent,
                                                        std::time_t now, std::string& error);
};

}  // namespace zelmor
