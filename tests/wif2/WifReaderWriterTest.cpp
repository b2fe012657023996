// The WIF reader and writer on images and files, and vuconvert on WIF files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "WifTestSupport.h"
#include "codec/vuWifRW.h"
#include "codec/wif2/vuWifFormat.h"
#include "formats/vuRegistry.h"

using namespace vutest;

namespace {

// A platform whose WIF dialog answers with a fixed record.
class AnsweringPlatform : public vuRecordingPlatform {
public:
  vuWifSaveOptions* AskWifSaveOptions(const vuImage& image, int enableViewAfter) override {
    asked = true;
    askedFormat = image.format;
    askedEnable = enableViewAfter;
    auto* options = new vuWifSaveOptions;
    options->quality = 77;
    options->fastMode = 1;
    return options;
  }
  bool asked = false;
  int askedFormat = -1;
  int askedEnable = -1;
};

void FillGradient(vuImage& image) {
  const int samples = image.format == BM_24BIT ? 3 : image.format == BM_48BIT ? 3 : 1;
  const int bytes = (image.format == BM_48BIT || image.format == BM_16BIT_GRAY) ? 2 : 1;
  for (int y = 0; y < image.Height(); ++y) {
    uint8_t* row = image.Row(y);
    for (int x = 0; x < image.Width() * samples; ++x) {
      const int v = (x * 3 + y * 5) % 200 + 20;
      if (bytes == 1) {
        row[x] = uint8_t(v);
      } else {
        const int w = v << 4;
        row[2 * x] = uint8_t(w & 0xFF);
        row[2 * x + 1] = uint8_t(w >> 8);
      }
    }
  }
}

} // namespace

TEST(WifReaderWriter, RegisteredAsTypeOne) {
  ScopedImage image;
  std::unique_ptr<vuRWImage> rw(image.CreateRWImage(1));
  ASSERT_TRUE(rw);
  EXPECT_EQ(rw->typeId, 1);
  EXPECT_EQ(rw->access, 3);
  EXPECT_STREQ(rw->extensions, "WIF|VUW");
  EXPECT_STREQ(rw->description, "VU Wavelet Image File|Tessary Wavelet");
  for (vuBMFormat f : {BM_24BIT, BM_32BIT, BM_8BIT_GRAY, BM_16BIT_GRAY, BM_48BIT}) {
    std::vector<int> types = vuSaveTypesFor(f);
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types[0], 1) << f;
  }
}

TEST(WifReaderWriter, LargeImageOptionWritesTiles) {
  TempDir dir;
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(300, 200, 256, BM_8BIT_GRAY), 1);
  FillGradient(image);
  vuWifSaveOptions options;
  options.largeImage = 1;
  ASSERT_EQ(image.SaveImage(dir.Path("g.wif").c_str(), 1, &options), 0);
  std::vector<uint8_t> file = ReadFileBytes(dir.Path("g.wif"));
  ASSERT_GT(file.size(), 54u);
  EXPECT_EQ(file[12], 5);
  EXPECT_EQ(file[13], 50);
  EXPECT_EQ(file[14], 8);
  EXPECT_EQ(file[16] | (file[17] << 8), 256);
  EXPECT_EQ(file[18] | (file[19] << 8), 256);
  ScopedImage back;
  ASSERT_EQ(back.LoadImage(dir.Path("g.wif").c_str()), 0);
  EXPECT_EQ(back.format, BM_8BIT_GRAY);
  EXPECT_EQ(back.Colors(), 256);
  EXPECT_EQ(back.dataSize, int(file.size()));
  EXPECT_GT(Psnr(image, back), 35.0);
}

TEST(WifReaderWriter, FormatsTheCoderCannotTakeAreRefused) {
  TempDir dir;
  for (vuBMFormat f : {BM_8BIT_COLOR, BM_1BIT, BM_4BIT, BM_16BIT_COLOR}) {
    ScopedImage image;
    ASSERT_EQ(image.AllocateBitmap(20, 10, f == BM_8BIT_COLOR ? 256 : 0, f), 1);
    vuWifRW writer(&image);
    vuWifSaveOptions options;
    EXPECT_EQ(
        writer.Write(dir.Path("x.wif").c_str(), image.header, image.palette, image.bits, &options),
        -1);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("x.wif")));
  }
}

TEST(WifReaderWriter, ColourKeepsBlueGreenRedAndBottomRowFirst) {
  TempDir dir;
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(64, 64, 0, BM_24BIT), 1);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      uint8_t* p = image.Row(y) + 3 * x;
      p[0] = y < 32 ? 230 : 20; // blue in the bottom half
      p[1] = 128;
      p[2] = y < 32 ? 10 : 240; // red in the top half
    }
  vuWifSaveOptions options;
  options.quality = 5;
  ASSERT_EQ(image.SaveImage(dir.Path("c.wif").c_str(), 1, &options), 0);
  ScopedImage back;
  ASSERT_EQ(back.LoadImage(dir.Path("c.wif").c_str()), 0);
  ASSERT_EQ(back.format, BM_24BIT);
  EXPECT_NEAR(back.Row(5)[3 * 10 + 0], 230, 6);
  EXPECT_NEAR(back.Row(5)[3 * 10 + 2], 10, 6);
  EXPECT_NEAR(back.Row(60)[3 * 10 + 2], 240, 6);
  // The file starts with the picture's bottom rows: the codec's row 0 is the bitmap's row 0.
  std::vector<uint8_t> rows = wiftest::DecodeRows(ReadFileBytes(dir.Path("c.wif")));
  EXPECT_NEAR(rows[10 * 3], 230, 6);
}

