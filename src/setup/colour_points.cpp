#include "setup/colour_points.h"

#include <optional>

#include "setup/list_field.h"
#include "setup/number_text.h"
#include "setup/setting_value.h"

namespace nephrax {

namespace {

constexpr size_t kPointFieldSize = 80;

// "(%f,%d": an opening parenthesis, a number, a comma right after it and an integer.
std::optional<ColourPoint> ParseColourPoint(std::string_view field) {
  if (!field.starts_with('(')) return std::nullopt;
  field.remove_prefix(1);
  const std::optional<LeadingNumber<float>> value = ReadLeadingReal(field);
  if (!value) return std::nullopt;
  field.remove_prefix(value->length);
  if (!field.starts_with(',')) return std::nullopt;
  field.remove_prefix(1);
  const std::optional<LeadingNumber<int32_t>> level = ReadLeadingInt(field);
  if (!level) return std::nullopt;
  return ColourPoint{value->value, static_cast<int16_t>(level->value)};
}

int ValueDecimals(float value, const ChannelSettings& channel) {
  if (channel.tbb) return channel.abs ? 1 : 2;
  return value >= 0.0F && value < 10.0F ? 3 : 2;
}

}  // namespace

std::string ColourPointKey(std::string_view display_name, int colour_set, int component) {
  constexpr std::string_view kComponents = "rgb";
  std::string key(display_name);
  key += "ext";
  key += static_cast<char>('0' + colour_set);
  key += kComponents[static_cast<size_t>(component)];
  return key;
}

ColourPointList ReadColourPoints(std::string_view text) {
  ColourPointList points;
  std::string field;
  for (int i = 1; i <= static_cast<int>(kMaxColourPoints); ++i) {
    if (GetListField(text, i, ')', kPointFieldSize, field) != i || field.size() < 2) break;
    if (const std::optional<ColourPoint> point = ParseColourPoint(field)) points.push_back(*point);
  }
  return points;
}

std::string ColourPointText(const ColourPointList& points, const ChannelSettings& channel) {
  std::string text;
  for (const ColourPoint& point : points) {
    text += "(" + FormatFixed(point.value, ValueDecimals(point.value, channel)) + ", " +
            std::to_string(point.level) + ")";
  }
  return text;
}

void SortColourPoints(ColourPointList& points) {
  // A selection sort that takes the first of equal smallest values: which of the equal points
  // ends up last, and so survives, depends on it.
  for (size_t i = 0; i < points.size(); ++i) {
    size_t smallest = i;
    for (size_t j = i + 1; j < points.size(); ++j) {
      if (points[j].value < points[smallest].value) smallest = j;
    }
    std::swap(points[i], points[smallest]);
  }
  for (size_t i = points.size(); i-- > 1;) {
    if (points[i - 1].value == points[i].value)
      points.erase(points.begin() + static_cast<std::ptrdiff_t>(i - 1));
  }
}

}  // namespace nephrax
