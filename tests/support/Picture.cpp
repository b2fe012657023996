#include "support/Picture.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <sstream>

namespace vutest {

namespace {

bool IsWideFormat(vuBMFormat format) {
  return format == BM_48BIT || format == BM_16BIT_GRAY;
}

std::string ShapeOf(const Picture& p) {
  return std::to_string(p.width) + "x" + std::to_string(p.height) + "x" +
         std::to_string(p.channels) + (p.Wide() ? " 16-bit" : " 8-bit");
}

} // namespace

Picture PictureOf(vuImage& image) {
  Picture p;
  if (!image.header) return p;
  p.width = image.Width();
  p.height = image.Height();
  p.channels = 3;
  const bool wide = IsWideFormat(image.format);
  p.maxValue = wide ? 65535 : 255;
  p.samples.reserve(size_t(p.width) * p.height * 3);
  for (int y = p.height - 1; y >= 0; --y) {
    for (int x = 0; x < p.width; ++x) {
      uint16_t pixel[4] = {0, 0, 0, 0};
      if (wide) {
        image.accessor->GetRaw(x, y, pixel);
        if (image.format == BM_16BIT_GRAY) pixel[1] = pixel[2] = pixel[0];
      } else {
        image.accessor->GetRGB(x, y, pixel);
      }
      p.samples.insert(p.samples.end(), pixel, pixel + 3);
    }
  }
  return p;
}

Picture SamplesOf(vuImage& image) {
  Picture p;
  if (!image.header) return p;
  p.width = image.Width();
  p.height = image.Height();
  p.channels = image.accessor->samples;
  p.maxValue = 255;
  if (image.accessor->bitsPerSample >= 16)
    p.maxValue = image.sampleBits > 8 ? (1 << image.sampleBits) - 1 : 65535;
  p.samples.reserve(size_t(p.width) * p.height * p.channels);
  for (int y = p.height - 1; y >= 0; --y) {
    for (int x = 0; x < p.width; ++x) {
      uint16_t pixel[4] = {0, 0, 0, 0};
      image.accessor->GetRaw(x, y, pixel);
      p.samples.insert(p.samples.end(), pixel, pixel + p.channels);
    }
  }
  return p;
}

std::vector<uint8_t> RgbBytesTopDown(vuImage& image) {
  const Picture p = PictureOf(image);
  std::vector<uint8_t> rgb;
  rgb.reserve(p.samples.size());
  for (uint16_t v : p.samples)
    rgb.push_back(static_cast<uint8_t>(p.Wide() ? v >> 8 : v));
  return rgb;
}

Picture LoadPicture(const std::string& path, int* result) {
  vuImageOwner image;
  const int r = image.LoadImage(path.c_str());
  if (result) *result = r;
  if (r != 0) return Picture{};
  return PictureOf(image);
}

Picture AsRgb(const Picture& picture) {
  if (picture.channels != 1) return picture;
  Picture rgb = picture;
  rgb.channels = 3;
  rgb.samples.clear();
  rgb.samples.reserve(picture.samples.size() * 3);
  for (uint16_t v : picture.samples)
    rgb.samples.insert(rgb.samples.end(), {v, v, v});
  return rgb;
}

Picture Crop(const Picture& picture, int x0, int y0, int width, int height) {
  Picture crop = picture;
  crop.width = width;
  crop.height = height;
  crop.samples.clear();
  crop.samples.reserve(size_t(width) * height * picture.channels);
  for (int y = y0; y < y0 + height; ++y)
    for (int x = x0; x < x0 + width; ++x)
      for (int c = 0; c < picture.channels; ++c)
        crop.samples.push_back(picture.At(x, y, c));
  return crop;
}

bool ParsePnm(const std::vector<uint8_t>& bytes, Picture* picture) {
  size_t pos = 0;
  auto skipSpace = [&] {
    while (pos < bytes.size()) {
      if (bytes[pos] == '#') {
        while (pos < bytes.size() && bytes[pos] != '\n')
          ++pos;
      } else if (std::isspace(bytes[pos])) {
        ++pos;
      } else {
        break;
      }
    }
  };
  auto number = [&]() -> long {
    skipSpace();
    long value = 0;
    bool any = false;
    while (pos < bytes.size() && std::isdigit(bytes[pos]) && value < 1000000) {
      value = value * 10 + (bytes[pos++] - '0');
      any = true;
    }
    return any ? value : -1;
  };
  if (bytes.size() < 2 || bytes[0] != 'P' || (bytes[1] != '5' && bytes[1] != '6')) return false;
  pos = 2;
  Picture p;
  p.channels = bytes[1] == '6' ? 3 : 1;
  p.width = static_cast<int>(number());
  p.height = static_cast<int>(number());
  p.maxValue = static_cast<int>(number());
  if (p.width <= 0 || p.height <= 0 || p.maxValue <= 0 || p.maxValue > 65535) return false;
  ++pos; // the one blank after the maximum value
  const int bytesPerSample = p.maxValue > 255 ? 2 : 1;
  const size_t count = size_t(p.width) * p.height * p.channels;
  if (bytes.size() < pos + count * bytesPerSample) return false;
  p.samples.resize(count);
  for (size_t i = 0; i < count; ++i) {
    p.samples[i] = bytesPerSample == 2
                       ? uint16_t((bytes[pos + 2 * i] << 8) | bytes[pos + 2 * i + 1])
                       : bytes[pos + i];
  }
  *picture = std::move(p);
  return true;
}

bool ReadPnm(const std::string& path, Picture* picture) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  return ParsePnm(bytes, picture);
}

