#include "overlay/draw_grid.h"

#include <optional>
#include <vector>

#include "overlay/grid_layout.h"
#include "render/draw_line.h"
#include "render/draw_text.h"

namespace nephrax {

namespace {

// GrdStr bits.
constexpr uint8_t kLabelFontBit = 0x01;
constexpr uint8_t kOpaqueLabelsBit = 0x02;
// Labels of colours brighter than this stand on black, the others on white.
constexpr int kLightLabelSum = 500;
// The grid's entry of MapSty; the others belong to the coastline types.
constexpr size_t kGridMapStyle = 5;

constexpr Colour kWhite{255, 255, 255};
constexpr Colour kBlack{0, 0, 0};

const LabelFont& ChosenLabelFont(const Settings& settings, const LabelFonts& fonts) {
  return (settings.GrdStr & kLabelFontBit) != 0 ? fonts.label : fonts.small_label;
}

// Sets the mode and colour the labels stand on.
void SelectLabelBackground(SurfaceState& state, const Settings& settings) {
  if ((settings.GrdStr & kOpaqueLabelsBit) == 0) {
    state.background_mode = BackgroundMode::kTransparent;
    return;
  }
  const int sum = settings.GrdCol.red + settings.GrdCol.green + settings.GrdCol.blue;
  state.background_mode = BackgroundMode::kOpaque;
  state.background_colour = sum <= kLightLabelSum ? kWhite : kBlack;
}

// The pen of grid lines in `colour`. This platform draws wide pens geometrically, so GrdWid
// above 1 gives a stroke of that width; anything else a one-pixel cosmetic pen.
Pen GridPen(const Settings& settings, Colour colour) {
  const int32_t width = settings.GrdWid > 1 ? settings.GrdWid : 1;
  return Pen{TableLineStyle(settings.MapSty[kGridMapStyle]), width, colour};
}

// Draws the line with a transparent background, so that the gaps of a styled pen show what is
// below even when the labels stand on opaque boxes.
void DrawGridLine(Surface& surface, const GridLine& line) {
  SurfaceState& state = surface.state();
  const BackgroundMode label_mode = state.background_mode;
  state.background_mode = BackgroundMode::kTransparent;
  DrawLine(surface, PixelPoint{line.from.x, line.from.y}, PixelPoint{line.to.x, line.to.y});
  state.background_mode = label_mode;
}

void DrawGridLabels(Surface& surface, const GridLine& line) {
  if (line.label.empty()) return;
  for (const PicturePoint& position : line.label_positions) {
    DrawText(surface, position.x, position.y, line.label);
  }
}

}  // namespace

void DrawGrid(Surface& surface, const PixelRect& area, const AreaCornerSet& corners,
              int32_t interval, const Settings& settings, const LabelFonts& fonts) {
  const std::optional<AreaFrame> frame = ComputeAreaFrame(corners, area, interval);
  if (!frame) return;
  const LabelFont& label_font = ChosenLabelFont(settings, fonts);
  const std::vector<GridLine> lines = LayOutGrid(*frame, area, label_font.metrics());

  const SurfaceStateSaver saver(surface);
  SurfaceState& state = surface.state();
  state.font = label_font.font ? &*label_font.font : nullptr;
  SelectLabelBackground(state, settings);
  const Pen grid_pen = GridPen(settings, settings.GrdCol);
  const Pen equator_pen = GridPen(settings, settings.EqtCol);
  for (const GridLine& line : lines) {
    state.pen = line.equator ? equator_pen : grid_pen;
    state.text_colour = line.equator ? settings.EqtCol : settings.GrdCol;
    DrawGridLine(surface, line);
    DrawGridLabels(surface, line);
  }
}

}  // namespace nephrax
