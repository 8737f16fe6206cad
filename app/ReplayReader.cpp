#include "app/ReplayReader.h"

#include <algorithm>
#include <cstdio>

#include "app/Crc32.h"
#include "app/ReplayFormat.h"

namespace zelmor::replay {

namespace {

// A chunk's payload is read in pieces that start at this size and double, so that memory grows
// with the bytes that are really there, not with the length a damaged file claims.
constexpr std::size_t FIRST_PIECE = 4096;

uint32_t littleEndian32(const char* bytes) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= uint32_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
    }
    return value;
}

std::string hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

}  // namespace

bool ReplayReader::next(Record& record) {
    if (status_ != Status::Reading) {
        return false;
    }
    if (!headerRead_ && !readFileHeader()) {
        return false;
    }
    for (;;) {
        if (at_ < chunk_.size()) {
            if (readRecord(record)) {
                return true;
            }
            if (status_ != Status::Reading) {
                return false;
            }
        } else if (ended_) {
            return endAfterEnd();
        } else if (!readChunk()) {
            return false;
        }
    }
}

bool ReplayReader::readFileHeader() {
    char header[FILE_HEADER_BYTES];
    const std::size_t got = readUpTo(header, FILE_HEADER_BYTES);
    if (MAGIC.substr(0, got) != std::string_view(header, std::min(got, MAGIC.size()))) {
        return stop(Status::Damaged, "not a replay file: bad magic at byte 0");
    }
    if (got < FILE_HEADER_BYTES) {
        return stop(Status::Truncated, "the file ends inside its 16-byte header, after " +
                                           std::to_string(got) + " bytes");
    }
    // The reserved bytes are written as zero and ignored: a later minor version may use them.
    ReplayCursor fields(std::string_view(header, FILE_HEADER_BYTES).substr(MAGIC.size()));
    const uint16_t major = fields.u16();
    minor_ = fields.u16();
    if (major != FORMAT_MAJOR) {
        return stop(Status::Damaged, "format version " + std::to_string(major) + "." +
                                         std::to_string(minor_) + " at byte 8; this reader reads " +
                                         std::to_string(FORMAT_MAJOR) + ".x");
    }
    headerRead_ = true;
    return true;
}

bool ReplayReader::readChunk() {
    chunkStart_ = offset_;
    char lengthBytes[CHUNK_LENGTH_BYTES];
    const std::size_t got = readUpTo(lengthBytes, CHUNK_LENGTH_BYTES);
    if (got == 0) {
        const std::string after = chunks_ == 0 ? "its header" : "chunk " + std::to_string(chunks_);
        return stop(Status::Truncated, "the file ends after " + after + ", at byte " +
                                           std::to_string(offset_) + ", without an End record");
    }
    ++chunks_;
    if (got < CHUNK_LENGTH_BYTES) {
        return stop(Status::Truncated, "the file ends inside the length of " + chunkPlace());
    }
    const uint32_t length = littleEndian32(lengthBytes);
    if (length > MAX_CHUNK_PAYLOAD) {
        return stop(Status::Damaged, chunkPlace() + ": length " + std::to_string(length) +
                                         " over the cap of " + std::to_string(MAX_CHUNK_PAYLOAD));
    }
    if (!readPayload(length)) {
        return stop(Status::Truncated, "the file ends inside " + chunkPlace() + ", " +
                                           std::to_string(chunk_.size()) + " of its " +
                                           std::to_string(length) + " bytes present");
    }
    char crcBytes[CHUNK_CRC_BYTES];
    if (readUpTo(crcBytes, CHUNK_CRC_BYTES) < CHUNK_CRC_BYTES) {
        return stop(Status::Truncated, "the file ends inside the CRC of " + chunkPlace());
    }
    const uint32_t stored = littleEndian32(crcBytes);
    const uint32_t computed = Crc32::of(chunk_);
    if (stored != computed) {
        return stop(Status::Damaged, chunkPlace() + ": CRC mismatch (stored " + hex32(stored) +
                                         ", computed " + hex32(computed) + ")");
    }
    at_ = 0;
    return true;
}

// The chunk's records are read from its start once its CRC checks out (readChunk).
bool ReplayReader::readPayload(std::size_t length) {
    chunk_.clear();
    while (chunk_.size() < length) {
        const std::size_t had = chunk_.size();
        const std::size_t piece = std::min(length - had, std::max(had, FIRST_PIECE));
        chunk_.resize(had + piece);
        const std::size_t got = readUpTo(chunk_.data() + had, piece);
        if (got < piece) {
            chunk_.resize(had + got);
            return false;
        }
    }
    return true;
}

bool ReplayReader::readRecord(Record& record) {
    const std::size_t start = at_;
    const std::string_view rest = std::string_view(chunk_).substr(start);
    ReplayCursor head(rest);
    const uint8_t kind = head.u8();
    const uint64_t length = head.varint();
    if (head.failed()) {
        return damagedRecord(start, kind, head.problem());
    }
    if (length > head.remaining()) {
        return damagedRecord(
            start, kind,
            "its length " + std::to_string(length) + " runs past the end of the chunk");
    }
    at_ += head.offset() + static_cast<std::size_t>(length);
    if (kind == 0) {
        return damagedRecord(start, kind, "kind 0 is no record kind");
    }
    const std::string_view order = orderProblem(kind, records_, ended_);
    if (!order.empty()) {
        return damagedRecord(start, kind, std::string(order));
    }
    ++records_;
    if (kind > LAST_KNOWN_KIND) {
        return false;
    }
    ReplayCursor fields(rest.substr(head.offset(), static_cast<std::size_t>(length)));
    decode(kind, fields, record);
    if (fields.failed()) {
        return damagedRecord(start, kind, fields.problem());
    }
    ended_ = kind == static_cast<uint8_t>(RecordKind::End);
    return true;
}