int MaxDifference(const Picture& a, const Picture& b, std::string* why) {
  if (a.width != b.width || a.height != b.height || a.channels != b.channels ||
      a.Wide() != b.Wide() || a.samples.size() != b.samples.size() || a.Empty()) {
    if (why) *why = "pictures differ in shape: " + ShapeOf(a) + " against " + ShapeOf(b);
    return 1 << 30;
  }
  int worst = 0;
  for (size_t i = 0; i < a.samples.size(); ++i) {
    const int d = std::abs(int(a.samples[i]) - int(b.samples[i]));
    if (d > worst) {
      worst = d;
      if (why) {
        const size_t pixel = i / size_t(a.channels);
        *why = "worst at x " + std::to_string(pixel % a.width) + " y " +
               std::to_string(pixel / a.width) + " channel " +
               std::to_string(i % size_t(a.channels)) + ": " + std::to_string(a.samples[i]) +
               " against " + std::to_string(b.samples[i]);
      }
    }
  }
  return worst;
}

double Psnr(const Picture& a, const Picture& b) {
  if (a.samples.size() != b.samples.size() || a.Empty()) {
    ADD_FAILURE() << "PSNR of pictures of different shapes: " << ShapeOf(a) << " against "
                  << ShapeOf(b);
    return 0;
  }
  double sum = 0;
  for (size_t i = 0; i < a.samples.size(); ++i) {
    const double d = double(a.samples[i]) - double(b.samples[i]);
    sum += d * d;
  }
  if (sum == 0) return std::numeric_limits<double>::infinity();
  const double peak = a.maxValue;
  return 10.0 * std::log10(peak * peak / (sum / double(a.samples.size())));
}

double Psnr(vuImage& a, vuImage& b) {
  return Psnr(SamplesOf(a), SamplesOf(b));
}

bool SamePixels(vuImage& a, vuImage& b, std::string* why) {
  auto fail = [&](const std::string& text) {
    if (why) *why = text;
    return false;
  };
  if (!a.header || !b.header) return fail("empty image");
  if (a.format != b.format)
    return fail("format " + std::to_string(a.format) + " vs " + std::to_string(b.format));
  std::string where;
  if (MaxDifference(SamplesOf(a), SamplesOf(b), &where) != 0) return fail(where);
  return true;
}

void FillPattern(vuImage& image, uint32_t seed) {
  std::mt19937 random(seed);
  const int samples = image.accessor->samples;
  const int bitsPerSample = image.accessor->bitsPerSample;
  uint32_t mask = bitsPerSample >= 16 ? 0xFFFF : (1u << bitsPerSample) - 1;
  const bool indexed = image.format == BM_8BIT_COLOR || image.format == BM_4BIT;
  if (indexed) {
    const int colors = image.Colors();
    if (colors > 0 && static_cast<uint32_t>(colors) <= mask)
      mask = static_cast<uint32_t>(colors - 1);
  }
  std::vector<uint16_t> row(static_cast<size_t>(image.Width()) * samples);
  for (int y = 0; y < image.Height(); ++y) {
    for (auto& value : row)
      value = static_cast<uint16_t>(random() & mask);
    if (indexed) {
      // Keep indexes inside the table even when colours used is not a power of two.
      for (auto& value : row)
        value = static_cast<uint16_t>(value % std::max(1, image.Colors()));
    }
    image.accessor->PutRow(y, row.data());
  }
}

void MakePatternImage(vuImage& image, vuBMFormat format, int width, int height, uint32_t seed) {
  const int colors = format == BM_8BIT_COLOR ? 256 : format == BM_4BIT ? 16 : 0;
  ASSERT_EQ(image.AllocateBitmap(width, height, colors, format), 1);
  for (int i = 0; i < colors; ++i)
    image.palette[i] = vuRGBA{uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 13 + 5), 0};
  FillPattern(image, seed);
  if (IsWideFormat(format)) image.sampleBits = 16;
}

void CropSample(vuImage& crop, const std::string& sample, int x0, int y0, int width, int height) {
  vuImageOwner photo;
  ASSERT_EQ(photo.LoadImage(sample.c_str()), 0) << sample;
  ASSERT_EQ(
      crop.AllocateBitmap(width, height, photo.format == BM_8BIT_GRAY ? 256 : 0, photo.format), 1);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint16_t pixel[4] = {0, 0, 0, 0};
      photo.accessor->GetRaw(x0 + x, y0 + y, pixel);
      crop.accessor->SetRaw(x, y, pixel);
    }
  }
}

} // namespace vutest
