#include "core/settings.h"

namespace nephrax {

namespace {

struct ChannelDefault {
  const char* name;
  float max;
  float min;
  bool rev;
  bool tbb;
  bool abs;
};

constexpr std::array<ChannelDefault, kNamedChannelCount> kChannelDefaults{{
    {"IR", 45, -60, false, true, true},     {"WV", 5, -60, false, true, true},
    {"I4", 45, -60, false, true, true},     {"VS", 0.7F, 0.05F, false, false, false},
    {"V1", 0.7F, 0.05F, false, false, false}, {"V2", 0.7F, 0.05F, false, false, false},
    {"N1", 0.7F, 0.05F, false, false, false}, {"N2", 0.7F, 0.05F, false, false, false},
    {"N3", 0.7F, 0.05F, false, false, false}, {"W2", 5, -60, false, true, true},
    {"W3", 5, -60, false, true, true},      {"MI", 45, -60, false, true, true},
    {"O3", 45, -60, false, true, true},     {"L2", 45, -60, false, true, true},
    {"I2", 45, -60, false, true, true},     {"CO", 45, -60, false, true, true},
    {"S1", 5, -1, false, true, false},      {"S2", 15, -10, true, true, false},
    {"S3", 30, -3, false, true, false},     {"S4", 30, -3, false, true, false},
    {"S5", 5, -1, false, true, false},      {"S6", 5, -1, false, true, false},
    {"S7", 5, -1, false, true, false},      {"S8", 5, -1, false, true, false},
}};

constexpr std::array<SettingKey, 37> kKeyTable{{
    {"Jst", &Settings::Jst},         {"Grid", &Settings::Grid},     {"Map", &Settings::Map},
    {"Intv", &Settings::Intv},       {"Amin", &Settings::Amin},     {"Rmin", &Settings::Rmin},
    {"Agif", &Settings::Agif},       {"Width", &Settings::Width},   {"Height", &Settings::Height},
    {"Dtm", &Settings::Dtm},         {"Elem", &Settings::Elem},     {"HstSiz", &Settings::HstSiz},
    {"DtmSiz", &Settings::DtmSiz},   {"NtcSiz", &Settings::NtcSiz}, {"DtmSat", &Settings::DtmSat},
    {"DtmObs", &Settings::DtmObs},   {"NumBak", &Settings::NumBak}, {"NtcBak", &Settings::NtcBak},
    {"ItsNum", &Settings::ItsNum},   {"GrdCol", &Settings::GrdCol}, {"MapCol", &Settings::MapCol},
    {"EqtCol", &Settings::EqtCol},   {"DtmCol", &Settings::DtmCol}, {"TypCol", &Settings::TypCol},
    {"TdpCol", &Settings::TdpCol},   {"EdaCol", &Settings::EdaCol}, {"NtcCol", &Settings::NtcCol},
    {"GrdWid", &Settings::GrdWid},   {"MapWid", &Settings::MapWid}, {"ElvAdj", &Settings::ElvAdj},
    {"SatLat", &Settings::SatLat},   {"SatLon", &Settings::SatLon}, {"SatAlt", &Settings::SatAlt},
    {"Vadj", &Settings::Vadj},       {"SunGln", &Settings::SunGln}, {"GifOpt", &Settings::GifOpt},
    {"GeoTif", &Settings::GeoTif},
}};

}  // namespace

std::array<ChannelSettings, kChannelCount> Settings::BuiltInChannels() {
  std::array<ChannelSettings, kChannelCount> channels{};
  for (size_t i = 0; i < kChannelDefaults.size(); ++i) {
    const ChannelDefault& d = kChannelDefaults[i];
    channels[i].name = d.name;
    channels[i].max = d.max;
    channels[i].min = d.min;
    channels[i].rev = d.rev;
    channels[i].tbb = d.tbb;
    channels[i].abs = d.abs;
  }
  return channels;
}

std::span<const SettingKey> KeyTable() { return kKeyTable; }

}  // namespace nephrax
