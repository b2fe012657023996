#include "formats/JpegRW.h"

// libjpeg's header wants the stdio types declared first.
#include <cstdio>

#include <jpeglib.h>
// After jpeglib.h, so that the messages of the coders it was built with are declared.
#include <jerror.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>

#include "formats/vuFileStreams.h"

namespace {

// A progressive file may hold any number of scans; real ones have a dozen or so. Beyond this a
// hostile file would only keep us busy.
constexpr int kMaxScans = 500;
// Whole-image buffers of progressive files; anything past the data model's limits is refused.
constexpr long kMaxLibraryMemory = static_cast<long>(kMaxBitmapBlockBytes);

// libjpeg's standard error manager, except that a fatal error returns to the operation instead
// of ending the process, and messages go to the platform's message box.
struct JpegErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  bool quiet = false;               // GetInfo shows nothing
  const char* ownMessage = nullptr; // a reason of ours rather than libjpeg's
  void (*standardEmit)(j_common_ptr, int) = nullptr;
  char damage[JMSG_LENGTH_MAX] = ""; // the first warning that means the picture is incomplete
};

// Warnings after which libjpeg goes on with made-up data: the file ended early or its entropy
// coded data is corrupt. The others (an unknown JFIF revision, a bad ICC profile) leave the
// picture whole.
bool MeansDamage(int code) {
  switch (code) {
  case JWRN_JPEG_EOF:
  case JWRN_HIT_MARKER:
  case JWRN_HUFF_BAD_CODE:
#if JPEG_LIB_VERSION >= 70 || defined(C_ARITH_CODING_SUPPORTED) || defined(D_ARITH_CODING_SUPPORTED)
  case JWRN_ARITH_BAD_CODE:
#endif
  case JWRN_MUST_RESYNC:
  case JWRN_EXTRANEOUS_DATA:
  case JWRN_BOGUS_PROGRESSION:
  case JWRN_NOT_SEQUENTIAL:
    return true;
  default:
    return false;
  }
}

void EmitMessage(j_common_ptr cinfo, int level) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  if (level < 0 && manager->damage[0] == '\0' && MeansDamage(cinfo->err->msg_code))
    (*cinfo->err->format_message)(cinfo, manager->damage);
  manager->standardEmit(cinfo, level);
}

void OutputMessage(j_common_ptr cinfo) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  if (manager->quiet) return;
  char text[JMSG_LENGTH_MAX];
  if (manager->ownMessage)
    std::snprintf(text, sizeof text, "%s", manager->ownMessage);
  else
    (*cinfo->err->format_message)(cinfo, text);
  vuPlatform().MessageBox(text, "Info", VU_MB_OK, VU_ICON_NONE);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  (*cinfo->err->output_message)(cinfo);
  std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

void LimitScans(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    reinterpret_cast<JpegErrorManager*>(cinfo->err)->ownMessage =
        "Corrupt JPEG data: too many scans";
    ErrorExit(cinfo);
  }
}

void InstallErrorManager(JpegErrorManager* manager) {
  jpeg_std_error(&manager->pub);
  manager->pub.error_exit = ErrorExit;
  manager->pub.output_message = OutputMessage;
  manager->standardEmit = manager->pub.emit_message;
  manager->pub.emit_message = EmitMessage;
}

// Everything the decoding routine changes lives here, outside the frame that holds the jump
// target, so nothing is lost or left indeterminate when libjpeg jumps back.
struct JpegReadState {
  jpeg_decompress_struct cinfo;
  JpegErrorManager errors;
  jpeg_progress_mgr progress;
  bool created = false;
  bool allocated = false; // the image holds the picture's bitmap
  int orientation = 1;    // Exif's, once the picture is decoded
};

// The orientation (1..8) an Exif block among the saved markers gives, or 1: the way the camera
// held the picture, which the file's rows do not follow.
int ExifOrientation(j_decompress_ptr cinfo) {
  static const uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
  for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next) {
    if (m->marker != JPEG_APP0 + 1 || m->data_length < 14 || std::memcmp(m->data, kExif, 6) != 0)
      continue;
    const uint8_t* tiff = m->data + 6;
    const size_t size = m->data_length - 6;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) continue;
    auto u16 = [&](size_t at) -> uint32_t {
      if (at + 2 > size) return 0;
      return little ? tiff[at] | (tiff[at + 1] << 8) : (tiff[at] << 8) | tiff[at + 1];
    };
    auto u32 = [&](size_t at) -> uint32_t {
      return little ? u16(at) | (u16(at + 2) << 16) : (u16(at) << 16) | u16(at + 2);
    };
    if (u16(2) != 42) continue;
    const size_t directory = u32(4);
    const uint32_t entries = u16(directory);
    for (uint32_t i = 0; i < entries; ++i) {
      const size_t entry = directory + 2 + 12 * size_t(i);
      if (entry + 12 > size) break;
      // Tag 0x0112, one SHORT.
      if (u16(entry) == 0x0112 && u16(entry + 2) == 3) {
        uint32_t value = u16(entry + 8);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
      }
    }
  }
  return 1;
}

