#include "setup/list_settings.h"

#include <cmath>
#include <optional>

#include "setup/list_field.h"
#include "setup/number_text.h"
#include "setup/setting_value.h"

namespace nephrax {

namespace {

constexpr size_t kItemSize = 20;
constexpr int32_t kHighestMapStyle = 4;

std::optional<float> AcceptedLatitude(float degrees) {
  if (degrees >= -90.0F && degrees <= 90.0F) return degrees;
  return std::nullopt;
}

std::optional<float> AcceptedLongitude(float degrees) {
  if (degrees >= -180.0F && degrees <= 180.0F) return degrees;
  if (degrees > 180.0F && degrees <= 360.0F) return degrees - 360.0F;
  return std::nullopt;
}

// Hundredths of a degree, rounded as floor(v x 100 + 0.5) with the product in single precision.
int32_t Hundredths(float degrees) {
  return static_cast<int32_t>(std::floor(static_cast<double>(degrees * 100.0F) + 0.5));
}

// The zoom items in file order and the coordinate each one sets.
struct ZoomItem {
  int32_t ZoomArea::*coordinate;
  bool longitude;
};
constexpr std::array<ZoomItem, 4> kZoomItems{{
    {&ZoomArea::lat1, false},
    {&ZoomArea::lon1, true},
    {&ZoomArea::lat2, false},
    {&ZoomArea::lon2, true},
}};

void ClearMisorderedCorners(ZoomArea& zoom) {
  if (zoom.lat1 <= zoom.lat2) {
    zoom.lat1 = 0;
    zoom.lat2 = 0;
  }
  const bool across_180th_meridian = zoom.lon1 >= 0 && zoom.lon2 < 0;
  if (!(zoom.lon1 < zoom.lon2 || across_180th_meridian)) {
    zoom.lon1 = 0;
    zoom.lon2 = 0;
  }
}

}  // namespace

void ReadMapStyles(std::string_view text, std::array<uint8_t, 6>& styles) {
  std::string item;
  for (int n = 1; n <= static_cast<int>(styles.size()); ++n) {
    if (GetListField(text, n, ',', kItemSize, item) != n) continue;
    const std::optional<LeadingNumber<int32_t>> style = ReadLeadingInt(item);
    if (style && style->value >= 0 && style->value <= kHighestMapStyle) {
      styles[static_cast<size_t>(n - 1)] = static_cast<uint8_t>(style->value);
    }
  }
}

void ReadZoomArea(std::string_view text, ZoomArea& zoom) {
  std::string item;
  for (int n = 1; n <= static_cast<int>(kZoomItems.size()); ++n) {
    if (GetListField(text, n, ',', kItemSize, item) != n) break;
    const std::optional<LeadingNumber<float>> degrees = ReadLeadingReal(item);
    if (!degrees) continue;
    const ZoomItem& target = kZoomItems[static_cast<size_t>(n - 1)];
    const std::optional<float> accepted =
        target.longitude ? AcceptedLongitude(degrees->value) : AcceptedLatitude(degrees->value);
    if (accepted) zoom.*target.coordinate = Hundredths(*accepted);
  }
  ClearMisorderedCorners(zoom);
}

std::string MapStyleText(const std::array<uint8_t, 6>& styles) {
  std::string text;
  for (const uint8_t style : styles) {
    if (!text.empty()) text += ',';
    text += std::to_string(style);
  }
  return text;
}

std::string ZoomText(const ZoomArea& zoom) {
  std::string text;
  for (const ZoomItem& item : kZoomItems) {
    if (!text.empty()) text += ',';
    text += FormatFixed(zoom.*item.coordinate / 100.0, 2);
  }
  return text;
}

}  // namespace nephrax
