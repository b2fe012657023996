// Reading older-generation WIF files into images: pixel formats, significant bits, byte counts,
// file information and failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "ClassicTestEncoder.h"
#include "ClassicTestHelpers.h"
#include "codec/vuClassicWif.h"
#include "formats/vuRWImage.h"
#include "support/TestSupport.h"

using namespace classictest;

namespace {

Picture Pattern(int width, int height, int channels, int maxValue) {
  Picture p;
  p.width = width;
  p.height = height;
  p.channels = channels;
  p.maxValue = maxValue;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < channels; ++c)
        p.samples.push_back(uint16_t(((x * 9 + y * 4 + c * 50) % 256) * (maxValue / 255)));
  return p;
}

// Writes the file and reads it back as an image; returns the read's result.
int ReadBack(const std::vector<uint8_t>& file, vutest::ScopedImage* image, int* count,
             vutest::TempDir& dir) {
  std::string path = dir.Path("old.wif");
  vutest::WriteFileBytes(path, file);
  return vuReadClassicWif(path.c_str(), image, count);
}

TEST(ClassicImage, PixelFormatsFollowTheHeader) {
  vutest::TempDir dir;
  struct Case {
    char digit;
    int bytesField;
    int bitsField;
    vuBMFormat format;
    int colors;
    int sampleBits;
  };
  const Case cases[] = {
      {'5', 0, 0, BM_8BIT_GRAY, 256, 0},
      {'7', 2, 12, BM_16BIT_GRAY, 0, 12},
      {'6', 1, 0, BM_24BIT, 0, 0},
      {'8', 2, 0, BM_48BIT, 0, 16},
  };
  for (const Case& c : cases) {
    bool color = c.digit == '6' || c.digit == '8';
    int maxValue = c.bytesField == 2 ? 65535 : 255;
    Picture picture = Pattern(13, 7, color ? 3 : 1, maxValue);
    if (c.bitsField == 12)
      for (auto& s : picture.samples)
        s >>= 4;
    EncodeOptions o;
    o.digit = c.digit;
    o.levels = 2;
    o.revisionMajor = 4;
    o.revisionMinor = 7;
    o.sampleBytesField = c.bytesField;
    o.sampleBitsField = c.bitsField;
    o.quantizerByte = 1;
    std::vector<uint8_t> file = EncodeClassic(picture, o);
    vutest::ScopedImage image;
    int count = 0;
    ASSERT_EQ(ReadBack(file, &image, &count, dir), 0) << c.digit;
    EXPECT_EQ(image.format, c.format);
    EXPECT_EQ(image.Colors(), c.colors);
    EXPECT_EQ(image.Width(), 13);
    EXPECT_EQ(image.Height(), 7);
    if (c.sampleBits) {
      EXPECT_EQ(image.sampleBits, c.sampleBits);
    }
    EXPECT_EQ(count, int(file.size()));
    // Top row of the picture is the image's last row; red is the third byte of a pixel.
    uint16_t raw[4] = {};
    image.accessor->GetRaw(3, 6, raw);
    for (int ch = 0; ch < picture.channels; ++ch) {
      double tolerance = 4.0 * (maxValue / 255) + 1;
      EXPECT_NEAR(raw[ch], picture.At(3, 0, ch), tolerance) << c.digit << " channel " << ch;
    }
    vuFileInfo info;
    std::string path = dir.Path("old.wif");
    ASSERT_EQ(vuClassicWifInfo(path.c_str(), &info), 0);
    EXPECT_EQ(info.bitsPerPixel, image.Depth());
    EXPECT_EQ(info.fileSize, file.size());
  }
}

TEST(ClassicImage, OldRevisionWithTwoSampleBytesReadsAsEightBit) {
  vutest::TempDir dir;
  Picture picture = Pattern(9, 9, 3, 255);
  EncodeOptions o;
  o.digit = '6';
  o.levels = 2;
  o.revisionMajor = 4;
  o.revisionMinor = 6;
  o.sampleBytesField = 2;
  vutest::ScopedImage image;
  int count = 0;
  ASSERT_EQ(ReadBack(EncodeClassic(picture, o), &image, &count, dir), 0);
  EXPECT_EQ(image.format, BM_24BIT);
  vuFileInfo info;
  ASSERT_EQ(vuClassicWifInfo(dir.Path("old.wif").c_str(), &info), 0);
  EXPECT_EQ(info.bitsPerPixel, 24);
  ClassicHeader header;
  ASSERT_EQ(vuClassicWifHeader(dir.Path("old.wif").c_str(), &header), 0);
  EXPECT_EQ(header.sampleBytes, 2);
}

