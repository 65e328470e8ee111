// The order of a run, from the command line to the exit status.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_state.h"
#include "render/surface.h"

namespace nephrax {

// Exit statuses: a picture (or animation) was written; the run ended without one; the command
// line was unusable or start-up failed (-1, seen by the shell as 255).
inline constexpr int kExitWritten = 0;
inline constexpr int kExitNoPicture = 1;
inline constexpr int kExitBadStart = -1;

// Runs the converter for argv[0..argc) and returns the exit status.
int RunConverter(RunState& state, std::span<const std::string_view> arguments);

// Draws the source file just read, with its overlays, on a surface of the picture size; none
// when drawing failed (after "Image draw error." or the surface's own message). The step every
// picture and every animation frame goes through.
std::optional<Surface> DrawSourcePicture(RunState& state);

// The whole file, zero-filled to at least 1024 bytes; nothing (after "File open error." or
// "Memory allocate error.") when it cannot be read.
std::optional<std::vector<uint8_t>> LoadMapFile(const std::string& path);

}  // namespace nephrax
