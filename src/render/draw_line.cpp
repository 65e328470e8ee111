#include "render/draw_line.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace nephrax {

namespace {

// Products of two line lengths need more than 64 bits: a line between two int32 points is up to
// 2^32 pixels long.
__extension__ using Int128 = __int128;

// On and off lengths of the styles, in steps of a width-1 pen, starting with "on".
constexpr std::array<int64_t, 2> kDash{18, 6};
constexpr std::array<int64_t, 2> kDot{3, 3};
constexpr std::array<int64_t, 4> kDashDot{9, 6, 3, 6};
constexpr std::array<int64_t, 6> kDashDotDot{9, 3, 3, 3, 3, 3};
constexpr std::array<int64_t, 2> kAlternate{1, 1};

std::span<const int64_t> BasePattern(LineStyle style) {
  switch (style) {
    case LineStyle::kDash:
      return kDash;
    case LineStyle::kDot:
      return kDot;
    case LineStyle::kDashDot:
      return kDashDot;
    case LineStyle::kDashDotDot:
      return kDashDotDot;
    case LineStyle::kAlternate:
      return kAlternate;
    case LineStyle::kSolid:
      break;
  }
  return {};
}

// A pen's on and off lengths in steps, scaled by its width so that wide dashes keep their shape.
// No lengths: the pen is solid.
struct StrokePattern {
  std::array<int64_t, kDashDotDot.size()> lengths{};
  size_t count = 0;
  int64_t period = 0;
};

StrokePattern PatternOf(const Pen& pen) {
  const int64_t scale = std::max(pen.width, 1);
  StrokePattern pattern;
  for (const int64_t length : BasePattern(pen.style)) {
    pattern.lengths[pattern.count++] = length * scale;
    pattern.period += length * scale;
  }
  return pattern;
}

// Whether the pen is on `position` steps into its pattern, and for how many steps from there.
struct PatternPlace {
  bool on;
  int64_t steps_left;
};

PatternPlace PlaceInPattern(const StrokePattern& pattern, int64_t position) {
  if (pattern.count == 0) return {true, std::numeric_limits<int64_t>::max()};
  int64_t offset = position % pattern.period;
  size_t i = 0;
  while (offset >= pattern.lengths[i]) offset -= pattern.lengths[i++];
  return {i % 2 == 0, pattern.lengths[i] - offset};
}

// The pixels of a width-1 line. Step i (0 <= i < count) is i pixels from the start along the
// major axis, and the minor coordinate has moved MinorOffset(i) pixels; the end point would be
// step `count`.
struct LineSteps {
  int64_t major_start = 0;
  int64_t minor_start = 0;
  int64_t major_sign = 1;
  int64_t minor_sign = 1;
  int64_t count = 0;
  int64_t minor_span = 0;  // how far the minor coordinate moves over the whole line
  bool x_major = true;
};

LineSteps StepsOf(PixelPoint from, PixelPoint to) {
  const int64_t dx = int64_t{to.x} - from.x;
  const int64_t dy = int64_t{to.y} - from.y;
  const bool x_major = std::abs(dx) >= std::abs(dy);
  const int64_t major = x_major ? dx : dy;
  const int64_t minor = x_major ? dy : dx;
  return {x_major ? from.x : from.y,
          x_major ? from.y : from.x,
          major < 0 ? -1 : 1,
          minor < 0 ? -1 : 1,
          std::abs(major),
          std::abs(minor),
          x_major};
}

// i * minor_span / count rounded to the nearest integer, a half rounded up (toward the end).
int64_t MinorOffset(const LineSteps& line, int64_t step) {
  return static_cast<int64_t>((Int128{2} * step * line.minor_span + line.count) /
                              (Int128{2} * line.count));
}

PixelPoint PixelOf(const LineSteps& line, int64_t major, int64_t minor) {
  const auto x = static_cast<int32_t>(line.x_major ? major : minor);
  const auto y = static_cast<int32_t>(line.x_major ? minor : major);
  return {x, y};
}

PixelPoint PixelAt(const LineSteps& line, int64_t step) {
  return PixelOf(line, line.major_start + line.major_sign * step,
                 line.minor_start + line.minor_sign * MinorOffset(line, step));
}

// The steps [first, last) of a line.
struct StepRange {
  int64_t first = 0;
  int64_t last = 0;
};

// The coordinates [low, high] of the pixels that can show on the surface, on one axis.
struct AxisBounds {
  int64_t low = 0;
  int64_t high = 0;
};

// How far from `start`, in the direction `sign`, a coordinate may move and stay within `bounds`.
AxisBounds DistancesWithin(int64_t start, int64_t sign, AxisBounds bounds) {
  return sign > 0 ? AxisBounds{bounds.low - start, bounds.high - start}
                  : AxisBounds{start - bounds.high, start - bounds.low};
}

// The first step whose minor offset is `offset` or more; `count` when no step reaches it.
int64_t FirstStepReaching(const LineSteps& line, int64_t offset) {
  if (offset <= 0) return 0;
  if (offset > line.minor_span) return line.count;
  // MinorOffset(i) >= offset exactly when 2 * i * minor_span >= count * (2 * offset - 1).
  const Int128 needed = Int128{line.count} * (2 * offset - 1);
  const Int128 per_step = Int128{2} * line.minor_span;
  return static_cast<int64_t>((needed + per_step - 1) / per_step);
}

// The steps whose pixels lie within `x` and `y`. The minor offset never decreases along a line,
// so the steps within bounds on either axis form one range.
StepRange ClipSteps(const LineSteps& line, AxisBounds x, AxisBounds y) {
  const AxisBounds major = DistancesWithin(line.major_start, line.major_sign, line.x_major ? x : y);
  const AxisBounds minor = DistancesWithin(line.minor_start, line.minor_sign, line.x_major ? y : x);
  const int64_t first = std::max({int64_t{0}, major.low, FirstStepReaching(line, minor.low)});
  const int64_t last =
      std::min({line.count, major.high + 1, FirstStepReaching(line, minor.high + 1)});
  return {first, std::max(first, last)};
}

// Puts down the pixels of a width-1 pen for the given steps.
void PaintSteps(Surface& surface, const LineSteps& line, StepRange steps, Colour colour) {
  // The minor offset is numerator / (2 * count); each step adds 2 * minor_span to the numerator.
  const int64_t denominator = 2 * line.count;
  const Int128 numerator = Int128{2} * steps.first * line.minor_span + line.count;
  int64_t offset = static_cast<int64_t>(numerator / denominator);
  int64_t remainder = static_cast<int64_t>(numerator % denominator);
  for (int64_t step = steps.first; step < steps.last; ++step) {
    const PixelPoint pixel = PixelOf(line, line.major_start + line.major_sign * step,
                                     line.minor_start + line.minor_sign * offset);
    surface.SetPixel(pixel.x, pixel.y, colour);
    remainder += 2 * line.minor_span;
    if (remainder >= denominator) {
      remainder -= denominator;
      ++offset;
    }
  }
}

// A stretch of one row, [low, high] in x; empty when low > high.
struct RowSpan {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();

