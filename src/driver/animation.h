// The animation flow: every source file named in a list file becomes a frame of one animated GIF.
#pragma once

#include "core/run_state.h"

namespace nephrax {

// Draws each source file named in the list file (the command line's source path) as a frame of
// the animated GIF at the destination, echoing each line of the list on standard output, and
// returns the exit status. The first and the last of the existing files are shown three times
// as long as the others (the Agif setting, in hundredths of a second). The GIF replaces the
// destination only when complete: a run that wrote no frame, or in which a frame could not be
// written, leaves no file. Without the library's animation entry points: "Support error.".
int RunAnimation(RunState& state);

}  // namespace nephrax
