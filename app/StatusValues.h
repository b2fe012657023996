// The seven image statistics the view writes into the status bar's value panes (1, 3, ... 13).
#pragma once

#include <array>
#include <string>

class vuImage;

using StatusValues = std::array<std::string, 7>;

// Ratio, load time, width, height, bits per pixel, raw size and file size of an image.
StatusValues ComputeStatusValues(const vuImage& image, double loadTime);
// What the panes show when the last document has closed: 20 blanks each.
StatusValues ClearedStatusValues();
