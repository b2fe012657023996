#include "formats/GifRW.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "formats/vuFileStreams.h"

namespace {

void ShowError(const char* caption) {
  vuPlatform().MessageBox("Error", caption, VU_MB_OK, VU_ICON_NONE);
}

void ShowWarning(const char* text) {
  vuPlatform().MessageBox(text, text, VU_MB_OK, VU_ICON_NONE);
}

// A table of `count` greys from black to white, for files that give no colours.
void GreyRamp(std::vector<vuRGBA>& table) {
  size_t count = table.size();
  for (size_t i = 0; i < count; ++i) {
    auto v = static_cast<uint8_t>(count > 1 ? i * 255 / (count - 1) : 0);
    table[i] = vuRGBA{v, v, v, 0};
  }
}

// Reads `entries` red, green, blue triples into the table; false on a short read.
bool ReadColorTable(FILE* stream, std::vector<vuRGBA>& table, int entries) {
  std::vector<uint8_t> rgb(size_t(entries) * 3);
  size_t got = std::fread(rgb.data(), 1, rgb.size(), stream);
  for (size_t i = 0; i < size_t(entries) && 3 * i + 2 < got; ++i)
    table[i] = vuRGBA{rgb[3 * i + 2], rgb[3 * i + 1], rgb[3 * i], 0};
  return got == rgb.size();
}

} // namespace

int GifRW::GetDataBlock(FILE* stream, uint8_t* buffer) {
  int count = std::fgetc(stream);
  if (count == EOF) {
    ShowError("error in getting DataBlock size");
    return -1;
  }
  zeroDataBlock_ = count == 0;
  if (count > 0 && std::fread(buffer, 1, size_t(count), stream) != size_t(count)) {
    ShowError("error in reading DataBlock");
    return -1;
  }
  return count;
}

int GifRW::SkipDataBlocks(FILE* stream, bool* hadData) {
  uint8_t buffer[256];
  int count;
  while ((count = GetDataBlock(stream, buffer)) > 0) {
    if (hadData) *hadData = true;
  }
  return count;
}

int GifRW::DoExtension(FILE* stream, int label) {
  uint8_t buffer[256] = {};
  if (label == 0xF9) {
    int count = GetDataBlock(stream, buffer);
    if (count < 0) return -1;
    disposal = (buffer[0] >> 2) & 7;
    inputFlag = (buffer[0] >> 1) & 1;
    delayTime = buffer[1] | (buffer[2] << 8);
    if (buffer[0] & 1) transparent = buffer[3];
    // A control block that is itself the terminator has nothing more to skip.
    return count == 0 ? 0 : SkipDataBlocks(stream);
  }
  if (label == 0xFE && showComment) {
    int count;
    while ((count = GetDataBlock(stream, buffer)) > 0) {
      std::string text = "gif comment: " + std::string(reinterpret_cast<char*>(buffer), count);
      vuPlatform().MessageBox(text.c_str(), text.c_str(), VU_MB_OK, VU_ICON_NONE);
    }
    return count;
  }
  // Comments, plain text, application and unknown extensions do not change the picture.
  return SkipDataBlocks(stream);
}

void GifRW::InitDecoder(int minimumCodeSize) {
  minimumCodeSize_ = minimumCodeSize;
  clearCode_ = 1 << minimumCodeSize;
  endCode_ = clearCode_ + 1;
  codeSize_ = minimumCodeSize + 1;
  maxCodeSize_ = 2 * clearCode_;
  nextCode_ = clearCode_ + 2;
  for (int i = 0; i < kMaxCodes; ++i) {
    prefix_[i] = 0;
    suffix_[i] = static_cast<uint8_t>(i < clearCode_ ? i : 0);
  }
  stackTop_ = 0;
  fresh_ = true;
  blockLength_ = blockPosition_ = 0;
  bitBuffer_ = 0;
  bitCount_ = 0;
  done_ = false;
  zeroDataBlock_ = false;
}

int GifRW::GetCode(FILE* stream) {
  while (bitCount_ < codeSize_) {
    if (blockPosition_ == blockLength_) {
      if (done_) {
        ShowError("ran off the end of my bits");
        return -1;
      }
      int count = GetDataBlock(stream, block_.data());
      if (count < 0) return -1;
      if (count == 0) done_ = true;
      blockLength_ = count;
      blockPosition_ = 0;
      continue;
    }
    bitBuffer_ |= uint32_t(block_[size_t(blockPosition_++)]) << bitCount_;
    bitCount_ += 8;
  }
  int code = static_cast<int>(bitBuffer_ & ((1u << codeSize_) - 1));
  bitBuffer_ >>= codeSize_;
  bitCount_ -= codeSize_;
  return code;
}

