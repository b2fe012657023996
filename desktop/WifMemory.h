// WIF data held in memory, for the desktop loaders (the Qt image plug-in, the gdk-pixbuf loader
// and the thumbnailer): recognising it, decoding it exactly as the converter does, and turning
// the decoded image into plain top-down pixel rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/vuFileInfo.h"
#include "imagelib/vuImage.h"

// True when the bytes start like a WIF file of either generation ("WIF2", "WIF5".."WIF8",
// "W5".."W8"). Two bytes are enough to tell an older file, four a WIF2 file.
bool vuLooksLikeWif(const uint8_t* bytes, size_t length);

// Decodes WIF bytes into `image` through the library's own file reader, so the pixels are the
// same as those of a file read by LoadImage. Returns LoadImage's result (0, or negative: -1 not
// a WIF file or no memory for the copy, -2 a bad or truncated file, -3 no memory).
int vuLoadWifFromMemory(vuImage* image, const uint8_t* bytes, size_t length);

// What the header says (width, height, bits per pixel) without decoding the pixels. The bytes
// need only reach the end of the header. Returns 0, or -1 when they do not hold a WIF header.
int vuWifInfoFromMemory(const uint8_t* bytes, size_t length, vuFileInfo* info);

// Top-down rows of 8-bit samples, `channels` per pixel (1 grey, 3 red-green-blue), packed.
struct vuPlainPixels {
  int width = 0;
  int height = 0;
  int channels = 0;
  std::vector<uint8_t> samples;
};

// The image as 8-bit rows: grey images stay grey, everything else becomes red-green-blue, 16-bit
// samples keep their top significant bits (as the viewers show them). False when the image is
// empty or memory is short.
bool vuToPlainPixels(const vuImage& image, vuPlainPixels* out);

// One 16-bit sample of a picture with `sampleBits` significant bits as an 8-bit value.
uint8_t vuSampleTo8Bits(uint16_t sample, int sampleBits);