TEST(WifReaderWriter, SixteenBitImagesKeepTheirSignificantBitsAndOddWidths) {
  TempDir dir;
  for (vuBMFormat f : {BM_16BIT_GRAY, BM_48BIT}) {
    ScopedImage image;
    ASSERT_EQ(image.AllocateBitmap(37, 21, 0, f), 1); // odd width: stride differs from packed
    FillGradient(image);
    vuWifSaveOptions options;
    options.quality = 1;
    options.significantBits = 12;
    const std::string name = dir.Path("w.wif");
    ASSERT_EQ(image.SaveImage(name.c_str(), 1, &options), 0);
    std::vector<uint8_t> file = ReadFileBytes(name);
    EXPECT_EQ(file[14] & 4, 4);
    EXPECT_EQ(file[15], 12);
    ScopedImage back;
    ASSERT_EQ(back.LoadImage(name.c_str()), 0);
    EXPECT_EQ(back.format, f);
    EXPECT_EQ(back.sampleBits, 12);
    EXPECT_GT(Psnr(image, back), 40.0) << f;
    // Without significant bits in the options, the image's own count is used.
    options.significantBits = 0;
    image.sampleBits = 13;
    ASSERT_EQ(image.SaveImage(name.c_str(), 1, &options), 0);
    EXPECT_EQ(ReadFileBytes(name)[15], 13);
  }
}

TEST(WifReaderWriter, ThirtyTwoBitImagesAreWrittenAsColour) {
  TempDir dir;
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(40, 30, 0, BM_32BIT), 1);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      uint8_t* p = image.Row(y) + 4 * x;
      p[0] = uint8_t(x * 5);
      p[1] = uint8_t(y * 7);
      p[2] = 100;
      p[3] = 255;
    }
  vuWifSaveOptions options;
  options.quality = 1;
  ASSERT_EQ(image.SaveImage(dir.Path("q.wif").c_str(), 1, &options), 0);
  ScopedImage back;
  ASSERT_EQ(back.LoadImage(dir.Path("q.wif").c_str()), 0);
  ASSERT_EQ(back.format, BM_24BIT);
  int worst = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      for (int c = 0; c < 3; ++c)
        worst = std::max(worst, std::abs(image.Row(y)[4 * x + c] - back.Row(y)[3 * x + c]));
  EXPECT_LE(worst, 4);
}

TEST(WifReaderWriter, InfoAndOlderFiles) {
  TempDir dir;
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(123, 45, 0, BM_48BIT), 1);
  FillGradient(image);
  vuWifSaveOptions options;
  ASSERT_EQ(image.SaveImage(dir.Path("i.wif").c_str(), 1, &options), 0);
  vuFileInfo info;
  ASSERT_EQ(image.GetInfo(dir.Path("i.wif").c_str(), &info), 0);
  EXPECT_EQ(info.width, 123);
  EXPECT_EQ(info.height, 45);
  EXPECT_EQ(info.bitsPerPixel, 48);
  EXPECT_EQ(info.fileSize, std::filesystem::file_size(dir.Path("i.wif")));

  // Damaged older-generation files and damaged headers are refused as bad data.
  for (const char* magic : {"WIF5", "W7xx", "WIF8"}) {
    std::vector<uint8_t> old(200, 0);
    std::memcpy(old.data(), magic, 4);
    WriteFileBytes(dir.Path("old.wif"), old);
    ScopedImage o;
    EXPECT_LT(o.LoadImage(dir.Path("old.wif").c_str()), 0) << magic;
    vuWifRW rw(&o);
    EXPECT_LT(rw.GetInfo(dir.Path("old.wif").c_str(), &info), 0);
  }
  std::vector<uint8_t> bad = ReadFileBytes(dir.Path("i.wif"));
  bad[12] = 0;
  WriteFileBytes(dir.Path("bad.wif"), bad);
  ScopedImage b;
  EXPECT_EQ(b.LoadImage(dir.Path("bad.wif").c_str()), -2);
  vuWifRW rw(&b);
  EXPECT_EQ(rw.GetInfo(dir.Path("bad.wif").c_str(), &info), -2);
  EXPECT_EQ(rw.Read(dir.Path("missing.wif").c_str(), nullptr, nullptr, nullptr, nullptr, nullptr),
            -1);
  // Too wide for the data model: refused before any allocation.
  std::vector<uint8_t> wide = ReadFileBytes(dir.Path("i.wif"));
  wide[8] = 0xFF;
  wide[9] = 0x2F; // 12287 pixels of 48 bits
  WriteFileBytes(dir.Path("wide.wif"), wide);
  EXPECT_EQ(b.LoadImage(dir.Path("wide.wif").c_str()), -2);
}

