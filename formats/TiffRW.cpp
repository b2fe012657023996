#include "formats/TiffRW.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "formats/vuFileStreams.h"

namespace {

// No single allocation libtiff makes for a file of ours needs more; a hostile directory that
// declares larger strips or tables is refused by libtiff instead of exhausting memory.
constexpr tmsize_t kMaxLibraryAllocation = tmsize_t(256) << 20;

// What libtiff reported during one operation. The first error is kept for the user; warnings
// (unknown tags and the like) are of no interest to someone looking at a picture.
struct TiffMessages {
  std::string firstError;

  void Record(const char* module, const char* format, va_list args) {
    if (!firstError.empty()) return;
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    firstError = module && *module ? std::string(module) + ": " + text : std::string(text);
  }
  void Show() const {
    if (!firstError.empty())
      vuPlatform().MessageBox(firstError.c_str(), "TIFF", VU_MB_OK, VU_ICON_NONE);
  }
};

thread_local TiffMessages* currentMessages = nullptr;

int HandleError(TIFF*, void* user, const char* module, const char* format, va_list args) {
  static_cast<TiffMessages*>(user)->Record(module, format, args);
  return 1; // handled: libtiff must not print it
}

int HandleWarning(TIFF*, void*, const char*, const char*, va_list) {
  return 1;
}

// Messages that libtiff raises without a file handle go to the operation running on this thread.
void HandleGlobalError(const char* module, const char* format, va_list args) {
  if (currentMessages) currentMessages->Record(module, format, args);
}

// One libtiff operation: routes libtiff's messages to `messages` and closes the handle.
class TiffSession {
public:
  TiffSession() : previous_(currentMessages) {
    static std::once_flag once;
    std::call_once(once, [] {
      TIFFSetErrorHandler(HandleGlobalError);
      TIFFSetWarningHandler(nullptr);
    });
    currentMessages = &messages;
  }
  ~TiffSession() {
    Close();
    currentMessages = previous_;
  }
  TiffSession(const TiffSession&) = delete;
  TiffSession& operator=(const TiffSession&) = delete;

  bool Open(const char* fileName, const char* mode) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return false;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxLibraryAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options, HandleError, &messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options, HandleWarning, &messages);
    tif = TIFFOpenExt(fileName, mode, options);
    TIFFOpenOptionsFree(options);
    return tif != nullptr;
  }
  void Close() {
    if (tif) TIFFClose(tif);
    tif = nullptr;
  }

  TIFF* tif = nullptr;
  TiffMessages messages;

private:
  TiffMessages* previous_;
};

struct TiffFields {
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t bitsPerSample = 1;
  uint16_t samplesPerPixel = 1;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  uint16_t orientation = ORIENTATION_TOPLEFT;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint16_t sampleFormat = SAMPLEFORMAT_UINT;
  uint16_t compression = COMPRESSION_NONE;

  int BitsPerPixel() const { return bitsPerSample * samplesPerPixel; }
  // Orientations 5 to 8 store columns as rows: the picture is the file turned on its side.
  bool Transposed() const { return orientation >= ORIENTATION_LEFTTOP; }
  int64_t PictureWidth() const { return Transposed() ? height : width; }
  int64_t PictureHeight() const { return Transposed() ? width : height; }
};

bool ReadFields(TIFF* tif, TiffFields* f) {
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &f->width) ||
      !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &f->height)) {
    return false;
  }
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &f->bitsPerSample);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &f->samplesPerPixel);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &f->planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &f->sampleFormat);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &f->compression);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &f->photometric))
    f->photometric = f->samplesPerPixel >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
  if (!TIFFGetField(tif, TIFFTAG_ORIENTATION, &f->orientation) || f->orientation < 1 ||
      f->orientation > 8) {
    f->orientation = ORIENTATION_TOPLEFT;
  }
  return true;
}

