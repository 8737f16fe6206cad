// Writes the seed corpus of the replay file's fuzz target into the folder it is given: short
// sessions written by the writer, and files damaged or extended one way each.
//   make_replay_corpus fuzz/corpus/ReplayFile

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/ReplayWriter.h"
#include "fuzz/ReplayFraming.h"
#include "platform/WindowMessages.h"
#include "tests/support/ReplayFiles.h"

using namespace zelmor;
using namespace zelmor::replay;
using namespace zelmor::platform;
namespace bytes = zelmor::test::bytes;

namespace {

// flushEvery 0: chunks end only after End.
std::string written(const std::vector<Record>& records, std::size_t flushEvery) {
    test::MemorySink sink;
    ReplayWriter writer(sink);
    for (std::size_t i = 0; i < records.size(); ++i) {
        writer.write(records[i]);
        if (flushEvery > 0 && (i + 1) % flushEvery == 0) {
            writer.flush();
        }
    }
    return sink.bytes;
}

std::vector<Record> shortSession() {
    return {Header{"1.0.0", "linux", 1700000000},
            EmbeddedFile{"wdf/test.wdf", true, "m models.lst\nu 1 2 3\nx\n"},
            EmbeddedFile{"models/missing.mdl", false, ""},
            Handled{0, WM_SIZE, 0, makeSizeParam(640, 480)},
            SceneLoaded{},
            Handled{0, WM_PAINT, 0, 0},
            Pass{false, 120, 136},
            Handled{3, WM_MOUSEMOVE, MK_SHIFT, makePointParam(-4, 300)},
            Handled{4, WM_LBUTTONDOWN, MK_LBUTTON, makePointParam(10, 20)},
            Handled{9, WM_KEYDOWN, 0x26, makeKeyParam(72, true, false, false)},
            Handled{12, WM_KEYUP, 0x26, makeKeyParam(72, true, true, true)},
            Pass{true, 140, 156},
            Handled{20, WM_KILLFOCUS, 0, 0},
            Handled{20, WM_MOUSELEAVE, 0, 0},
            StateHash{100, 0x9E3779B97F4A7C15ull},
            Handled{150, WM_CLOSE, 0, 0},
            Quit{151, 0},
            End{151, 0x0123456789ABCDEFull}};
}

// A later minor version: a field appended to a record and a kind this reader does not know.
std::string newerMinor() {
    using namespace bytes;
    return fileHeader(1, 3) +
           chunk(headerRecord() + record(12, varint(7) + "future") +
                 record(4, varint(5) + varint(WM_CLOSE) + varint(0) + zigzag(0) + "more") +
                 endRecord(5, 1));
}

// The payloads of a written file's chunks, as the fuzz target's second reading takes them.
std::string payloads(const std::string& file) {
    std::string joined;
    for (std::size_t at = 16; at + 4 <= file.size();) {
        std::size_t length = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            length |= std::size_t(static_cast<unsigned char>(file[at + i])) << (8 * i);
        }
        if (!joined.empty() || at > 16) {
            joined += fuzz::CHUNK_SEPARATOR;
        }
        joined += file.substr(at + 4, length);
        at += 8 + length;
    }
    return joined;
}

void save(const std::filesystem::path& folder, const char* name, const std::string& content) {
    std::ofstream(folder / name, std::ios::binary) << content;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_replay_corpus <folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const std::vector<Record> session = shortSession();
    const std::vector<Record> withoutEnd(session.begin(), session.end() - 1);
    const std::string whole = written(session, 0);
    const std::string chunked = written(session, 4);
    std::string flipped = chunked;
    flipped[40] ^= 0x04;
    std::string major2 = whole;
    major2[8] = 2;

    save(folder, "session", whole);
    save(folder, "session_chunks", chunked);
    save(folder, "header_only", written({Header{"", "web", -1}, End{}}, 0));
    save(folder, "newer_minor", newerMinor());
    save(folder, "cut_in_chunk", chunked.substr(0, chunked.size() / 2));
    save(folder, "cut_after_chunk", written(withoutEnd, 4));
    save(folder, "flipped_bit", flipped);
    save(folder, "major_2", major2);
    save(folder, "after_end", whole + bytes::chunk(bytes::record(3, "")));
    // Seeds of the second reading: a session's chunk payloads, and records after its End.
    save(folder, "payloads", payloads(chunked));
    save(folder, "payloads_after_end", payloads(whole) + fuzz::CHUNK_SEPARATOR + "\x03");
    save(folder, "huge_chunk", whole.substr(0, 16) + bytes::littleEndian(0x7FFFFFFF, 4));
    return 0;
}
