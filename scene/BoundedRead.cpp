#include "scene/BoundedRead.h"

#include <sstream>

namespace zelmor {

BoundedRead::Result BoundedRead::word(std::istream& in, std::string& word) {
    // One more than the limit tells a word of exactly the limit from a longer one.
    in.width(static_cast<std::streamsize>(WORD_LIMIT + 1));
    if (!(in >> word)) {
        return Result::Failed;
    }
    if (word.size() > WORD_LIMIT) {
        word.clear();
        in.setstate(std::ios::failbit);
        return Result::TooLong;
    }
    return Result::Read;
}

// The stream's own float extraction gathers every character of the number into a string before
// converting it. This gathers the same characters by the same rules (a sign, digits with at
// most one point, then at most one exponent mark after a digit, with its own sign), up to the
// limit, and leaves the conversion to the same extraction on the gathered text.
BoundedRead::Result BoundedRead::number(std::istream& in, float& value) {
    const std::istream::sentry skipBlanks(in);
    if (!skipBlanks) {
        return Result::Failed;
    }
    // The stream buffer throws when the system cannot read the file; the stream's extraction
    // would catch that and set badbit, and so does this walk over the buffer.
    try {
        return gatherNumber(in, value);
    } catch (...) {
        in.setstate(std::ios::badbit);
        return Result::Failed;
    }
}

BoundedRead::Result BoundedRead::gatherNumber(std::istream& in, float& value) {
    std::streambuf& buffer = *in.rdbuf();
    const auto end = std::char_traits<char>::eof();
    std::string text;
    const auto take = [&](int c) {
        text += static_cast<char>(c);
        buffer.sbumpc();
    };
    int c = buffer.sgetc();
    if (c == '+' || c == '-') {
        take(c);
        c = buffer.sgetc();
    }
    bool digits = false;
    bool point = false;
    bool exponent = false;
    while (c != end) {
        if (text.size() > NUMBER_LIMIT) {
            in.setstate(std::ios::failbit);
            return Result::TooLong;
        }
        if (c >= '0' && c <= '9') {
            digits = true;
            take(c);
        } else if (c == '.' && !point && !exponent) {
            point = true;
            take(c);
        } else if ((c == 'e' || c == 'E') && !exponent && digits) {
            exponent = true;
            take(c);
            c = buffer.sgetc();
            if (c != '+' && c != '-') {
                continue;
            }
            take(c);
        } else {
            break;
        }
        c = buffer.sgetc();
    }
    if (c == end) {
        in.setstate(std::ios::eofbit);
    }
    if (text.empty()) {
        value = 0.0f;  // as the stream's extraction leaves it when nothing fits a number
        in.setstate(std::ios::failbit);
        return Result::Failed;
    }
    std::istringstream gathered(text);
    gathered >> value;
    if (gathered.fail()) {
        in.setstate(std::ios::failbit);
        return Result::Failed;
    }
    return Result::Read;
}

}  // namespace zelmor