  bool empty() const { return low > high; }
};

RowSpan Intersect(RowSpan a, RowSpan b) {
  return {std::max(a.low, b.low), std::min(a.high, b.high)};
}

RowSpan Hull(RowSpan a, RowSpan b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return {std::min(a.low, b.low), std::max(a.high, b.high)};
}

// The t for which factor * t lies in [low, high].
RowSpan Solve(double factor, double low, double high) {
  if (factor > 0) return {low / factor, high / factor};
  if (factor < 0) return {high / factor, low / factor};
  const double infinity = std::numeric_limits<double>::infinity();
  return low <= 0 && high >= 0 ? RowSpan{-infinity, infinity} : RowSpan{};
}

// The points within `radius` of the segment from a to b: the shape a round brush sweeps.
struct Capsule {
  double ax;
  double ay;
  double bx;
  double by;
  double radius;
};

// Where row y crosses the disc around (cx, cy).
RowSpan DiscRow(double cx, double cy, double radius, double y) {
  const double v = y - cy;
  if (std::abs(v) > radius) return {};
  const double half = std::sqrt(radius * radius - v * v);
  return {cx - half, cx + half};
}

// Where row y crosses the points within the radius of the segment whose foot lies on it.
RowSpan BandRow(const Capsule& capsule, double y) {
  const double dx = capsule.bx - capsule.ax;
  const double dy = capsule.by - capsule.ay;
  const double length_squared = dx * dx + dy * dy;
  if (length_squared == 0) return {};
  const double v = y - capsule.ay;
  const double reach = capsule.radius * std::sqrt(length_squared);
  // With t = x - ax: the foot lies on the segment when 0 <= t * dx + v * dy <= length^2, and the
  // distance is within the radius when |t * dy - v * dx| <= radius * length.
  const RowSpan t = Intersect(Solve(dx, -v * dy, length_squared - v * dy),
                              Solve(dy, v * dx - reach, v * dx + reach));
  if (t.empty()) return {};
  return {capsule.ax + t.low, capsule.ax + t.high};
}

RowSpan CapsuleRow(const Capsule& capsule, double y) {
  return Hull(Hull(DiscRow(capsule.ax, capsule.ay, capsule.radius, y),
                   DiscRow(capsule.bx, capsule.by, capsule.radius, y)),
              BandRow(capsule, y));
}

// Paints a stroke of a round brush `width` pixels across from the pixel `from` to the pixel `to`.
void PaintStroke(Surface& surface, PixelPoint from, PixelPoint to, int32_t width, Colour colour) {
  const double shift = width % 2 == 0 ? -0.5 : 0.0;
  const Capsule capsule{from.x + shift, from.y + shift, to.x + shift, to.y + shift, width / 2.0};
  const double last_row = surface.height() - 1;
  const double top =
      std::clamp(std::floor(std::min(capsule.ay, capsule.by) - capsule.radius), 0.0, last_row);
  const double bottom =
      std::clamp(std::ceil(std::max(capsule.ay, capsule.by) + capsule.radius), 0.0, last_row);
  const double right_limit = surface.width();
  for (auto y = static_cast<int64_t>(top); y <= static_cast<int64_t>(bottom); ++y) {
    const RowSpan span = CapsuleRow(capsule, static_cast<double>(y));
    if (span.empty()) continue;
    const double first = std::clamp(std::ceil(span.low), -1.0, right_limit);
    const double last = std::clamp(std::floor(span.high), -1.0, right_limit);
    FillSpan(surface, y, static_cast<int64_t>(first), static_cast<int64_t>(last) + 1, colour);
  }
}

// One pass over a polyline: the runs of the pattern that are on (or, for the gaps, off), in one
// colour.
struct StrokePass {
  int32_t width;
  StrokePattern pattern;
  bool on;
  Colour colour;
};

// Paints the steps of one run. A wide run that reaches a vertex and goes on along the next line
// is stroked to the vertex, so that the two strokes join without a waist.
void PaintRun(Surface& surface, const StrokePass& pass, const LineSteps& line, StepRange run,
              PixelPoint end_point, bool joins_next) {
  if (pass.width == 1) {
    PaintSteps(surface, line, run, pass.colour);
    return;
  }
  const PixelPoint last =
      run.last == line.count && joins_next ? end_point : PixelAt(line, run.last - 1);
  PaintStroke(surface, PixelAt(line, run.first), last, pass.width, pass.colour);
}

void StrokePolyline(Surface& surface, std::span<const PixelPoint> points, const StrokePass& pass) {
  // A wide stroke reaches half its width beyond its centre pixels; two more pixels cover a run
  // cut short at the last centre pixel that is kept.
  const int64_t margin = pass.width > 1 ? pass.width / 2 + 2 : 0;
  const AxisBounds x_bounds{-margin, surface.width() - 1 + margin};
  const AxisBounds y_bounds{-margin, surface.height() - 1 + margin};
  int64_t position = 0;  // where in its pattern the pen is at the start of the current line
  for (size_t k = 0; k + 1 < points.size(); ++k) {
    const LineSteps line = StepsOf(points[k], points[k + 1]);
    if (line.count == 0) continue;
    const StepRange visible = ClipSteps(line, x_bounds, y_bounds);
    const bool joins_next =
        k + 2 < points.size() && PlaceInPattern(pass.pattern, position + line.count).on == pass.on;
    for (int64_t step = visible.first; step < visible.last;) {
      const PatternPlace place = PlaceInPattern(pass.pattern, position + step);
      const int64_t run_end =
          place.steps_left >= visible.last - step ? visible.last : step + place.steps_left;
      if (place.on == pass.on) {
        PaintRun(surface, pass, line, {step, run_end}, points[k + 1], joins_next);
      }
      step = run_end;
    }
    if (pass.pattern.period > 0) position = (position + line.count) % pass.pattern.period;
  }
}

}  // namespace

void DrawPolyline(Surface& surface, std::span<const PixelPoint> points) {
  const SurfaceState& state = surface.state();
  const int32_t width = std::max(state.pen.width, 1);
  const StrokePattern pattern = PatternOf(state.pen);
  // The gaps go down first, so that the caps of wide dashes lie over them.
  if (pattern.count > 0 && state.background_mode == BackgroundMode::kOpaque) {
    StrokePolyline(surface, points, {width, pattern, false, state.background_colour});
  }
  StrokePolyline(surface, points, {width, pattern, true, state.pen.colour});
}

void DrawLine(Surface& surface, PixelPoint from, PixelPoint to) {
  const std::array<PixelPoint, 2> points{from, to};
  DrawPolyline(surface, points);
}

LineStyle TableLineStyle(int32_t number) {
  switch (number) {
    case 1:
      return LineStyle::kDash;
    case 2:
      return LineStyle::kDot;
    case 3:
      return LineStyle::kDashDot;
    case 4:
      return LineStyle::kDashDotDot;
    case 7:
      return LineStyle::kAlternate;
    default:
      return LineStyle::kSolid;
  }
}

}  // namespace nephrax
