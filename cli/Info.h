// vuconvert --info.
#pragma once

#include "cli/Options.h"

// Prints what is known about each file (text, or one JSON object per line with --json); returns
// the exit status (1 when some file could not be read).
int RunInfo(const Options& options);
