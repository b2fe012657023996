#include "formats/PngRW.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "formats/vuFileStreams.h"

namespace {

// Text chunks, profiles and the like never need more; larger ones in a hostile file are refused.
constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t(64) << 20;

// libpng's reason for the failure; warnings are not worth a message box.
struct PngMessages {
  std::string error;
  bool quiet = false;
  void Show() const {
    if (!quiet && !error.empty())
      vuPlatform().MessageBox(error.c_str(), "Info", VU_MB_OK, VU_ICON_NONE);
  }
};

void HandleError(png_structp png, png_const_charp message) {
  auto* messages = static_cast<PngMessages*>(png_get_error_ptr(png));
  if (messages && messages->error.empty()) messages->error = message ? message : "PNG error";
  png_longjmp(png, 1);
}

void HandleWarning(png_structp, png_const_charp) {}

// Everything the decoding routine changes lives here, outside the frame that holds the jump
// target, so nothing is lost or left indeterminate when libpng jumps back.
struct PngReadState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngMessages messages;
  std::vector<uint8_t> pixels;
  std::vector<png_bytep> rows;
  ~PngReadState() {
    if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  }
};

inline uint32_t Sample16(const uint8_t* p) {
  return (uint32_t(p[0]) << 8) | p[1];
}

// Colour c with opacity a (of the full value `top`) over white.
inline uint32_t OverWhite(uint32_t c, uint32_t a, uint32_t top) {
  return static_cast<uint32_t>((uint64_t(c) * a + uint64_t(top) * (top - a) + top / 2) / top);
}

// The decoded picture, before it becomes a bitmap.
struct Decoded {
  vuBMFormat format = BM_24BIT;
  int width = 0;
  int height = 0;
  int channels = 0;  // after libpng's transforms
  int depth = 0;     // 8 or 16 (1-bit and palette files: one byte a pixel)
  int colorType = 0; // as in the file
  int sampleBits = 0;
  int colors = 0;
  vuRGBA palette[256] = {};
  bool rowsStarted = false; // the pixel rows are being decoded: an error now leaves a part
};

// Chunks we never use are skipped unread: libpng would otherwise allocate (and clear) as much as
// a text or profile chunk's length says, even when the file ends long before (a benign error
// for libpng, which goes on). The rest may not ask for more than kMaxChunkBytes.
void LimitChunks(png_structp png) {
  static const png_byte kUnused[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0pCAL\0sCAL\0";
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kUnused, 8);
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
}

