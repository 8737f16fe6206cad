#include "app/ReplayWriter.h"

#include <variant>

#include "app/Crc32.h"
#include "app/ReplayFormat.h"
#include "platform/Clock.h"

namespace zelmor::replay {

namespace {

// The largest record: an embedded file of the largest size with the longest path, its length
// and kind. It must fit in a chunk of its own.
constexpr std::size_t LARGEST_RECORD = 1 + MAX_VARINT_BYTES + 2 + MAX_PATH_BYTES + 1 +
                                       MAX_VARINT_BYTES + MAX_FILE_BYTES + MAX_VARINT_BYTES;
static_assert(LARGEST_RECORD <= MAX_CHUNK_PAYLOAD);
static_assert(MAX_CHUNK_PAYLOAD <= UINT32_MAX);

// A chunk buffer this much larger than usual held an embedded file: it is given back.
constexpr std::size_t KEPT_CHUNK_CAPACITY = 4 * CHUNK_TARGET_BYTES;

void putLittleEndian(std::string& out, uint64_t value, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
    }
}

void putVarint(std::string& out, uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<char>((value & 0x7Fu) | 0x80u));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
}

std::size_t varintSize(uint64_t value) {
    std::size_t size = 1;
    while (value >= 0x80) {
        value >>= 7;
        ++size;
    }
    return size;
}

// Small magnitudes of either sign in few bytes: 0, -1, 1, -2 ... become 0, 1, 2, 3 ...
void putZigzag(std::string& out, int64_t value) {
    putVarint(out, (static_cast<uint64_t>(value) << 1) ^ static_cast<uint64_t>(value >> 63));
}

std::optional<std::string> putBytes(std::string& out, std::string_view bytes, std::size_t maxBytes,
                                    const char* what) {
    if (bytes.size() > maxBytes) {
        return std::string(what) + " of " + std::to_string(bytes.size()) +
               " bytes over the cap of " + std::to_string(maxBytes);
    }
    putVarint(out, bytes.size());
    out.append(bytes);
    return std::nullopt;
}

}  // namespace

ReplayWriter::ReplayWriter(ReplaySink& sink) : sink_(sink) {
    std::string header(MAGIC);
    putLittleEndian(header, FORMAT_MAJOR, 2);
    putLittleEndian(header, FORMAT_MINOR, 2);
    putLittleEndian(header, 0, 4);
    send(header);
    flushSink();
}

void ReplayWriter::write(const Record& record) {
    if (failed()) {
        return;
    }
    const uint8_t kind = kindOf(record);
    const std::string_view order = orderProblem(kind, records_, ended_);
    if (!order.empty()) {
        stop("cannot record " + std::string(kindName(kind)) + ": " + std::string(order));
        return;
    }
    fields_.clear();
    tail_ = {};
    if (auto problem = encodeFields(record)) {
        stop("cannot record " + std::string(kindName(kind)) + ": " + *problem);
        return;
    }
    appendRecord(kind);
    ++records_;
    if (kind == static_cast<uint8_t>(RecordKind::End)) {
        ended_ = true;
        writeChunk();
    } else if (chunk_.size() > CHUNK_TARGET_BYTES) {
        writeChunk();
    }
}

void ReplayWriter::flushIfDue(int32_t nowMs) {
    lastReading_ = nowMs;
    if (chunk_.empty()) {
        return;
    }
    if (!chunkSince_) {
        chunkSince_ = nowMs;
        return;
    }
    if (platform::Clock::millisecondsBetween(*chunkSince_, nowMs) > CHUNK_MAX_AGE_MS) {
        writeChunk();
    }
}

void ReplayWriter::flush() {
    writeChunk();
}

std::optional<std::string> ReplayWriter::encodeFields(const Record& record) {
    return std::visit([this](const auto& alternative) { return fieldsOf(alternative); }, record);
}

std::optional<std::string> ReplayWriter::fieldsOf(const Header& header) {
    if (auto problem = putBytes(fields_, header.programVersion, MAX_TEXT_BYTES, "a version")) {
        return problem;
    }
    if (auto problem = putBytes(fields_, header.platform, MAX_TEXT_BYTES, "a platform name")) {
        return problem;
    }
    putZigzag(fields_, header.startTime);
    return std::nullopt;
}

std::optional<std::string> ReplayWriter::fieldsOf(const EmbeddedFile& file) {
    if (auto problem = putBytes(fields_, file.path, MAX_PATH_BYTES, "a path")) {
        return problem;
    }
    fields_.push_back(static_cast<char>(file.opened ? 1 : 0));
    if (file.bytes.size() > MAX_FILE_BYTES) {
        return file.path + " has " + std::to_string(file.bytes.size()) +
               " bytes, over the cap of " + std::to_string(MAX_FILE_BYTES);
    }
    // The content goes straight from the record into the chunk, without a copy in between.
    putVarint(fields_, file.bytes.size());
    tail_ = file.bytes;
    return std::nullopt;
}

