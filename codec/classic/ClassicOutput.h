// Pixel output of older-generation WIF files: conversion of synthesised values to 8- or 16-bit
// samples and the writing of each channel into the destination rows, with the colour transform
// when the last chroma channel arrives.
//
// Channels: 0 grey; 1 luma; 2 and 3 the chroma channels (luma minus green, luma minus red, offset
// by half the sample range). Row r of the buffer is coded row r, the bottom line of the picture
// first.
#pragma once

#include <cstdint>

namespace vu::classic {

struct ClassicOutput {
  uint8_t* bits = nullptr;
  int64_t stride = 0; // bytes from one row to the next
  int width = 0;
  int sampleBytes = 1; // 1 or 2
  int sampleBits = 0;  // significant bits of 2-byte samples
  bool color = false;

  int MaxValue() const { return sampleBytes == 2 ? (1 << sampleBits) - 1 : 255; }
  // Converts one synthesised value of a channel to a sample.
  static int Convert(int channel, int sampleBytes, float x);
  // Converts and writes the first `width` values of an output row.
  void WriteRow(int channel, int64_t row, const float* values) const;
};

} // namespace vu::classic