// 0, 1 when the pixel data is damaged or ends early (the rows decoded so far are kept, the rest
// is 0), -2 when the file is refused.
int DecodePng(FILE* stream, PngReadState* s, Decoded* d) {
  if (setjmp(png_jmpbuf(s->png))) return d->rowsStarted ? 1 : -2;
  png_init_io(s->png, stream);
  LimitChunks(s->png);
  png_read_info(s->png, s->info);
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(s->png, s->info, &width, &height, &bitDepth, &colorType, &interlace, nullptr,
               nullptr);
  bool hasTrns = png_get_valid(s->png, s->info, PNG_INFO_tRNS) != 0;
  d->colorType = colorType;

  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    d->format = BM_8BIT_COLOR;
    png_set_packing(s->png);
    png_colorp entries = nullptr;
    int count = 0;
    if (!png_get_PLTE(s->png, s->info, &entries, &count) || count < 1)
      png_error(s->png, "No palette");
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    if (hasTrns) png_get_tRNS(s->png, s->info, &alpha, &alphaCount, nullptr);
    d->colors = std::min(count, 256);
    for (int i = 0; i < d->colors; ++i) {
      uint32_t a = alpha && i < alphaCount ? alpha[i] : 255;
      d->palette[i] = vuRGBA{static_cast<uint8_t>(OverWhite(entries[i].blue, a, 255)),
                             static_cast<uint8_t>(OverWhite(entries[i].green, a, 255)),
                             static_cast<uint8_t>(OverWhite(entries[i].red, a, 255)), 0};
    }
  } else if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth == 1 && !hasTrns) {
    d->format = BM_1BIT;
    png_set_packing(s->png);
  } else {
    bool grey = (colorType & PNG_COLOR_MASK_COLOR) == 0;
    if (grey && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(s->png);
    if (hasTrns) png_set_tRNS_to_alpha(s->png);
    d->format = grey ? (bitDepth == 16 ? BM_16BIT_GRAY : BM_8BIT_GRAY)
                     : (bitDepth == 16 ? BM_48BIT : BM_24BIT);
    png_color_8p significant = nullptr;
    if (bitDepth == 16 && png_get_sBIT(s->png, s->info, &significant) && significant) {
      int bits = grey ? significant->gray
                      : std::max({significant->red, significant->green, significant->blue});
      if (bits >= 1 && bits < 16) d->sampleBits = bits;
    }
    if (bitDepth == 16 && d->sampleBits == 0) d->sampleBits = 16;
  }
  int bitCount = d->format == BM_1BIT         ? 1
                 : d->format == BM_24BIT      ? 24
                 : d->format == BM_48BIT      ? 48
                 : d->format == BM_16BIT_GRAY ? 16
                                              : 8;
  if (!BitmapAccessor::FitsModel(width, height, bitCount)) png_error(s->png, "Image too large");
  png_set_interlace_handling(s->png);
  png_read_update_info(s->png, s->info);
  d->width = static_cast<int>(width);
  d->height = static_cast<int>(height);
  d->channels = png_get_channels(s->png, s->info);
  d->depth = png_get_bit_depth(s->png, s->info);
  size_t rowBytes = png_get_rowbytes(s->png, s->info);
  if (rowBytes < size_t(width) * d->channels * (d->depth / 8) ||
      int64_t(rowBytes) * height > kMaxBitmapBlockBytes) {
    png_error(s->png, "Image too large");
  }
  s->pixels.resize(rowBytes * height);
  s->rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y)
    s->rows[y] = s->pixels.data() + rowBytes * y;
  d->rowsStarted = true;
  png_read_image(s->png, s->rows.data());
  return 0;
}

// Fills the bitmap from the decoded rows (the first row is the top one).
void StorePixels(const PngReadState& s, const Decoded& d, vuImage* image) {
  std::vector<uint16_t> values(size_t(d.width) * 3);
  bool alpha = d.channels == 2 || d.channels == 4;
  int colourChannels = d.channels - (alpha ? 1 : 0);
  int shift = d.depth == 16 && d.sampleBits ? 16 - d.sampleBits : 0;
  uint32_t top = d.depth == 16 ? 65535 : 255;
  for (int row = 0; row < d.height; ++row) {
    const uint8_t* in = s.rows[row];
    if (d.format == BM_1BIT) {
      for (int x = 0; x < d.width; ++x)
        values[x] = in[x] ? 0 : 1; // white is index 0
    } else if (d.format == BM_8BIT_COLOR) {
      for (int x = 0; x < d.width; ++x)
        values[x] = in[x] < d.colors ? in[x] : 0;
    } else {
      for (int x = 0; x < d.width; ++x) {
        uint32_t c[4];
        for (int k = 0; k < d.channels; ++k) {
          c[k] = d.depth == 16 ? Sample16(in + 2 * (x * d.channels + k)) : in[x * d.channels + k];
        }
        for (int k = 0; k < colourChannels; ++k) {
          uint32_t v = alpha ? OverWhite(c[k], c[colourChannels], top) : c[k];
          // PutRow takes colour in memory order: blue, green, red.
          int slot = colourChannels == 3 ? x * 3 + (2 - k) : x;
          values[slot] = static_cast<uint16_t>(v >> shift);
        }
      }
    }
    image->accessor->PutRow(d.height - 1 - row, values.data());
  }
}