void ReplayReader::decode(uint8_t kind, ReplayCursor& fields, Record& record) {
    switch (static_cast<RecordKind>(kind)) {
        case RecordKind::Header:
            return decodeHeader(fields, record);
        case RecordKind::EmbeddedFile:
            return decodeEmbeddedFile(fields, record);
        case RecordKind::SceneLoaded:
            record = SceneLoaded{};
            return;
        case RecordKind::Handled:
            return decodeHandled(fields, record);
        case RecordKind::Pass:
            return decodePass(fields, record);
        case RecordKind::Quit:
            return decodeQuit(fields, record);
        case RecordKind::StateHash:
            return decodeHashed<StateHash>(fields, record);
        case RecordKind::End:
            return decodeHashed<End>(fields, record);
    }
}

void ReplayReader::decodeHeader(ReplayCursor& fields, Record& record) {
    Header& header = record.emplace<Header>();
    header.programVersion = fields.bytes(MAX_TEXT_BYTES);
    header.platform = fields.bytes(MAX_TEXT_BYTES);
    header.startTime = fields.zigzag();
}

void ReplayReader::decodeEmbeddedFile(ReplayCursor& fields, Record& record) {
    EmbeddedFile& file = record.emplace<EmbeddedFile>();
    file.path = fields.bytes(MAX_PATH_BYTES);
    file.opened = fields.boolean();
    file.bytes = fields.bytes(MAX_FILE_BYTES);
}

void ReplayReader::decodeHandled(ReplayCursor& fields, Record& record) {
    const uint64_t step = advanceStep(fields);
    const uint64_t message = fields.varint();
    const uint64_t wParam = fields.varint();
    const int64_t lParam = fields.zigzag();
    if (fields.failed()) {
        return;
    }
    const std::string_view problem = messageProblem(message, wParam, lParam);
    if (!problem.empty()) {
        fields.fail(std::string(problem) + ": " + describeMessage(message, wParam, lParam));
        return;
    }
    record = Handled{step, static_cast<uint32_t>(message), wParam, lParam};
}

// The clock readings come as 32-bit differences, which wrap as the clock does.
void ReplayReader::decodePass(ReplayCursor& fields, Record& record) {
    const bool minimised = fields.boolean();
    const int64_t fromLastEnd = fields.zigzag();
    const uint64_t duration = fields.varint();
    if (fromLastEnd < INT32_MIN || fromLastEnd > INT32_MAX) {
        fields.fail("a start " + std::to_string(fromLastEnd) +
                    " ms from the last pass's end, beyond 32 bits");
    }
    if (duration > UINT32_MAX) {
        fields.fail("a pass of " + std::to_string(duration) + " ms");
    }
    if (fields.failed()) {
        return;
    }
    const uint32_t start = static_cast<uint32_t>(lastPassEnd_) + static_cast<uint32_t>(fromLastEnd);
    const uint32_t end = start + static_cast<uint32_t>(duration);
    lastPassEnd_ = static_cast<int32_t>(end);
    record = Pass{minimised, static_cast<int32_t>(start), static_cast<int32_t>(end)};
}

void ReplayReader::decodeQuit(ReplayCursor& fields, Record& record) {
    const uint64_t step = advanceStep(fields);
    const int64_t exitCode = fields.zigzag();
    if (exitCode < INT32_MIN || exitCode > INT32_MAX) {
        fields.fail("exit code " + std::to_string(exitCode) + " out of range");
    }
    if (!fields.failed()) {
        record = Quit{step, static_cast<int32_t>(exitCode)};
    }
}

template <typename Hashed>
void ReplayReader::decodeHashed(ReplayCursor& fields, Record& record) {
    const uint64_t step = advanceStep(fields);
    const uint64_t hash = fields.u64();
    if (!fields.failed()) {
        record = Hashed{step, hash};
    }
}

uint64_t ReplayReader::advanceStep(ReplayCursor& fields) {
    const uint64_t delta = fields.varint();
    if (delta >= STEP_LIMIT - step_) {
        fields.fail("step " + std::to_string(step_) + " + " + std::to_string(delta) +
                    " is not below 2^48");
        return 0;
    }
    step_ += delta;
    return step_;
}

bool ReplayReader::endAfterEnd() {
    if (in_.peek() != std::istream::traits_type::eof()) {
        return stop(Status::Damaged,
                    "data at byte " + std::to_string(offset_) + ", after the End record's chunk");
    }
    return stop(Status::Ended, "");
}

std::size_t ReplayReader::readUpTo(char* to, std::size_t count) {
    in_.read(to, static_cast<std::streamsize>(count));
    const auto got = static_cast<std::size_t>(in_.gcount());
    offset_ += got;
    return got;
}

std::string ReplayReader::chunkPlace() const {
    return "chunk " + std::to_string(chunks_) + " at byte " + std::to_string(chunkStart_);
}

bool ReplayReader::damagedRecord(std::size_t start, uint8_t kind, const std::string& problem) {
    const uint64_t offset = chunkStart_ + CHUNK_LENGTH_BYTES + start;
    return stop(Status::Damaged, chunkPlace() + ", " + std::string(kindName(kind)) +
                                     " record (kind " + std::to_string(kind) + ") at byte " +
                                     std::to_string(offset) + ": " + problem);
}

bool ReplayReader::stop(Status status, std::string reason) {
    status_ = status;
    reason_ = std::move(reason);
    chunk_.clear();
    chunk_.shrink_to_fit();
    return false;
}

}  // namespace zelmor::replay
