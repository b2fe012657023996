// Pictures as plain samples, made from images, files and test patterns, and their comparison.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imagelib/vuImage.h"
#include "imagelib/vuImageOwner.h"

namespace vutest {

// A picture as plain samples, top row first: one grey channel, or red, green, blue (or as many
// channels as an image stores).
struct Picture {
  int width = 0;
  int height = 0;
  int channels = 1;
  int maxValue = 255; // the largest value a sample can take; PSNR is measured against it
  std::vector<uint16_t> samples;

  bool Empty() const { return samples.empty(); }
  bool Wide() const { return maxValue > 255; }
  // Bits a sample is stored in: 8, or 16 for wide samples.
  int Depth() const { return Wide() ? 16 : 8; }
  uint16_t& At(int x, int y, int c) {
    return samples[(static_cast<size_t>(y) * width + x) * channels + c];
  }
  uint16_t At(int x, int y, int c) const {
    return samples[(static_cast<size_t>(y) * width + x) * channels + c];
  }
};

// What an image shows as red, green, blue: 8-bit formats through their colours, 16-bit formats
// as stored (grey repeated). Empty for an empty image.
Picture PictureOf(vuImage& image);
// The samples the image stores (GetRaw: an index, a grey level or the channels), with the peak of
// 16-bit images taken from their significant bits.
Picture SamplesOf(vuImage& image);
// PictureOf as 8-bit red, green, blue bytes, top row first (16-bit samples by their high bytes).
std::vector<uint8_t> RgbBytesTopDown(vuImage& image);
// Loads a file through LoadImage; `result` gets LoadImage's answer, the picture is empty when it
// failed.
Picture LoadPicture(const std::string& path, int* result = nullptr);
// A grey picture as three channels, so that it compares with colour decodes.
Picture AsRgb(const Picture& picture);

// The width x height part of a picture from column x0 and row y0 (counted from the top).
Picture Crop(const Picture& picture, int x0, int y0, int width, int height);

// Reads a binary PGM or PPM (8- or 16-bit samples) without the library's reader; false when it is
// none.
bool ParsePnm(const std::vector<uint8_t>& bytes, Picture* picture);
bool ReadPnm(const std::string& path, Picture* picture);

// The largest sample difference. Pictures of another size, channel count or sample width give a
// huge value; `why` says where the worst difference lies or how the shapes differ.
int MaxDifference(const Picture& a, const Picture& b, std::string* why = nullptr);
// PSNR in dB against the first picture's peak; infinity when the samples are equal.
double Psnr(const Picture& a, const Picture& b);
// PSNR of the stored samples of two images of equal size and format.
double Psnr(vuImage& a, vuImage& b);
// True when both images have the same format, size and stored samples; on a difference `why` says
// where.
bool SamePixels(vuImage& a, vuImage& b, std::string* why = nullptr);

// Fills an image of any format with a deterministic pattern through its accessor.
void FillPattern(vuImage& image, uint32_t seed = 1);
// Allocates an image of `format` filled with FillPattern; palette formats get a colourful table,
// 16-bit formats all 16 significant bits.
void MakePatternImage(vuImage& image, vuBMFormat format, int width, int height, uint32_t seed = 7);
// A width x height part of a picture file as an image of its own (same format), from column x0
// and row y0 (rows counted from the bottom, as the image model does).
void CropSample(vuImage& crop, const std::string& path, int x0, int y0, int width, int height);

} // namespace vutest
