#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

#include "app/ReplayCursor.h"
#include "app/ReplayRecord.h"

namespace zelmor::replay {

// Reads a replay file record by record, checking everything: each chunk's length against its
// cap before anything is allocated and its CRC before any of its records is handed out, each
// record's fields, values and place in the file. It holds one chunk at a time and reads nothing
// ahead of it. Steps come out absolute, summed from the file's deltas.
//
// Records of kinds added after this reader are skipped, as are fields appended to the records it
// knows; both come with later minor versions of the format.
class ReplayReader {
public:
    enum class Status {
        Reading,    // next() may give more records
        Ended,      // the End record was read and nothing follows it
        Truncated,  // the file stops early: in its header, in a chunk, or before any End record
        Damaged,    // the file breaks a rule of the format; reason() says which and where
    };

    // Reads from in, which must be opened in binary mode and outlive the reader.
    explicit ReplayReader(std::istream& in) : in_(in) {}

    // The next record; false when there is none, and status() says why.
    bool next(Record& record);

    Status status() const { return status_; }
    // One line on why reading stopped, naming the chunk (counted from 1) and the byte offset
    // (from the start of the file, counted from 0); empty while reading and after a clean end.
    const std::string& reason() const { return reason_; }
    // The minor version of the format the file was written in, once its header has been read.
    uint16_t minorVersion() const { return minor_; }

private:
    bool readFileHeader();
    bool readChunk();
    bool readPayload(std::size_t length);
    // The record at at_; false, still Reading, when it is of a kind this reader skips.
    bool readRecord(Record& record);
    void decode(uint8_t kind, ReplayCursor& fields, Record& record);
    void decodeHeader(ReplayCursor& fields, Record& record);
    void decodeEmbeddedFile(ReplayCursor& fields, Record& record);
    void decodeHandled(ReplayCursor& fields, Record& record);
    void decodePass(ReplayCursor& fields, Record& record);
    void decodeQuit(ReplayCursor& fields, Record& record);
    // StateHash and End, which carry the same fields.
    template <typename Hashed>
    void decodeHashed(ReplayCursor& fields, Record& record);
    // The absolute step after the delta, or a problem in fields when it reaches 2^48.
    uint64_t advanceStep(ReplayCursor& fields);
    bool endAfterEnd();
    std::size_t readUpTo(char* to, std::size_t count);
    std::string chunkPlace() const;
    // Stops at the record that starts at `start` in the chunk.
    bool damagedRecord(std::size_t start, uint8_t kind, const std::string& problem);
    bool stop(Status status, std::string reason);

    std::istream& in_;
    Status status_ = Status::Reading;
    std::string reason_;
    uint16_t minor_ = 0;
    bool headerRead_ = false;
    uint64_t offset_ = 0;      // bytes of the file read so far
    uint64_t chunkStart_ = 0;  // the offset of the current chunk's length field
    uint64_t chunks_ = 0;      // chunks read, the current one included
    std::string chunk_;        // the current chunk's payload
    std::size_t at_ = 0;       // the next record's offset in it
    uint64_t records_ = 0;
    bool ended_ = false;
    uint64_t step_ = 0;
    int32_t lastPassEnd_ = 0;
};

}  // namespace zelmor::replay
