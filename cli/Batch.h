// vuconvert --batch: many files to one output folder.
#pragma once

#include "cli/Options.h"

// Converts every input; returns the exit status (0 all converted, 1 some failed, 2 bad usage).
int RunBatch(const Options& options);
