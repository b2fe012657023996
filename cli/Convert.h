// Converting one file: load, image tools, the pixel format the output type needs, save.
#pragma once

#include <string>

#include "cli/Options.h"
#include "imagelib/vuImage.h"

// LoadImage; a file whose first bytes match no signature is offered to the reader its extension
// names, and counts as unknown if that reader refuses it too.
int LoadByContentOrName(vuImage& image, const std::string& fileName);

// Why a load failed, from LoadImage's result.
std::string LoadErrorText(const std::string& fileName, int result);

// Converts the image in place to a pixel format the output type can store (the batch conversion
// table, then the closest format the type offers).
void PrepareForType(vuImage& image, int type);

// Converts INPUT to OUTPUT of the given type. The output is written under a temporary name in the
// same folder and renamed at the end, so a failure never leaves a partial file. Returns true, or
// false with the reason in `error`.
bool ConvertFile(const std::string& input, const std::string& output, int type,
                 const Options& options, std::string* error);
