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

TEST(BoundedRead, ATokenPastItsLimitFailsTheRead) {
    std::istringstream longNumber(std::string(BoundedRead::NUMBER_LIMIT + 10, '1'));
    float value = 0.0f;
    EXPECT_EQ(BoundedRead::number(longNumber, value), BoundedRead::Result::TooLong);
    EXPECT_TRUE(longNumber.fail());

    std::istringstream longWord(std::string(BoundedRead::WORD_LIMIT + 1, 'w') + " next");
    std::string word;
    EXPECT_EQ(BoundedRead::word(longWord, word), BoundedRead::Result::TooLong);
    std::istringstream limitWord(std::string(BoundedRead::WORD_LIMIT, 'w') + " next");
    EXPECT_EQ(BoundedRead::word(limitWord, word), BoundedRead::Result::Read);
    EXPECT_EQ(word.size(), BoundedRead::WORD_LIMIT);
}

}  // namespace
}  // namespace zelmor
