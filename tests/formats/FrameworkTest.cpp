// File-type detection, the registry and the vuImage entry points.
#include <gtest/gtest.h>

#include <cstring>

#include "formats/vuRegistry.h"
#include "formats/vuSignatures.h"
#include "support/TestSupport.h"

using vutest::ScopedImage;
using vutest::TempDir;

namespace {
int Match(const std::vector<uint8_t>& bytes) {
  return vuMatchSignature(bytes.data(), bytes.size());
}
std::vector<uint8_t> Bytes(const char* text) {
  return std::vector<uint8_t>(text, text + std::strlen(text));
}
} // namespace

TEST(Signatures, FirstMatchingRecordWins) {
  EXPECT_EQ(Match(Bytes("BM\x36\x10")), 2);
  EXPECT_EQ(Match(Bytes("WIF2xxxx")), 1);
  EXPECT_EQ(Match(Bytes("W5 anything")), 1);
  EXPECT_EQ(Match(Bytes("WIF8")), 1);
  EXPECT_EQ(Match(Bytes("WIF3")), -1);
  EXPECT_EQ(Match(Bytes("P5\n3 2\n255\n")), 5);
  EXPECT_EQ(Match(Bytes("P6 1 1 255\n")), 4);
  // The plain forms and the bitmaps go to the grey-map and pixel-map readers.
  EXPECT_EQ(Match(Bytes("P3 1 1 255\n")), 4);
  EXPECT_EQ(Match(Bytes("P1 1 1\n")), 5);
  EXPECT_EQ(Match(Bytes("P2 1 1 255\n")), 5);
  EXPECT_EQ(Match(Bytes("P4 1 1\n")), 5);
  EXPECT_EQ(Match(Bytes("P7 1 1\n")), -1);
  EXPECT_EQ(Match(Bytes("GIF89a")), 11);
  EXPECT_EQ(Match(Bytes("GIF87a")), 11);
  EXPECT_EQ(Match({0x49, 0x49, 0x2A, 0x00, 8, 0, 0, 0}), 7);
  EXPECT_EQ(Match({0x4D, 0x4D, 0x00, 0x2A, 0, 0, 0, 8}), 7);
  EXPECT_EQ(Match({0x00, 0x01, 0x01, 0x00}), 8);
  EXPECT_EQ(Match({0x00, 0x00, 0x02, 0, 0, 0, 0, 0, 0, 0}), 8);
  EXPECT_EQ(Match({0x00, 0x00, 0x03, 0, 0, 0, 0, 0, 0, 0}), 8);
  EXPECT_EQ(Match({0x05, 0x00, 0x02, 0, 0, 0, 0, 0, 0, 0}), -1); // identification field present
  EXPECT_EQ(Match({0xFF, 0xD8, 0xFF, 0xE0}), 12);
  EXPECT_EQ(Match({0x0A, 0x05, 0x01, 0x08}), 3);
  EXPECT_EQ(Match(Bytes("\nplain text")), 3); // a text file starting with a line feed
}

TEST(Signatures, ShortDataOnlyMatchesRecordsItCovers) {
  EXPECT_EQ(Match(Bytes("P")), -1);
  EXPECT_EQ(Match(Bytes("WIF")), -1);
  EXPECT_EQ(Match(Bytes("W5")), 1);
  EXPECT_EQ(Match({0x00, 0x00, 0x02, 0x00}), -1); // true-colour Targa needs eight bytes
  EXPECT_EQ(Match({}), -1);
}

TEST(Framework, GetFileTypeByNameAndStream) {
  TempDir dir;
  ScopedImage image;
  EXPECT_EQ(image.GetFileType(dir.Path("missing").c_str()), -1);
  vutest::WriteFileBytes(dir.Path("short"), Bytes("BM"));
  EXPECT_EQ(image.GetFileType(dir.Path("short").c_str()), 2);
  EXPECT_EQ(image.GetFileType(vutest::Sample("camera.pgm").c_str()), 5);

  FILE* stream = std::fopen(vutest::Sample("chelsea.ppm").c_str(), "rb");
  ASSERT_NE(stream, nullptr);
  std::fseek(stream, 0, SEEK_SET);
  EXPECT_EQ(image.GetFileType(stream), 4);
  EXPECT_EQ(std::ftell(stream), 0);
  std::fclose(stream);

  stream = std::fopen(dir.Path("short").c_str(), "rb");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(image.GetFileType(stream), 2);
  EXPECT_EQ(std::ftell(stream), 0); // a short file keeps its position too
  std::fclose(stream);
}

