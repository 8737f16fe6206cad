#pragma once

#include <cstddef>
#include <istream>
#include <string>

namespace zelmor {

// Word and number reads that take what formatted stream extraction takes, but never hold more
// than a bounded number of characters: a file of a billion non-blank bytes would otherwise be
// read into one string. A word or number longer than its limit fails the read like text that
// is no number, so reading ends there.
class BoundedRead {
public:
    // Longer than any path the system opens (PATH_MAX, 4096 bytes with its NUL) or any name
    // worth writing.
    static constexpr std::size_t WORD_LIMIT = 4096;
    // Far longer than a float written to its last digit.
    static constexpr std::size_t NUMBER_LIMIT = 1024;

    enum class Result { Read, Failed, TooLong };

    // The next run of non-blank characters, as in >> into a string.
    static Result word(std::istream& in, std::string& word);
    // A float as >> reads one: the same characters taken, the same value, the same failures.
    static Result number(std::istream& in, float& value);

private:
    static Result gatherNumber(std::istream& in, float& value);
};

}  // namespace zelmor
