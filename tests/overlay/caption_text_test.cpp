#include "overlay/caption_text.h"

#include <gtest/gtest.h>

#include "render/grid_block.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

struct CaptionCase {
  const char* name = "";
  std::string satellite = "SATNAME";
  std::string channel = "GEO-B13";
  int32_t channel_index = 0;
  TimeRecord start{20, 24, 7, 15, 2, 51, 30};
  TimeRecord end{20, 24, 7, 15, 3, 1, 45};
  Settings settings{};
  Language language = Language::kJapanese;
  LocalZone zone{};
  std::string text{};
};

class FormatCaptionTextTest : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(FormatCaptionTextTest, WritesTheCaptionOfTheControlBlock) {
  const CaptionCase& c = GetParam();
  testing::SourceFileSpec spec;
  spec.satellite = c.satellite;
  spec.channel = c.channel;
  spec.start = c.start;
  spec.end = c.end;
  ControlBlock control = testing::ControlBlockOf(spec);
  control.channel_index = c.channel_index;
  EXPECT_EQ(FormatCaptionText(control, c.settings, c.language, c.zone), c.text);
}

Settings With(void (*change)(Settings&)) {
  Settings settings;
  change(settings);
  return settings;
}

const Settings kNoRounding = With([](Settings& s) { s.Rmin = 0; });
const Settings kScanEnd = With([](Settings& s) { s.DtmObs = true; });
const Settings kScanEndLocal = With([](Settings& s) {
  s.DtmObs = true;
  s.Jst = true;
});
const Settings kTimeFirst = With([](Settings& s) { s.DtmSat = false; });
const Settings kSevenMinutes = With([](Settings& s) { s.Rmin = 7; });
const Settings kRoundedLocal = With([](Settings& s) { s.Jst = true; });
const Settings kNoRoundingLocal = With([](Settings& s) {
  s.Rmin = 0;
  s.Jst = true;
});

const TimeRecord kThreeOClock{20, 24, 7, 15, 3, 0, 0};
const LocalZone kEastern{18000, LocalZoneName("EST")};

