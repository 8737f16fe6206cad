#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/ReplayRecord.h"
#include "app/ReplaySink.h"

namespace zelmor::replay {

// Writes a session's records to a replay file as they come, gathered into chunks, each written
// whole and followed by a flush of the sink: a session killed at any moment leaves complete
// chunks behind and loses at most its last second or so.
//
// The writer holds records to the file's rules (a Header first and once, nothing after End,
// steps that never go back and stay below 2^48, values within their limits): a record that
// breaks one stops it, as does the sink's first failure. A stopped writer writes nothing more
// and never retries; failure() says why, and the program goes on without recording.
class ReplayWriter {
public:
    // Writes the file header at once. The sink must outlive the writer.
    explicit ReplayWriter(ReplaySink& sink);

    // Adds the record to the chunk being gathered; writes the chunk out when it grows past
    // CHUNK_TARGET_BYTES, and after an End record.
    void write(const Record& record);
    // Writes the chunk out when it has held records for more than CHUNK_MAX_AGE_MS. The age of
    // a chunk counts from the clock reading (ms, as platform::Clock gives) of the call before its
    // first record, or of the first call after it when there was none before: call this every
    // pass of the main loop.
    void flushIfDue(int32_t nowMs);
    // Writes out whatever the chunk holds.
    void flush();

    bool failed() const { return failure_.has_value(); }
    // Why the writer stopped; empty while it has not.
    std::string failure() const { return failure_.value_or(std::string()); }

private:
    // Puts a record's fields into fields_ (and, for an embedded file, names its content in
    // tail_); the reason when the record cannot be written.
    std::optional<std::string> encodeFields(const Record& record);
    std::optional<std::string> fieldsOf(const Header& header);
    std::optional<std::string> fieldsOf(const EmbeddedFile& file);
    std::optional<std::string> fieldsOf(const SceneLoaded& scene);
    std::optional<std::string> fieldsOf(const Handled& handled);
    std::optional<std::string> fieldsOf(const Pass& pass);
    std::optional<std::string> fieldsOf(const Quit& quit);
    std::optional<std::string> fieldsOf(const StateHash& hash);
    std::optional<std::string> fieldsOf(const End& end);
    // The step as a delta from the last step written, or the reason it cannot be written.
    std::optional<std::string> putStep(uint64_t step);
    void appendRecord(uint8_t kind);
    void writeChunk();
    void send(std::string_view bytes);
    void flushSink();
    void stop(std::string reason);

    ReplaySink& sink_;
    std::string chunk_;   // the payload gathered so far
    std::string fields_;  // one record's fields, reused
    std::string_view tail_;
    uint64_t records_ = 0;
    bool ended_ = false;
    uint64_t lastStep_ = 0;
    int32_t lastPassEnd_ = 0;
    std::optional<int32_t> lastReading_;
    std::optional<int32_t> chunkSince_;
    std::optional<std::string> failure_;
};

}  // namespace zelmor::replay