// Turns the decoded picture the way its Exif orientation says (as the TIFF reader does with its
// orientation field); false when memory runs out.
bool ApplyOrientation(vuImage* image, int orientation) {
  switch (orientation) {
  case 2: // mirrored
    return image->Flip(1) == 1;
  case 3: // upside down
    return image->Flip(1) == 1 && image->Flip(0) == 1;
  case 4: // mirrored upside down
    return image->Flip(0) == 1;
  case 5: // the file's rows are the picture's columns, top to bottom
    return image->Rotate(90) == 1 && image->Flip(1) == 1;
  case 6: // held turned a quarter to the left: turn the rows a quarter clockwise
    return image->Rotate(90) == 1;
  case 7:
    return image->Rotate(90) == 1 && image->Flip(0) == 1;
  case 8:
    return image->Rotate(-90) == 1;
  default:
    return true;
  }
}

// Adobe's CMYK files hold inverted inks (255: no ink); others hold the inks themselves.
inline uint8_t InkToLight(int ink, int black, bool inverted) {
  int c = inverted ? ink : 255 - ink;
  int k = inverted ? black : 255 - black;
  return static_cast<uint8_t>((c * k + 127) / 255);
}

// Returns 0, -1 for colour spaces we do not take, -2 when the file is refused before any pixel or
// its data is damaged (a fatal error once the bitmap exists, or a warning that libjpeg made up
// data: the rows decoded so far stay), -3 no memory.
int DecodeJpeg(FILE* stream, vuImage* image, JpegReadState* s) {
  s->cinfo.err = &s->errors.pub;
  InstallErrorManager(&s->errors);
  if (setjmp(s->errors.jump)) {
    if (s->allocated && s->errors.damage[0] == '\0') {
      if (s->errors.ownMessage)
        std::snprintf(s->errors.damage, sizeof s->errors.damage, "%s", s->errors.ownMessage);
      else
        (*s->errors.pub.format_message)(reinterpret_cast<j_common_ptr>(&s->cinfo),
                                        s->errors.damage);
    }
    return -2;
  }
  jpeg_create_decompress(&s->cinfo);
  s->created = true;
  s->cinfo.mem->max_memory_to_use = kMaxLibraryMemory;
  s->progress.progress_monitor = LimitScans;
  s->cinfo.progress = &s->progress;
  jpeg_stdio_src(&s->cinfo, stream);
  jpeg_save_markers(&s->cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&s->cinfo, TRUE);
  s->orientation = ExifOrientation(&s->cinfo);

  J_COLOR_SPACE space = s->cinfo.out_color_space;
  if (space != JCS_GRAYSCALE && space != JCS_RGB && space != JCS_CMYK) return -1;
  bool grey = space == JCS_GRAYSCALE;
  if (!BitmapAccessor::FitsModel(s->cinfo.image_width, s->cinfo.image_height, grey ? 8 : 24)) return -2;
  jpeg_start_decompress(&s->cinfo);
  int width = static_cast<int>(s->cinfo.output_width);
  int height = static_cast<int>(s->cinfo.output_height);
  int components = s->cinfo.output_components;
  if (!BitmapAccessor::FitsModel(width, height, grey ? 8 : 24) || components != (grey               ? 1
                                                                 : space == JCS_RGB ? 3
                                                                                    : 4))
    return -2;
  JSAMPARRAY buffer =
      (*s->cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&s->cinfo), JPOOL_IMAGE,
                                    static_cast<JDIMENSION>(width * components), 1);
  if (!image->AllocateBitmap(width, height, grey ? 256 : 0, grey ? BM_8BIT_GRAY : BM_24BIT))
    return -3;
  s->allocated = true;
  image->sampleBits = 0;
  bool inverted = s->cinfo.saw_Adobe_marker;

  while (s->cinfo.output_scanline < s->cinfo.output_height) {
    if (jpeg_read_scanlines(&s->cinfo, buffer, 1) != 1) break;
    // The first scanline is the top row.
    uint8_t* row = image->Row(height - static_cast<int>(s->cinfo.output_scanline));
    const JSAMPLE* in = buffer[0];
    if (grey) {
      std::memcpy(row, in, static_cast<size_t>(width));
    } else if (space == JCS_RGB) {
      for (int x = 0; x < width; ++x) {
        row[3 * x] = in[3 * x + 2];
        row[3 * x + 1] = in[3 * x + 1];
        row[3 * x + 2] = in[3 * x];
      }
    } else {
      for (int x = 0; x < width; ++x) {
        const JSAMPLE* p = in + 4 * x;
        row[3 * x] = InkToLight(p[2], p[3], inverted);
        row[3 * x + 1] = InkToLight(p[1], p[3], inverted);
        row[3 * x + 2] = InkToLight(p[0], p[3], inverted);
      }
    }
  }
  jpeg_finish_decompress(&s->cinfo);
  return s->errors.damage[0] ? -2 : 0;
}

