#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <memory>
#include <streambuf>
#include <system_error>

#include "platform/ReadOnlyFile.h"

namespace zelmor {

// The stream buffer of a file on disk. A read that the system refuses (a bad sector, a dropped
// network folder) throws from the buffer, as the standard file buffer does: the stream's own
// reads then end in its failed state (badbit), and the readers that walk the buffer directly
// turn it into the same state. The failure stays: later reads fail too, so nothing is read
// past a hole in the file. Unlike the standard file buffer, it remembers why and where.
class FileBuffer : public std::streambuf {
public:
    // Not a multiple of 8: /proc/self/pagemap, a regular file by its type, then refuses the
    // read (EINVAL) instead of reading as hundreds of gigabytes of zeros.
    static constexpr std::size_t SIZE = 4095;

    explicit FileBuffer(std::unique_ptr<platform::ReadOnlyFile> file) : file_(std::move(file)) {}

    // The system's reason for the failed read; empty while every read succeeded.
    const std::error_code& error() const { return error_; }
    // The byte offset that could not be read.
    std::streamoff failedAt() const { return bufferStart_; }
    // The buffer of in when it reads a file on disk, else null.
    static const FileBuffer* of(const std::istream& in);

protected:
    int_type underflow() override;
    pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                     std::ios_base::openmode which) override;
    pos_type seekpos(pos_type position, std::ios_base::openmode which) override;
    // Up to size bytes at offset at, the file's current place: as ReadOnlyFile::read. Tests
    // override it to fail on cue.
    virtual std::ptrdiff_t readSome(std::streamoff at, char* into, std::size_t size,
                                    std::error_code& error);

private:
    std::unique_ptr<platform::ReadOnlyFile> file_;
    std::array<char, SIZE> bytes_{};
    std::streamoff bufferStart_ = 0;  // the file offset of the buffer's first byte
    std::error_code error_;
};

// An input stream that owns its buffer.
class FileStream : public std::istream {
public:
    explicit FileStream(std::unique_ptr<std::streambuf> buffer)
        : std::istream(buffer.get()), buffer_(std::move(buffer)) {}

private:
    std::unique_ptr<std::streambuf> buffer_;
};

}  // namespace zelmor
