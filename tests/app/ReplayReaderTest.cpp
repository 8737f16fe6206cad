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
    std::string file;
    Status status;
    std::vector<std::string> words;  // each in the reason
};

// A file of one chunk of records, after the Header.
std::string oneChunk(const std::string& records) {
    return fileHeader() + chunk(headerRecord() + records);
}

std::string handled(uint64_t message, uint64_t wParam, int64_t lParam) {
    return record(4, varint(0) + varint(message) + varint(wParam) + zigzag(lParam));
}

// Files broken by hand, one way each.
std::vector<Damage> handMadeDamage() {
    const std::string goodChunk = chunk(headerRecord() + endRecord());
    const std::string twoChunks = fileHeader() + chunk(headerRecord()) + chunk(endRecord());
    const std::string eleven(10, '\x80');
    return {
        {"an empty file", "", Status::Truncated, {"inside its 16-byte header", "0 bytes"}},
        {"half a header", fileHeader().substr(0, 11), Status::Truncated, {"16-byte header"}},
        {"the header alone", fileHeader(), Status::Truncated, {"after its header"}},
        {"bad magic",
         "ZELMORRX" + fileHeader().substr(8) + goodChunk,
         Status::Damaged,
         {"bad magic"}},
        {"another format, cut short", "PK\x03", Status::Damaged, {"bad magic"}},
        {"major version 2", fileHeader(2, 0) + goodChunk, Status::Damaged, {"version 2.0"}},
        {"cut in a chunk's length",
         twoChunks.substr(0, twoChunks.size() - 17),
         Status::Truncated,
         {"inside the length of chunk 2"}},
        {"cut in a chunk's payload",
         twoChunks.substr(0, twoChunks.size() - 6),
         Status::Truncated,
         {"inside chunk 2", "9 of its 11 bytes"}},
        {"cut in a chunk's CRC",
         twoChunks.substr(0, twoChunks.size() - 1),
         Status::Truncated,
         {"inside the CRC of chunk 2"}},
        {"a chunk that promises the cap and holds 10 bytes",
         fileHeader() + littleEndian(MAX_CHUNK_PAYLOAD, 4) + std::string(10, 'x'),
         Status::Truncated,
         {"inside chunk 1 at byte 16", "10 of its 67174400 bytes"}},
        {"a chunk length of 4 GiB",
         fileHeader() + littleEndian(0xFFFFFFFF, 4),
         Status::Damaged,
         {"chunk 1 at byte 16", "length 4294967295 over the cap"}},
        {"a chunk length just over the cap",
         twoChunks.substr(0, 39) + littleEndian(MAX_CHUNK_PAYLOAD + 1, 4),
         Status::Damaged,
         {"chunk 2 at byte 39", "over the cap of 67174400"}},
        {"a version over its cap",
         fileHeader() + chunk(record(1, text(std::string(257, 'v')) + text("") + zigzag(0))),
         Status::Damaged,
         {"chunk 1", "Header record (kind 1) at byte 20", "257 bytes over"}},
        {"a path over its cap",
         oneChunk(record(2, text(std::string(4097, 'p')) + byte(1) + varint(0))),
         Status::Damaged,
         {"EmbeddedFile", "4097 bytes over"}},
        {"a file over its cap",
         oneChunk(record(2, text("a") + byte(1) + varint(MAX_FILE_BYTES + 1))),
         Status::Damaged,
         {"EmbeddedFile", "67108865 bytes over"}},
        {"a record past its chunk",
         oneChunk(byte(3) + varint(5) + byte(0)),
         Status::Damaged,
         {"SceneLoaded record", "runs past the end of the chunk"}},
        {"a record shorter than its fields",
         oneChunk(record(7, varint(1) + "1234567")),
         Status::Damaged,
         {"StateHash record", "ends inside its fields"}},
        {"a varint of 11 bytes",
         oneChunk(record(7, eleven + "\x01" + littleEndian(0, 8))),
         Status::Damaged,
         {"StateHash", "longer than 10 bytes"}},
        {"a varint over 64 bits",
         oneChunk(record(6, std::string(9, '\xFF') + "\x02" + zigzag(0))),
         Status::Damaged,
         {"Quit", "over 64 bits"}},
        {"a step of 2^48",
         oneChunk(record(7, varint(STEP_LIMIT) + littleEndian(0, 8))),
         Status::Damaged,
         {"StateHash", "not below 2^48"}},
        {"steps that add up to 2^48",
         oneChunk(record(7, varint(STEP_LIMIT / 2) + littleEndian(0, 8)) +
                  record(8, varint(STEP_LIMIT / 2) + littleEndian(0, 8))),
         Status::Damaged,
         {"End", "not below 2^48"}},
        {"a message sessions do not record",
         oneChunk(handled(WM_CHAR, 'a', 0)),
         Status::Damaged,
         {"Handled", "message 258"}},
        {"a known message in its low 32 bits",
         oneChunk(handled(0x100000000 | WM_SIZE, 0, 0)),
         Status::Damaged,
         {"Handled", "do not record"}},
        {"mouse data over 32 bits",
         oneChunk(handled(WM_MOUSEMOVE, 0, 1ll << 32)),
         Status::Damaged,
         {"lParam out of range"}},
        {"mouse flags beyond the MK_ flags",
         oneChunk(handled(WM_LBUTTONUP, 0x80, 0)),
         Status::Damaged,
         {"wParam out of range"}},
        {"a key code over 0xFF",
         oneChunk(handled(WM_KEYDOWN, 0x100, 0)),
         Status::Damaged,
         {"wParam out of range"}},
        {"a negative size",
         oneChunk(handled(WM_SIZE, 0, -1)),
         Status::Damaged,
         {"lParam out of range"}},
        {"a boolean of 2",
         oneChunk(record(5, byte(2) + zigzag(0) + varint(0))),
         Status::Damaged,
         {"Pass", "boolean byte 2"}},
        {"a pass start over 32 bits",
         oneChunk(record(5, byte(0) + zigzag(1ll << 31) + varint(0))),
         Status::Damaged,
         {"Pass", "2147483648 ms from the last pass's end"}},
        {"an exit code over 32 bits",
         oneChunk(record(6, varint(0) + zigzag(-(1ll << 31) - 1))),
         Status::Damaged,
         {"Quit", "exit code"}},
        {"kind 0", oneChunk(record(0, "")), Status::Damaged, {"kind 0 is no record kind"}},
        {"a Header that is not first",
         fileHeader() + chunk(record(3, "") + headerRecord()),
         Status::Damaged,
         {"first record is not a Header"}},
        {"an unknown kind first",
         fileHeader() + chunk(record(9, "") + headerRecord()),
         Status::Damaged,
         {"unknown record (kind 9)", "first record is not a Header"}},
        {"a second Header", oneChunk(headerRecord()), Status::Damaged, {"a second Header"}},
        {"a record after End in its chunk",
         oneChunk(endRecord() + record(9, "")),
         Status::Damaged,
         {"chunk 1", "after the End record"}},
        {"a chunk after End",
         twoChunks + chunk(record(3, "")),
         Status::Damaged,
         {"byte 58", "after the End record"}},
    };
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
                          file.bytes.substr(0, file.chunkEnds[i]),
                          Status::Truncated,
                          {"without an End record"}});
        std::string flipped = file.bytes;
        const std::size_t payload = file.chunkEnds[i] + 4;
        flipped[payload + (file.chunkEnds[i + 1] - 4 - payload) / 2] ^= 0x10;
        damage.push_back(
            {"a bit flipped in the " + std::string(kindName(kindOf(file.records[i]))) + " record",
             flipped,
             Status::Damaged,
             {"chunk " + std::to_string(i + 1), "CRC mismatch"}});
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