TEST(WifReaderWriter, OptionsComeThroughThePlatform) {
  TempDir dir;
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(50, 40, 256, BM_8BIT_GRAY), 1);
  FillGradient(image);
  {
    // Headless: no dialog, so no options and nothing written.
    vuRecordingPlatform headless;
    vuScopedPlatform guard(&headless);
    EXPECT_EQ(image.GetOutOptions(1), nullptr);
    image.SaveImage(dir.Path("none.wif").c_str(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("none.wif")));
  }
  AnsweringPlatform answering;
  vuScopedPlatform guard(&answering);
  ASSERT_EQ(image.SaveImage(dir.Path("asked.wif").c_str(), 1), 0);
  EXPECT_TRUE(answering.asked);
  EXPECT_EQ(answering.askedFormat, BM_8BIT_GRAY);
  EXPECT_EQ(answering.askedEnable, 1);
  std::vector<uint8_t> file = ReadFileBytes(dir.Path("asked.wif"));
  ASSERT_GT(file.size(), 54u);
  EXPECT_EQ(file[13], 77);
  EXPECT_EQ(file[14], 2);
}

TEST(WifReaderWriter, ConvertCompressesDecodesAndShowsTheHeader) {
  TempDir dir;
  const std::string wif = dir.Path("photo.wif");
  std::string output;
  ASSERT_EQ(RunConvert(Quote(Sample("chelsea.ppm")) + " " + Quote(wif) + " -q 60 --fast --tiles",
                       &output),
            0)
      << output;
  ASSERT_EQ(RunConvert("--info " + Quote(wif), &output), 0) << output;
  EXPECT_NE(output.find("quality:        60"), std::string::npos) << output;
  EXPECT_NE(output.find("fast mode:      yes"), std::string::npos) << output;
  EXPECT_NE(output.find("tiles:          256 x 256"), std::string::npos) << output;
  EXPECT_NE(output.find("levels:         5"), std::string::npos) << output;
  EXPECT_NE(output.find("VU Ver2 , 1998"), std::string::npos) << output;
  const std::string ppm = dir.Path("back.ppm");
  ASSERT_EQ(RunConvert(Quote(wif) + " " + Quote(ppm), &output), 0) << output;
  ScopedImage original, back;
  ASSERT_EQ(original.LoadImage(Sample("chelsea.ppm").c_str()), 0);
  ASSERT_EQ(back.LoadImage(ppm.c_str()), 0);
  EXPECT_GT(Psnr(original, back), 30.0);
  // Bad option values are refused.
  EXPECT_NE(RunConvert(Quote(Sample("chelsea.ppm")) + " " + Quote(dir.Path("x.wif")) + " -q 300",
                       &output),
            0);
}

TEST(WifReaderWriter, ChunksThatOutgrowTheLengthFieldAreNeverWritten) {
  // 16-bit colour at fine quality codes its chroma low band at a very fine step: the single
  // chunk outgrows three bytes, so the writer falls back to tiles (with a notice); at the finest
  // quality even one tile does not fit and the write fails without leaving a file.
  TempDir dir;
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(Sample("astronaut.ppm").c_str()), 0);
  const std::vector<uint8_t> wide =
      wiftest::CodecRows(wiftest::Widen(wiftest::LoadSample("astronaut.ppm"), 16));
  ScopedImage deep;
  ASSERT_EQ(deep.AllocateBitmap(512, 512, 0, BM_48BIT), 1);
  for (int y = 0; y < 512; ++y)
    std::copy(wide.begin() + long(y) * 512 * 6, wide.begin() + long(y + 1) * 512 * 6, deep.Row(y));
  vuRecordingPlatform recorder;
  vuScopedPlatform guard(&recorder);
  vuWifSaveOptions options;
  options.quality = 10;
  options.significantBits = 16;
  ASSERT_EQ(deep.SaveImage(dir.Path("fallback.wif").c_str(), 1, &options), 0);
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].caption, "Info");
  std::vector<uint8_t> file = ReadFileBytes(dir.Path("fallback.wif"));
  EXPECT_EQ(file[14] & 8, 8);
  size_t offset = 54, chunks = 0;
  while (offset + 4 <= file.size()) {
    offset += vuWifChunkLength(&file[offset]);
    ++chunks;
  }
  EXPECT_EQ(offset, file.size());
  EXPECT_EQ(chunks, 4u);

  options.quality = 1;
  recorder.messages.clear();
  EXPECT_EQ(deep.SaveImage(dir.Path("fails.wif").c_str(), 1, &options), -1);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("fails.wif")));
  EXPECT_EQ(recorder.messages.size(), 2u);
}
