#pragma once

#include <iosfwd>
#include <string>

#include "fuzz/MemoryFiles.h"
#include "scene/ReadReport.h"

namespace zelmor::fuzz {

// A report sink that holds the readers to what zelmor-check relies on: every report names a
// file and carries a message, and its offset is either -1 (no position) or lies inside the
// file it names. A broken promise aborts, which the fuzzer counts as a finding.
class CheckingReport : public ReadReport {
public:
    explicit CheckingReport(const MemoryFiles& files) : files_(files) {}

    void report(const std::string& file, std::streamoff offset, Kind kind,
                const std::string& message) override;
    int count() const { return count_; }

private:
    const MemoryFiles& files_;
    int count_ = 0;
};

}  // namespace zelmor::fuzz
