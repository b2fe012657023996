// The writer options the command line gives for an output type.
#pragma once

#include <memory>
#include <string>

#include "cli/Options.h"
#include "imagelib/vuImage.h"

// The options record for `type` (null for types without one), released by its deleter. On an
// option that does not fit the type, returns false with a reason in `error`.
bool MakeSaveOptions(int type, const vuImage& image, const Options& options,
                     std::shared_ptr<void>* record, std::string* error);

// Checks the quality option against the output type (WIF 1..255, JPEG 1..100, none for the
// others); false with a reason in `error`. A mismatch is a usage error.
bool CheckQualityForType(int type, const Options& options, std::string* error);
