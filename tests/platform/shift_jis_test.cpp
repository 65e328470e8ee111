#include "platform/shift_jis.h"

#include <gtest/gtest.h>

#include <string>

namespace nephrax {
namespace {

struct DecodeCase {
  std::string name;
  std::string bytes;
  std::u32string expected;
};

void PrintTo(const DecodeCase& c, std::ostream* out) {
  *out << c.name;
}

class DecodeShiftJisTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeShiftJisTest, GivesTheCodePoints) {
  EXPECT_EQ(DecodeShiftJis(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DecodeShiftJisTest,
    ::testing::Values(
        DecodeCase{"JapaneseGothicFaceName",
                   "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e",
                   U"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF"},
        DecodeCase{"DateWithKanji",
                   "2024\x94\x4e"
                   "7\x8c\x8e"
                   "15\x93\xfa",
                   U"2024\u5E747\u670815\u65E5"},
        DecodeCase{"AsciiWithBackslashAndTilde", "a\\b~", U"a\\b~"},
        DecodeCase{"HalfWidthKatakana", "\xb1\xdf", U"\uFF71\uFF9F"},
        // A trail byte may be one that is ASCII on its own: 0x5C after a lead byte is not "\".
        DecodeCase{"TrailByteInTheAsciiRange", "\x95\x5c", U"\u8868"},
        DecodeCase{"LeadByteAtTheEnd", "ab\x82", U"ab\uFFFD"},
        DecodeCase{"LeadByteBeforeAByteThatCannotTrail", "\x81 x", U"\uFFFD x"},
        DecodeCase{"PairTheCodePageLeavesUndefined", "\x85\x40!", U"\uFFFD!"},
        DecodeCase{"SingleBytesTheCodePageLeavesUndefined", "\x80\xa0", U"\uFFFD\uFFFD"},
        DecodeCase{"Empty", "", U""}),
    [](const auto& info) { return info.param.name; });

struct LengthCase {
  std::string bytes;
  size_t position;
  size_t expected;
};

class ShiftJisCharacterLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(ShiftJisCharacterLengthTest, TakesALeadByteWithItsTrailByte) {
  EXPECT_EQ(ShiftJisCharacterLength(GetParam().bytes, GetParam().position), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, ShiftJisCharacterLengthTest,
    ::testing::Values(LengthCase{"A\x82\xa0", 0, 1}, LengthCase{"A\x82\xa0", 1, 2},
                      LengthCase{"\xe0\x40", 0, 2}, LengthCase{"\xfc\xfc", 0, 2},
                      LengthCase{"\x82", 0, 1}, LengthCase{"\x82\x3f", 0, 1},
                      LengthCase{"\xa0\x40", 0, 1}, LengthCase{"\xfd\x40", 0, 1}));

}  // namespace
}  // namespace nephrax
