#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <system_error>

namespace zelmor::platform {

// A regular file opened for reading. What kind of file it is gets judged on the opened file
// itself, not on its name alone: a name swapped for a FIFO or a device after someone looked at
// it can neither block the opening nor be read as a file.
class ReadOnlyFile {
public:
    // Null when path cannot be opened or names no regular file (a folder, a device, a FIFO).
    static std::unique_ptr<ReadOnlyFile> open(const std::string& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Up to size bytes from the current place: the count read, 0 at the end of the file, or -1
    // when the system could not read, with its reason in error.
    std::ptrdiff_t read(char* into, std::size_t size, std::error_code& error);
    // Moves the current place to offset bytes from the start; false when the system refuses.
    bool seek(std::int64_t offset);

private:
    explicit ReadOnlyFile(std::intptr_t handle) : handle_(handle) {}

    std::intptr_t handle_;  // the system's descriptor or handle
};

}  // namespace zelmor::platform
