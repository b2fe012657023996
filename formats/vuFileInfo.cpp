#include "formats/vuFileInfo.h"

int64_t vuFileSize(FILE* stream) {
  long position = std::ftell(stream);
  if (position < 0 || std::fseek(stream, 0, SEEK_END) != 0) return -1;
  long size = std::ftell(stream);
  std::fseek(stream, position, SEEK_SET);
  return size;
}
