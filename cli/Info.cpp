#include "cli/Info.h"

#include <cstdio>
#include <memory>

#include "cli/Convert.h"
#include "formats/vuRWImage.h"

bool PrintFileInfo(const std::string& fileName, std::string* error) {
  vuImage image;
  int type = image.GetFileType(fileName.c_str());
  if (type < 0) {
    *error = LoadErrorText(fileName, type);
    return false;
  }
  std::unique_ptr<vuRWImage> reader(image.CreateRWImage(type));
  if (!reader) {
    *error = "no reader for this file type";
    return false;
  }
  vuFileInfo info;
  if (reader->GetInfo(fileName.c_str(), &info) != 0) {
    *error = "cannot read the file's header";
    return false;
  }
  std::string name = reader->description;
  name = name.substr(0, name.find('|'));
  std::printf("%s\n", fileName.c_str());
  std::printf("  type:           %s (%d)\n", name.c_str(), type);
  std::printf("  width:          %u\n", info.width);
  std::printf("  height:         %u\n", info.height);
  std::printf("  bits per pixel: %u\n", info.bitsPerPixel);
  std::printf("  file size:      %u bytes\n", info.fileSize);
  return true;
}