// The layouts the scanline path stores directly; everything else goes through libtiff's RGBA
// interface.
bool ScanlineLayout(const TiffFields& f) {
  if (f.sampleFormat != SAMPLEFORMAT_UINT) return false;
  if (f.samplesPerPixel == 1) {
    switch (f.bitsPerSample) {
    case 1:
      return f.photometric == PHOTOMETRIC_MINISWHITE || f.photometric == PHOTOMETRIC_MINISBLACK;
    case 8:
      return f.photometric == PHOTOMETRIC_MINISWHITE || f.photometric == PHOTOMETRIC_MINISBLACK ||
             f.photometric == PHOTOMETRIC_PALETTE || f.photometric == PHOTOMETRIC_YCBCR;
    case 16:
      return f.photometric == PHOTOMETRIC_MINISWHITE || f.photometric == PHOTOMETRIC_MINISBLACK ||
             f.photometric == PHOTOMETRIC_YCBCR;
    default:
      return false;
    }
  }
  return f.samplesPerPixel == 3 && f.planar == PLANARCONFIG_CONTIG &&
         f.photometric == PHOTOMETRIC_RGB && (f.bitsPerSample == 8 || f.bitsPerSample == 16);
}

// Puts the rows of a file into the picture as its orientation says.
class OrientedPlacer {
public:
  OrientedPlacer(vuImage* image, const TiffFields& f, int samples)
      : image_(image), orientation_(f.orientation), fileWidth_(static_cast<int>(f.width)),
        fileHeight_(static_cast<int>(f.height)), samples_(samples) {}

  // `values`: file row `fileRow` as PutRow takes it (samples in memory order).
  void PlaceRow(int fileRow, std::vector<uint16_t>& values) {
    int pictureHeight = image_->Height();
    if (orientation_ < ORIENTATION_LEFTTOP) {
      if (orientation_ == ORIENTATION_TOPRIGHT || orientation_ == ORIENTATION_BOTRIGHT) {
        for (int left = 0, right = fileWidth_ - 1; left < right; ++left, --right) {
          std::swap_ranges(values.begin() + left * samples_, values.begin() + (left + 1) * samples_,
                           values.begin() + right * samples_);
        }
      }
      bool bottomFirst =
          orientation_ == ORIENTATION_BOTRIGHT || orientation_ == ORIENTATION_BOTLEFT;
      int top = bottomFirst ? fileHeight_ - 1 - fileRow : fileRow;
      image_->accessor->PutRow(pictureHeight - 1 - top, values.data());
      return;
    }
    // Rows are columns: row 0 is the left (5, 8) or right (6, 7) edge, column 0 the top (5, 6)
    // or bottom (7, 8) edge.
    int x = orientation_ == ORIENTATION_LEFTTOP || orientation_ == ORIENTATION_LEFTBOT
                ? fileRow
                : fileHeight_ - 1 - fileRow;
    bool columnZeroOnTop =
        orientation_ == ORIENTATION_LEFTTOP || orientation_ == ORIENTATION_RIGHTTOP;
    for (int column = 0; column < fileWidth_; ++column) {
      int top = columnZeroOnTop ? column : fileWidth_ - 1 - column;
      uint16_t pixel[4] = {0, 0, 0, 0};
      if (samples_ == 3) { // memory order blue, green, red to the record's red, green, blue
        pixel[0] = values[3 * column + 2];
        pixel[1] = values[3 * column + 1];
        pixel[2] = values[3 * column];
      } else {
        pixel[0] = values[column];
      }
      image_->accessor->SetRaw(x, pictureHeight - 1 - top, pixel);
    }
  }

private:
  vuImage* image_;
  int orientation_;
  int fileWidth_;
  int fileHeight_;
  int samples_;
};

void SetGreyRamp(vuImage* image) {
  for (int i = 0; i < 256; ++i) {
    auto v = static_cast<uint8_t>(i);
    image->palette[i] = vuRGBA{v, v, v, 0};
  }
}

// Colour maps hold 16-bit values: maps of 8-bit values (all below 256) give their low byte,
// 16-bit maps (257 x v, 256 x v or anything else) their high byte.
void SetColorMap(TIFF* tif, vuImage* image) {
  uint16_t* red = nullptr;
  uint16_t* green = nullptr;
  uint16_t* blue = nullptr;
  if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue) {
    SetGreyRamp(image);
    return;
  }
  bool eightBit = true;
  for (int i = 0; i < 256 && eightBit; ++i)
    eightBit = red[i] < 256 && green[i] < 256 && blue[i] < 256;
  int shift = eightBit ? 0 : 8;
  for (int i = 0; i < 256; ++i) {
    image->palette[i] =
        vuRGBA{static_cast<uint8_t>(blue[i] >> shift), static_cast<uint8_t>(green[i] >> shift),
               static_cast<uint8_t>(red[i] >> shift), 0};
  }
}