TEST(Framework, LoadSaveAndInfoReportFailures) {
  TempDir dir;
  ScopedImage image;
  EXPECT_EQ(image.LoadImage(dir.Path("missing.bmp").c_str()), -1);
  vutest::WriteFileBytes(dir.Path("unknown"), Bytes("hello world"));
  EXPECT_EQ(image.LoadImage(dir.Path("unknown").c_str()), -1);
  EXPECT_EQ(image.CreateRWImage(6), nullptr);
  EXPECT_EQ(image.CreateRWImage(9), nullptr);
  EXPECT_EQ(image.CreateRWImage(0), nullptr);

  ASSERT_EQ(image.LoadImage(vutest::Sample("camera.pgm").c_str()), 0);
  EXPECT_EQ(image.dataSize, 512 * 512);
  EXPECT_EQ(image.SaveImage(dir.Path("no/such/folder/x.bmp").c_str(), 2, nullptr), -1);
  EXPECT_EQ(image.SaveImage(dir.Path("x.dat").c_str(), 6, nullptr), -3);
  EXPECT_EQ(image.SaveImage(dir.Path("x.bmp").c_str(), 2, nullptr), 0);

  vuFileInfo info;
  ASSERT_EQ(image.GetInfo(dir.Path("x.bmp").c_str(), &info), 0);
  EXPECT_EQ(info.width, 512);
  EXPECT_EQ(info.height, 512);
  EXPECT_EQ(info.bitsPerPixel, 8);
  EXPECT_EQ(info.fileSize, 54u + 1024u + 512u * 512u);
  EXPECT_EQ(image.GetInfo(dir.Path("missing").c_str(), &info), -1);
  ASSERT_EQ(image.GetInfo(vutest::Sample("chelsea.ppm").c_str(), &info), 0);
  EXPECT_EQ(info.bitsPerPixel, 24);
}

TEST(Framework, PaletteImagesWithGreyTablesLoadAsGrey) {
  TempDir dir;
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(3, 2, 16, BM_8BIT_COLOR), 1); // a grey ramp table
  image.Row(0)[1] = 9;
  ASSERT_EQ(image.SaveImage(dir.Path("grey.bmp").c_str(), 2, nullptr), 0);
  ScopedImage loaded;
  ASSERT_EQ(loaded.LoadImage(dir.Path("grey.bmp").c_str()), 0);
  EXPECT_EQ(loaded.format, BM_8BIT_GRAY);
  EXPECT_EQ(loaded.Row(0)[1], 9);

  image.palette[9] = vuRGBA{0, 0, 255, 0};
  ASSERT_EQ(image.SaveImage(dir.Path("colour.bmp").c_str(), 2, nullptr), 0);
  ASSERT_EQ(loaded.LoadImage(dir.Path("colour.bmp").c_str()), 0);
  EXPECT_EQ(loaded.format, BM_8BIT_COLOR);
}

TEST(Framework, SaveTypesAndTheSaveDialogFilterList) {
  EXPECT_EQ(vuSaveTypesFor(BM_1BIT), std::vector<int>({7, 13}));
  EXPECT_EQ(vuSaveTypesFor(BM_16BIT_COLOR), std::vector<int>());
  std::vector<int> colour = vuSaveTypesFor(BM_24BIT);
  ASSERT_GE(colour.size(), 7u);
  EXPECT_EQ(std::vector<int>(colour.begin(), colour.begin() + 7),
            std::vector<int>({1, 2, 7, 8, 4, 12, 3}));

  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(2, 2, 0, BM_24BIT), 1);
  int types[16] = {0};
  char* list = image.BMFileTypes(types);
  ASSERT_NE(list, nullptr);
  // Each registered writer contributes its first description and "*." with its first extension.
  const char* p = list;
  int entries = 0;
  while (*p) {
    std::unique_ptr<vuRWImage> writer(image.CreateRWImage(types[entries]));
    ASSERT_NE(writer, nullptr);
    std::string description = writer->description;
    EXPECT_EQ(std::string(p), description.substr(0, description.find('|')));
    p += std::strlen(p) + 1;
    std::string extensions = writer->extensions;
    EXPECT_EQ(std::string(p), "*." + extensions.substr(0, extensions.find('|')));
    p += std::strlen(p) + 1;
    ++entries;
  }
  EXPECT_GE(entries, 2); // at least BMP and PPM
  delete[] list;
  std::unique_ptr<vuRWImage> bmp(image.CreateRWImage(2));
  EXPECT_STREQ(bmp->description, "Windows Bitmap )|Device Independent Bitmap ");
  EXPECT_STREQ(bmp->extensions, "BMP|DIB");
}

TEST(Framework, ByteOrderHelpers) {
  TempDir dir;
  ScopedImage image;
  std::unique_ptr<vuRWImage> rw(image.CreateRWImage(2));
  FILE* stream = std::fopen(dir.Path("bytes").c_str(), "w+b");
  ASSERT_NE(stream, nullptr);
  rw->WriteShort(stream, 0x1234);
  rw->WriteLong(stream, 0x0A0B0C0D);
  rw->bigEndian = 1;
  rw->WriteShort(stream, 0x1234);
  std::rewind(stream);
  uint8_t raw[8];
  ASSERT_EQ(std::fread(raw, 1, 8, stream), 8u);
  EXPECT_EQ(raw[0], 0x34);
  EXPECT_EQ(raw[2], 0x0D);
  EXPECT_EQ(raw[6], 0x12);
  std::rewind(stream);
  rw->bigEndian = 0;
  EXPECT_EQ(rw->ReadShort(stream), 0x1234);
  EXPECT_EQ(rw->ReadLong(stream), 0x0A0B0C0D);
  rw->ReadShort(stream);
  EXPECT_EQ(rw->ReadShort(stream), 0xFFFF); // past the end: each byte counts as 0xFF
  EXPECT_EQ(rw->ReadByte(stream), EOF);
  std::fclose(stream);
}
