#include "cli/ImageTools.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "imagelib/vuImageFilters.h"
#include "imagelib/vuImageOwner.h"
#include "quantize/vuQuantizer.h"

namespace {

bool ParseNumber(const std::string& text, int* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < -1000000 || v > 1000000) return false;
  *value = static_cast<int>(v);
  return true;
}

bool Gray(vuImage& image, std::string* error) {
  // Palette images go through their table's grey; colour through the luminance weights.
  int result;
  if (image.format == BM_8BIT_GRAY) return true;
  if (image.Depth() == 24)
    result = image.Make8Bit();
  else
    result = image.MakeGS();
  if (result < 0) {
    *error = "cannot convert to grey";
    return false;
  }
  return true;
}

bool Rgb(vuImage& image, std::string* error) {
  if (image.format == BM_24BIT) return true;
  if (image.MakeRGB() < 0) {
    *error = "cannot convert to 24-bit colour";
    return false;
  }
  return true;
}

bool ParseColors(const std::string& value, const Options& options, int* countOut,
                 vuColorReduction* methodOut, std::string* error) {
  int count = 0;
  if (!ParseNumber(value, &count) || count < 1 || count > 256) {
    *error = "--colors takes a number of colours 1..256, not \"" + value + "\"";
    return false;
  }
  vuColorReduction method;
  if (options.reduce == "median-cut") {
    method = CR_MEDIAN_CUT;
  } else if (options.reduce == "best") {
    method = CR_BEST_QUANT;
  } else if (options.reduce == "fast") {
    method = CR_FAST_QUANT;
    if (count != 256) {
      *error = "--reduce fast always makes its fixed table of 256 colours; use --colors 256";
      return false;
    }
  } else {
    *error = "--reduce takes median-cut, best or fast, not \"" + options.reduce + "\"";
    return false;
  }
  *countOut = count;
  *methodOut = method;
  return true;
}

bool Colors(vuImage& image, const std::string& value, const Options& options, std::string* error) {
  int count = 0;
  vuColorReduction method = CR_MEDIAN_CUT;
  if (!ParseColors(value, options, &count, &method, error)) return false;
  vuQuantizer quantizer;
  vuImagePtr reduced(quantizer.Quantize(&image, image.Width(), image.Height(), count, method));
  if (!reduced || !reduced->header) {
    *error = "out of memory for the colour reduction";
    return false;
  }
  image.Adopt(*reduced);
  return true;
}

// Quarter turns clockwise (0..3) for an angle in degrees.
bool ParseRotate(const std::string& value, int* quarters, std::string* error) {
  int angle = 0;
  if (!ParseNumber(value, &angle) || angle % 90 != 0 || angle == 0 || angle < -270 || angle > 270) {
    *error = "--rotate takes 90 (clockwise), 180, 270 or -90, not \"" + value + "\"";
    return false;
  }
  *quarters = (angle / 90 + 4) % 4;
  return true;
}

bool Rotate(vuImage& image, const std::string& value, std::string* error) {
  int quarters = 0;
  if (!ParseRotate(value, &quarters, error)) return false;
  // Half a turn is both mirrors; three quarters one quarter the other way.
  bool done = quarters == 2 ? image.Flip(1) == 1 && image.Flip(0) == 1
                            : image.Rotate(quarters == 1 ? 90 : -90) == 1;
  if (!done) {
    *error = "out of memory for the rotation";
    return false;
  }
  return true;
}

bool ParseFlip(const std::string& value, std::string* error) {
  if (value != "h" && value != "v") {
    *error = "--flip takes h (left-right) or v (top-bottom), not \"" + value + "\"";
    return false;
  }
  return true;
}

bool Flip(vuImage& image, const std::string& value, std::string* error) {
  if (!ParseFlip(value, error)) return false;
  image.Flip(value == "h" ? 1 : 0);
  return true;
}

bool ParseCrop(const std::string& value, int* numbers, std::string* error) {
  size_t start = 0;
  bool good = true;
  for (int i = 0; i < 4 && good; ++i) {
    size_t comma = value.find(',', start);
    if ((i < 3) != (comma != std::string::npos)) good = false;
    std::string part = value.substr(start, i < 3 ? comma - start : std::string::npos);
    good = good && ParseNumber(part, &numbers[i]);
    start = comma + 1;
  }
  if (!good) {
    *error = "--crop takes X,Y,W,H, not \"" + value + "\"";
    return false;
  }
  return true;
}

