// The colour-point lists of a channel as the setup file holds them: a key per display name,
// colour set and component (IRext0r), whose value is a run of points "(value, level)".
#pragma once

#include <string>
#include <string_view>

#include "core/settings.h"

namespace nephrax {

// The key of a list: display name, "ext", the colour set digit and "r", "g" or "b".
std::string ColourPointKey(std::string_view display_name, int colour_set, int component);

// The points of a value text, at most 80, in file order. A point whose text does not read as
// "(value,level" is skipped; the list ends at the first field shorter than two characters.
ColourPointList ReadColourPoints(std::string_view text);

// The value text of a list: each point as "(value, level)" with no separator. The value has one
// decimal for channels in degrees Celsius (tbb and abs), two for other temperature channels and,
// for the rest, three from 0 up to 10 and two otherwise.
std::string ColourPointText(const ColourPointList& points, const ChannelSettings& channel);

// Sorts the points by value, ascending, and of points with equal values keeps the one sorted last.
void SortColourPoints(ColourPointList& points);

}  // namespace nephrax
