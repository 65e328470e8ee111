#include "overlay/draw_caption.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "render/draw_text.h"
#include "render/text_codes.h"

namespace nephrax {

namespace {

// Text colours whose components add up to less than this are dark.
constexpr int kDarkTextSum = 255;

// " text ": the caption text with a blank before it and, unless it ends in one, after it.
std::string PaddedCaption(const std::string& text) {
  std::string caption = ' ' + text;
  if (caption.back() != ' ') caption += ' ';
  return caption;
}

// The top-left corner of a caption box of `width` x `height` pixels in the corner of `area` that
// Dtm names: 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right.
PixelPoint CaptionCorner(int32_t dtm, const PixelRect& area, int32_t width, int32_t height) {
  const bool right = dtm == 1 || dtm == 3;
  const bool bottom = dtm >= 2;
  return PixelPoint{right ? area.x + area.width - width : area.x,
                    bottom ? area.y + area.height - height : area.y};
}

// White behind a dark text colour, black behind any other.
Colour CaptionBackground(Colour text_colour) {
  const int sum = text_colour.red + text_colour.green + text_colour.blue;
  return sum < kDarkTextSum ? Colour{255, 255, 255} : Colour{0, 0, 0};
}

}  // namespace

std::optional<Font> CreateCaptionFont(const Settings& settings, Language language) {
  // A negative height asks for a character height of that many pixels.
  const int64_t height = std::clamp<int64_t>(-int64_t{settings.DtmSiz}, INT32_MIN, INT32_MAX);
  return CreateFont(FontRequest{settings.Font[static_cast<size_t>(language)],
                                static_cast<int32_t>(height), kBoldWeight,
                                EncodingOfLanguage(language)});
}

bool DrawCaption(Surface& surface, const PixelRect& area, const ControlBlock& control,
                 const Settings& settings, Language language, const LocalZone& zone) {
  if (settings.Dtm < 0 || settings.Dtm > 3) return false;
  const std::optional<Font> font = CreateCaptionFont(settings, language);
  if (!font) return false;
  const std::string caption = PaddedCaption(FormatCaptionText(control, settings, language, zone));
  const TextMetrics& metrics = font->metrics();
  const PixelPoint corner = CaptionCorner(settings.Dtm, area, TextExtent(*font, caption),
                                          metrics.tmHeight + metrics.tmExternalLeading);

  // Declared after the font, the guard puts the previous font back before the caption font goes.
  const SurfaceStateSaver saver(surface);
  SurfaceState& state = surface.state();
  state.font = &*font;
  state.text_colour = settings.DtmCol;
  state.background_mode = BackgroundMode::kOpaque;
  state.background_colour = CaptionBackground(settings.DtmCol);
  DrawText(surface, corner.x, corner.y, caption);
  return true;
}

}  // namespace nephrax
