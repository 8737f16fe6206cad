#include "app/Crc32.h"

#include <gtest/gtest.h>

#include <string>

namespace zelmor {
namespace {

// The check values every CRC-32 of this kind gives, fed whole and a byte at a time.
TEST(Crc32, GivesTheStandardCheckValuesInOnePieceOrMany) {
    EXPECT_EQ(Crc32::of(""), 0u);
    EXPECT_EQ(Crc32::of("123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc32::of(std::string(32, '\xFF')), 0xFF6CAB0Bu);
    Crc32 pieces;
    for (const char c : std::string("123456789")) {
        pieces.update(&c, 1);
    }
    EXPECT_EQ(pieces.value(), 0xCBF43926u);
}

}  // namespace
}  // namespace zelmor
