#include "land_outline.h"

#include <algorithm>
#include <array>
#include <span>

namespace nephrax::sample {

namespace {

struct GeoPoint {
  double lat;
  double lon;
};

// A closed coastline polygon and its bounding box, which turns most points away cheaply.
struct Outline {
  std::span<const GeoPoint> points;
  double south;
  double north;
  double west;
  double east;
};

constexpr Outline MakeOutline(std::span<const GeoPoint> points) {
  Outline outline{points, points[0].lat, points[0].lat, points[0].lon, points[0].lon};
  for (const GeoPoint& p : points) {
    outline.south = std::min(outline.south, p.lat);
    outline.north = std::max(outline.north, p.lat);
    outline.west = std::min(outline.west, p.lon);
    outline.east = std::max(outline.east, p.lon);
  }
  return outline;
}

// The Asian mainland from the Gulf of Tonkin round Shandong, the Bohai and Korea to the Tatar
// Strait, closed far outside the area to the north and west.
constexpr GeoPoint kMainland[] = {
    {21.6, 100.0}, {21.6, 109.6}, {20.25, 109.9}, {20.25, 110.5}, {21.0, 110.5}, {21.4, 111.0},
    {21.8, 112.3}, {22.2, 113.3}, {22.5, 114.3},  {22.7, 115.3},  {23.2, 116.5}, {23.8, 117.3},
    {24.5, 118.2}, {25.3, 119.3}, {26.0, 119.7},  {26.8, 120.1},  {27.7, 120.8}, {28.6, 121.5},
    {29.5, 121.9}, {30.2, 122.0}, {30.4, 121.2},  {30.9, 121.9},  {31.3, 121.8}, {31.8, 121.9},
    {32.3, 121.4}, {33.0, 120.9}, {33.8, 120.4},  {34.4, 119.9},  {35.0, 119.4}, {35.6, 119.7},
    {36.1, 120.3}, {36.3, 120.8}, {36.8, 121.6},  {37.1, 122.5},  {37.4, 122.6}, {37.6, 121.6},
    {37.8, 120.8}, {37.3, 119.9}, {37.1, 119.2},  {37.7, 119.1},  {38.3, 117.9}, {38.9, 117.7},
    {39.2, 118.3}, {39.4, 119.0}, {39.9, 119.6},  {40.4, 120.4},  {40.9, 121.2}, {40.9, 121.9},
    {40.3, 122.2}, {39.6, 121.6}, {39.0, 121.5},  {38.7, 121.1},  {39.0, 121.8}, {39.4, 122.4},
    {39.7, 123.3}, {39.8, 124.1}, {39.5, 124.8},  {39.0, 125.2},  {38.6, 125.1}, {38.0, 124.8},
    {37.8, 125.5}, {37.7, 126.1}, {37.4, 126.6},  {36.7, 126.2},  {36.0, 126.6}, {35.4, 126.4},
    {34.8, 126.3}, {34.3, 126.5}, {34.5, 127.3},  {34.8, 127.8},  {34.9, 128.6}, {35.1, 129.0},
    {35.5, 129.4}, {36.0, 129.6}, {36.8, 129.4},  {37.6, 129.1},  {38.3, 128.6}, {38.9, 127.9},
    {39.2, 127.5}, {39.8, 127.6}, {40.0, 128.4},  {40.7, 129.4},  {41.5, 129.8}, {42.0, 130.0},
    {42.3, 130.6}, {42.6, 130.8}, {42.8, 131.5},  {43.2, 131.9},  {42.8, 132.6}, {42.8, 133.1},
    {43.3, 134.2}, {44.0, 135.3}, {45.0, 136.6},  {46.0, 137.9},  {47.0, 138.6}, {48.0, 139.9},
    {48.5, 140.2}, {49.3, 140.4}, {50.0, 140.5},  {51.0, 140.7},  {51.0, 100.0},
};

constexpr GeoPoint kSakhalin[] = {
    {51.0, 142.1}, {50.0, 142.1}, {49.0, 142.1}, {48.0, 142.0}, {47.0, 141.9}, {46.3, 141.8},
    {45.9, 142.0}, {46.6, 142.6}, {46.0, 143.4}, {46.6, 143.3}, {47.5, 142.9}, {48.3, 142.8},
    {48.6, 144.6}, {48.8, 144.4}, {49.2, 143.3}, {50.0, 143.3}, {51.0, 143.3},
};

constexpr GeoPoint kHokkaido[] = {
    {45.5, 141.9}, {45.0, 142.6}, {44.3, 143.5}, {44.0, 144.3}, {44.2, 145.2}, {43.6, 145.3},
    {43.3, 145.8}, {43.0, 144.5}, {42.6, 143.6}, {41.9, 143.2}, {42.4, 142.3}, {42.6, 141.5},
    {42.3, 141.0}, {42.5, 140.5}, {41.8, 140.8}, {41.4, 140.0}, {42.0, 140.0}, {42.5, 139.8},
    {43.0, 140.4}, {43.3, 140.4}, {43.2, 141.2}, {43.9, 141.6}, {44.6, 141.8}, {45.3, 141.6},
};

constexpr GeoPoint kHonshu[] = {
    {41.5, 140.8}, {41.4, 141.5}, {40.5, 141.6}, {39.5, 142.0}, {38.6, 141.6}, {38.2, 141.0},
    {37.5, 141.0}, {36.5, 140.6}, {35.7, 140.9}, {35.1, 140.4}, {34.9, 139.8}, {35.3, 139.7},
    {35.2, 139.1}, {34.6, 138.9}, {35.0, 138.6}, {34.6, 138.2}, {34.7, 137.3}, {34.5, 136.9},
    {33.9, 136.2}, {33.4, 135.8}, {33.9, 135.1}, {34.5, 135.3}, {34.7, 134.5}, {34.5, 133.5},
    {34.3, 132.5}, {34.0, 131.0}, {34.4, 131.4}, {35.0, 132.5}, {35.5, 133.2}, {35.6, 134.5},
    {35.7, 135.8}, {36.3, 136.2}, {37.1, 136.7}, {37.5, 137.3}, {37.0, 137.3}, {36.8, 137.6},
    {37.3, 138.2}, {37.9, 139.0}, {38.8, 139.8}, {39.8, 140.0}, {40.6, 139.9}, {41.2, 140.3},
};

constexpr GeoPoint kShikoku[] = {
    {34.1, 133.0}, {34.35, 134.0}, {34.25, 134.6}, {33.8, 134.75},  {33.25, 134.2},
    {33.5, 133.6}, {32.75, 133.0}, {33.3, 132.4},  {33.45, 132.05}, {33.85, 132.7},
};

constexpr GeoPoint kKyushu[] = {
    {33.95, 130.95}, {33.6, 131.7}, {33.2, 131.9},  {32.4, 131.7}, {31.4, 131.35},
    {31.0, 130.7},   {31.2, 130.2}, {31.8, 130.2},  {32.4, 130.0}, {32.7, 129.8},
    {33.35, 129.5},  {33.5, 130.0}, {33.6, 130.35},
};

constexpr GeoPoint kTaiwan[] = {
    {25.3, 121.55}, {24.9, 121.9}, {24.0, 121.65}, {23.0, 121.4}, {22.0, 120.85},
    {22.6, 120.3},  {23.3, 120.1}, {24.2, 120.5},  {24.9, 121.0},
};

constexpr GeoPoint kHainan[] = {
    {20.15, 110.7}, {19.6, 111.05}, {18.7, 110.5}, {18.2, 109.6},
    {18.4, 108.7},  {19.3, 108.6},  {19.9, 109.3}, {20.1, 110.0},
};

constexpr GeoPoint kLuzon[] = {
    {18.6, 120.6}, {18.6, 121.9}, {18.3, 122.3}, {17.2, 122.5}, {16.2, 121.8}, {15.2, 121.5},
    {14.2, 121.8}, {13.9, 122.8}, {13.8, 124.1}, {12.6, 124.1}, {12.9, 123.5}, {13.4, 122.7},
    {13.9, 121.9}, {13.7, 121.0}, {13.8, 120.6}, {14.4, 120.6}, {14.8, 120.3}, {15.5, 119.9},
    {16.3, 119.8}, {16.1, 120.3}, {16.6, 120.3}, {17.6, 120.4},
};

constexpr GeoPoint kMindoro[] = {
    {13.5, 120.4}, {13.5, 121.2}, {12.7, 121.5}, {12.2, 121.2}, {12.5, 120.8},
};

constexpr GeoPoint kSamar[] = {
    {12.55, 124.25}, {12.45, 125.3}, {11.05, 125.75}, {11.3, 124.95}, {12.0, 124.55},
};

constexpr GeoPoint kLeyte[] = {
    {11.55, 124.4}, {11.4, 124.95}, {10.7, 125.05}, {10.1, 125.2}, {10.3, 124.75}, {11.0, 124.4},
};

constexpr GeoPoint kCebu[] = {
    {11.25, 124.05}, {10.3, 123.95}, {9.45, 123.35}, {10.4, 123.6}, {11.0, 123.85},
};

constexpr GeoPoint kNegros[] = {
    {11.0, 123.2}, {10.4, 123.5}, {9.3, 123.3}, {9.1, 122.9}, {9.7, 122.4}, {10.6, 122.9},
};

constexpr GeoPoint kPanay[] = {
    {11.9, 121.95}, {11.55, 123.15}, {10.7, 122.55}, {10.45, 121.9}, {11.2, 121.95},
};

constexpr GeoPoint kMasbate[] = {
    {12.55, 123.3},
    {12.3, 124.0},
    {11.8, 123.9},
    {12.0, 123.3},
};

constexpr GeoPoint kPalawan[] = {
    {11.5, 119.4}, {10.5, 119.7}, {9.0, 118.3}, {8.4, 117.2}, {9.3, 117.8}, {10.6, 119.0},
};

constexpr GeoPoint kJeju[] = {
    {33.55, 126.5},
    {33.4, 126.95},
    {33.2, 126.6},
    {33.35, 126.2},
};

constexpr GeoPoint kOkinawa[] = {
    {26.9, 128.3}, {26.6, 128.2}, {26.1, 127.8}, {26.2, 127.6}, {26.7, 127.9},
};

constexpr GeoPoint kSado[] = {
    {38.3, 138.5},
    {38.0, 138.6},
    {37.8, 138.3},
    {38.1, 138.2},
};

constexpr GeoPoint kKunashir[] = {
    {44.5, 146.6}, {44.3, 146.3}, {43.8, 145.4}, {44.0, 145.35}, {44.4, 146.0},
};

constexpr GeoPoint kIturup[] = {
    {45.55, 148.9}, {45.3, 148.6}, {44.5, 146.9}, {44.7, 146.9}, {45.2, 147.8},
};

constexpr GeoPoint kUrup[] = {
    {46.2, 150.5},
    {45.6, 149.5},
    {45.8, 149.4},
    {46.2, 150.2},
};

constexpr GeoPoint kParamushir[] = {
    {50.8, 156.5}, {50.2, 155.2}, {50.0, 155.3}, {50.3, 155.8}, {50.6, 156.4},
};

constexpr std::array kOutlines{
    MakeOutline(kMainland), MakeOutline(kSakhalin), MakeOutline(kHokkaido),
    MakeOutline(kHonshu),   MakeOutline(kShikoku),  MakeOutline(kKyushu),
    MakeOutline(kTaiwan),   MakeOutline(kHainan),   MakeOutline(kLuzon),
    MakeOutline(kMindoro),  MakeOutline(kSamar),    MakeOutline(kLeyte),
    MakeOutline(kCebu),     MakeOutline(kNegros),   MakeOutline(kPanay),
    MakeOutline(kMasbate),  MakeOutline(kPalawan),  MakeOutline(kJeju),
    MakeOutline(kOkinawa),  MakeOutline(kSado),     MakeOutline(kKunashir),
    MakeOutline(kIturup),   MakeOutline(kUrup),     MakeOutline(kParamushir),
};

// Even-odd rule: a ray running east from the point crosses the coast an odd number of times.
bool Inside(const Outline& outline, double lat, double lon) {
  if (lat < outline.south || lat > outline.north || lon < outline.west || lon > outline.east) {
    return false;
  }
  bool inside = false;
  const std::span<const GeoPoint> p = outline.points;
  for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
    if ((p[i].lat > lat) != (p[j].lat > lat)) {
      const double crossing_lon =
          p[i].lon + (lat - p[i].lat) * (p[j].lon - p[i].lon) / (p[j].lat - p[i].lat);
      if (lon < crossing_lon) inside = !inside;
    }
  }
  return inside;
}

}  // namespace

double LandFraction(double lat, double lon) {
  const bool land = std::any_of(kOutlines.begin(), kOutlines.end(),
                                [&](const Outline& outline) { return Inside(outline, lat, lon); });
  return land ? 1.0 : 0.0;
}

}  // namespace nephrax::sample
