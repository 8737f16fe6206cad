#pragma once

#include <cstddef>
#include <ios>
#include <string>

namespace zelmor {

// A run of characters that a reader skipped one by one where it expected a record letter,
// gathered so that the run is reported once, quoted, instead of once per character. The quote
// keeps the first QUOTE_LIMIT characters; a run that grows past it is reported at once, so that
// a file of stray text is told about without waiting for its end.
class SkippedRun {
public:
    static constexpr std::size_t QUOTE_LIMIT = 40;

    // Adds the character skipped at offset; blanks between two skipped characters show as one
    // blank. True when this character filled the quote: report the run now.
    bool add(char c, std::streamoff offset);
    // A run that has not been reported yet.
    bool pending() const { return count_ > 0 && !reported_; }
    void markReported() { reported_ = true; }
    void clear();

    std::streamoff start() const { return start_; }
    // "'Q'", "byte 0x00", "'n truck_bed'", or "'QQQQ'..." for a run longer than its quote.
    std::string quoted() const;

private:
    std::string quote_;
    std::streamoff start_ = -1;
    std::streamoff last_ = -1;
    std::size_t count_ = 0;
    bool full_ = false;
    bool reported_ = false;
};

}  // namespace zelmor
