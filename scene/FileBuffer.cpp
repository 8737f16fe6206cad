#include "scene/FileBuffer.h"

namespace zelmor {

const FileBuffer* FileBuffer::of(const std::istream& in) {
    return dynamic_cast<const FileBuffer*>(in.rdbuf());
}

FileBuffer::int_type FileBuffer::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    if (!error_) {
        bufferStart_ += egptr() - eback();
        std::error_code error;
        const std::ptrdiff_t got = readSome(bufferStart_, bytes_.data(), bytes_.size(), error);
        if (got >= 0) {
            setg(bytes_.data(), bytes_.data(), bytes_.data() + got);
            return got == 0 ? traits_type::eof() : traits_type::to_int_type(*gptr());
        }
        error_ = error ? error : std::make_error_code(std::errc::io_error);
        setg(bytes_.data(), bytes_.data(), bytes_.data());
    }
    throw std::ios_base::failure("the file could not be read", error_);
}

FileBuffer::pos_type FileBuffer::seekoff(off_type offset, std::ios_base::seekdir direction,
                                         std::ios_base::openmode which) {
    const std::streamoff here = bufferStart_ + (gptr() - eback());
    if (direction == std::ios_base::cur) {
        // Asked after every token while a check counts lines: answered without the system.
        return offset == 0 ? pos_type(here) : seekpos(pos_type(here + offset), which);
    }
    if (direction == std::ios_base::beg) {
        return seekpos(pos_type(offset), which);
    }
    return pos_type(off_type(-1));
}

FileBuffer::pos_type FileBuffer::seekpos(pos_type position, std::ios_base::openmode which) {
    const std::streamoff offset = position;
    if (!(which & std::ios_base::in) || offset < 0 || error_ || !file_->seek(offset)) {
        return pos_type(off_type(-1));
    }
    bufferStart_ = offset;
    setg(bytes_.data(), bytes_.data(), bytes_.data());
    return position;
}

std::ptrdiff_t FileBuffer::readSome(std::streamoff /*at*/, char* into, std::size_t size,
                                    std::error_code& error) {
    return file_->read(into, size, error);
}

}  // namespace zelmor
