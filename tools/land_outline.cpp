#include "land_outline.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>

namespace nephrax::sample {

namespace {

// The area data/make_coastlines.sh asks the mask for.
constexpr double kNorth = 50;
constexpr double kSouth = 10;
constexpr double kWest = 110;
constexpr double kEast = 160;

// A PBM's width and height are small; a longer number is not one of ours.
constexpr int32_t kLargestSide = 100000;

bool IsBlank(uint8_t byte) {
  return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
}

// A decimal number after at least one blank, from `offset`, which it moves past the number.
std::optional<int32_t> ReadHeaderNumber(std::span<const uint8_t> bytes, size_t& offset) {
  const size_t start = offset;
  while (offset < bytes.size() && IsBlank(bytes[offset])) ++offset;
  if (offset == start) return std::nullopt;
  int32_t value = 0;
  const size_t digits = offset;
  while (offset < bytes.size() && bytes[offset] >= '0' && bytes[offset] <= '9') {
    value = value * 10 + (bytes[offset] - '0');
    if (value > kLargestSide) return std::nullopt;
    ++offset;
  }
  if (offset == digits) return std::nullopt;
  return value;
}

[[noreturn]] void RefuseMask(const char* why) {
  throw std::runtime_error(std::string("land mask: ") + why);
}

}  // namespace

LandMask ReadLandMask(std::span<const uint8_t> pbm) {
  if (pbm.size() < 2 || pbm[0] != 'P' || pbm[1] != '4') RefuseMask("not a binary PBM");
  size_t offset = 2;
  const std::optional<int32_t> width = ReadHeaderNumber(pbm, offset);
  const std::optional<int32_t> height = ReadHeaderNumber(pbm, offset);
  // One blank ends the header; the rows follow it.
  if (!width || !height || offset == pbm.size() || !IsBlank(pbm[offset])) {
    RefuseMask("bad PBM header");
  }
  ++offset;
  if (*width < 2 || *height < 2) RefuseMask("fewer than 2 x 2 points");
  const auto columns = static_cast<size_t>(*width);
  const auto rows = static_cast<size_t>(*height);
  const size_t row_bytes = (columns + 7) / 8;
  if (pbm.size() - offset != row_bytes * rows) RefuseMask("rows do not fill the file");

  LandMask mask{*width, *height, std::vector<uint8_t>(columns * rows)};
  for (size_t y = 0; y < rows; ++y) {
    const std::span<const uint8_t> row = pbm.subspan(offset + y * row_bytes, row_bytes);
    for (size_t x = 0; x < columns; ++x) {
      mask.land[y * columns + x] = static_cast<uint8_t>(row[x / 8] >> (7 - x % 8) & 1);
    }
  }
  return mask;
}

double LandFraction(const LandMask& mask, double lat, double lon) {
  const double x =
      std::clamp((lon - kWest) / (kEast - kWest) * (mask.width - 1), 0.0, mask.width - 1.0);
  const double y =
      std::clamp((kNorth - lat) / (kNorth - kSouth) * (mask.height - 1), 0.0, mask.height - 1.0);
  // The mask point at the top left of the cell holding (x, y); the last cell takes the far edge.
  const auto left = static_cast<size_t>(std::min(std::floor(x), mask.width - 2.0));
  const auto top = static_cast<size_t>(std::min(std::floor(y), mask.height - 2.0));
  const double across = x - static_cast<double>(left);
  const double down = y - static_cast<double>(top);
  const auto at = [&](size_t row, size_t column) {
    return static_cast<double>(mask.land[row * static_cast<size_t>(mask.width) + column]);
  };
  const double upper = at(top, left) + (at(top, left + 1) - at(top, left)) * across;
  const double lower = at(top + 1, left) + (at(top + 1, left + 1) - at(top + 1, left)) * across;
  return upper + (lower - upper) * down;
}

}  // namespace nephrax::sample
