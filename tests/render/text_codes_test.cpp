#include "render/text_codes.h"

#include <gtest/gtest.h>

#include <string>

namespace nephrax {
namespace {

struct AnsiCase {
  std::string name;
  std::string bytes;
  std::u32string expected;
};

void PrintTo(const AnsiCase& c, std::ostream* out) {
  *out << c.name;
}

class DecodeAnsiTextTest : public ::testing::TestWithParam<AnsiCase> {};

TEST_P(DecodeAnsiTextTest, ReadsUtf8AndTakesOtherBytesAsLatin1) {
  EXPECT_EQ(DecodeText(GetParam().bytes, TextEncoding::kAnsi), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DecodeAnsiTextTest,
    ::testing::Values(AnsiCase{"Ascii", " No TC ", U" No TC "},
                      AnsiCase{"TwoByteUtf8", "Z\xc3\xbcrich", U"Z\u00FCrich"},
                      AnsiCase{"Latin1Byte", "Z\xfcrich", U"Z\u00FCrich"},
                      AnsiCase{"ThreeByteUtf8", "\xe3\x81\x82", U"\u3042"},
                      AnsiCase{"FourByteUtf8", "\xf0\x9f\x8c\x80", U"\U0001F300"},
                      AnsiCase{"OverlongForm", "\xc0\xaf", U"\u00C0\u00AF"},
                      AnsiCase{"Surrogate", "\xed\xa0\x80", U"\u00ED\u00A0\u0080"},
                      AnsiCase{"BeyondTheLastCodePoint", "\xf4\x90\x80\x80",
                               U"\u00F4\u0090\u0080\u0080"},
                      AnsiCase{"CutShort", "a\xe3\x81", U"a\u00E3\u0081"},
                      AnsiCase{"MissingContinuation", "\xc3(", U"\u00C3("}),
    [](const auto& info) { return info.param.name; });

TEST(DecodeTextTest, ReadsShiftJisForAJapaneseFont) {
  EXPECT_EQ(DecodeText("\x82\xa0"
                       "A",
                       TextEncoding::kShiftJis),
            U"\u3042A");
  EXPECT_EQ(DecodeText("\x82\xa0"
                       "A",
                       TextEncoding::kAnsi),
            U"\u0082\u00A0A");
}

class EncodeUtf8Test : public ::testing::TestWithParam<std::string> {};

TEST_P(EncodeUtf8Test, GivesBackTheUtf8ItWasDecodedFrom) {
  EXPECT_EQ(EncodeUtf8(DecodeText(GetParam(), TextEncoding::kAnsi)), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Texts, EncodeUtf8Test,
                         ::testing::Values("Verdana", "\xc3\xbc", "\xef\xbc\xad\xef\xbc\xb3",
                                           "\xf0\x9f\x8c\x80", ""));

TEST(EncodeUtf8Test, ReplacesWhatIsNoCharacter) {
  EXPECT_EQ(EncodeUtf8(std::u32string{char32_t{0x110000}, char32_t{0xD800}}),
            "\xef\xbf\xbd\xef\xbf\xbd");
}

}  // namespace
}  // namespace nephrax
