// A replay file, read to its end. Whatever the reader hands out, the writer must take and write
// again so that it reads back the same: the two hold a file to the same rules.
//
// The input is read twice: as a file, and as the payloads of a file's chunks, split at each byte
// CHUNK_SEPARATOR and framed with their lengths and right CRCs, so that mutations reach the
// records inside without having to mend a CRC.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/ReplayReader.h"
#include "app/ReplayWriter.h"
#include "fuzz/FuzzChecks.h"
#include "fuzz/ReplayFraming.h"
#include "tests/support/ReplayFiles.h"

using namespace zelmor;
using replay::ReplayReader;

namespace {

void readThrough(const std::string& file) {
    std::istringstream in(file);
    ReplayReader reader(in);
    std::vector<replay::Record> records;
    replay::Record record;
    while (reader.next(record)) {
        records.push_back(record);
    }
    const ReplayReader::Status status = reader.status();
    fuzz::require(status != ReplayReader::Status::Reading, "the reader stopped while reading");
    fuzz::require(reader.reason().empty() == (status == ReplayReader::Status::Ended),
                  "a reason for every stop but the clean end");
    fuzz::require(!reader.next(record), "a stopped reader stays stopped");

    test::MemorySink sink;
    replay::ReplayWriter writer(sink);
    for (const replay::Record& read : records) {
        writer.write(read);
    }
    writer.flush();
    fuzz::require(!writer.failed(), "the writer refuses what the reader accepted");
    const test::ReadBack back = test::readBack(sink.bytes);
    fuzz::require(back.records == records, "written again, the records read back otherwise");
    const bool ended = !records.empty() && std::holds_alternative<replay::End>(records.back());
    fuzz::require(
        back.status == (ended ? ReplayReader::Status::Ended : ReplayReader::Status::Truncated),
        "written again, the file ends otherwise");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    readThrough(input);
    readThrough(fuzz::framedChunks(input));
    return 0;
}
