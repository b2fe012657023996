// Choosing the quality of a lossy output for a target: --size (the best quality whose file fits)
// and --psnr (the smallest file whose picture reaches the PSNR).
#pragma once

#include <cstdint>
#include <string>

#include "cli/Options.h"
#include "imagelib/vuImage.h"

struct QualityTrial {
  int quality = 0;
  int64_t bytes = 0;
  double psnr = -1; // measured for --psnr only
};

// Writes `image` (in a pixel format the type takes) to `path` at the quality the target of
// `options` asks for. Qualities are tried by bisection, each trial written beside `path` and
// measured, so a handful of encodes find it. True with the chosen trial in `chosen`, or false with
// the reason in `error` (the target cannot be reached, or a write failed).
bool WriteForTarget(vuImage& image, int type, const Options& options, const std::string& path,
                    QualityTrial* chosen, std::string* error);
