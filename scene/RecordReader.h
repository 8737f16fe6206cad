#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <utility>

#include "geometry/Vector3.h"
#include "scene/BoundedRead.h"
#include "scene/ReadReport.h"
#include "scene/SkippedRun.h"

namespace zelmor {

// The token reader shared by the text formats (SceneFile, UnitFile, ModelFile and ModelList):
// record letters, numbers and words by formatted stream extraction, line breaks meaningless.
// Anything that is not a record letter is skipped one character at a time. Every read consumes
// input or fails, so a reader built on it always ends. Words and numbers are bounded in length
// (BoundedRead). A read that the system refuses fails like the end of the input, and is
// reported as what it is. Byte offsets are taken only when a report listens, and every problem is
// worded here, the same way for every format.
class RecordReader {
public:
    RecordReader(std::istream& in, std::string fileName, ReadReport* report);

    // The next character that is one of letters, skipping every other non-blank character on
    // its own; a run of skipped characters is reported once. False at the end of the input or
    // after a failed read.
    bool nextRecord(std::string_view letters, char& letter);
    // False, with a report, when the input ends first or the text is not a number.
    bool readNumber(float& value);
    bool readVector(Vector3& value);
    // A whole number as formatted extraction reads one; false as for readNumber.
    bool readInteger(int32_t& value);
    // A count, an index or a byte value: a whole number from 0 to 2^32 - 1, so that a sign
    // cannot wrap "-1" into a huge count. what names it in the report.
    bool readCount(uint32_t& value, const char* what);
    // The next non-blank character; false, with a report, at the end of the input.
    bool readCharacter(char& c);
    // The next run of non-blank characters inside a record; false at the end of the input
    // (reported: the record is cut short) or when the word is too long to be a name.
    bool readWord(std::string& word);
    // The same where the file may end: the end of the input is not reported.
    bool nextWord(std::string& word);
    // After the end record: tells the report when more than blanks follow.
    void noteTrailingText();

    bool reporting() const { return report_ != nullptr; }
    // Where the current record's letter stands; -1 when nobody listens.
    std::streamoff recordOffset() const { return recordOffset_; }
    // Characters were skipped since the last call; the call forgets them.
    bool skippedSinceAsked() { return std::exchange(skippedSinceAsked_, false); }
    // Problem at the offset of the current record's letter.
    void recordProblem(const std::string& message) const;
    void problem(std::streamoff offset, const std::string& message) const;
    void note(std::streamoff offset, const std::string& message) const;
    // Tells the report that the word at offset named the file at path.
    void named(ReadReport::Role role, const std::string& path, std::streamoff offset) const;
    // Where the next token starts; -1 when nobody listens or the input has ended.
    std::streamoff nextTokenOffset();

private:
    // Skips blanks; true when nothing but blanks was left (or an earlier read failed).
    bool atEnd();
    bool nextRecordCounting(std::string_view letters, char& letter);
    bool nextRecordCounted(std::string_view letters, char& letter);
    // One token by extract(), which answers a BoundedRead::Result, with the reports of a number.
    template <class Extract>
    bool readToken(Extract&& extract);
    // A bounded word; a word too long is reported.
    BoundedRead::Result boundedWord(std::string& word);
    // A read that ended at the end of the file cuts the record short; one that ended because
    // the system could not read the file is told as that, once.
    void reportCutShort();
    void reportReadError();
    // Reports the run of skipped characters unless it was reported already.
    void reportSkipped();

    std::istream& in_;
    std::string fileName_;  // labels the reports
    ReadReport* report_;
    std::streamoff recordOffset_ = -1;
    char recordLetter_ = 0;
    SkippedRun skipped_;
    bool skippedSinceAsked_ = false;
    bool readErrorReported_ = false;
};

}  // namespace zelmor