int GifRW::ReadFirstCode(FILE* stream) {
  int code;
  do {
    code = GetCode(stream);
  } while (code == clearCode_);
  if (code < 0) return -1;
  if (code == endCode_) return -2;
  // A fresh table knows only the single pixel values.
  if (code > endCode_) return -1;
  firstCode_ = oldCode_ = code;
  return code;
}

int GifRW::NextPixel(FILE* stream) {
  if (fresh_) {
    fresh_ = false;
    return ReadFirstCode(stream);
  }
  if (stackTop_ > 0) return stack_[size_t(--stackTop_)];

  int code;
  while ((code = GetCode(stream)) >= 0) {
    if (code == clearCode_) {
      for (int i = 0; i < kMaxCodes; ++i) {
        prefix_[i] = 0;
        suffix_[i] = static_cast<uint8_t>(i < clearCode_ ? i : 0);
      }
      codeSize_ = minimumCodeSize_ + 1;
      maxCodeSize_ = 2 * clearCode_;
      nextCode_ = clearCode_ + 2;
      stackTop_ = 0;
      return ReadFirstCode(stream);
    }
    if (code == endCode_) {
      if (!zeroDataBlock_) {
        bool dataLeft = false;
        SkipDataBlocks(stream, &dataLeft);
        if (dataLeft) ShowWarning("missing EOD in data stream (common occurence)");
      }
      return -2;
    }
    int incoming = code;
    // A code not yet in the table is the previous string and its own first pixel.
    if (code >= nextCode_) {
      stack_[size_t(stackTop_++)] = static_cast<uint8_t>(firstCode_);
      code = oldCode_;
    }
    while (code >= clearCode_) {
      if (stackTop_ >= kStackSize - 1 || prefix_[size_t(code)] == code) {
        ShowError("circular table entry BIG ERROR");
        return -1;
      }
      stack_[size_t(stackTop_++)] = suffix_[size_t(code)];
      code = prefix_[size_t(code)];
    }
    firstCode_ = suffix_[size_t(code)];
    stack_[size_t(stackTop_++)] = static_cast<uint8_t>(firstCode_);
    if (nextCode_ < kMaxCodes) {
      prefix_[size_t(nextCode_)] = static_cast<uint16_t>(oldCode_);
      suffix_[size_t(nextCode_)] = static_cast<uint8_t>(firstCode_);
      ++nextCode_;
      if (nextCode_ >= maxCodeSize_ && maxCodeSize_ < kMaxCodes) {
        maxCodeSize_ *= 2;
        ++codeSize_;
      }
    }
    oldCode_ = incoming;
    if (stackTop_ > 0) return stack_[size_t(--stackTop_)];
  }
  return code;
}

int GifRW::ReadRaster(FILE* stream, int width, int height, bool interlaced, int colors,
                      int* rowsRead) {
  // Rows in the order the file gives them: straight down, or the four interlace passes.
  static constexpr int kPassStart[4] = {0, 4, 2, 1};
  static constexpr int kPassStep[4] = {8, 8, 4, 2};
  int passes = interlaced ? 4 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    int start = interlaced ? kPassStart[pass] : 0;
    int step = interlaced ? kPassStep[pass] : 1;
    for (int y = start; y < height; y += step) {
      uint8_t* row = image->Row(height - 1 - y);
      for (int x = 0; x < width; ++x) {
        int value = NextPixel(stream);
        if (value < 0) return value;
        // An index past the colour table has no colour: it shows the first one.
        row[x] = static_cast<uint8_t>(value < colors ? value : 0);
      }
      ++*rowsRead;
    }
  }
  return 0;
}

