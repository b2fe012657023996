#include <gtest/gtest.h>

#include <filesystem>

#include "DesktopTestSupport.h"
#include "desktop/WifMemory.h"
#include "support/Picture.h"

using namespace vutest;

namespace {

bool Looks(const std::string& text) {
  return vuLooksLikeWif(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// The picture a memory load gives must be the one LoadImage gives for the file.
void ExpectSameAsFile(const std::string& path) {
  const Bytes bytes(path);
  vuImageOwner fromMemory;
  ASSERT_EQ(vuLoadWifFromMemory(&fromMemory, bytes.data.data(), bytes.data.size()), 0) << path;
  vuImageOwner fromFile;
  ASSERT_EQ(fromFile.LoadImage(path.c_str()), 0) << path;
  std::string why;
  EXPECT_TRUE(SamePixels(fromMemory, fromFile, &why)) << path << ": " << why;
  EXPECT_EQ(fromMemory.sampleBits, fromFile.sampleBits);
}

} // namespace

TEST(WifSignature, BothGenerationsAndNothingElse) {
  for (const char* text : {"WIF2", "WIF5", "WIF6", "WIF7", "WIF8", "W5", "W6", "W7", "W8x"})
    EXPECT_TRUE(Looks(text)) << text;
  for (const char* text : {"", "W", "WIF", "WIF3", "W4", "W9", "BM", "\x89PNG", "wif2", "P6"})
    EXPECT_FALSE(Looks(text)) << text;
  EXPECT_FALSE(vuLooksLikeWif(nullptr, 4));
}

TEST(WifMemoryLoad, SameImageAsTheFileReader) {
  TempDir dir;
  ExpectSameAsFile(MakeWif(dir, "camera.pgm", "grey.wif", "-q 30"));
  ExpectSameAsFile(MakeWif(dir, "chelsea.ppm", "colour.wif", "-q 60 --fast"));
  ExpectSameAsFile(MakeWif(dir, "astronaut.ppm", "tiled.wif", "--tiles"));
  for (const char* name : {"g01_camera_wif5.wif", "c05_coffee_w8.wif", "g16_moon16_P12.wif"}) {
    const std::string path = SharedTestData(std::string("classic/") + name);
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no shared test data";
    ExpectSameAsFile(path);
  }
}

TEST(WifMemoryLoad, DamagedOrForeignBytesGiveNoImage) {
  TempDir dir;
  const std::string path = MakeWif(dir, "chelsea.ppm", "colour.wif");
  const Bytes wif(path);
  {
    // Cut inside the header.
    vuImageOwner image;
    EXPECT_EQ(vuLoadWifFromMemory(&image, wif.data.data(), 30), -2);
    EXPECT_EQ(image.header, nullptr);
  }
  {
    // Cut inside the coded data: whatever the file reader makes of the same bytes.
    const std::string cut = dir.Path("cut.wif");
    WriteFileBytes(cut, std::vector<uint8_t>(wif.data.begin(), wif.data.begin() + 200));
    vuImageOwner image;
    vuImageOwner reference;
    const int expected = reference.LoadImage(cut.c_str());
    EXPECT_EQ(vuLoadWifFromMemory(&image, wif.data.data(), 200), expected);
    if (expected == 0) EXPECT_TRUE(SamePixels(image, reference));
  }
  {
    // Another format is not decoded by the WIF loaders, even though the library reads it.
    const Bytes ppm(Sample("chelsea.ppm"));
    vuImageOwner image;
    EXPECT_EQ(vuLoadWifFromMemory(&image, ppm.data.data(), ppm.data.size()), -1);
    EXPECT_EQ(image.header, nullptr);
    EXPECT_EQ(vuLoadWifFromMemory(&image, nullptr, 0), -1);
  }
}

TEST(WifMemoryInfo, SizeFromTheHeaderAlone) {
  TempDir dir;
  const Bytes wif(MakeWif(dir, "chelsea.ppm", "colour.wif"));
  vuFileInfo info;
  ASSERT_EQ(vuWifInfoFromMemory(wif.data.data(), 40, &info), 0);
  EXPECT_EQ(info.width, 451);
  EXPECT_EQ(info.height, 300);
  EXPECT_EQ(info.bitsPerPixel, 24);
  const std::string classic = SharedTestData("classic/g01_camera_wif5.wif");
  if (std::filesystem::exists(classic)) {
    const Bytes old(classic);
    ASSERT_EQ(vuWifInfoFromMemory(old.data.data(), old.data.size(), &info), 0);
    EXPECT_EQ(info.bitsPerPixel, 8);
  }
  std::vector<uint8_t> broken(wif.data.begin(), wif.data.begin() + 40);
  broken[8] = broken[9] = broken[10] = broken[11] = 0; // no width
  EXPECT_EQ(vuWifInfoFromMemory(broken.data(), broken.size(), &info), -1);
}

TEST(PlainPixels, SixteenBitSamplesKeepTheirTopSignificantBits) {
  EXPECT_EQ(vuSampleTo8Bits(4095, 12), 255);
  EXPECT_EQ(vuSampleTo8Bits(0x0ab0, 12), 0xab);
  EXPECT_EQ(vuSampleTo8Bits(0xffff, 12), 255); // beyond the significant range: clamped
  EXPECT_EQ(vuSampleTo8Bits(0x1234, 16), 0x12);
  EXPECT_EQ(vuSampleTo8Bits(200, 8), 200);

  vuImageOwner image;
  ASSERT_EQ(image.AllocateBitmap(2, 1, 0, BM_48BIT), 1);
  image.sampleBits = 10;
  // Blue, green, red per pixel, little-endian.
  const uint16_t samples[6] = {0x3ff, 0x200, 0x004, 0, 0, 0x3ff};
  for (int i = 0; i < 6; ++i) {
    image.Row(0)[2 * i] = static_cast<uint8_t>(samples[i]);
    image.Row(0)[2 * i + 1] = static_cast<uint8_t>(samples[i] >> 8);
  }
  vuPlainPixels plain;
  ASSERT_TRUE(vuToPlainPixels(image, &plain));
  EXPECT_EQ(plain.channels, 3);
  EXPECT_EQ(plain.samples, (std::vector<uint8_t>{1, 128, 255, 255, 0, 0}));
}
