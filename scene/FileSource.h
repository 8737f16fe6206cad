#pragma once

#include <istream>
#include <memory>
#include <string>

namespace zelmor {

// Where the readers open the files that other files name. The program reads from the disk;
// the fuzz targets and tests hand in files held in memory.
class FileSource {
public:
    virtual ~FileSource() = default;
    // The file at path, exactly as written, relative to the working directory; null when it
    // cannot be opened or is no regular file (a folder, a device, a FIFO). A read that the
    // system refuses later throws from the stream's buffer, which the stream's own reads turn
    // into its failed state (badbit); see FileBuffer.
    virtual std::unique_ptr<std::istream> open(const std::string& path) const;
    // The name under which the file that open(path) reads is found from the working directory,
    // for messages that a terminal or an editor can follow.
    virtual std::string located(const std::string& path) const { return path; }
    // The working directory's files.
    static const FileSource& disk();
};

}  // namespace zelmor
