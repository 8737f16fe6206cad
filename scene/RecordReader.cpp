#include "scene/RecordReader.h"

#include <cstdio>
#include <utility>

namespace zelmor {

namespace {

std::string describe(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F) {
        return std::string("'") + c + "'";
    }
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return std::string("byte ") + text;
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
    for (;;) {
        const std::streamoff offset = nextTokenOffset();
        char c = 0;
        if (!(in_ >> c)) {
            return false;
        }
        if (letters.find(c) != std::string_view::npos) {
            recordOffset_ = offset;
            recordLetter_ = c;
            letter = c;
            return true;
        }
        if (reporting()) {
            problem(offset, "skipped " + describe(c) + " where a record letter was expected");
        }
    }
}

bool RecordReader::readNumber(float& value) {
    // Without a listener the plain extraction decides alone; the listener path fails on exactly
    // the same input, it only learns why.
    if (!reporting()) {
        return static_cast<bool>(in_ >> value);
    }
    if (atEnd()) {
        reportCutShort();
        return false;
    }
    const std::streamoff offset = in_.tellg();
    if (in_ >> value) {
        return true;
    }
    problem(offset, "number could not be read; reading ends here");
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
    if (in_ >> word) {
        return true;
    }
    if (reporting()) {
        reportCutShort();
    }
    return false;
}

void RecordReader::noteTrailingText() {
    if (!reporting() || atEnd()) {
        return;
    }
    report_->report(fileName_, in_.tellg(), ReadReport::Kind::Note,
                    "text after the end record 'x' is not read");
}

void RecordReader::reportCutShort() const {
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

void RecordReader::named(const std::string& path, std::streamoff offset) const {
    if (report_ == nullptr) {
        return;
    }
    report_->named(path, fileName_, offset);
}

}  // namespace zelmor