bool Crop(vuImage& image, const std::string& value, std::string* error) {
  int numbers[4];
  if (!ParseCrop(value, numbers, error)) return false;
  const int x = numbers[0], y = numbers[1], w = numbers[2], h = numbers[3];
  const int width = image.Width(), height = image.Height();
  if (x < 0 || y < 0 || w < 1 || h < 1 || int64_t(x) + w > width || int64_t(y) + h > height) {
    *error = "the crop rectangle " + value + " does not lie inside the " + std::to_string(width) +
             " x " + std::to_string(height) + " image";
    return false;
  }
  // The user counts rows from the top; the image counts them from the bottom.
  vuImageOwner part;
  int result = image.SubImage(&part, x, height - y - h, w, h);
  if (result != 1) {
    *error = "out of memory for the crop";
    return false;
  }
  image.Adopt(part);
  return true;
}

// True when an 8-bit image's table is the identity grey ramp, so that its bytes are grey levels.
bool HoldsGreyLevels(const vuImage& image) {
  const int entries = std::min(image.Colors(), image.TableEntries());
  for (int i = 0; i < entries; ++i) {
    const vuRGBA& e = image.palette[i];
    if (e.red != i || e.green != i || e.blue != i) return false;
  }
  return true;
}

bool ParseFilter(const std::string& value, int* indexOut, std::string* error) {
  int index = vuFilterIndex(value.c_str());
  if (index < 0 && (!ParseNumber(value, &index) || index < 0 || index >= vuFilterKernelCount)) {
    std::string names;
    for (const char* name : vuFilterNames)
      names += std::string(names.empty() ? "" : ", ") + "\"" + name + "\"";
    *error = "--filter takes one of " + names + ", or an index 0.." +
             std::to_string(vuFilterKernelCount - 1) + ", not \"" + value + "\"";
    return false;
  }
  *indexOut = index;
  return true;
}

bool Filter(vuImage& image, const std::string& value, std::string* error) {
  int index = 0;
  if (!ParseFilter(value, &index, error)) return false;
  const int depth = image.Depth();
  if (depth != 8 && depth != 24) {
    *error = "filters work on 8-bit and 24-bit images; use --gray or --rgb first";
    return false;
  }
  // The filter works on the stored bytes: make them grey levels, or refuse palette colours.
  if (depth == 8 && !HoldsGreyLevels(image)) {
    if (!image.IsGrayScale()) {
      *error = "filtering a palette image would mix its colour indexes; use --rgb first";
      return false;
    }
    if (image.MakeLinearGray() != 1) {
      *error = "out of memory for the filter";
      return false;
    }
  }
  if (image.Filter(index) != 1) {
    *error = "out of memory for the filter";
    return false;
  }
  return true;
}

// --resize WxH (either number may be left out to keep the proportions) or --scale PERCENT: the
// new width and height for a picture of the given size, or false with the reason.
bool ParseSize(const std::string& name, const std::string& value, int width, int height,
               int* newWidth, int* newHeight, std::string* error) {
  if (name == "scale") {
    int percent = 0;
    if (!ParseNumber(value, &percent) || percent < 1 || percent > 1000) {
      *error = "--scale takes a percentage 1..1000, not \"" + value + "\"";
      return false;
    }
    *newWidth = std::max(1, static_cast<int>((int64_t(width) * percent + 50) / 100));
    *newHeight = std::max(1, static_cast<int>((int64_t(height) * percent + 50) / 100));
    return true;
  }
  size_t x = value.find_first_of("xX");
  int w = 0, h = 0;
  bool good = x != std::string::npos && x + 1 <= value.size();
  if (good) {
    std::string a = value.substr(0, x), b = value.substr(x + 1);
    good = (!a.empty() || !b.empty()) &&
           (a.empty() || (ParseNumber(a, &w) && w >= 1 && w <= 65535)) &&
           (b.empty() || (ParseNumber(b, &h) && h >= 1 && h <= 65535));
  }
  if (!good) {
    *error =
        "--resize takes WIDTHxHEIGHT (1..65535 each; one may be left out), not \"" + value + "\"";
    return false;
  }
  *newWidth = w ? w : std::max(1, static_cast<int>((int64_t(width) * h + height / 2) / height));
  *newHeight = h ? h : std::max(1, static_cast<int>((int64_t(height) * w + width / 2) / width));
  return true;
}

bool Resize(vuImage& image, const std::string& name, const std::string& value, std::string* error) {
  int width = 0, height = 0;
  if (!ParseSize(name, value, image.Width(), image.Height(), &width, &height, error)) return false;
  // Resampling mixes neighbouring pixels, which colour indexes cannot be: palette and 1-bit
  // pictures become grey or 24-bit colour first.
  if (image.format == BM_1BIT || image.format == BM_4BIT || image.format == BM_8BIT_COLOR ||
      image.format == BM_16BIT_COLOR) {
    int converted =
        image.IsGrayScale() && image.format != BM_16BIT_COLOR ? image.MakeGS() : image.MakeRGB();
    if (converted < 0) {
      *error = "cannot convert the picture for --" + name;
      return false;
    }
  }
  int result = image.Resample(width, height);
  if (result != 1) {
    *error = result == -3 ? "out of memory for --" + name + " to " + std::to_string(width) + " x " +
                                std::to_string(height)
                          : "--" + name + " cannot resample this picture";
    return false;
  }
  return true;
}

