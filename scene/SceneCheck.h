#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "scene/FileSource.h"
#include "scene/ReadReport.h"

namespace zelmor {

// zelmor-check's work: reads a scene with the program's own readers while listening to what they
// report, and words each problem for the scene's author as "file:line:column: message" (notes as
// "file:line:column: note: message"), each file named as the file source locates it from the
// working directory. Lines and columns count from 1; a column counts bytes.
// Each message is printed as soon as a reader makes it. Memory does not grow with the size of
// the files: a file shows at most MESSAGES_PER_FILE messages and then only counts the rest.
class SceneCheck : private ReadReport {
public:
    static constexpr int MESSAGES_PER_FILE = 50;
    // Takes each line of output, without its line end.
    using Printer = std::function<void(const std::string& line)>;

    SceneCheck(const FileSource& files, Printer print) : files_(files), print_(std::move(print)) {}

    // Reads the scene at path and every file it names, printing each problem and note, then one
    // line per file that had more than it showed. True when no problem was found (notes do not
    // count).
    bool run(const std::string& scenePath);

    // "<scene>: U units, S static objects, M models; P problems, N notes"
    const std::string& summary() const { return summary_; }
    long long problems() const { return problems_; }
    long long notes() const { return notes_; }

    // 812331 as "812,331".
    static std::string withCommas(long long count);

private:
    // A line count kept as the messages of one file walk through it.
    struct Cursor {
        std::streamoff offset = 0;
        long long line = 1;
        std::streamoff lineStart = 0;
    };
    struct FileState {
        bool repeated = false;  // being read again in a role it was read in before
        int shown = 0;
        long long moreProblems = 0;
        long long moreNotes = 0;
        Cursor cursor;
    };
    struct Place {
        std::string file;
        std::streamoff offset = -1;
    };

    void report(const std::string& file, std::streamoff offset, Kind kind,
                const std::string& message) override;
    void named(Role role, const std::string& path, const std::string& file,
               std::streamoff offset) override;
    // "file:line:column" for an offset in a file, read through the file source.
    std::string position(const std::string& file, std::streamoff offset);
    void printOverflow();

    const FileSource& files_;
    Printer print_;
    std::map<std::string, FileState> state_;
    std::map<std::string, Place> namedAt_;  // latest place that named each file
    std::map<std::pair<std::string, Role>, int> reads_;
    std::vector<std::string> overflowed_;  // files that had more messages, in order
    std::string summary_;
    long long problems_ = 0;
    long long notes_ = 0;
};

}  // namespace zelmor
