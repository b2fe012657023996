// Measuring an output: how far a lossy file's picture is from the original, and the figures -v
// prints.
#pragma once

#include <cstdint>
#include <string>

#include "imagelib/vuImage.h"

// PSNR in dB of `decoded` against `original` (infinity when equal): 16-bit pictures of the same
// format over their samples against the top of the original's significant bits, everything else
// over its 8-bit red, green and blue. -1 when the two differ in size or cannot be compared.
double PictureSnr(vuImage& original, vuImage& decoded);

// Bytes of the picture's samples without any compression (width x height x bytes per pixel).
int64_t RawPictureBytes(const vuImage& image);

// "18160 bytes, ratio 14.44:1, 0.554 bits per pixel[, PSNR 32.10 dB][, quality 50]".
std::string FiguresText(int64_t fileBytes, const vuImage& image, double psnr, int quality);

// A number of bytes for people: "934 bytes", "18.2 kB", "5.9 MB".
std::string ByteCount(int64_t bytes);
