// The image tools of the command line.
#pragma once

#include <string>

#include "cli/Options.h"
#include "imagelib/vuImage.h"

// Applies one tool to the image; false with a reason in `error` when it cannot.
bool ApplyImageTool(vuImage& image, const ImageToolRequest& tool, const Options& options,
                    std::string* error);
