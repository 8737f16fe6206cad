#include "scene/FileSource.h"

#include "platform/ReadOnlyFile.h"
#include "scene/FileBuffer.h"

namespace zelmor {

std::unique_ptr<std::istream> FileSource::open(const std::string& path) const {
    // A name read from a file may carry a NUL byte; the system would open a shorter name than
    // the one written, so such a name opens nothing.
    if (path.empty() || path.find('\0') != std::string::npos) {
        return nullptr;
    }
    // Only a regular file has content: a folder reads as nothing, /dev/zero never ends and a
    // FIFO blocks until someone writes to it. Links are followed, as opening does.
    auto file = platform::ReadOnlyFile::open(path);
    if (!file) {
        return nullptr;
    }
    return std::make_unique<FileStream>(std::make_unique<FileBuffer>(std::move(file)));
}

const FileSource& FileSource::disk() {
    static const FileSource source;
    return source;
}

}  // namespace zelmor