int GifRW::Read(const char* fileName, int* count, vuBitmapInfoHeader**, vuRGBA**, uint8_t**,
                void*) {
  vuInputFile file(fileName);
  if (!file) return -1;
  FILE* stream = file.get();
  int64_t fileSize = vuFileSize(stream);
  if (count) *count = static_cast<int>(std::min<int64_t>(fileSize, INT32_MAX));

  char magic[3], version[3];
  bool haveMagic = std::fread(magic, 1, 3, stream) == 3;
  if (!haveMagic) ShowError("error reading magic number");
  bool haveVersion = std::fread(version, 1, 3, stream) == 3;
  if (!haveVersion) ShowError("error reading version");
  bool isGif = haveMagic && std::memcmp(magic, "GIF", 3) == 0;
  if (haveMagic && !isGif) ShowError("not a GIF file");
  bool knownVersion =
      haveVersion && (std::memcmp(version, "87a", 3) == 0 || std::memcmp(version, "89a", 3) == 0);
  if (haveVersion && !knownVersion) ShowError("bad version number, not '87a' or '89a'");
  // Anything else is no GIF file we know how to read: decoding it would only make up a picture.
  if (!isGif || !knownVersion) return -2;

  uint8_t screen[7];
  if (std::fread(screen, 1, sizeof screen, stream) != sizeof screen) return -2;
  int globalBits = (screen[4] & 7) + 1;
  bool globalTable = (screen[4] & 0x80) != 0;
  int aspect = screen[6];
  std::vector<vuRGBA> global(size_t(1) << globalBits);
  GreyRamp(global);
  if (globalTable && !ReadColorTable(stream, global, int(global.size())))
    ShowError("error reading global colormap");
  if (aspect != 0 && aspect != 49) {
    double ratio = (aspect + 15.0) / 64.0;
    char text[128];
    std::snprintf(text, sizeof text,
                  "warning - non-square pixels; to fix do a 'pnmscale -%cscale %g'",
                  ratio < 1.0 ? 'x' : 'y', ratio < 1.0 ? 1.0 / ratio : ratio);
    ShowWarning(text);
  }

  for (;;) {
    int c = std::fgetc(stream);
    if (c == EOF) return -2;
    if (c == '!') {
      int label = std::fgetc(stream);
      if (label == EOF || DoExtension(stream, label) < 0) return -2;
    } else if (c == ',') {
      break;
    } else if (c == ';') {
      // The trailer before any image: nothing to show.
      ShowError("only 0 images found in file");
      return -2;
    }
  }

  uint8_t descriptor[9];
  if (std::fread(descriptor, 1, sizeof descriptor, stream) != sizeof descriptor) return -2;
  int width = descriptor[4] | (descriptor[5] << 8);
  int height = descriptor[6] | (descriptor[7] << 8);
  bool localTable = (descriptor[8] & 0x80) != 0;
  bool interlaced = (descriptor[8] & 0x40) != 0;
  std::vector<vuRGBA> local;
  if (localTable) {
    local.resize(size_t(1) << ((descriptor[8] & 7) + 1));
    GreyRamp(local);
    if (!ReadColorTable(stream, local, int(local.size())))
      ShowError("error reading local colormap");
  }
  const std::vector<vuRGBA>& table = localTable ? local : global;

  int minimumCodeSize = std::fgetc(stream);
  // Codes are at most 12 bits wide.
  if (minimumCodeSize < 1 || minimumCodeSize > 11) return -2;
  if (width < 1 || height < 1 || BitmapAccessor::RowBytes(width, 8) > kMaxRowBytes) return -2;
  // Every code of at least two bits gives at most 4096 pixels: a few bytes cannot make a huge
  // picture.
  int64_t dataBytes = std::max<int64_t>(0, fileSize - std::ftell(stream));
  if (int64_t(width) * height > 16384 * (dataBytes + 1)) return -2;

  int colors = static_cast<int>(table.size());
  if (!image->AllocateBitmap(width, height, colors, BM_8BIT_COLOR)) return -3;
  std::copy(table.begin(), table.end(), image->palette);

  InitDecoder(minimumCodeSize);
  // Rows the data does not reach keep their cleared contents.
  int rowsRead = 0;
  if (ReadRaster(stream, width, height, interlaced, colors, &rowsRead) < 0) {
    damage = vuDataEndsInRow(rowsRead + 1, height);
    return -2;
  }
  return 0;
}

int GifRW::Write(const char*, vuBitmapInfoHeader*, vuRGBA*, uint8_t*, void*) {
  return -1;
}

int GifRW::GetInfo(const char* fileName, vuFileInfo* info) {
  vuInputFile file(fileName);
  if (!file) return -1;
  uint8_t head[13];
  if (std::fread(head, 1, sizeof head, file.get()) != sizeof head) return -2;
  if (std::memcmp(head, "GIF87a", 6) != 0 && std::memcmp(head, "GIF89a", 6) != 0) return -2;
  info->width = static_cast<uint16_t>(head[6] | (head[7] << 8));
  info->height = static_cast<uint16_t>(head[8] | (head[9] << 8));
  info->bitsPerPixel = static_cast<uint8_t>((head[10] & 7) + 1);
  info->fileSize = static_cast<uint32_t>(vuFileSize(file.get()));
  return 0;
}