INSTANTIATE_TEST_SUITE_P(
    Captions, FormatCaptionTextTest,
    ::testing::Values(
        CaptionCase{.name = "Defaults", .text = "SATNAME B13 2024-07-15 03:00UTC"},
        CaptionCase{.name = "ExactMultipleAdvances",
                    .start = kThreeOClock,
                    .text = "SATNAME B13 2024-07-15 03:10UTC"},
        CaptionCase{.name = "NewYear",
                    .start = {20, 24, 12, 31, 23, 50, 0},
                    .text = "SATNAME B13 2025-01-01 00:00UTC"},
        CaptionCase{.name = "SevenMinuteStep",
                    .start = {20, 24, 7, 15, 3, 55, 0},
                    .settings = kSevenMinutes,
                    .text = "SATNAME B13 2024-07-15 03:56UTC"},
        CaptionCase{.name = "AminToTheHour",
                    .start = {20, 24, 7, 15, 2, 20, 0},
                    .settings = kNoRounding,
                    .text = "SATNAME B13 2024-07-15 03UTC"},
        CaptionCase{.name = "AminIntoMarch2023",
                    .start = {20, 23, 2, 28, 23, 40, 0},
                    .settings = kNoRounding,
                    .text = "SATNAME B13 2023-03-01 00UTC"},
        CaptionCase{.name = "AminIntoLeapDay2024",
                    .start = {20, 24, 2, 28, 23, 40, 0},
                    .settings = kNoRounding,
                    .text = "SATNAME B13 2024-02-29 00UTC"},
        CaptionCase{.name = "ScanEndSecondsDropped",
                    .end = {20, 24, 7, 15, 3, 1, 59},
                    .settings = kScanEnd,
                    .text = "SATNAME B13 2024-07-15 03:01UTC"},
        CaptionCase{.name = "JstWithoutTz",
                    .end = {20, 24, 7, 15, 15, 5, 0},
                    .settings = kScanEndLocal,
                    .text = "SATNAME B13 2024-07-16 00:05JST"},
        CaptionCase{.name = "JstWithEasternTz",
                    .end = {20, 24, 7, 15, 15, 5, 0},
                    .settings = kScanEndLocal,
                    .zone = kEastern,
                    .text = "SATNAME B13 2024-07-15 10:05EST"},
        CaptionCase{.name = "JstRoundedThenLocal",
                    .start = {20, 24, 7, 15, 14, 51, 0},
                    .settings = kRoundedLocal,
                    .text = "SATNAME B13 2024-07-16 00:00JST"},
        CaptionCase{.name = "JstLocalThenAmin",
                    .start = {20, 24, 7, 15, 14, 20, 0},
                    .settings = kNoRoundingLocal,
                    .text = "SATNAME B13 2024-07-16 00JST"},
        CaptionCase{.name = "EnglishMinute",
                    .language = Language::kEnglish,
                    .text = "SATNAME B13 15/07/2024 03:00UTC"},
        CaptionCase{.name = "EnglishHour",
                    .start = {20, 24, 7, 15, 2, 20, 0},
                    .settings = kNoRounding,
                    .language = Language::kEnglish,
                    .text = "SATNAME B13 15/07/2024 03UTC"},
        CaptionCase{.name = "BandAfterTheDash",
                    .channel = "ABC-B13",
                    .text = "SATNAME B13 2024-07-15 03:00UTC"},
        CaptionCase{.name = "ChannelWithoutDashWhole",
                    .channel = "VS",
                    .text = "SATNAME VS 2024-07-15 03:00UTC"},
        CaptionCase{.name = "TrailingBlanksAndControlsTrimmed",
                    .satellite = "SAT \x01 ",
                    .channel = "X-B13 \x7f",
                    .text = "SAT B13 2024-07-15 03:00UTC"},
        CaptionCase{.name = "SatelliteNameCutToNine",
                    .satellite = "SATELLITE12",
                    .text = "SATELLITE B13 2024-07-15 03:00UTC"},
        CaptionCase{.name = "EmptyNames",
                    .satellite = "",
                    .channel = "-",
                    .text = " 2024-07-15 03:00UTC"},
        // A name ending in a double-byte character keeps it; one cut through a character
        // loses the lone lead byte.
        CaptionCase{.name = "ShiftJisNameKept",
                    .satellite = "\x82\xd0\x82\xdc\x82\xed\x82\xe8",
                    .text = "\x82\xd0\x82\xdc\x82\xed\x82\xe8 B13 2024-07-15 03:00UTC"},
        CaptionCase{.name = "ShiftJisNameCutThrough",
                    .satellite = "SATELLIT\x82\xd0",
                    .text = "SATELLIT B13 2024-07-15 03:00UTC"},
        CaptionCase{
            .name = "TimeFirst", .settings = kTimeFirst, .text = "2024-07-15 03:00UTC GEO-B13"},
        CaptionCase{.name = "UnnamedChannelTimeFirst",
                    .channel_index = 26,
                    .text = "2024-07-15 03:00UTC GEO-B13"},
        // Out-of-range fields of a file lengthen the time; the text is cut to 37 bytes.
        CaptionCase{.name = "CutTo37",
                    .satellite = "SATELLITE",
                    .channel = "-LONGBND",
                    .end = {12345, 24, 7, 15, 3, 0, 0},
                    .settings = kScanEnd,
                    .text = "SATELLITE LONGBND 1234524-07-15 03:00"},
        CaptionCase{.name = "CutLeavesOutASplitCharacter",
                    .channel = "\x82\xd0\x82\xdc",
                    .end = {2147483647, 24, 1000000000, 15, 3, 0, 0},
                    .settings = With([](Settings& s) {
                      s.DtmObs = true;
                      s.DtmSat = false;
                    }),
                    .text = "214748364724-1000000000-15 03:00UTC "}),
    [](const auto& info) { return std::string(info.param.name); });

struct ZoneCase {
  const char* name;
  std::optional<std::string_view> tz_standard_name;
  std::string zone_name;
};

class LocalZoneNameTest : public ::testing::TestWithParam<ZoneCase> {};

TEST_P(LocalZoneNameTest, TakesThreeCharactersOfTheStandardName) {
  EXPECT_EQ(LocalZoneName(GetParam().tz_standard_name), GetParam().zone_name);
}

INSTANTIATE_TEST_SUITE_P(Zones, LocalZoneNameTest,
                         ::testing::Values(ZoneCase{"TzUnset", std::nullopt, "JST"},
                                           ZoneCase{"Eastern", "EST", "EST"},
                                           ZoneCase{"LongerName", "CEST", "CES"},
                                           ZoneCase{"ShortName", "Z", "Z"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nephrax