// Brightness and contrast change a colour table; the pixels then take the new table.
bool ParseTone(const std::string& name, const std::string& value, int* amount, std::string* error) {
  if (!ParseNumber(value, amount) || *amount < -100 || *amount > 100) {
    *error = "--" + name + " takes a number -100..100, not \"" + value + "\"";
    return false;
  }
  return true;
}

// 24- and 32-bit colour: the tone curve of the colour tables, on each channel of each pixel
// through a table of the 256 values.
void ToneChannels(vuImage& image, int amount, bool brightness) {
  uint8_t curve[256];
  for (int c = 0; c < 256; ++c)
    curve[c] =
        static_cast<uint8_t>(brightness ? vuToneBrightness(c, amount) : vuToneContrast(c, amount));
  const int bytesPerPixel = image.Depth() / 8;
  for (int y = 0; y < image.Height(); ++y) {
    uint8_t* row = image.Row(y);
    for (int x = 0; x < image.Width(); ++x) {
      uint8_t* pixel = row + int64_t(x) * bytesPerPixel;
      for (int k = 0; k < 3; ++k)
        pixel[k] = curve[pixel[k]];
    }
  }
}

bool Tone(vuImage& image, const std::string& name, const std::string& value, std::string* error) {
  int amount = 0;
  if (!ParseTone(name, value, &amount, error)) return false;
  if (image.format == BM_24BIT || image.format == BM_32BIT) {
    ToneChannels(image, amount, name == "brightness");
    return true;
  }
  if (image.Depth() > 8 || image.TableEntries() == 0) {
    *error = "--" + name + " works on 8-bit samples; use --rgb or --gray first";
    return false;
  }
  // A grey image with a short table may hold grey levels the table does not reach.
  if (image.Depth() == 8 && image.IsGrayScale() && image.Colors() < 256 &&
      image.MakeLinearGray() != 1) {
    *error = "out of memory for --" + name;
    return false;
  }
  const int entries = std::min(image.Colors(), image.TableEntries());
  std::vector<vuRGBA> saved(image.palette, image.palette + entries);
  if (name == "brightness")
    image.Brightness(saved.data(), amount);
  else
    image.Contrast(saved.data(), amount);
  image.ApplyColorMap();
  return true;
}

} // namespace

bool CheckImageTools(const Options& options, std::string* error) {
  for (const ImageToolRequest& tool : options.tools) {
    int number = 0, numbers[4];
    vuColorReduction method;
    bool good = true;
    if (tool.name == "colors")
      good = ParseColors(tool.value, options, &number, &method, error);
    else if (tool.name == "rotate")
      good = ParseRotate(tool.value, &number, error);
    else if (tool.name == "flip")
      good = ParseFlip(tool.value, error);
    else if (tool.name == "crop")
      good = ParseCrop(tool.value, numbers, error);
    else if (tool.name == "filter")
      good = ParseFilter(tool.value, &number, error);
    else if (tool.name == "brightness" || tool.name == "contrast")
      good = ParseTone(tool.name, tool.value, &number, error);
    else if (tool.name == "resize" || tool.name == "scale")
      good = ParseSize(tool.name, tool.value, 100, 100, &number, &numbers[0], error);
    if (!good) return false;
  }
  return true;
}

bool ApplyImageTool(vuImage& image, const ImageToolRequest& tool, const Options& options,
                    std::string* error) {
  if (tool.name == "gray") return Gray(image, error);
  if (tool.name == "rgb") return Rgb(image, error);
  if (tool.name == "colors") return Colors(image, tool.value, options, error);
  if (tool.name == "rotate") return Rotate(image, tool.value, error);
  if (tool.name == "flip") return Flip(image, tool.value, error);
  if (tool.name == "crop") return Crop(image, tool.value, error);
  if (tool.name == "filter") return Filter(image, tool.value, error);
  if (tool.name == "invert") {
    if (image.format == BM_16BIT_GRAY || image.format == BM_16BIT_COLOR) {
      *error = "--invert does not change 16-bit images; use --gray or --rgb first";
      return false;
    }
    image.InvertColor();
    return true;
  }
  if (tool.name == "brightness" || tool.name == "contrast")
    return Tone(image, tool.name, tool.value, error);
  if (tool.name == "resize" || tool.name == "scale")
    return Resize(image, tool.name, tool.value, error);
  *error = "unknown image tool --" + tool.name;
  return false;
}