int ReadJpegInfo(FILE* stream, vuFileInfo* info, JpegReadState* s) {
  s->cinfo.err = &s->errors.pub;
  InstallErrorManager(&s->errors);
  s->errors.quiet = true;
  if (setjmp(s->errors.jump)) return -2;
  jpeg_create_decompress(&s->cinfo);
  s->created = true;
  jpeg_stdio_src(&s->cinfo, stream);
  jpeg_save_markers(&s->cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&s->cinfo, TRUE);
  const bool turned = ExifOrientation(&s->cinfo) >= 5;
  info->width = static_cast<uint16_t>(turned ? s->cinfo.image_height : s->cinfo.image_width);
  info->height = static_cast<uint16_t>(turned ? s->cinfo.image_width : s->cinfo.image_height);
  info->bitsPerPixel = static_cast<uint8_t>(8 * s->cinfo.num_components);
  return 0;
}

struct JpegWriteState {
  jpeg_compress_struct cinfo;
  JpegErrorManager errors;
  bool created = false;
};

// 16-bit samples keep their significant bits; the top eight of those go into the file.
int SixteenBitShift(const vuImage& image) {
  int bits = image.sampleBits >= 9 && image.sampleBits <= 16 ? image.sampleBits : 16;
  return bits - 8;
}

bool PaletteIsGrey(const vuImage& image) {
  for (int i = 0; i < image.Colors() && i < 256; ++i) {
    const vuRGBA& c = image.palette[i];
    if (c.red != c.green || c.green != c.blue) return false;
  }
  return true;
}

// JPEG stores grey or colour; every pixel format goes out as the picture it shows.
bool WritesGrey(const vuImage& image) {
  switch (image.format) {
  case BM_8BIT_GRAY:
  case BM_16BIT_GRAY:
  case BM_1BIT:
    return true;
  case BM_8BIT_COLOR:
  case BM_4BIT:
    return PaletteIsGrey(image) && image.Colors() > 0;
  default:
    return false;
  }
}

void FillRow(vuImage& image, int y, bool grey, JSAMPLE* out) {
  int width = image.Width();
  BitmapAccessor* accessor = image.accessor;
  uint16_t pixel[4];
  int shift = SixteenBitShift(image);
  for (int x = 0; x < width; ++x) {
    switch (image.format) {
    case BM_24BIT:
    case BM_32BIT:
      accessor->GetRaw(x, y, pixel);
      for (int k = 0; k < 3; ++k)
        out[3 * x + k] = static_cast<JSAMPLE>(pixel[k] & 0xFF);
      break;
    case BM_8BIT_GRAY:
      accessor->GetRaw(x, y, pixel);
      out[x] = static_cast<JSAMPLE>(pixel[0] & 0xFF);
      break;
    case BM_16BIT_GRAY:
      accessor->GetRaw(x, y, pixel);
      out[x] = static_cast<JSAMPLE>(std::min(255, pixel[0] >> shift));
      break;
    case BM_48BIT:
      accessor->GetRaw(x, y, pixel);
      for (int k = 0; k < 3; ++k)
        out[3 * x + k] = static_cast<JSAMPLE>(std::min(255, pixel[k] >> shift));
      break;
    default: { // colour-table formats: the colour each index shows
      accessor->GetRaw(x, y, pixel);
      bool inTable = image.format == BM_1BIT || pixel[0] < image.Colors();
      if (inTable) {
        accessor->GetRGB(x, y, pixel);
      } else {
        pixel[1] = pixel[2] = pixel[0];
      }
      if (grey) {
        out[x] = static_cast<JSAMPLE>(pixel[0] & 0xFF);
      } else {
        for (int k = 0; k < 3; ++k)
          out[3 * x + k] = static_cast<JSAMPLE>(pixel[k] & 0xFF);
      }
      break;
    }
    }
  }
}