// Converts one scanline into PutRow values (memory order) by photometric and depth.
void ConvertScanline(const TiffFields& f, const uint8_t* line, std::vector<uint16_t>& values,
                     uint32_t* orOfValues) {
  int width = static_cast<int>(f.width);
  int bpp = f.BitsPerPixel();
  auto sample16 = [line](int64_t index) {
    uint16_t v;
    std::memcpy(&v, line + 2 * index, 2);
    return v;
  };
  if (bpp == 1) {
    bool setIsOne = f.photometric == PHOTOMETRIC_MINISWHITE; // a set bit is black, index 1
    for (int x = 0; x < width; ++x) {
      bool set = (line[x >> 3] >> (7 - (x & 7))) & 1;
      values[x] = set == setIsOne ? 1 : 0;
    }
  } else if (bpp == 8) {
    bool invert = f.photometric == PHOTOMETRIC_MINISWHITE;
    for (int x = 0; x < width; ++x)
      values[x] = invert ? uint16_t(255 - line[x]) : line[x];
  } else if (bpp == 16) {
    for (int x = 0; x < width; ++x) {
      uint16_t v = sample16(x);
      if (f.photometric == PHOTOMETRIC_MINISWHITE) *orOfValues |= v;
      values[x] = f.photometric == PHOTOMETRIC_YCBCR ? static_cast<uint16_t>(1023 - v) : v;
    }
  } else if (bpp == 24) {
    for (int x = 0; x < width; ++x) {
      values[3 * x] = line[3 * x + 2];
      values[3 * x + 1] = line[3 * x + 1];
      values[3 * x + 2] = line[3 * x];
    }
  } else { // 48
    for (int x = 0; x < width; ++x) {
      values[3 * x] = sample16(3 * x + 2);
      values[3 * x + 1] = sample16(3 * x + 1);
      values[3 * x + 2] = sample16(3 * x);
    }
  }
}

// Min-is-white 16-bit files: the significant bits are those the samples use; the samples are
// inverted within that range.
void InvertMinIsWhite16(vuImage* image, uint32_t orOfValues) {
  int bits = 16;
  for (int bit = 15; bit >= 1; --bit) {
    if (orOfValues & (1u << bit)) {
      bits = bit + 1;
      break;
    }
  }
  image->sampleBits = bits;
  uint32_t top = (1u << bits) - 1;
  for (int y = 0; y < image->Height(); ++y) {
    auto* row = reinterpret_cast<uint16_t*>(image->Row(y));
    for (int x = 0; x < image->Width(); ++x)
      row[x] = static_cast<uint16_t>(top - row[x]);
  }
}

