// The vuImage entry points of the format framework: type detection, load, save, information.
#include <cstring>
#include <memory>

#include "formats/vuRWImage.h"
#include "formats/vuRegistry.h"
#include "formats/vuSignatures.h"

namespace {
using RWPointer = std::unique_ptr<vuRWImage>;

// Appends text up to its first "|" (or its end).
void AppendFirstField(std::string& out, const char* text) {
  const char* bar = std::strchr(text, '|');
  out.append(text, bar ? static_cast<size_t>(bar - text) : std::strlen(text));
}
} // namespace

int vuImage::GetFileType(FILE* stream) {
  uint8_t bytes[kSignatureBytes];
  size_t length = std::fread(bytes, 1, sizeof bytes, stream);
  // Step back over what was read, so a short file also keeps its position.
  if (length > 0) std::fseek(stream, -static_cast<long>(length), SEEK_CUR);
  return vuMatchSignature(bytes, length);
}

int vuImage::GetFileType(const char* fileName) {
  if (!fileName) return -1;
  FILE* stream = std::fopen(fileName, "rb");
  if (!stream) return -1;
  uint8_t bytes[kSignatureBytes];
  size_t length = std::fread(bytes, 1, sizeof bytes, stream);
  std::fclose(stream);
  return vuMatchSignature(bytes, length);
}

vuRWImage* vuImage::CreateRWImage(int type) {
  return vuFormatRegistry::Instance().Create(type, this);
}

int vuImage::LoadImage(const char* fileName) {
  int type = GetFileType(fileName);
  if (type < 0) return type;
  RWPointer reader(CreateRWImage(type));
  if (!reader) return -3;
  void* options = reader->GetInOptions();
  int count = -1;
  int result = reader->Read(fileName, &count, &header, &palette, &bits, options);
  // A reader keeps what it decoded of a damaged file for callers that ask it directly (the
  // converter's --allow-damaged); a failed load leaves no part of a picture behind.
  if (result != 0 && !reader->damage.empty()) Delete();
  if (count >= 0) dataSize = count;
  if (result == 0 && header && format == BM_8BIT_COLOR && IsGrayScale()) MakeGS();
  return result;
}

int vuImage::SaveImage(const char* fileName, int type) {
  RWPointer writer(CreateRWImage(type));
  if (!writer) return -3;
  void* options = nullptr;
  if (type == 1) {
    options = writer->GetOutOptions(1);
    if (!options) return 1; // the options dialog was cancelled: nothing written
  }
  int result = writer->Write(fileName, header, palette, bits, options);
  if (options) writer->FreeOutOptions(options);
  return result;
}

int vuImage::SaveImage(const char* fileName, int type, void* options) {
  RWPointer writer(CreateRWImage(type));
  if (!writer) return -3;
  return writer->Write(fileName, header, palette, bits, options);
}

int vuImage::GetInfo(const char* fileName, vuFileInfo* info) {
  int type = GetFileType(fileName);
  if (type < 0) return type;
  RWPointer reader(CreateRWImage(type));
  if (!reader) return -1;
  return reader->GetInfo(fileName, info) == 0 ? 0 : -1;
}

void* vuImage::GetInOptions(int type) {
  RWPointer reader(CreateRWImage(type));
  return reader ? reader->GetInOptions() : nullptr;
}

void* vuImage::GetOutOptions(int type) {
  RWPointer writer(CreateRWImage(type));
  return writer ? writer->GetOutOptions(1) : nullptr;
}

char* vuImage::BMFileTypes(int* types) {
  std::vector<int> offered = vuSaveTypesFor(format);
  if (offered.empty()) return nullptr;
  std::string list;
  int count = 0;
  for (int type : offered) {
    RWPointer writer(CreateRWImage(type));
    if (!writer) continue; // a format this program does not register
    AppendFirstField(list, writer->description);
    list.push_back('\0');
    list += "*.";
    AppendFirstField(list, writer->extensions);
    list.push_back('\0');
    types[count++] = type;
  }
  list.push_back('\0');
  constexpr size_t kBufferSize = 1024;
  char* buffer = new char[kBufferSize]();
  std::memcpy(buffer, list.data(), std::min(list.size(), kBufferSize - 2));
  return buffer;
}