TEST(ClassicImage, FailuresLeaveTheImageEmpty) {
  vutest::TempDir dir;
  vutest::ScopedImage image;
  int count = 0;
  EXPECT_EQ(vuReadClassicWif(dir.Path("missing.wif").c_str(), &image, &count), -1);
  vuFileInfo info;
  EXPECT_EQ(vuClassicWifInfo(dir.Path("missing.wif").c_str(), &info), -1);

  EncodeOptions o;
  o.digit = '5';
  o.levels = 3;
  std::vector<uint8_t> file = EncodeClassic(Pattern(20, 20, 1, 255), o);
  file.resize(file.size() - 3);
  EXPECT_EQ(ReadBack(file, &image, &count, dir), -2);
  EXPECT_EQ(image.header, nullptr);

  std::vector<uint8_t> wif2 = {'W', 'I', 'F', '2', 0, 0, 0, 0};
  vutest::WriteFileBytes(dir.Path("new.wif"), wif2);
  EXPECT_EQ(vuReadClassicWif(dir.Path("new.wif").c_str(), &image, &count), -2);
  EXPECT_EQ(vuClassicWifInfo(dir.Path("new.wif").c_str(), &info), -2);
}

} // namespace

namespace {

std::vector<uint8_t> SmallColourFile(bool shortForm, int revisionMinor = 0) {
  EncodeOptions o;
  o.digit = '6';
  o.levels = 3;
  o.shortForm = shortForm;
  o.revisionMinor = revisionMinor;
  o.comment = "an old picture";
  return EncodeClassic(Pattern(21, 14, 3, 255), o);
}

TEST(ClassicImage, LoadImageAndGetInfoReadOlderFilesThroughTheWifReader) {
  vutest::TempDir dir;
  for (bool shortForm : {false, true}) {
    std::string path = dir.Path(shortForm ? "short.wif" : "long.vuw");
    std::vector<uint8_t> file = SmallColourFile(shortForm);
    vutest::WriteFileBytes(path, file);
    vutest::ScopedImage image;
    ASSERT_EQ(image.LoadImage(path.c_str()), 0) << path;
    EXPECT_EQ(image.format, BM_24BIT);
    EXPECT_EQ(image.Width(), 21);
    EXPECT_EQ(image.dataSize, int(file.size()));
    vuFileInfo info;
    ASSERT_EQ(image.GetInfo(path.c_str(), &info), 0);
    EXPECT_EQ(info.width, 21);
    EXPECT_EQ(info.height, 14);
    EXPECT_EQ(info.bitsPerPixel, 24);
  }
}

TEST(ClassicImage, ShortFormWithMinorRevisionFiftyIsAnOlderFile) {
  // "W6", major 5, minor 50: the fourth byte is '2', but the file is no "WIF2" file.
  vutest::TempDir dir;
  std::vector<uint8_t> file = SmallColourFile(true, '2');
  ASSERT_EQ(file[3], '2');
  std::string path = dir.Path("w6.wif");
  vutest::WriteFileBytes(path, file);
  vutest::ScopedImage image;
  ASSERT_EQ(image.LoadImage(path.c_str()), 0);
  EXPECT_EQ(image.Width(), 21);
}

TEST(ClassicImage, ConverterWritesAndDescribesOlderFiles) {
  vutest::TempDir dir;
  std::string in = dir.Path("old.wif");
  std::string out = dir.Path("out.ppm");
  std::vector<uint8_t> file = SmallColourFile(false);
  vutest::WriteFileBytes(in, file);
  std::string output;
  ASSERT_EQ(vutest::RunConvert(vutest::Quote(in) + " " + vutest::Quote(out), &output), 0) << output;
  Picture written, decoded;
  ASSERT_TRUE(ReadPnm(out, &written));
  ASSERT_EQ(DecodeBytes(file, &decoded), 0);
  EXPECT_EQ(MaxDifference(written, decoded), 0);

  ASSERT_EQ(vutest::RunConvert("--info " + vutest::Quote(in), &output), 0) << output;
  EXPECT_NE(output.find("bits per pixel: 24"), std::string::npos) << output;
  EXPECT_NE(output.find("older (\"WIF6\")"), std::string::npos) << output;
  EXPECT_NE(output.find("levels:         3 (coarse 0)"), std::string::npos) << output;
  EXPECT_NE(output.find("\"an old picture\""), std::string::npos) << output;

  // A damaged file: a one-line message and a failure status, no output file.
  file.resize(file.size() / 2);
  vutest::WriteFileBytes(in, file);
  std::string damaged = dir.Path("damaged.ppm");
  EXPECT_EQ(vutest::RunConvert(vutest::Quote(in) + " " + vutest::Quote(damaged), &output), 1);
  EXPECT_FALSE(std::filesystem::exists(damaged));
}

} // namespace
