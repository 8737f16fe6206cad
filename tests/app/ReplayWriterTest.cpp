#include "app/ReplayWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/ReplayFormat.h"
#include "platform/WindowMessages.h"
#include "tests/support/ReplayFiles.h"

namespace zelmor::replay {
namespace {

using Status = ReplayReader::Status;
using namespace platform;
namespace bytes = test::bytes;

constexpr uint64_t LAST_STEP = STEP_LIMIT - 1;

// Every kind of record with the values at the edges of its fields.
std::vector<Record> everyKind() {
    std::string allByteValues;
    for (int i = 0; i < 70000; ++i) {
        allByteValues.push_back(static_cast<char>(i * 7));
    }
    return {
        Header{"", std::string(MAX_TEXT_BYTES, 'w'), INT64_MIN},
        EmbeddedFile{"wdf/test.wdf", true, "m models.lst\nx\n"},
        EmbeddedFile{"models/missing.mdl", false, ""},
        EmbeddedFile{std::string(MAX_PATH_BYTES, 'p'), true, allByteValues},
        SceneLoaded{},
        Handled{0, WM_SIZE, 0, makeSizeParam(0xFFFF, 0xFFFF)},
        Handled{0, WM_MOUSEMOVE, MK_SHIFT | MK_LBUTTON, -1},  // a point sign-extended
        Handled{1, WM_KEYUP, 0xFF, makeKeyParam(72, true, true, true)},
        Handled{1, WM_LBUTTONDOWN, 0x7F, INT32_MIN},
        Handled{5000, WM_KILLFOCUS, UINT64_MAX, INT64_MIN},
        Handled{5000, WM_MOUSELEAVE, 0, INT64_MAX},
        Pass{false, 0, 0},
        Pass{true, INT32_MAX - 5, INT32_MIN + 10},  // across the clock's wrap
        Pass{false, INT32_MIN, INT32_MAX},
        Pass{false, -3, -3},
        StateHash{5000, 0},
        Quit{LAST_STEP, INT32_MIN},
        StateHash{LAST_STEP, UINT64_MAX},
        End{LAST_STEP, 0x0123456789ABCDEFull},
    };
}

// Enough small records to fill several chunks by size alone.
std::vector<Record> longSession() {
    std::vector<Record> records{Header{"1.0.0", "linux", 1700000000}};
    for (int step = 0; step < 30000; ++step) {
        records.push_back(Handled{uint64_t(step), WM_MOUSEMOVE, 0, makePointParam(step % 640, 7)});
        records.push_back(Pass{false, step * 10, step * 10 + 9});
    }
    records.push_back(End{30000, 42});
    return records;
}

// The payload lengths of the chunks of a well-formed file.
std::vector<uint32_t> chunkLengths(const std::string& file) {
    std::vector<uint32_t> lengths;
    for (std::size_t at = FILE_HEADER_BYTES; at + 4 <= file.size();) {
        uint32_t length = 0;
        for (int i = 0; i < 4; ++i) {
            length |= uint32_t(static_cast<unsigned char>(file[at + i])) << (8 * i);
        }
        lengths.push_back(length);
        at += 8 + length;
    }
    return lengths;
}

std::string writeAll(const std::vector<Record>& records, int flushEvery) {
    test::MemorySink sink;
    ReplayWriter writer(sink);
    for (std::size_t i = 0; i < records.size(); ++i) {
        writer.write(records[i]);
        if (flushEvery > 0 && i % flushEvery == 0) {
            writer.flush();
        }
    }
    EXPECT_FALSE(writer.failed()) << writer.failure();
    return sink.bytes;
}

TEST(ReplayWriter, EveryRecordReadsBackAsWrittenWhereverTheChunksEnd) {
    struct Case {
        const char* name;
        std::vector<Record> records;
        int flushEvery;
        std::size_t chunks;
    };
    const Case cases[] = {
        {"the big file fills a chunk", everyKind(), 0, 2},
        {"a chunk per record", everyKind(), 1, everyKind().size()},
        {"a chunk per three records", everyKind(), 3, 7},
        {"chunks cut by size", longSession(), 0, 7},
    };
    for (const Case& c : cases) {
        const std::string file = writeAll(c.records, c.flushEvery);
        const test::ReadBack back = test::readBack(file);
        EXPECT_EQ(back.status, Status::Ended) << c.name << ": " << back.reason;
        EXPECT_EQ(back.records, c.records) << c.name;
        const std::vector<uint32_t> lengths = chunkLengths(file);
        EXPECT_EQ(lengths.size(), c.chunks) << c.name;
        for (const uint32_t length : lengths) {
            EXPECT_LE(length, CHUNK_TARGET_BYTES + 100000) << c.name;
        }
    }
}

// A record that brings its chunk to exactly the cap still joins it. The header's record takes 5
// bytes; a file named "a" of n bytes takes n + 10 (n from 2^14 to 2^21), which brings the chunk
// to CHUNK_TARGET_BYTES, not yet over it; a file "b" takes n + 12 (n from 2^21 to 2^28), the rest.
TEST(ReplayWriter, ARecordThatFillsItsChunkToTheCapJoinsIt) {
    std::vector<Record> records;  // filled one by one: a list would copy the big file twice
    records.push_back(Header{"", "", 0});
    records.push_back(EmbeddedFile{"a", true, std::string(CHUNK_TARGET_BYTES - 5 - 10, 'a')});
    records.push_back(
        EmbeddedFile{"b", true, std::string(MAX_CHUNK_PAYLOAD - CHUNK_TARGET_BYTES - 12, 'b')});
    records.push_back(End{0, 0});
    EXPECT_EQ(chunkLengths(writeAll(records, 0)), (std::vector<uint32_t>{MAX_CHUNK_PAYLOAD, 11}));
}

// The encoding must not drift: a file written today reads the same in every later version.
TEST(ReplayWriter, WritesTheDocumentedBytes) {
    test::MemorySink sink;
    ReplayWriter writer(sink);
    writer.write(Header{"1.0.0", "linux", -2});
    writer.write(Handled{3, WM_KEYDOWN, 0x26, makeKeyParam(72, true, false, false)});
    writer.write(Pass{true, 100, 116});
    writer.write(End{300, 0x1122334455667788ull});
    const std::string expected =
        bytes::fileHeader() +
        bytes::chunk(bytes::record(1, bytes::text("1.0.0") + bytes::text("linux") + "\x03") +
                     bytes::record(4, std::string("\x03\x80\x02\x26\x82\x80\xC0\x14", 8)) +
                     bytes::record(5, std::string("\x01\xC8\x01\x10", 4)) +
                     bytes::record(8, "\xA9\x02" + bytes::littleEndian(0x1122334455667788, 8)));
    EXPECT_EQ(sink.bytes, expected);

    EXPECT_EQ(Crc32::of(writeAll(everyKind(), 3)), 0x2AE5016Bu)
        << "the encoding of every kind moved";
}

TEST(ReplayWriter, ASinkThatFailsStopsItAndLeavesCompleteChunksBehind) {
    const std::vector<Record> records = everyKind();
    const std::string whole = writeAll(records, 1);
    const std::vector<uint32_t> lengths = chunkLengths(whole);
    std::vector<std::size_t> failAt{
        0, 8, 16, 17, 16 + 8 + lengths[0], 16 + 8 + lengths[0] + 3, whole.size() - 1};
    for (const std::size_t at : failAt) {
        test::MemorySink sink(at);
        ReplayWriter writer(sink);
        for (std::size_t i = 0; i < records.size(); ++i) {
            writer.write(records[i]);
            writer.flush();
        }
        EXPECT_TRUE(writer.failed()) << "failing at byte " << at;
        EXPECT_EQ(writer.failure(), test::MemorySink::FAILURE);
        EXPECT_EQ(sink.callsAfterFailure, 0) << "failing at byte " << at;
        const test::ReadBack back = test::readBack(sink.bytes);
        EXPECT_EQ(back.status, Status::Truncated) << "failing at byte " << at;
        const std::vector<Record> prefix(records.begin(), records.begin() + back.records.size());
        EXPECT_EQ(back.records, prefix) << "failing at byte " << at;
    }
}

// A record the reader would refuse stops the writer; the file stays readable up to it.
TEST(ReplayWriter, RefusesRecordsThatBreakTheFormatsRules) {
    struct Case {
        const char* name;
        std::vector<Record> records;
        const char* words;
    };
    const Header header{"1.0.0", "linux", 0};
    const Case cases[] = {
        {"no Header first", {SceneLoaded{}}, "first record is not a Header"},
        {"a second Header", {header, header}, "a second Header"},
        {"a record after End", {header, End{}, SceneLoaded{}}, "after the End record"},
        {"a step that goes back", {header, StateHash{100, 0}, Quit{99, 0}}, "after step 100"},
        {"a step of 2^48", {header, StateHash{STEP_LIMIT, 0}}, "not below 2^48"},
        {"a message sessions do not record", {header, Handled{0, WM_CHAR, 'a', 0}}, "do not"},
        {"key data over 32 bits", {header, Handled{0, WM_KEYDOWN, 0x41, 1ll << 32}}, "lParam"},
        {"a long platform name", {Header{"1", std::string(257, 'x'), 0}}, "257 bytes over"},
        {"a long path", {header, EmbeddedFile{std::string(4097, 'x'), true, ""}}, "4097 bytes"},
        {"a large file",
         {header, EmbeddedFile{"big", true, std::string(MAX_FILE_BYTES + 1, 'x')}},
         "67108865 bytes"},
    };
    for (const Case& c : cases) {
        test::MemorySink sink;
        ReplayWriter writer(sink);
        for (const Record& record : c.records) {
            writer.write(record);
        }
        writer.flush();
        EXPECT_TRUE(writer.failed()) << c.name;
        EXPECT_NE(writer.failure().find(c.words), std::string::npos)
            << c.name << ": " << writer.failure();
        const test::ReadBack back = test::readBack(sink.bytes);
        EXPECT_NE(back.status, Status::Damaged) << c.name << ": " << back.reason;
    }
}

// Counted from the clock reading before a chunk's first record, across the wrap of the clock.
TEST(ReplayWriter, FlushIfDueWritesAChunkOnceItsFirstRecordIsOverASecondOld) {
    for (const int32_t start : {0, INT32_MAX - 500, -700}) {
        test::MemorySink sink;
        ReplayWriter writer(sink);
        const std::size_t headerOnly = sink.bytes.size();
        writer.write(Header{"1.0.0", "web", 0});
        writer.flushIfDue(start);  // no reading before the record: its age starts now
        writer.flushIfDue(int32_t(uint32_t(start) + 1000));
        EXPECT_EQ(sink.bytes.size(), headerOnly) << "from " << start;
        writer.flushIfDue(int32_t(uint32_t(start) + 1001));
        const std::size_t firstChunk = sink.bytes.size();
        EXPECT_GT(firstChunk, headerOnly) << "from " << start;

        writer.flushIfDue(int32_t(uint32_t(start) + 1500));
        writer.write(SceneLoaded{});
        writer.flushIfDue(int32_t(uint32_t(start) + 2500));
        EXPECT_EQ(sink.bytes.size(), firstChunk) << "from " << start;
        writer.flushIfDue(int32_t(uint32_t(start) + 2501));
        EXPECT_GT(sink.bytes.size(), firstChunk) << "from " << start;
        EXPECT_EQ(sink.flushes, 3) << "the header and each chunk";
    }
}

}  // namespace
}  // namespace zelmor::replay