int EncodeJpeg(FILE* stream, vuImage* image, int quality, JpegWriteState* s) {
  s->cinfo.err = &s->errors.pub;
  InstallErrorManager(&s->errors);
  if (setjmp(s->errors.jump)) return -1;
  jpeg_create_compress(&s->cinfo);
  s->created = true;
  jpeg_stdio_dest(&s->cinfo, stream);
  bool grey = WritesGrey(*image);
  s->cinfo.image_width = static_cast<JDIMENSION>(image->Width());
  s->cinfo.image_height = static_cast<JDIMENSION>(image->Height());
  s->cinfo.input_components = grey ? 1 : 3;
  s->cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&s->cinfo);
  jpeg_set_quality(&s->cinfo, quality, TRUE);
  jpeg_start_compress(&s->cinfo, TRUE);
  JSAMPARRAY buffer =
      (*s->cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&s->cinfo), JPOOL_IMAGE,
                                    static_cast<JDIMENSION>(image->Width() * (grey ? 1 : 3)), 1);
  // The top row first.
  for (int y = image->Height() - 1; y >= 0; --y) {
    FillRow(*image, y, grey, buffer[0]);
    jpeg_write_scanlines(&s->cinfo, buffer, 1);
  }
  jpeg_finish_compress(&s->cinfo);
  return 0;
}

} // namespace

int JpegRW::Read(const char* fileName, int* count, vuBitmapInfoHeader**, vuRGBA**, uint8_t**,
                 void*) {
  vuInputFile file(fileName);
  if (!file) return -1;
  JpegReadState state;
  int result = DecodeJpeg(file.get(), image, &state);
  if (state.created) jpeg_destroy_decompress(&state.cinfo);
  // Damage is news only about a picture: a file refused before its bitmap existed leaves the
  // image as it was.
  damage = state.allocated ? state.errors.damage : "";
  if ((result == 0 || !damage.empty()) && !ApplyOrientation(image, state.orientation)) {
    image->Delete();
    return -3;
  }
  // A refused file leaves the image as it was; a damaged one keeps the rows decoded.
  if (result != 0) return result;
  if (count) *count = static_cast<int>(std::min<int64_t>(vuFileSize(file.get()), INT32_MAX));
  return 0;
}

int JpegRW::Write(const char* fileName, vuBitmapInfoHeader*, vuRGBA*, uint8_t*, void* options) {
  if (!image->header || !image->accessor) return -1;
  int quality = options ? static_cast<const vuJpegSaveOptions*>(options)->quality : 80;
  vuOutputFile file(fileName);
  if (!file) {
    char text[1100];
    std::snprintf(text, sizeof text, "Could Not Open:%s", fileName ? fileName : "");
    vuPlatform().MessageBox(text, "Info", VU_MB_OK, VU_ICON_NONE);
    return -1;
  }
  JpegWriteState state;
  int result = EncodeJpeg(file.get(), image, quality, &state);
  if (state.created) jpeg_destroy_compress(&state.cinfo);
  if (result != 0) return -1; // the partial file goes with `file`
  return file.Commit() ? 0 : -1;
}

int JpegRW::GetInfo(const char* fileName, vuFileInfo* info) {
  vuInputFile file(fileName);
  if (!file) return -1;
  JpegReadState state;
  int result = ReadJpegInfo(file.get(), info, &state);
  if (state.created) jpeg_destroy_decompress(&state.cinfo);
  if (result != 0) return result;
  info->fileSize = static_cast<uint32_t>(vuFileSize(file.get()));
  return 0;
}

void* JpegRW::GetOutOptions(int) {
  vuJpegSaveOptions* options = vuPlatform().AskJpegSaveOptions();
  if (options) options->quality = std::clamp(options->quality, 1, 100);
  return options;
}

void JpegRW::FreeOutOptions(void* options) {
  delete static_cast<vuJpegSaveOptions*>(options);
}