int ReadPng(const char* fileName, int* count, vuImage* image, std::string& damage) {
  vuInputFile file(fileName);
  if (!file) return -1;
  PngReadState state;
  state.png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, &state.messages, HandleError, HandleWarning);
  if (!state.png) return -3;
  state.info = png_create_info_struct(state.png);
  if (!state.info) return -3;
  Decoded decoded;
  int decodedResult = DecodePng(file.get(), &state, &decoded);
  if (decodedResult != 0) state.messages.Show();
  if (decodedResult < 0) return -2;
  // 8-bit grey images carry their full grey table, as every other reader gives them (a writer
  // such as BMP stores the table the image has).
  if (decoded.format == BM_8BIT_GRAY) decoded.colors = 256;
  if (!image->AllocateBitmap(decoded.width, decoded.height, decoded.colors, decoded.format))
    return -3;
  if (decoded.format == BM_8BIT_COLOR)
    std::copy(decoded.palette, decoded.palette + decoded.colors, image->palette);
  image->sampleBits = decoded.sampleBits;
  StorePixels(state, decoded, image);
  if (decodedResult != 0) {
    damage = "the picture data is damaged or ends early (" + state.messages.error + ")";
    return -2;
  }
  if (count) *count = static_cast<int>(std::min<int64_t>(vuFileSize(file.get()), INT32_MAX));
  return 0;
}

struct PngWriteState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngMessages messages;
  std::vector<uint8_t> row;
  std::vector<png_color> palette;
  ~PngWriteState() {
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
  }
};

// A sample of `bits` significant bits spread over 16 by repeating its bits from the top, so that
// the full range maps onto the full range and the top `bits` bits give the sample back.
uint16_t ScaleTo16(uint32_t value, int bits) {
  if (bits >= 16) return static_cast<uint16_t>(value);
  uint32_t out = 0;
  for (int position = 16 - bits; position > -bits; position -= bits)
    out |= position >= 0 ? value << position : value >> -position;
  return static_cast<uint16_t>(out);
}

int SignificantBits(const vuImage& image) {
  return image.sampleBits >= 1 && image.sampleBits <= 16 ? image.sampleBits : 16;
}

int EncodePng(FILE* stream, vuImage* image, PngWriteState* s) {
  if (setjmp(png_jmpbuf(s->png))) return -1;
  png_init_io(s->png, stream);
  int width = image->Width();
  int height = image->Height();
  int colorType = 0, depth = 8;
  switch (image->format) {
  case BM_1BIT:
    colorType = PNG_COLOR_TYPE_GRAY;
    depth = 1;
    break;
  case BM_4BIT:
  case BM_8BIT_COLOR:
    colorType = PNG_COLOR_TYPE_PALETTE;
    depth = image->format == BM_4BIT ? 4 : 8;
    break;
  case BM_8BIT_GRAY:
    colorType = PNG_COLOR_TYPE_GRAY;
    break;
  case BM_16BIT_GRAY:
    colorType = PNG_COLOR_TYPE_GRAY;
    depth = 16;
    break;
  case BM_24BIT:
  case BM_32BIT: // the fourth byte is not part of the picture
    colorType = PNG_COLOR_TYPE_RGB;
    break;
  case BM_48BIT:
    colorType = PNG_COLOR_TYPE_RGB;
    depth = 16;
    break;
  default:
    return -1;
  }
  BitmapAccessor* accessor = image->accessor;
  uint16_t pixel[4];
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    // Every index used needs an entry, even one past the image's own table.
    int entries = std::min(image->Colors(), 1 << depth);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        accessor->GetRaw(x, y, pixel);
        entries = std::max(entries, pixel[0] + 1);
      }
    }
    s->palette.assign(static_cast<size_t>(std::min(entries, 1 << depth)), png_color{0, 0, 0});
    for (int i = 0; i < image->Colors() && i < int(s->palette.size()); ++i)
      s->palette[i] =
          png_color{image->palette[i].red, image->palette[i].green, image->palette[i].blue};
  }
  png_set_IHDR(s->png, s->info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
               depth, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (colorType == PNG_COLOR_TYPE_PALETTE)
    png_set_PLTE(s->png, s->info, s->palette.data(), static_cast<int>(s->palette.size()));
  int bits = SignificantBits(*image);
  if (depth == 16 && bits < 16) {
    png_color_8 significant{};
    auto b = static_cast<png_byte>(bits);
    significant.red = significant.green = significant.blue = significant.gray = b;
    png_set_sBIT(s->png, s->info, &significant);
  }
  png_write_info(s->png, s->info);

  int channels = colorType == PNG_COLOR_TYPE_RGB ? 3 : 1;
  s->row.assign(size_t(width) * channels * 2 + 8, 0);
  uint8_t* out = s->row.data();
  for (int y = height - 1; y >= 0; --y) { // the top row first
    std::fill(s->row.begin(), s->row.end(), 0);
    for (int x = 0; x < width; ++x) {
      accessor->GetRaw(x, y, pixel);
      if (depth == 1) {
        if (pixel[0] == 0) out[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8)); // 0 is white
      } else if (depth == 4) {
        out[x / 2] |= static_cast<uint8_t>(x % 2 ? pixel[0] & 15 : (pixel[0] & 15) << 4);
      } else if (depth == 8) {
        for (int k = 0; k < channels; ++k)
          out[x * channels + k] = static_cast<uint8_t>(pixel[k]);
      } else {
        for (int k = 0; k < channels; ++k) {
          uint16_t v = ScaleTo16(pixel[k], bits);
          out[2 * (x * channels + k)] = static_cast<uint8_t>(v >> 8);
          out[2 * (x * channels + k) + 1] = static_cast<uint8_t>(v);
        }
      }
    }
    png_write_row(s->png, out);
  }
  png_write_end(s->png, nullptr);
  return 0;
}