int ReadScanlines(TiffSession& session, const TiffFields& f, vuImage* image, std::string* damage) {
  int bpp = f.BitsPerPixel();
  vuBMFormat format;
  int colors = 0;
  switch (bpp) {
  case 1:
    format = BM_1BIT;
    colors = 2;
    break;
  case 8:
    format = BM_8BIT_COLOR;
    colors = 256;
    break;
  case 16:
    format = BM_16BIT_GRAY;
    break;
  case 24:
    format = BM_24BIT;
    break;
  default:
    format = BM_48BIT;
    break;
  }
  if (!BitmapAccessor::FitsModel(f.PictureWidth(), f.PictureHeight(), bpp)) return -2;
  tmsize_t lineSize = TIFFScanlineSize(session.tif);
  if (lineSize <= 0 || (int64_t(f.width) * bpp + 7) / 8 > lineSize) return -2;
  std::vector<uint8_t> line(static_cast<size_t>(lineSize));
  std::vector<uint16_t> values(size_t(f.width) * f.samplesPerPixel);

  if (!image->AllocateBitmap(static_cast<int>(f.PictureWidth()),
                             static_cast<int>(f.PictureHeight()), colors, format)) {
    return -3;
  }
  if (bpp == 8) {
    if (f.photometric == PHOTOMETRIC_PALETTE)
      SetColorMap(session.tif, image);
    else if (f.photometric != PHOTOMETRIC_MINISWHITE)
      SetGreyRamp(image);
  }
  image->sampleBits = bpp == 16 || bpp == 48 ? 16 : 0;

  OrientedPlacer placer(image, f, f.samplesPerPixel);
  uint32_t orOfValues = 0;
  uint32_t rowsRead = 0;
  for (; rowsRead < f.height; ++rowsRead) {
    if (TIFFReadScanline(session.tif, line.data(), rowsRead, 0) < 0) break;
    ConvertScanline(f, line.data(), values, &orOfValues);
    placer.PlaceRow(static_cast<int>(rowsRead), values);
  }
  if (rowsRead == 0) {
    image->Delete();
    session.messages.Show();
    return -2;
  }
  // A damaged strip part-way down keeps the rows before it, with libtiff's word on why.
  if (rowsRead < f.height) {
    session.messages.Show();
    *damage = vuDataEndsInRow(rowsRead + 1, f.height);
  }
  if (bpp == 16 && f.photometric == PHOTOMETRIC_MINISWHITE) InvertMinIsWhite16(image, orOfValues);
  return 0;
}

// Any layout libtiff can decode (tiles, separate planes, YCbCr, CMYK, other depths, alpha):
// into 24-bit colour, transparent parts on white.
int ReadThroughRgba(TiffSession& session, const TiffFields& f, vuImage* image) {
  char reason[1024] = "";
  TIFFRGBAImage rgba;
  if (!TIFFRGBAImageOK(session.tif, reason) || !TIFFRGBAImageBegin(&rgba, session.tif, 1, reason)) {
    vuPlatform().MessageBox("Bits Per Pixel Not Supported", "Info", VU_MB_OK, VU_ICON_NONE);
    return -2;
  }
  // The raster comes in file order; rows are placed by the file's orientation like scanlines.
  rgba.req_orientation = rgba.orientation;
  int result = 0;
  if (!BitmapAccessor::FitsModel(f.PictureWidth(), f.PictureHeight(), 24) ||
      int64_t(f.width) * f.height * 4 > kMaxBitmapBlockBytes) {
    result = -2;
  } else {
    std::vector<uint32_t> raster(size_t(f.width) * f.height);
    if (!TIFFRGBAImageGet(&rgba, raster.data(), f.width, f.height)) {
      session.messages.Show();
      result = -2;
    } else if (!image->AllocateBitmap(static_cast<int>(f.PictureWidth()),
                                      static_cast<int>(f.PictureHeight()), 0, BM_24BIT)) {
      result = -3;
    } else {
      image->sampleBits = 0;
      // libtiff multiplies colour by unassociated alpha, except in grey files.
      bool greyPhotometric =
          f.photometric == PHOTOMETRIC_MINISBLACK || f.photometric == PHOTOMETRIC_MINISWHITE;
      bool multiply = greyPhotometric && rgba.alpha == EXTRASAMPLE_UNASSALPHA;
      OrientedPlacer placer(image, f, 3);
      std::vector<uint16_t> values(size_t(f.width) * 3);
      for (uint32_t r = 0; r < f.height; ++r) {
        const uint32_t* pixels = raster.data() + size_t(r) * f.width;
        for (uint32_t x = 0; x < f.width; ++x) {
          // Colour multiplied by alpha plus the rest of white composites on white.
          uint32_t p = pixels[x];
          uint32_t alpha = TIFFGetA(p);
          uint32_t rest = 255 - alpha;
          uint32_t channels[3] = {TIFFGetB(p), TIFFGetG(p), TIFFGetR(p)};
          for (int k = 0; k < 3; ++k) {
            uint32_t c = multiply ? (channels[k] * alpha + 127) / 255 : channels[k];
            values[3 * x + k] = static_cast<uint16_t>(std::min<uint32_t>(255, c + rest));
          }
        }
        placer.PlaceRow(static_cast<int>(r), values);
      }
    }
  }
  TIFFRGBAImageEnd(&rgba);
  return result;
}

