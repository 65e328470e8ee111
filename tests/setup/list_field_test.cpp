#include "setup/list_field.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace nephrax {
namespace {

struct FieldCase {
  const char* name;
  std::string text;
  int n;
  char separator;
  size_t limit;
  int expected_result;
  std::string expected_field;
};

void PrintTo(const FieldCase& c, std::ostream* os) {
  *os << c.name;
}

class GetListFieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(GetListFieldTest, CopiesTheFieldAndCountsWhatItFound) {
  const FieldCase& c = GetParam();
  std::string field = "left over";
  EXPECT_EQ(GetListField(c.text, c.n, c.separator, c.limit, field), c.expected_result);
  EXPECT_EQ(field, c.expected_field);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, GetListFieldTest,
    ::testing::Values(
        FieldCase{"Middle", "a,b,c", 2, ',', 20, 2, "b"},
        FieldCase{"BlanksAround", "  a \t ,b", 1, ',', 20, 1, "a"},
        FieldCase{"ByteCodesOneToNineAreBlanks", "\t\x01 x\x09,y", 1, ',', 20, 1, "x"},
        FieldCase{"PastTheEnd", "a,b", 3, ',', 20, 2, ""},
        FieldCase{"TrailingSeparatorMakesNoField", "a,b,", 3, ',', 20, 2, ""},
        FieldCase{"BlanksAfterLastSeparatorMakeNoField", "a,b,  ", 3, ',', 20, 2, ""},
        FieldCase{"EmptyBetweenSeparators", "a,,b", 2, ',', 20, 2, ""},
        FieldCase{"EmptyText", "", 1, ',', 20, 0, ""},
        FieldCase{"FieldNumberZero", "a", 0, ',', 20, 0, ""},
        FieldCase{"InnerBlanksKept", "a b , c", 1, ',', 20, 1, "a b"},
        FieldCase{"AtMostLimitLessOneBytes", "abcdefghij", 1, ',', 5, 1, "abcd"},
        FieldCase{"EndsAtControlByte", "ab\ncd,e", 1, ',', 20, 1, "ab"},
        FieldCase{"StartsWithControlByte", "a,\r\nb", 2, ',', 20, 2, ""},
        FieldCase{"EndsAtNul", std::string("a\0,b", 4), 2, ',', 20, 1, ""},
        FieldCase{"ColourPoint", "(20, 255)(-60, 0)", 2, ')', 80, 2, "(-60, 0"},
        FieldCase{"ColourPointsEnd", "(20, 255)(-60, 0)", 3, ')', 80, 2, ""},
        // A Shift-JIS character whose trail byte is the separator's byte stays whole.
        FieldCase{"ShiftJisTrailByteIsNoSeparator", "\x95\x5C\\B", 1, '\\', 20, 1, "\x95\x5C"},
        FieldCase{"ShiftJisThenNextField", "\x95\x5C\\B", 2, '\\', 20, 2, "B"},
        FieldCase{"ShiftJisCharacterNotSplitAtLimit", "ab\x82\xA0", 1, ',', 4, 1, "ab"},
        FieldCase{"ShiftJisCharacterFitsBelowLimit", "ab\x82\xA0", 1, ',', 5, 1, "ab\x82\xA0"},
        // UTF-8 bytes that look like lead bytes do not swallow the separator.
        FieldCase{"Utf8BeforeSeparator", "\xE3\x81\x82,b", 1, ',', 20, 1, "\xE3\x81\x82"},
        FieldCase{"Utf8ThenNextField", "\xE3\x81\x82,b", 2, ',', 20, 2, "b"},
        FieldCase{"Utf8TwoByteEndingLikeLead", "\xC4\x81)x", 2, ')', 20, 2, "x"}),
    [](const ::testing::TestParamInfo<FieldCase>& info) { return info.param.name; });

TEST(TrimTrailingBlanksTest, RemovesSpacesAndLowByteCodesAtTheEndOnly) {
  std::string text = " a b\t \x01";
  TrimTrailingBlanks(text);
  EXPECT_EQ(text, " a b");
}

}  // namespace
}  // namespace nephrax
