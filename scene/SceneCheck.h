#pragma once

#include <iosfwd>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "scene/FileSource.h"
#include "scene/ReadReport.h"

namespace zelmor {

// zelmor-check's work: reads a scene with the program's own readers while listening to what they
// report, and words each problem for the scene's author as "file:line:column: message" (notes as
// "file:line:column: note: message"). Lines and columns count from 1; a column counts bytes.
class SceneCheck : private ReadReport {
public:
    explicit SceneCheck(const FileSource& files = FileSource::disk()) : files_(files) {}

    // Reads the scene at path and every file it names. True when no problem was found (notes
    // do not count).
    bool run(const std::string& scenePath);

    // Every problem and note, in the order the readers met them, each told once.
    const std::vector<std::string>& messages() const { return messages_; }
    // "<scene>: U units, S static objects, M models; P problems, N notes"
    const std::string& summary() const { return summary_; }
    int problems() const { return problems_; }
    int notes() const { return notes_; }

private:
    struct Place {
        std::string file;
        std::streamoff offset = -1;
    };

    void report(const std::string& file, std::streamoff offset, Kind kind,
                const std::string& message) override;
    void named(const std::string& path, const std::string& file, std::streamoff offset) override;
    // "file:line:column" for an offset in a file, read through the file source.
    std::string position(const std::string& file, std::streamoff offset);
    // Where each line of the file starts; empty when the file cannot be read.
    const std::vector<std::streamoff>& lineStarts(const std::string& file);

    const FileSource& files_;
    std::map<std::string, Place> namedAt_;  // first place that named each file
    std::map<std::string, std::vector<std::streamoff>> lineStarts_;
    std::set<std::tuple<std::string, std::streamoff, std::string>> heard_;
    std::vector<std::string> messages_;
    std::string summary_;
    int problems_ = 0;
    int notes_ = 0;
};

}  // namespace zelmor
