// The writer options the command line gives for an output type, and writing with them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/Options.h"
#include "imagelib/vuImage.h"

// The options record for `type` (null for types without one), released by its deleter; `quality`
// 0 takes the quality of the options (or the type's default). On an option that does not fit the
// type, returns false with a reason in `error`.
bool MakeSaveOptions(int type, const vuImage& image, const Options& options, int quality,
                     std::shared_ptr<void>* record, std::string* error);

// Checks the quality option against the output type (WIF 1..255, JPEG 1..100, none for the
// others); false with a reason in `error`. A mismatch is a usage error.
bool CheckQualityForType(int type, const Options& options, std::string* error);

// True for the output types whose quality the options choose (WIF and JPEG).
bool IsLossyType(int type);

// Checks the options against the output type before any file is read: a quality, --size or
// --psnr the type cannot take is a usage error (false with the reason in `error`); options the
// type ignores (--fast, --tiles) add a warning.
bool CheckOptionsForType(int type, const Options& options, std::string* error,
                         std::vector<std::string>* warnings);

// Writes the image (already in a pixel format the type takes) to `path` with the options at
// `quality` (0: as the options say). False with the reason in `error`: the system's reason for a
// failed write, or the writer's own message (the last one the message log collected).
bool WriteImage(vuImage& image, int type, const Options& options, int quality,
                const std::string& path, std::string* error);
