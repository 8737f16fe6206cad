#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/Crc32.h"
#include "app/ReplayReader.h"
#include "app/ReplayRecord.h"
#include "app/ReplaySink.h"

// Helpers for the replay file's tests and its fuzzer: record equality and printing, a sink in
// memory that can fail on cue, and a hand encoder that builds files byte by byte as
// docs/replay-format.md describes them, independently of the writer.

namespace zelmor::replay {

inline bool operator==(const Header& a, const Header& b) {
    return std::tie(a.programVersion, a.platform, a.startTime) ==
           std::tie(b.programVersion, b.platform, b.startTime);
}
inline bool operator==(const EmbeddedFile& a, const EmbeddedFile& b) {
    return std::tie(a.path, a.opened, a.bytes) == std::tie(b.path, b.opened, b.bytes);
}
inline bool operator==(const SceneLoaded&, const SceneLoaded&) {
    return true;
}
inline bool operator==(const Handled& a, const Handled& b) {
    return std::tie(a.step, a.message, a.wParam, a.lParam) ==
           std::tie(b.step, b.message, b.wParam, b.lParam);
}
inline bool operator==(const Pass& a, const Pass& b) {
    return std::tie(a.minimised, a.start, a.end) == std::tie(b.minimised, b.start, b.end);
}
inline bool operator==(const Quit& a, const Quit& b) {
    return std::tie(a.step, a.exitCode) == std::tie(b.step, b.exitCode);
}
inline bool operator==(const StateHash& a, const StateHash& b) {
    return std::tie(a.step, a.hash) == std::tie(b.step, b.hash);
}
inline bool operator==(const End& a, const End& b) {
    return std::tie(a.step, a.hash) == std::tie(b.step, b.hash);
}

// For GoogleTest's messages: the fields, long strings by their size.
inline std::ostream& operator<<(std::ostream& out, const Header& r) {
    return out << "Header{" << r.programVersion << ", " << r.platform.size() << " bytes, "
               << r.startTime << "}";
}
inline std::ostream& operator<<(std::ostream& out, const EmbeddedFile& r) {
    return out << "EmbeddedFile{" << r.path.size() << "-byte path, " << r.opened << ", "
               << r.bytes.size() << " bytes}";
}
inline std::ostream& operator<<(std::ostream& out, const SceneLoaded&) {
    return out << "SceneLoaded{}";
}
inline std::ostream& operator<<(std::ostream& out, const Handled& r) {
    return out << "Handled{" << r.step << ", " << r.message << ", " << r.wParam << ", " << r.lParam
               << "}";
}
inline std::ostream& operator<<(std::ostream& out, const Pass& r) {
    return out << "Pass{" << r.minimised << ", " << r.start << ", " << r.end << "}";
}
inline std::ostream& operator<<(std::ostream& out, const Quit& r) {
    return out << "Quit{" << r.step << ", " << r.exitCode << "}";
}
inline std::ostream& operator<<(std::ostream& out, const StateHash& r) {
    return out << "StateHash{" << r.step << ", " << r.hash << "}";
}
inline std::ostream& operator<<(std::ostream& out, const End& r) {
    return out << "End{" << r.step << ", " << r.hash << "}";
}

}  // namespace zelmor::replay

namespace zelmor::test {

// Keeps what it is given; with failAt, takes bytes only up to that many in all and then fails
// every call, as a full disk does.
class MemorySink : public replay::ReplaySink {
public:
    explicit MemorySink(std::optional<std::size_t> failAt = std::nullopt) : failAt_(failAt) {}

    replay::SinkFailure write(std::string_view data) override {
        if (failing_) {
            ++callsAfterFailure;
            return FAILURE;
        }
        if (failAt_ && bytes.size() + data.size() > *failAt_) {
            bytes.append(data.substr(0, *failAt_ - bytes.size()));
            failing_ = true;
            return FAILURE;
        }
        bytes.append(data);
        return std::nullopt;
    }
    replay::SinkFailure flush() override {
        if (failing_) {
            ++callsAfterFailure;
            return FAILURE;
        }
        ++flushes;
        return std::nullopt;
    }

    static constexpr const char* FAILURE = "no room left on the test's disk";
    std::string bytes;
    int flushes = 0;
    int callsAfterFailure = 0;

private:
    std::optional<std::size_t> failAt_;
    bool failing_ = false;
};

struct ReadBack {
    std::vector<replay::Record> records;
    replay::ReplayReader::Status status;
    std::string reason;
};

inline ReadBack readBack(const std::string& bytes) {
    std::istringstream in(bytes);
    replay::ReplayReader reader(in);
    ReadBack result;
    for (replay::Record record; reader.next(record);) {
        result.records.push_back(record);
    }
    result.status = reader.status();
    result.reason = reader.reason();
    return result;
}

// The hand encoder.
namespace bytes {

inline std::string littleEndian(uint64_t value, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
    return out;
}
inline std::string byte(uint8_t value) {
    return std::string(1, static_cast<char>(value));
}
inline std::string varint(uint64_t value) {
    std::string out;
    for (; value >= 0x80; value >>= 7) {
        out.push_back(static_cast<char>(0x80 | (value & 0x7F)));
    }
    out.push_back(static_cast<char>(value));
    return out;
}
inline std::string zigzag(int64_t value) {
    return varint(value < 0 ? ~(static_cast<uint64_t>(value) << 1) : uint64_t(value) << 1);
}
inline std::string text(const std::string& value) {
    return varint(value.size()) + value;
}
inline std::string fileHeader(uint16_t major = 1, uint16_t minor = 0) {
    return "ZELMORRP" + littleEndian(major, 2) + littleEndian(minor, 2) + std::string(4, '\0');
}
inline std::string record(uint8_t kind, const std::string& fields) {
    return std::string(1, static_cast<char>(kind)) + varint(fields.size()) + fields;
}
inline std::string chunk(const std::string& payload) {
    return littleEndian(payload.size(), 4) + payload + littleEndian(Crc32::of(payload), 4);
}
// A Header record of version "1.0.0", platform "linux", start time 0.
inline std::string headerRecord() {
    return record(1, text("1.0.0") + text("linux") + zigzag(0));
}
inline std::string endRecord(uint64_t stepDelta = 0, uint64_t hash = 0) {
    return record(8, varint(stepDelta) + littleEndian(hash, 8));
}

}  // namespace bytes

}  // namespace zelmor::test
