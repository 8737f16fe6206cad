#pragma once

#include <istream>
#include <string>
#include <string_view>

#include "geometry/Vector3.h"
#include "scene/ReadReport.h"

namespace zelmor {

// The token reader shared by the one-letter record files (SceneFile, UnitFile): record letters,
// numbers and words by formatted stream extraction, line breaks meaningless. Anything that is
// not a record letter is skipped one character at a time. Every read consumes input or fails,
// so a reader built on it always ends. Byte offsets are taken only when a report listens.
class RecordReader {
public:
    RecordReader(std::istream& in, std::string fileName, ReadReport* report);

    // The next character that is one of letters, skipping (and reporting) every other
    // non-blank character on its own. False at the end of the input or after a failed read.
    bool nextRecord(std::string_view letters, char& letter);
    // False, with a report, when the input ends first or the text is not a number.
    bool readNumber(float& value);
    bool readVector(Vector3& value);
    // The next run of non-blank characters; false at the end of the input.
    bool readWord(std::string& word);
    // After the end record: tells the report when more than blanks follow.
    void noteTrailingText();

    bool reporting() const { return report_ != nullptr; }
    // Problem at the offset of the current record's letter.
    void recordProblem(const std::string& message) const;
    void problem(std::streamoff offset, const std::string& message) const;
    // Tells the report that the word at offset named the file at path.
    void named(const std::string& path, std::streamoff offset) const;
    // Where the next token starts; -1 when nobody listens or the input has ended.
    std::streamoff nextTokenOffset();

private:
    // Skips blanks; true when nothing but blanks was left (or an earlier read failed).
    bool atEnd();
    void reportCutShort() const;

    std::istream& in_;
    std::string fileName_;  // labels the reports
    ReadReport* report_;
    std::streamoff recordOffset_ = -1;
    char recordLetter_ = 0;
};

}  // namespace zelmor