int ReadTiff(const char* fileName, int* count, vuImage* image, std::string* damage) {
  int64_t fileSize;
  {
    vuInputFile probe(fileName);
    if (!probe) return -1;
    fileSize = vuFileSize(probe.get());
  }
  TiffSession session;
  TiffFields f;
  if (!session.Open(fileName, "r") || !ReadFields(session.tif, &f)) {
    session.messages.Show();
    return -2;
  }
  bool scanline =
      !TIFFIsTiled(session.tif) && ScanlineLayout(f) && TIFFIsCODECConfigured(f.compression);
  int result =
      scanline ? ReadScanlines(session, f, image, damage) : ReadThroughRgba(session, f, image);
  if (result == 0 && count) *count = static_cast<int>(std::min<int64_t>(fileSize, INT32_MAX));
  return result;
}

// How an image format is stored.
struct WriteLayout {
  uint16_t samples;
  uint16_t bitsPerSample;
  uint16_t photometric;
  int64_t rowBytes; // as the strip size is computed
};

bool PaletteIsGrey(const vuImage& image) {
  for (int i = 0; i < image.Colors() && i < 256; ++i) {
    const vuRGBA& c = image.palette[i];
    if (c.red != c.green || c.green != c.blue) return false;
  }
  return true;
}

bool ChooseLayout(const vuImage& image, WriteLayout* layout) {
  int64_t width = image.Width();
  switch (image.format) {
  case BM_1BIT:
    *layout = {1, 1, PHOTOMETRIC_MINISWHITE, (width + 7) / 8};
    return true;
  case BM_24BIT:
  case BM_32BIT: // the fourth byte is not part of the picture
    *layout = {3, 8, PHOTOMETRIC_RGB, 3 * width};
    return true;
  case BM_8BIT_COLOR:
    *layout = {1, 8, uint16_t(PaletteIsGrey(image) ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE),
               width};
    return true;
  case BM_8BIT_GRAY:
    *layout = {1, 8, PHOTOMETRIC_MINISBLACK, width};
    return true;
  case BM_48BIT:
    *layout = {3, 16, PHOTOMETRIC_RGB, 2 * width};
    return true;
  case BM_16BIT_GRAY:
    *layout = {1, 16, PHOTOMETRIC_MINISBLACK, 2 * width};
    return true;
  default:
    return false;
  }
}

