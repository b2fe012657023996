// Base class of every file-format reader/writer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "formats/vuFileInfo.h"
#include "imagelib/vuImage.h"


class vuRWImage : public vuObject {
public:
  // `extensions` and `description`: upper-case extensions and names separated by "|".
  vuRWImage(vuImage* image, int typeId, int access, const char* extensions, const char* description)
      : image(image), typeId(typeId), access(access), extensions(extensions),
        description(description) {}
  ~vuRWImage() override = default;

  // Reads the whole file into `image` (through AllocateBitmap); `count` gets the size the format
  // defines. 0 success, -1 cannot open, -2 not valid for the format, -3 no memory.
  // A file whose data ends early or is damaged gives -2 with `damage` saying what is wrong, and
  // the image keeps the part that could be decoded (the rest black): a caller of Read decides
  // whether that part is of use (LoadImage deletes it). TIFF files keep such a picture as their
  // result (0) and say so in `damage` too.
  virtual int Read(const char* fileName, int* count, vuBitmapInfoHeader** header, vuRGBA** palette,
                   uint8_t** bits, void* options) = 0;
  // Writes `image` to a new file. 0 success, -1 failure (no file is left behind).
  virtual int Write(const char* fileName, vuBitmapInfoHeader* header, vuRGBA* palette,
                    uint8_t* bits, void* options) = 0;
  // Fills `info` from the file's header. 0, -1 cannot open, -2 bad header.
  virtual int GetInfo(const char* fileName, vuFileInfo* info) = 0;
  virtual void* GetInOptions() { return nullptr; }
  virtual void* GetOutOptions(int type) {
    (void)type;
    return nullptr;
  }
  // Releases a record that GetOutOptions returned (its type is known only to the writer).
  virtual void FreeOutOptions(void* options) { (void)options; }

  // Byte-order helpers. ReadShort and ReadLong keep the low 8 bits of each byte read (a byte past
  // the end counts as 0xFF); ReadByte returns EOF as it is.
  int ReadByte(FILE* stream) const;
  int ReadShort(FILE* stream) const;
  int32_t ReadLong(FILE* stream) const;
  void WriteByte(FILE* stream, int value) const;
  void WriteShort(FILE* stream, int value) const;
  void WriteLong(FILE* stream, int32_t value) const;

  int32_t bigEndian = 0;
  vuImage* image;
  int32_t typeId;
  int32_t access; // 3 read and write, 1 read only
  const char* extensions;
  const char* description;
  // Set by Read: what is missing or damaged in the file's data; empty when it was read whole.
  std::string damage;
};

// The damage text of a file whose data ends while row `row` (counted from 1, in the order the
// file gives its rows) of `height` is due.
std::string vuDataEndsInRow(int64_t row, int64_t height);
