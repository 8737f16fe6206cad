#include "scene/SkippedRun.h"

#include <cstdio>

namespace zelmor {

namespace {

bool printable(unsigned char byte) {
    return byte > 0x20 && byte < 0x7F;
}

}  // namespace

bool SkippedRun::add(char c, std::streamoff offset) {
    if (count_ == 0) {
        start_ = offset;
    } else if (offset > last_ + 1 && !full_) {
        quote_ += ' ';
    }
    ++count_;
    last_ = offset;
    if (full_) {
        return false;
    }
    const auto byte = static_cast<unsigned char>(c);
    if (printable(byte)) {
        quote_ += c;
    } else {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        quote_ += escaped;
    }
    full_ = quote_.size() >= QUOTE_LIMIT;
    return full_;
}

void SkippedRun::clear() {
    quote_.clear();
    start_ = -1;
    last_ = -1;
    count_ = 0;
    full_ = false;
    reported_ = false;
}

std::string SkippedRun::quoted() const {
    if (count_ == 1 && quote_.size() > 1) {
        // One byte that cannot be shown: "byte 0x00" reads better than "'\x00'".
        return "byte 0x" + quote_.substr(2);
    }
    return "'" + quote_ + "'" + (full_ ? "..." : "");
}

}  // namespace zelmor