// Fills the scanline of stored row `y`.
void FillScanline(vuImage& image, const WriteLayout& layout, int y, uint8_t* line) {
  int width = image.Width();
  uint16_t pixel[4];
  BitmapAccessor* accessor = image.accessor;
  if (layout.bitsPerSample == 1) {
    std::memset(line, 0, static_cast<size_t>(layout.rowBytes));
    for (int x = 0; x < width; ++x) {
      accessor->GetRaw(x, y, pixel);
      if (pixel[0] == 1) line[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
    return;
  }
  for (int x = 0; x < width; ++x) {
    accessor->GetRaw(x, y, pixel);
    if (layout.samples == 3 && layout.bitsPerSample == 8) {
      for (int k = 0; k < 3; ++k)
        line[3 * x + k] = static_cast<uint8_t>(pixel[k]);
    } else if (layout.samples == 3) {
      std::memcpy(line + 6 * x, pixel, 6);
    } else if (layout.bitsPerSample == 16) {
      std::memcpy(line + 2 * x, pixel, 2);
    } else if (image.format == BM_8BIT_COLOR && layout.photometric == PHOTOMETRIC_MINISBLACK &&
               pixel[0] < image.Colors()) {
      // A grey colour table need not be the identity ramp: store the grey each index shows.
      line[x] = image.palette[pixel[0]].red;
    } else {
      line[x] = static_cast<uint8_t>(pixel[0]);
    }
  }
}

int WriteTiff(const char* fileName, vuImage& image) {
  WriteLayout layout;
  if (!image.header || !image.accessor || !ChooseLayout(image, &layout)) return -1;
  TiffSession session;
  if (!session.Open(fileName, "w")) {
    vuPlatform().MessageBox("Bad TIFF", "Info", VU_MB_OK, VU_ICON_NONE);
    return -1;
  }
  TIFF* tif = session.tif;
  auto check = [](int ok, const char* text) {
    if (!ok) vuPlatform().MessageBox(text, "TIFF", VU_MB_OK, VU_ICON_NONE);
  };
  auto width = static_cast<uint32_t>(image.Width());
  auto height = static_cast<uint32_t>(image.Height());
  check(TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width), "Error Setting Width");
  check(TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height), "Error Setting Height");
  check(TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, layout.bitsPerSample),
        "Error Setting Bits Per Sample");
  // Rows go out top row first: readers that ignore the orientation field (most do) still show
  // the picture the right way up.
  check(TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT), "Error Setting Orientation");
  check(TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE), "Error Setting compresssion");
  check(TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, layout.photometric), "Error Setting Photometric");
  check(TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB), "Error Setting FilleOrder");
  check(TIFFSetField(tif, TIFFTAG_DOCUMENTNAME, "TIFFTEST"), "Error Setting Name");
  check(TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, "Created By the Tessary"),
        "Error Setting Description");
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, layout.samples);
  auto rowsPerStrip = static_cast<uint32_t>(std::max<int64_t>(1, 8 * width / layout.rowBytes));
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  if (layout.photometric == PHOTOMETRIC_PALETTE) {
    // 257 x v: readers that scale the map to 8 bits see the true colours, and the low byte
    // still holds v.
    std::vector<uint16_t> red(256, 0), green(256, 0), blue(256, 0);
    for (int i = 0; i < image.Colors() && i < 256; ++i) {
      red[i] = static_cast<uint16_t>(257 * image.palette[i].red);
      green[i] = static_cast<uint16_t>(257 * image.palette[i].green);
      blue[i] = static_cast<uint16_t>(257 * image.palette[i].blue);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
  }

  tmsize_t lineSize = TIFFScanlineSize(tif);
  bool failed = lineSize <= 0;
  std::vector<uint8_t> line(failed ? 0 : static_cast<size_t>(lineSize) + 8);
  for (uint32_t r = 0; r < height && !failed; ++r) {
    FillScanline(image, layout, static_cast<int>(height - 1 - r), line.data());
    if (TIFFWriteScanline(tif, line.data(), r, 0) < 0) {
      vuPlatform().MessageBox("Could Not Write", "Info", VU_MB_OK, VU_ICON_NONE);
      failed = true;
    }
  }
  if (!failed && TIFFFlush(tif) != 1) failed = true;
  session.Close();
  if (failed) {
    std::remove(fileName);
    return -1;
  }
  return 0;
}

} // namespace

int TiffRW::Read(const char* fileName, int* count, vuBitmapInfoHeader**, vuRGBA**, uint8_t**,
                 void*) {
  try {
    return ReadTiff(fileName, count, image, &damage);
  } catch (const std::bad_alloc&) {
    return -3;
  }
}

int TiffRW::Write(const char* fileName, vuBitmapInfoHeader*, vuRGBA*, uint8_t*, void*) {
  try {
    return WriteTiff(fileName, *image);
  } catch (const std::bad_alloc&) {
    vuPlatform().MessageBox("Memory Error", "Info", VU_MB_OK, VU_ICON_NONE);
    std::remove(fileName);
    return -1;
  }
}

int TiffRW::GetInfo(const char* fileName, vuFileInfo* info) {
  int64_t fileSize;
  {
    vuInputFile probe(fileName);
    if (!probe) return -1;
    fileSize = vuFileSize(probe.get());
  }
  TiffSession session;
  TiffFields f;
  if (!session.Open(fileName, "r") || !ReadFields(session.tif, &f)) return -2;
  info->width = static_cast<uint16_t>(f.PictureWidth());
  info->height = static_cast<uint16_t>(f.PictureHeight());
  info->bitsPerPixel = static_cast<uint8_t>(std::min(f.BitsPerPixel(), 255));
  info->fileSize = static_cast<uint32_t>(fileSize);
  return 0;
}
