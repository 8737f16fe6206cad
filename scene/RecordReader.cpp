#include "scene/RecordReader.h"

#include <limits>
#include <utility>

#include "scene/FileBuffer.h"

namespace zelmor {

namespace {

// White space as formatted extraction skips it in the "C" locale.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

RecordReader::RecordReader(std::istream& in, std::string fileName, ReadReport* report)
    : in_(in), fileName_(std::move(fileName)), report_(report) {}

bool RecordReader::atEnd() {
    in_ >> std::ws;
    return !in_.good();
}

std::streamoff RecordReader::nextTokenOffset() {
    if (!reporting() || atEnd()) {
        return -1;
    }
    return static_cast<std::streamoff>(in_.tellg());
}

bool RecordReader::nextRecord(std::string_view letters, char& letter) {
    if (reporting()) {
        return nextRecordCounting(letters, letter);
    }
    for (;;) {
        char c = 0;
        if (!(in_ >> c)) {
            return false;
        }
        if (letters.find(c) != std::string_view::npos) {
            recordLetter_ = c;
            letter = c;
            return true;
        }
    }
}

// The same reading as the plain loop above, one character at a time from the stream's buffer,
// so that the offset of each character is counted rather than asked of the stream: asking
// costs a system call per character, which makes a large file of stray text slow to check.
bool RecordReader::nextRecordCounting(std::string_view letters, char& letter) {
    if (!in_.good()) {
        in_.setstate(std::ios::failbit);
        return false;
    }
    // The stream buffer throws when the system cannot read the file; as in the stream's own
    // reads, that is the stream's failed state.
    try {
        return nextRecordCounted(letters, letter);
    } catch (...) {
        in_.setstate(std::ios::badbit);
        reportSkipped();
        skipped_.clear();
        reportReadError();
        return false;
    }
}

bool RecordReader::nextRecordCounted(std::string_view letters, char& letter) {
    std::streambuf& buffer = *in_.rdbuf();
    std::streamoff offset = in_.tellg();
    for (;; ++offset) {
        const int next = buffer.sbumpc();
        if (next == std::char_traits<char>::eof()) {
            in_.setstate(std::ios::eofbit | std::ios::failbit);
            reportSkipped();
            skipped_.clear();
            return false;
        }
        const char c = static_cast<char>(next);
        if (isBlank(c)) {
            continue;
        }
        if (letters.find(c) != std::string_view::npos) {
            reportSkipped();
            skipped_.clear();
            recordOffset_ = offset;
            recordLetter_ = c;
            letter = c;
            return true;
        }
        skippedSinceAsked_ = true;
        // A run that fills its quote is told at once and goes on silently to its end.
        if (skipped_.add(c, offset)) {
            reportSkipped();
        }
    }
}

void RecordReader::reportSkipped() {
    if (skipped_.pending()) {
        problem(skipped_.start(),
                "skipped " + skipped_.quoted() + " where a record letter was expected");
        skipped_.markReported();
    }
}

template <class Extract>
bool RecordReader::readToken(Extract&& extract) {
    // Without a listener the plain extraction decides alone; the listener path fails on exactly
    // the same input, it only learns why.
    if (!reporting()) {
        return extract() == BoundedRead::Result::Read;
    }
    if (atEnd()) {
        reportCutShort();
        return false;
    }
    const std::streamoff offset = in_.tellg();
    switch (extract()) {
        case BoundedRead::Result::Read:
            return true;
        case BoundedRead::Result::TooLong:
            problem(offset, "number longer than " + std::to_string(BoundedRead::NUMBER_LIMIT) +
                                " characters; reading ends here");
            return false;
        case BoundedRead::Result::Failed:
            break;
    }
    if (in_.bad()) {
        reportReadError();
        return false;
    }
    problem(offset, "number could not be read; reading ends here");
    return false;
}

bool RecordReader::readNumber(float& value) {
    return readToken([&] { return BoundedRead::number(in_, value); });
}

bool RecordReader::readInteger(int32_t& value) {
    // Integer extraction keeps no text, only the value: it needs no bound.
    return readToken(
        [&] { return in_ >> value ? BoundedRead::Result::Read : BoundedRead::Result::Failed; });
}

bool RecordReader::readCount(uint32_t& value, const char* what) {
    long long wide = 0;
    const std::streamoff offset = nextTokenOffset();
    if (!readToken([&] {
            return in_ >> wide ? BoundedRead::Result::Read : BoundedRead::Result::Failed;
        })) {
        return false;
    }
    if (wide < 0 || wide > std::numeric_limits<uint32_t>::max()) {
        problem(offset, std::string(what) + " " + std::to_string(wide) +
                            " is not between 0 and 4294967295; reading ends here");
        return false;
    }
    value = static_cast<uint32_t>(wide);
    return true;
}

bool RecordReader::readCharacter(char& c) {
    if (in_ >> c) {
        return true;
    }
    if (reporting()) {
        reportCutShort();
    }
    return false;
}

bool RecordReader::readVector(Vector3& value) {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    if (!readNumber(x) || !readNumber(y) || !readNumber(z)) {
        return false;
    }
    value = {x, y, z};
    return true;
}

bool RecordReader::readWord(std::string& word) {
    const BoundedRead::Result result = boundedWord(word);
    if (result == BoundedRead::Result::Failed && reporting()) {
        reportCutShort();
    }
    return result == BoundedRead::Result::Read;
}

bool RecordReader::nextWord(std::string& word) {
    return boundedWord(word) == BoundedRead::Result::Read;
}

BoundedRead::Result RecordReader::boundedWord(std::string& word) {
    const std::streamoff offset = nextTokenOffset();
    const BoundedRead::Result result = BoundedRead::word(in_, word);
    if (result == BoundedRead::Result::TooLong) {
        problem(offset, "word longer than " + std::to_string(BoundedRead::WORD_LIMIT) +
                            " bytes; reading ends here");
    }
    if (result == BoundedRead::Result::Failed && in_.bad()) {
        reportReadError();
    }
    return result;
}

void RecordReader::noteTrailingText() {
    if (!reporting() || atEnd()) {
        reportReadError();
        return;
    }
    note(in_.tellg(), "text after the end record 'x' is not read");
}

void RecordReader::reportReadError() {
    if (!reporting() || !in_.bad() || readErrorReported_) {
        return;
    }
    readErrorReported_ = true;
    // Told where the file stopped being readable, with the system's reason.
    const FileBuffer* file = FileBuffer::of(in_);
    const std::string reason =
        file != nullptr && file->error() ? file->error().message() : "the stream failed";
    problem(file != nullptr ? file->failedAt() : -1,
            "the system cannot read the file here (" + reason +
                "); reading ends here, the records before it stand");
}

void RecordReader::reportCutShort() {
    if (in_.bad()) {
        reportReadError();
        return;
    }
    recordProblem("record '" + std::string(1, recordLetter_) +
                  "' cut short by the end of the file");
}

void RecordReader::recordProblem(const std::string& message) const {
    problem(recordOffset_, message);
}

void RecordReader::problem(std::streamoff offset, const std::string& message) const {
    if (report_ == nullptr) {
        return;
    }
    report_->report(fileName_, offset, ReadReport::Kind::Problem, message);
}

void RecordReader::note(std::streamoff offset, const std::string& message) const {
    if (report_ == nullptr) {
        return;
    }
    report_->report(fileName_, offset, ReadReport::Kind::Note, message);
}

void RecordReader::named(ReadReport::Role role, const std::string& path,
                         std::streamoff offset) const {
    if (report_ == nullptr) {
        return;
    }
    report_->named(role, path, fileName_, offset);
}

}  // namespace zelmor