std::optional<std::string> ReplayWriter::fieldsOf(const SceneLoaded&) {
    return std::nullopt;
}

std::optional<std::string> ReplayWriter::fieldsOf(const Handled& handled) {
    const std::string_view problem =
        messageProblem(handled.message, handled.wParam, handled.lParam);
    if (!problem.empty()) {
        return std::string(problem) + ": " +
               describeMessage(handled.message, handled.wParam, handled.lParam);
    }
    if (auto stepProblem = putStep(handled.step)) {
        return stepProblem;
    }
    putVarint(fields_, handled.message);
    putVarint(fields_, handled.wParam);
    putZigzag(fields_, handled.lParam);
    return std::nullopt;
}

// Both readings as 32-bit differences, exact across the wrap of the clock: the start from the
// previous pass's end (a few ms at most, as a rule), the end from the start.
std::optional<std::string> ReplayWriter::fieldsOf(const Pass& pass) {
    fields_.push_back(static_cast<char>(pass.minimised ? 1 : 0));
    const auto fromLastEnd = static_cast<int32_t>(static_cast<uint32_t>(pass.start) -
                                                  static_cast<uint32_t>(lastPassEnd_));
    putZigzag(fields_, fromLastEnd);
    putVarint(fields_, platform::Clock::millisecondsBetween(pass.start, pass.end));
    lastPassEnd_ = pass.end;
    return std::nullopt;
}

std::optional<std::string> ReplayWriter::fieldsOf(const Quit& quit) {
    if (auto problem = putStep(quit.step)) {
        return problem;
    }
    putZigzag(fields_, quit.exitCode);
    return std::nullopt;
}

std::optional<std::string> ReplayWriter::fieldsOf(const StateHash& hash) {
    if (auto problem = putStep(hash.step)) {
        return problem;
    }
    putLittleEndian(fields_, hash.hash, 8);
    return std::nullopt;
}

std::optional<std::string> ReplayWriter::fieldsOf(const End& end) {
    if (auto problem = putStep(end.step)) {
        return problem;
    }
    putLittleEndian(fields_, end.hash, 8);
    return std::nullopt;
}

std::optional<std::string> ReplayWriter::putStep(uint64_t step) {
    if (step >= STEP_LIMIT) {
        return "step " + std::to_string(step) + " is not below 2^48";
    }
    if (step < lastStep_) {
        return "step " + std::to_string(step) + " comes after step " + std::to_string(lastStep_);
    }
    putVarint(fields_, step - lastStep_);
    lastStep_ = step;
    return std::nullopt;
}

// A record never spans chunks: one that would take the chunk past its cap starts the next.
void ReplayWriter::appendRecord(uint8_t kind) {
    const std::size_t length = fields_.size() + tail_.size();
    const std::size_t recordBytes = 1 + varintSize(length) + length;
    if (chunk_.size() + recordBytes > MAX_CHUNK_PAYLOAD) {
        writeChunk();
        if (failed()) {
            return;
        }
    }
    if (chunk_.empty()) {
        chunkSince_ = lastReading_;
    }
    chunk_.push_back(static_cast<char>(kind));
    putVarint(chunk_, length);
    chunk_.append(fields_);
    chunk_.append(tail_);
}

void ReplayWriter::writeChunk() {
    if (failed() || chunk_.empty()) {
        return;
    }
    std::string frame;
    putLittleEndian(frame, chunk_.size(), CHUNK_LENGTH_BYTES);
    send(frame);
    send(chunk_);
    frame.clear();
    putLittleEndian(frame, Crc32::of(chunk_), CHUNK_CRC_BYTES);
    send(frame);
    flushSink();
    chunk_.clear();
    if (chunk_.capacity() > KEPT_CHUNK_CAPACITY) {
        chunk_.shrink_to_fit();
    }
    chunkSince_.reset();
}

void ReplayWriter::send(std::string_view bytes) {
    if (failed()) {
        return;
    }
    if (auto failure = sink_.write(bytes)) {
        stop(*failure);
    }
}

void ReplayWriter::flushSink() {
    if (failed()) {
        return;
    }
    if (auto failure = sink_.flush()) {
        stop(*failure);
    }
}

void ReplayWriter::stop(std::string reason) {
    failure_ = std::move(reason);
    chunk_.clear();
    chunk_.shrink_to_fit();
}

}  // namespace zelmor::replay