int ReadPngInfo(FILE* stream, PngReadState* s, vuFileInfo* info) {
  if (setjmp(png_jmpbuf(s->png))) return -2;
  png_init_io(s->png, stream);
  LimitChunks(s->png);
  png_read_info(s->png, s->info);
  info->width = static_cast<uint16_t>(png_get_image_width(s->png, s->info));
  info->height = static_cast<uint16_t>(png_get_image_height(s->png, s->info));
  info->bitsPerPixel =
      static_cast<uint8_t>(png_get_bit_depth(s->png, s->info) * png_get_channels(s->png, s->info));
  return 0;
}

} // namespace

int PngRW::Read(const char* fileName, int* count, vuBitmapInfoHeader**, vuRGBA**, uint8_t**,
                void*) {
  try {
    return ReadPng(fileName, count, image, damage);
  } catch (const std::bad_alloc&) {
    return -3;
  }
}

int PngRW::Write(const char* fileName, vuBitmapInfoHeader*, vuRGBA*, uint8_t*, void*) {
  if (!image->header || !image->accessor) return -1;
  try {
    vuOutputFile file(fileName);
    if (!file) return -1;
    PngWriteState state;
    state.png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &state.messages, HandleError, HandleWarning);
    if (!state.png) return -1;
    state.info = png_create_info_struct(state.png);
    if (!state.info) return -1;
    if (EncodePng(file.get(), image, &state) != 0) {
      state.messages.Show();
      return -1; // the partial file goes with `file`
    }
    return file.Commit() ? 0 : -1;
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

int PngRW::GetInfo(const char* fileName, vuFileInfo* info) {
  vuInputFile file(fileName);
  if (!file) return -1;
  PngReadState state;
  state.messages.quiet = true;
  state.png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, &state.messages, HandleError, HandleWarning);
  if (!state.png) return -3;
  state.info = png_create_info_struct(state.png);
  if (!state.info) return -3;
  if (ReadPngInfo(file.get(), &state, info) != 0) return -2;
  info->fileSize = static_cast<uint32_t>(vuFileSize(file.get()));
  return 0;
}
