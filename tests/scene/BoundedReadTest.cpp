#include "scene/BoundedRead.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

namespace zelmor {
namespace {

// The bounded number read must take exactly what formatted extraction takes: the same success,
// the same value bits, the same characters consumed and the same end-of-input state.
TEST(BoundedRead, NumbersReadLikeFormattedExtraction) {
    const char* const texts[] = {"1.5",
                                 "  -2.25e3 x",
                                 "+7",
                                 "-",
                                 "+",
                                 ".",
                                 ".5",
                                 "5.",
                                 "1e",
                                 "1e+",
                                 "1e-5z",
                                 "1E5",
                                 "1e5e6",
                                 "1.2.3",
                                 "--1",
                                 "+-3",
                                 "0x10",
                                 "inf",
                                 "nan",
                                 "1e40",
                                 "-1e40",
                                 "1e-50",
                                 "3.4e38",
                                 "00012",
                                 "e5",
                                 "\t\n 42",
                                 "",
                                 "   ",
                                 "12abc",
                                 "1,5",
                                 "9999999999999999999999999999",
                                 "0.000000000000000001"};
    for (const char* text : texts) {
        SCOPED_TRACE(std::string("\"") + text + "\"");
        std::istringstream plain(text);
        std::istringstream bounded(text);
        float expected = -1.0f;
        float value = -1.0f;
        const bool read = static_cast<bool>(plain >> expected);
        EXPECT_EQ(BoundedRead::number(bounded, value) == BoundedRead::Result::Read, read);
        EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << value << " " << expected;
        EXPECT_EQ(bounded.eof(), plain.eof());
        EXPECT_EQ(bounded.fail(), plain.fail());
        plain.clear();
        bounded.clear();
        EXPECT_EQ(bounded.tellg(), plain.tellg());
    }
}

// The documented limits: 1024 characters for a number, 4096 for a word. One more fails the read
// and the stream, as text that is no number does, and reading ends there.
TEST(BoundedRead, ATokenPastItsLimitFailsTheReadAndTheStream) {
    using R = BoundedRead::Result;
    struct Row {
        bool word;
        std::size_t length;
        R result;
    };
    for (const Row& row : {Row{false, 1024, R::Read}, Row{false, 1025, R::TooLong},
                           Row{true, 4096, R::Read}, Row{true, 4097, R::TooLong}}) {
        // A number of that many characters: 1.000...
        const std::string token =
            row.word ? std::string(row.length, 'w') : "1." + std::string(row.length - 2, '0');
        std::istringstream in(token + " next");
        std::string word;
        float value = 0.0f;
        const R result = row.word ? BoundedRead::word(in, word) : BoundedRead::number(in, value);
        EXPECT_EQ(result, row.result) << row.word << " " << row.length;
        EXPECT_EQ(in.fail(), row.result == R::TooLong) << row.word << " " << row.length;
        if (row.result == R::Read) {
            EXPECT_EQ(row.word ? word.size() : std::size_t(value), row.word ? row.length : 1u);
        }
    }
}

}  // namespace
}  // namespace zelmor
