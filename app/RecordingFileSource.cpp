#include "app/RecordingFileSource.h"

#include <array>
#include <sstream>
#include <streambuf>

namespace zelmor {

namespace {

// Bytes already read from a stream, then the rest of that stream.
class PrefixedBuffer : public std::streambuf {
public:
    PrefixedBuffer(std::string prefix, std::unique_ptr<std::istream> rest)
        : prefix_(std::move(prefix)), rest_(std::move(rest)) {
        setg(prefix_.data(), prefix_.data(), prefix_.data() + prefix_.size());
    }

protected:
    int_type underflow() override {
        if (gptr() < egptr()) {
            return traits_type::to_int_type(*gptr());
        }
        rest_->read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        const std::streamsize count = rest_->gcount();
        if (count <= 0) {
            return traits_type::eof();
        }
        setg(buffer_.data(), buffer_.data(), buffer_.data() + count);
        return traits_type::to_int_type(*gptr());
    }

private:
    std::string prefix_;
    std::unique_ptr<std::istream> rest_;
    std::array<char, 4096> buffer_{};
};

class PrefixedStream : public std::istream {
public:
    explicit PrefixedStream(std::unique_ptr<PrefixedBuffer> buffer)
        : std::istream(buffer.get()), buffer_(std::move(buffer)) {}

private:
    std::unique_ptr<PrefixedBuffer> buffer_;
};

}  // namespace

std::unique_ptr<std::istream> RecordingFileSource::open(const std::string& path) const {
    std::unique_ptr<std::istream> in = files_.open(path);
    if (!in) {
        record(path, false, {});
        return nullptr;
    }
    // The reader's own reads stop at the end or at the first read the system refuses, and so
    // does this one: what it gets is what the reader would have got.
    std::string bytes;
    std::array<char, 65536> block{};
    while (*in && bytes.size() <= MAX_EMBEDDED_BYTES) {
        in->read(block.data(), static_cast<std::streamsize>(block.size()));
        bytes.append(block.data(), static_cast<std::size_t>(in->gcount()));
    }
    if (bytes.size() > MAX_EMBEDDED_BYTES) {
        tooLarge_(path);
        return std::make_unique<PrefixedStream>(
            std::make_unique<PrefixedBuffer>(std::move(bytes), std::move(in)));
    }
    record(path, true, bytes);
    return std::make_unique<std::istringstream>(std::move(bytes));
}

void RecordingFileSource::record(const std::string& path, bool opened,
                                 const std::string& bytes) const {
    uint64_t hash = 1469598103934665603ull;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    const Recorded now{opened, bytes.size(), hash};
    const auto known = recorded_.find(path);
    if (known != recorded_.end() && known->second == now) {
        return;
    }
    recorded_[path] = now;
    embed_({path, opened, bytes});
}

}  // namespace zelmor
