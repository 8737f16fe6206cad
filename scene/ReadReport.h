#pragma once

#include <iosfwd>
#include <string>

namespace zelmor {

// The readers are silent in the program. zelmor-check hands them a ReadReport to hear what
// they skipped, cut short or could not find; the offset is the byte position in that file.
class ReadReport {
public:
    enum class Kind { Problem, Note };
    // What a file named by another one is read as.
    enum class Role { ModelList, ModelFile, UnitFile };
    virtual ~ReadReport() = default;
    virtual void report(const std::string& file, std::streamoff offset, Kind kind,
                        const std::string& message) = 0;
    // A record at offset in file named path, to be read in the role given; the reports about
    // path that follow come from that reading. Reports about the whole of path (offset -1: it
    // cannot be opened, it stores no parts) belong to that place.
    virtual void named(Role /*role*/, const std::string& /*path*/, const std::string& /*file*/,
                       std::streamoff /*offset*/) {}

    // Every reader words a file it cannot open the same way: "<kind> cannot be opened;
    // <consequence>", about the whole of path. report may be null (nobody listens).
    static void cannotOpen(ReadReport* report, const std::string& path, const std::string& kind,
                           const std::string& consequence) {
        if (report != nullptr) {
            report->report(path, -1, Kind::Problem, kind + " cannot be opened; " + consequence);
        }
    }
};

}  // namespace zelmor
