#include "app/ReplayFolder.h"

#include <algorithm>
#include <cstdio>
#include <system_error>
#include <utility>
#include <vector>

namespace zelmor {

namespace {

constexpr std::size_t STAMP_LENGTH = 15;  // "20261208-194702"
constexpr const char* EXTENSION = ".replay";

std::string stampOf(std::time_t now) {
    std::tm utc{};
    const std::tm* parts = std::gmtime(&now);
    if (parts != nullptr) {
        utc = *parts;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

// A recording's order: its time stamp, then its number within the second (1 for none). Null
// for a file that is no recording of ours.
std::optional<std::pair<std::string, unsigned long>> orderOf(const std::string& name) {
    const std::string extension = EXTENSION;
    if (name.size() < STAMP_LENGTH + extension.size() ||
        name.compare(name.size() - extension.size(), extension.size(), extension) != 0) {
        return std::nullopt;
    }
    const std::string stamp = name.substr(0, STAMP_LENGTH);
    for (std::size_t i = 0; i < STAMP_LENGTH; ++i) {
        const bool dash = i == 8;
        if (dash ? stamp[i] != '-' : (stamp[i] < '0' || stamp[i] > '9')) {
            return std::nullopt;
        }
    }
    const std::string rest =
        name.substr(STAMP_LENGTH, name.size() - STAMP_LENGTH - extension.size());
    if (rest.empty()) {
        return std::make_pair(stamp, 1ul);
    }
    if (rest.size() < 2 || rest.size() > 8 || rest[0] != '-' ||
        rest.find_first_not_of("0123456789", 1) != std::string::npos) {
        return std::nullopt;
    }
    return std::make_pair(stamp, std::stoul(rest.substr(1)));
}

}  // namespace

std::optional<std::filesystem::path> ReplayFolder::prepare(const std::filesystem::path& parent,
                                                           std::time_t now, std::string& error) {
    namespace fs = std::filesystem;
    const fs::path folder = parent / NAME;
    std::error_code code;
    fs::create_directories(folder, code);
    if (code || !fs::is_directory(folder, code)) {
        error = "cannot make " + folder.string() + (code ? ": " + code.message() : "");
        return std::nullopt;
    }
    std::vector<std::pair<std::pair<std::string, unsigned long>, fs::path>> recordings;
    for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
        if (const auto order = orderOf(it->path().filename().string())) {
            recordings.emplace_back(*order, it->path());
        }
    }
    std::sort(recordings.begin(), recordings.end());
    // The new recording makes one more: keep KEPT - 1 of the old ones.
    const std::size_t excess = recordings.size() >= KEPT ? recordings.size() - (KEPT - 1) : 0;
    for (std::size_t i = 0; i < excess; ++i) {
        fs::remove(recordings[i].second, code);
    }
    const std::string stamp = stampOf(now);
    fs::path path = folder / (stamp + EXTENSION);
    for (unsigned long n = 2; fs::exists(path, code) && n < 1000; ++n) {
        path = folder / (stamp + "-" + std::to_string(n) + EXTENSION);
    }
    return path;
}

}  // namespace zelmor
