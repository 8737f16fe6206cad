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
        lines.push_back(file + "@" + std::to_string(offset) +
                        (kind == Kind::Note ? " note " : " ") + message);
    }

    std::vector<std::string> lines;
};

}  // namespace zelmor::test
