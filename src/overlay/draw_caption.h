// The caption of a picture: one line naming the satellite, the band and the time of the image, in
// bold on a box of its own in one corner of the picture.
#pragma once

#include <optional>

#include "core/control_block.h"
#include "core/settings.h"
#include "overlay/caption_text.h"
#include "render/font.h"
#include "render/surface.h"

namespace nephrax {

// The caption font: bold, DtmSiz pixels of character height, the face of the language.
std::optional<Font> CreateCaptionFont(const Settings& settings, Language language);

// Writes the caption of the file's control block (FormatCaptionText) with a blank on each side in
// DtmCol on its box, in the corner of `area` that Dtm names. Returns false, drawing nothing, when
// Dtm names no corner or no caption font can be had. The surface's state is left as it was.
bool DrawCaption(Surface& surface, const PixelRect& area, const ControlBlock& control,
                 const Settings& settings, Language language, const LocalZone& zone);

}  // namespace nephrax
