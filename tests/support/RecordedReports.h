#pragma once

#include <string>
#include <vector>

#include "scene/ReadReport.h"

namespace zelmor::test {

// Every report a reader made, one line each: "file@offset message", or "file@offset note
// message" for a note, so that a test compares the whole list at once.
class RecordedReports : public ReadReport {
public:
    void report(const std::string& file, std::streamoff offset, Kind kind,
                const std::string& message) override {
        const bool note = kind == Kind::Note;
        lines.push_back(file + "@" + std::to_string(offset) + (note ? " note " : " ") + message);
        if (!note) {
            problems.push_back(lines.back());
        }
    }

    std::vector<std::string> lines;
    // The reports that were not notes.
    std::vector<std::string> problems;
};

}  // namespace zelmor::test
