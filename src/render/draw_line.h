// Lines and polylines in the surface's pen.
//
// A pen of width 1 draws the pixels of the Bresenham line: the axis along which the line is
// longer advances one pixel a step, and the other coordinate is the one nearest the ideal line,
// a tie going toward the end point. A wider pen strokes the same centre line with a round brush:
// it covers every pixel whose centre lies within half the width of the centre line (for an even
// width the centre line runs half a pixel up and left of the pixel centres), which gives round
// caps and round joins. Lines are never antialiased.
//
// The end point of a line is not drawn: the line stops at the last pixel before it, and a wide
// stroke at that pixel. A styled pen switches on and off by its pattern, counted in steps along
// the line from its start; opaque background mode paints the gaps in the background colour.
// Everything is clipped to the surface before a pixel is stepped over, so lines of any length and
// position cost no more than the part of them that is seen.
#pragma once

#include <cstdint>
#include <span>

#include "render/surface.h"

namespace nephrax {

// Draws the line from `from` to `to`, the end point left out. The style pattern starts afresh.
void DrawLine(Surface& surface, PixelPoint from, PixelPoint to);

// Draws a line from each point to the next, each without its end point, so every vertex is drawn
// once, as the start of the line leaving it. The style pattern runs on across the vertices.
void DrawPolyline(Surface& surface, std::span<const PixelPoint> points);

// The line style of an entry of the line-style table: 0 solid, 1 dash, 2 dot, 3 dash-dot,
// 4 dash-dot-dot, 5 and 6 solid, 7 alternate pixels; any other number is solid.
LineStyle TableLineStyle(int32_t number);

}  // namespace nephrax
