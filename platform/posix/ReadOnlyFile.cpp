#include "platform/ReadOnlyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace zelmor::platform {

namespace {

bool isRegularFile(int descriptor) {
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

std::unique_ptr<ReadOnlyFile> ReadOnlyFile::open(const std::string& path) {
    // A name that already shows a FIFO or a device is not even opened: opening one can have
    // effects of its own (a FIFO's waiting writer is let through and then sees it closed).
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return nullptr;
    }
    // The name may be given to another file between that look and the opening, so the opening
    // never waits (a FIFO would wait for a writer) and the descriptor decides.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        return nullptr;
    }
    std::unique_ptr<ReadOnlyFile> file(new ReadOnlyFile(descriptor));
    if (!isRegularFile(descriptor)) {
        return nullptr;
    }
    // A regular file's reads then wait for slow storage as usual.
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return nullptr;
    }
    return file;
}

ReadOnlyFile::~ReadOnlyFile() {
    ::close(static_cast<int>(handle_));
}

std::ptrdiff_t ReadOnlyFile::read(char* into, std::size_t size, std::error_code& error) {
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(handle_), into, size);
        if (got >= 0) {
            return got;
        }
        if (errno != EINTR) {
            error.assign(errno, std::system_category());
            return -1;
        }
    }
}

bool ReadOnlyFile::seek(std::int64_t offset) {
    return ::lseek(static_cast<int>(handle_), static_cast<off_t>(offset), SEEK_SET) == offset;
}

}  // namespace zelmor::platform
