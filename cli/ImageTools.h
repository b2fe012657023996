// The image tools of the command line.
#pragma once

#include <string>

#include "cli/Options.h"
#include "imagelib/vuImage.h"

// Checks the arguments of every requested tool, so that a mistyped value is a usage error found
// before any file is touched; false with the reason in `error`.
bool CheckImageTools(const Options& options, std::string* error);

// Applies one tool to the image; false with a reason in `error` when it cannot.
bool ApplyImageTool(vuImage& image, const ImageToolRequest& tool, const Options& options,
                    std::string* error);
