#include "app/ReplayFileSink.h"

#include <cerrno>
#include <cstring>

namespace zelmor::replay {

namespace {

// errno's message, read at once, before anything else can change errno.
std::string systemMessage(const char* what) {
    const int error = errno;
    return std::string(what) + ": " + std::strerror(error);
}

}  // namespace

ReplayFileSink::ReplayFileSink(const std::string& path) {
    // Binary mode: Windows would otherwise turn every 0x0A byte into two.
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        openFailure_ = systemMessage(("cannot create " + path).c_str());
    }
}

ReplayFileSink::~ReplayFileSink() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

SinkFailure ReplayFileSink::write(std::string_view bytes) {
    if (file_ == nullptr) {
        return openFailure_;
    }
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        return systemMessage("write");
    }
    return {};
}

SinkFailure ReplayFileSink::flush() {
    if (file_ == nullptr) {
        return openFailure_;
    }
    errno = 0;
    if (std::fflush(file_) != 0) {
        return systemMessage("flush");
    }
    return {};
}

}  // namespace zelmor::replay
