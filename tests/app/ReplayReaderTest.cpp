#include "app/ReplayReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ReplayFormat.h"
#include "app/ReplayWriter.h"
#include "platform/WindowMessages.h"
#include "tests/support/ReplayFiles.h"

namespace zelmor::replay {
namespace {

using Status = ReplayReader::Status;
using namespace platform;
using namespace test::bytes;

struct Damage {
    std::string name;
    Status status;
    std::vector<std::string> words;  // each in the reason
    std::string file;
};

// A file of one chunk of records, after the Header.
std::string oneChunk(const std::string& records) {
    return fileHeader() + chunk(headerRecord() + records);
}

std::string handled(uint64_t message, uint64_t wParam, int64_t lParam) {
    return record(4, varint(0) + varint(message) + varint(wParam) + zigzag(lParam));
}

std::string hashed(uint8_t kind, uint64_t stepDelta) {
    return record(kind, varint(stepDelta) + littleEndian(0, 8));
}

// Files broken by hand, one way each.
std::vector<Damage> handMadeDamage() {
    constexpr Status SHORT = Status::Truncated;
    constexpr Status BAD = Status::Damaged;
    const std::string good = chunk(headerRecord() + endRecord());
    const std::string two = fileHeader() + chunk(headerRecord()) + chunk(endRecord());  // 58 bytes
    const std::string cap = littleEndian(MAX_CHUNK_PAYLOAD, 4);
    const std::string over = littleEndian(MAX_CHUNK_PAYLOAD + 1, 4);
    const std::string tooLong(10, '\x80');
    const std::string tooHigh = std::string(9, '\xFF') + "\x02";
    // clang-format off
    return {
        {"an empty file", SHORT, {"inside its 16-byte header", "0 bytes"}, ""},
        {"half a header", SHORT, {"16-byte header", "11 bytes"}, fileHeader().substr(0, 11)},
        {"the header alone", SHORT, {"after its header"}, fileHeader()},
        {"bad magic", BAD, {"bad magic"}, "ZELMORRX" + fileHeader().substr(8) + good},
        {"another format, cut short", BAD, {"bad magic"}, "PK\x03"},
        {"major version 2", BAD, {"version 2.0"}, fileHeader(2, 0) + good},
        {"cut in a length", SHORT, {"inside the length of chunk 2"}, two.substr(0, 41)},
        {"cut in a payload", SHORT, {"inside chunk 2", "9 of its 11 bytes"}, two.substr(0, 52)},
        {"cut in a CRC", SHORT, {"inside the CRC of chunk 2"}, two.substr(0, 57)},
        {"a chunk of 4 GiB", BAD, {"chunk 1 at byte 16", "length 4294967295 over the cap"},
         fileHeader() + littleEndian(0xFFFFFFFF, 4)},
        {"a chunk just over the cap", BAD, {"chunk 2 at byte 39", "over the cap of 67174400"},
         two.substr(0, 39) + over},
        {"the cap promised, 10 bytes held", SHORT, {"inside chunk 1", "10 of its 67174400 bytes"},
         fileHeader() + cap + std::string(10, 'x')},
        {"a version over its cap", BAD, {"Header record (kind 1) at byte 20", "257 bytes over"},
         fileHeader() + chunk(record(1, text(std::string(257, 'v')) + text("") + zigzag(0)))},
        {"a path over its cap", BAD, {"EmbeddedFile", "4097 bytes over"},
         oneChunk(record(2, text(std::string(4097, 'p')) + byte(1) + varint(0)))},
        {"a file over its cap", BAD, {"EmbeddedFile", "67108865 bytes over"},
         oneChunk(record(2, text("a") + byte(1) + varint(MAX_FILE_BYTES + 1)))},
        {"a record past its chunk", BAD, {"SceneLoaded record", "runs past the end of the chunk"},
         oneChunk(byte(3) + varint(5) + byte(0))},
        {"a record short of its fields", BAD, {"StateHash record", "ends inside its fields"},
         oneChunk(record(7, varint(1) + "1234567"))},
        {"a varint of 11 bytes", BAD, {"StateHash", "longer than 10 bytes"},
         oneChunk(record(7, tooLong + "\x01" + littleEndian(0, 8)))},
        {"a varint over 64 bits", BAD, {"Quit", "over 64 bits"},
         oneChunk(record(6, tooHigh + zigzag(0)))},
        {"a step of 2^48", BAD, {"StateHash", "not below 2^48"}, oneChunk(hashed(7, STEP_LIMIT))},
        {"steps adding up to 2^48", BAD, {"End", "not below 2^48"},
         oneChunk(hashed(7, STEP_LIMIT / 2) + hashed(8, STEP_LIMIT / 2))},
        {"an unrecorded message", BAD, {"Handled", "message 258"},
         oneChunk(handled(WM_CHAR, 'a', 0))},
        {"a known message in 32 low bits", BAD, {"Handled", "do not record"},
         oneChunk(handled(0x100000000 | WM_SIZE, 0, 0))},
        {"mouse data over 32 bits", BAD, {"lParam out of range: WM_MOUSEMOVE"},
         oneChunk(handled(WM_MOUSEMOVE, 0, 1ll << 32))},
        {"mouse flags beyond MK_", BAD, {"wParam out of range: WM_LBUTTONUP wParam 128"},
         oneChunk(handled(WM_LBUTTONUP, 0x80, 0))},
        {"a key code over 0xFF", BAD, {"wParam out of range"},
         oneChunk(handled(WM_KEYDOWN, 0x100, 0))},
        {"a negative size", BAD, {"lParam out of range: WM_SIZE wParam 0 lParam -1"},
         oneChunk(handled(WM_SIZE, 0, -1))},
        {"a boolean of 2", BAD, {"Pass", "boolean byte 2"},
         oneChunk(record(5, byte(2) + zigzag(0) + varint(0)))},
        {"a pass start over 32 bits", BAD, {"Pass", "2147483648 ms from the last pass's end"},
         oneChunk(record(5, byte(0) + zigzag(1ll << 31) + varint(0)))},
        {"an exit code over 32 bits", BAD, {"Quit", "exit code"},
         oneChunk(record(6, varint(0) + zigzag(-(1ll << 31) - 1)))},
        {"kind 0", BAD, {"kind 0 is no record kind"}, oneChunk(record(0, ""))},
        {"a Header not first", BAD, {"SceneLoaded", "first record is not a Header"},
         fileHeader() + chunk(record(3, "") + headerRecord())},
        {"an unknown kind first", BAD, {"unknown record (kind 9)", "first record is not a Header"},
         fileHeader() + chunk(record(9, "") + headerRecord())},
        {"a second Header", BAD, {"a second Header"}, oneChunk(headerRecord())},
        {"a record after End", BAD, {"chunk 1", "after the End record"},
         oneChunk(endRecord() + record(9, ""))},
        {"a chunk after End", BAD, {"byte 58", "after the End record"},
         two + chunk(record(3, ""))},
    };
    // clang-format on
}

// A file written with a chunk per record, so that each record can be damaged on its own.
struct ChunkedFile {
    std::string bytes;
    std::vector<std::size_t> chunkEnds;
    std::vector<Record> records;
};

ChunkedFile chunkPerRecord() {
    ChunkedFile file;
    file.records = {Header{"1.0.0", "windows", 1},
                    EmbeddedFile{"wdf/test.wdf", true, "x\n"},
                    SceneLoaded{},
                    Handled{0, WM_PAINT, 0, 0},
                    Pass{false, 20, 36},
                    StateHash{100, 7},
                    Quit{130, 0},
                    End{130, 9}};
    test::MemorySink sink;
    ReplayWriter writer(sink);
    file.chunkEnds.push_back(sink.bytes.size());
    for (const Record& record : file.records) {
        writer.write(record);
        writer.flush();
        file.chunkEnds.push_back(sink.bytes.size());
    }
    file.bytes = sink.bytes;
    return file;
}

// Cut at each chunk boundary, and one bit flipped in each kind of record.
std::vector<Damage> writtenDamage(const ChunkedFile& file) {
    std::vector<Damage> damage;
    for (std::size_t i = 0; i + 1 < file.chunkEnds.size(); ++i) {
        damage.push_back({"cut after chunk " + std::to_string(i),
                          Status::Truncated,
                          {"without an End record"},
                          file.bytes.substr(0, file.chunkEnds[i])});
        std::string flipped = file.bytes;
        const std::size_t payload = file.chunkEnds[i] + 4;
        flipped[payload + (file.chunkEnds[i + 1] - 4 - payload) / 2] ^= 0x10;
        const std::string kind(kindName(kindOf(file.records[i])));
        damage.push_back({"a bit flipped in the " + kind + " record",
                          Status::Damaged,
                          {"chunk " + std::to_string(i + 1), "CRC mismatch"},
                          flipped});
    }
    return damage;
}

TEST(ReplayReader, NamesWhatIsWrongWithADamagedOrShortFileAndWhere) {
    const ChunkedFile written = chunkPerRecord();
    std::vector<Damage> cases = handMadeDamage();
    for (Damage& damage : writtenDamage(written)) {
        cases.push_back(std::move(damage));
    }
    for (const Damage& damage : cases) {
        const test::ReadBack back = test::readBack(damage.file);
        EXPECT_EQ(back.status, damage.status) << damage.name << ": " << back.reason;
        EXPECT_EQ(back.reason.find('\n'), std::string::npos) << damage.name;
        for (const std::string& words : damage.words) {
            EXPECT_NE(back.reason.find(words), std::string::npos)
                << damage.name << ": \"" << words << "\" not in \"" << back.reason << "\"";
        }
        if (damage.name.rfind("cut after chunk", 0) == 0) {
            const auto complete = std::stoul(damage.name.substr(16));
            const std::vector<Record> prefix(written.records.begin(),
                                             written.records.begin() + complete);
            EXPECT_EQ(back.records, prefix) << damage.name << ": the complete chunks' records";
        }
    }
}

// A later minor version may append fields to records and add kinds: this reader reads the
// fields it knows, skips the rest, and goes on.
TEST(ReplayReader, ReadsANewerMinorVersionAndSkipsWhatItDoesNotKnow) {
    std::string file = fileHeader(1, 7);
    file[12] = '\x5A';  // a reserved byte put to use
    file += chunk(record(1, text("1.3.0") + text("linux") + zigzag(5) + "later") +
                  record(200, std::string(300, '?')) +
                  record(4, varint(2) + varint(WM_CLOSE) + varint(0) + zigzag(0) + "\x01\x02") +
                  record(5, byte(0) + zigzag(40) + varint(16) + "more"));
    file += chunk(record(9, varint(1000)) + record(3, "tail") + endRecord(3, 5));
    const test::ReadBack back = test::readBack(file);
    EXPECT_EQ(back.status, Status::Ended) << back.reason;
    const std::vector<Record> expected{Header{"1.3.0", "linux", 5}, Handled{2, WM_CLOSE, 0, 0},
                                       Pass{false, 40, 56}, SceneLoaded{}, End{5, 5}};
    EXPECT_EQ(back.records, expected);
}

}  // namespace
}  // namespace zelmor::replay
