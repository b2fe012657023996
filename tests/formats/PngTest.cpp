// PNG files: every colour type and depth from Pillow and ImageMagick, our files in those tools,
// significant bits of 16-bit images, the file-type tables, hostile files and failed writes.
#include <gtest/gtest.h>

#include <cstring>
#include <zlib.h>

#include <algorithm>
#include <filesystem>

#include "formats/PngRW.h"
#include "formats/vuRegistry.h"
#include "support/TestSupport.h"

using namespace vutest;

namespace {

// Recomputes the checksum of every whole chunk, so that mutations reach the decoder.
void RepairChecksums(std::vector<uint8_t>& bytes) {
  size_t at = 8;
  while (at + 12 <= bytes.size()) {
    uint64_t length =
        (uint64_t(bytes[at]) << 24) | (bytes[at + 1] << 16) | (bytes[at + 2] << 8) | bytes[at + 3];
    if (at + 12 + length > bytes.size()) break;
    uLong crc = crc32(0, bytes.data() + at + 4, uInt(length + 4));
    for (int k = 0; k < 4; ++k)
      bytes[at + 8 + length + k] = uint8_t(crc >> (24 - 8 * k));
    at += 12 + length;
  }
}

} // namespace

TEST(Png, EveryColourTypeAndDepthReadsAsPillowDecodesIt) {
  if (!HavePillow()) GTEST_SKIP() << "Pillow is not installed";
  TempDir dir;
  SmallPhoto(dir, 37, 29);
  ASSERT_TRUE(RunPython(
      "import sys\nfrom PIL import Image\n"
      "d = sys.argv[1]\n"
      "im = Image.open(d + '/photo37x29.ppm')\n"
      "alpha = Image.linear_gradient('L').rotate(90).resize(im.size)\n"
      "im.save(d + '/rgb.png')\n"
      "im.convert('L').save(d + '/grey.png')\n"
      "im.convert('1').save(d + '/bilevel.png')\n"
      "p = im.convert('P', palette=Image.ADAPTIVE, colors=200)\n"
      "p.save(d + '/palette8.png')\n"
      "im.convert('P', palette=Image.ADAPTIVE, colors=16).save(d + '/palette4.png', bits=4)\n"
      "im.convert('P', palette=Image.ADAPTIVE, colors=4).save(d + '/palette2.png', bits=2)\n"
      "im.convert('P', palette=Image.ADAPTIVE, colors=2).save(d + '/palette1.png', bits=1)\n"
      "t = bytes(range(0, 200))\n"
      "p.save(d + '/palette-alpha.png', transparency=t)\n"
      "a = im.convert('RGBA'); a.putalpha(alpha); a.save(d + '/rgba.png')\n"
      "g = im.convert('LA'); g.putalpha(alpha); g.save(d + '/grey-alpha.png')\n"
      "px = im.getpixel((5, 5))\n"
      "im.save(d + '/rgb-trns.png', transparency=px)\n"
      "l = im.convert('L'); l.save(d + '/grey-trns.png', transparency=l.getpixel((3, 3)))\n",
      dir));
  struct Expect {
    const char* name;
    vuBMFormat format; // after LoadImage
    int tolerance;
  } expects[] = {
      {"rgb", BM_24BIT, 0},           {"grey", BM_8BIT_GRAY, 0},
      {"bilevel", BM_1BIT, 0},        {"palette8", BM_8BIT_COLOR, 0},
      {"palette4", BM_8BIT_COLOR, 0}, {"palette2", BM_8BIT_COLOR, 0},
      {"palette1", BM_8BIT_COLOR, 0}, {"palette-alpha", BM_8BIT_COLOR, 1},
      {"rgba", BM_24BIT, 1},          {"grey-alpha", BM_8BIT_GRAY, 1},
      {"rgb-trns", BM_24BIT, 0},      {"grey-trns", BM_8BIT_GRAY, 0},
  };
  for (const Expect& e : expects) {
    SCOPED_TRACE(e.name);
    std::string path = dir.Path(std::string(e.name) + ".png");
    ScopedImage image;
    ASSERT_EQ(image.LoadImage(path.c_str()), 0);
    EXPECT_EQ(image.format, e.format);
    std::string why;
    EXPECT_LE(MaxDifference(PictureOf(image), PillowDecode(path, dir), &why), e.tolerance) << why;
  }
}

TEST(Png, SixteenBitAndInterlacedFilesReadAsImageMagickDecodesThem) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick convert is not installed";
  TempDir dir;
  std::string photo = SmallPhoto(dir, 37, 29);
  std::string alpha = dir.Path("alpha.png");
  ASSERT_TRUE(Shell("convert " + Quote(photo) +
                    " \\( +clone -alpha extract -fx 'j/h' \\) -alpha off -compose copy_opacity "
                    "-composite " +
                    Quote(alpha)));
  struct Variant {
    const char* name;
    std::string source;
    const char* arguments;
    int depth;
    vuBMFormat format;
    int tolerance;
  } variants[] = {
      {"rgb16", photo, "-depth 16 PNG48:", 16, BM_48BIT, 0},
      {"rgba16", alpha, "-depth 16 PNG64:", 16, BM_48BIT, 1},
      {"grey16", photo, "-colorspace gray -depth 16 -define png:color-type=0 PNG:", 16,
       BM_16BIT_GRAY, 0},
      {"grey-alpha16", alpha, "-colorspace gray -depth 16 -define png:color-type=4 PNG:", 16,
       BM_16BIT_GRAY, 1},
      {"grey4", photo, "-colorspace gray -depth 4 -define png:color-type=0 PNG:", 8, BM_8BIT_GRAY,
       0},
      {"grey2", photo, "-colorspace gray -depth 2 -define png:color-type=0 PNG:", 8, BM_8BIT_GRAY,
       0},
      {"interlaced", photo, "-interlace PNG PNG24:", 8, BM_24BIT, 0},
      {"interlaced-palette", photo, "-interlace PNG -colors 50 PNG8:", 8, BM_8BIT_COLOR, 0},
      {"interlaced16", alpha, "-interlace PNG -depth 16 PNG64:", 16, BM_48BIT, 1},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    std::string path = dir.Path(std::string(v.name) + ".png");
    ASSERT_TRUE(Shell("convert " + Quote(v.source) + " " + v.arguments + Quote(path)));
    ScopedImage image;
    ASSERT_EQ(image.LoadImage(path.c_str()), 0);
    EXPECT_EQ(image.format, v.format);
    if (v.depth == 16) {
      EXPECT_EQ(image.sampleBits, 16);
    }
    std::string why;
    EXPECT_LE(MaxDifference(PictureOf(image),
                            MagickDecode(path, "-background white -alpha remove", v.depth, dir),
                            &why),
              v.tolerance)
        << why;
  }
}

TEST(Png, EveryWritableFormatRoundTripsAndDecodesTheSameElsewhere) {
  TempDir dir;
  const vuBMFormat formats[] = {BM_1BIT,  BM_4BIT,  BM_8BIT_COLOR, BM_8BIT_GRAY,
                                BM_24BIT, BM_32BIT, BM_48BIT,      BM_16BIT_GRAY};
  for (vuBMFormat format : formats) {
    for (int width : {1, 9, 37}) {
      SCOPED_TRACE(testing::Message() << "format " << format << " width " << width);
      ScopedImage image;
      MakePatternImage(image, format, width, 7, uint32_t(width + format));
      std::string path = dir.Path("ours.png");
      ASSERT_EQ(image.SaveImage(path.c_str(), VU_TYPE_PNG, nullptr), 0);
      ScopedImage back;
      ASSERT_EQ(back.LoadImage(path.c_str()), 0);
      vuBMFormat expected = format == BM_32BIT  ? BM_24BIT
                            : format == BM_4BIT ? BM_8BIT_COLOR
                                                : format;
      EXPECT_EQ(back.format, expected);
      Picture ours = PictureOf(image);
      std::string why;
      EXPECT_EQ(MaxDifference(PictureOf(back), ours, &why), 0) << why;
      if (width != 37) continue;
      if (ours.Depth() == 8 && HavePillow()) {
        EXPECT_EQ(MaxDifference(PillowDecode(path, dir), ours, &why), 0) << why;
      }
      if (HaveImageMagick()) {
        EXPECT_EQ(MaxDifference(MagickDecode(path, "", ours.Depth(), dir), ours, &why), 0) << why;
      }
    }
  }
}

TEST(Png, SixteenBitImagesKeepTheirSignificantBits) {
  TempDir dir;
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(5, 3, 0, BM_16BIT_GRAY), 1);
  uint16_t values[15];
  for (int i = 0; i < 15; ++i) {
    values[i] = uint16_t((i * 977) % 4096);
    image.accessor->SetRaw(i % 5, i / 5, &values[i]);
  }
  image.accessor->SetRaw(4, 2, std::array<uint16_t, 4>{4095, 0, 0, 0}.data());
  values[14] = 4095;
  image.sampleBits = 12;
  std::string path = dir.Path("twelve.png");
  ASSERT_EQ(image.SaveImage(path.c_str(), VU_TYPE_PNG, nullptr), 0);
  ScopedImage back;
  ASSERT_EQ(back.LoadImage(path.c_str()), 0);
  EXPECT_EQ(back.sampleBits, 12);
  EXPECT_EQ(MaxDifference(PictureOf(back), PictureOf(image)), 0);
  if (HaveImageMagick()) {
    // Other tools see the full 16-bit range: the 12 bits at the top, repeated below.
    Picture seen = MagickDecode(path, "", 16, dir);
    ASSERT_EQ(seen.samples.size(), 45u);
    for (int i = 0; i < 15; ++i) {
      int x = i % 5, yTop = 2 - i / 5;
      uint32_t v = values[i];
      EXPECT_EQ(seen.samples[3 * (yTop * 5 + x)], (v << 4) | (v >> 8)) << i;
    }
  }
}

TEST(Png, TypeTablesKnowPng) {
  TempDir dir;
  ScopedImage image;
  MakePatternImage(image, BM_24BIT, 3, 3, 1);
  std::string path = dir.Path("x.png");
  ASSERT_EQ(image.SaveImage(path.c_str(), VU_TYPE_PNG, nullptr), 0);
  EXPECT_EQ(image.GetFileType(path.c_str()), VU_TYPE_PNG);
  vuFileInfo info;
  ASSERT_EQ(image.GetInfo(path.c_str(), &info), 0);
  EXPECT_EQ(info.width, 3);
  EXPECT_EQ(info.height, 3);
  EXPECT_EQ(info.bitsPerPixel, 24);
  EXPECT_EQ(info.fileSize, std::filesystem::file_size(path));

  int types[16] = {};
  char* list = image.BMFileTypes(types);
  ASSERT_NE(list, nullptr);
  std::string text(list, 1024);
  delete[] list;
  EXPECT_NE(text.find(std::string("Portable Network Graphics\0*.PNG\0", 32)), std::string::npos);
  // PNG comes last among the types this program registers.
  int* end = std::find(types, types + 16, 0);
  ASSERT_NE(end, types);
  EXPECT_EQ(end[-1], VU_TYPE_PNG);
  for (vuBMFormat format : {BM_1BIT, BM_4BIT, BM_8BIT_COLOR, BM_8BIT_GRAY, BM_24BIT, BM_32BIT,
                            BM_48BIT, BM_16BIT_GRAY}) {
    auto offered = vuSaveTypesFor(format);
    EXPECT_EQ(offered.back(), VU_TYPE_PNG) << format;
  }
  EXPECT_EQ(vuSaveTypesFor(BM_1BIT), (std::vector<int>{7, 13}));
  EXPECT_TRUE(vuSaveTypesFor(BM_16BIT_COLOR).empty());
}

TEST(Png, DamagedFilesLoadWholeOrLeaveTheImageEmpty) {
  TempDir dir;
  vuRecordingPlatform recorder;
  vuScopedPlatform scoped(&recorder);
  std::vector<std::vector<uint8_t>> seeds;
  for (vuBMFormat format : {BM_24BIT, BM_8BIT_COLOR, BM_48BIT}) {
    ScopedImage image;
    MakePatternImage(image, format, 13, 7, 5);
    std::string path = dir.Path("seed.png");
    ASSERT_EQ(image.SaveImage(path.c_str(), VU_TYPE_PNG, nullptr), 0);
    seeds.push_back(vutest::ReadFileBytes(path));
  }
  // Some copies of some seeds still decode: the loop reaches the pixels.
  LoadCounts counts;
  for (const auto& seed : seeds) {
    counts += LoadDamagedCopies(
        seed, dir.Path("hostile.png"),
        {.rounds = 150, .seed = 12345, .headerBytes = 512, .repair = RepairChecksums});
  }
  ExpectBothOutcomes(counts);

  // A header declaring 2^31 - 1 columns, with a correct checksum: refused before allocation.
  std::vector<uint8_t> huge = seeds[0];
  huge[16] = 0x7F;
  huge[17] = huge[18] = huge[19] = 0xFF;
  uLong crc = crc32(0, huge.data() + 12, 17);
  for (int k = 0; k < 4; ++k)
    huge[29 + k] = uint8_t(crc >> (24 - 8 * k));
  std::string path = dir.Path("huge.png");
  vutest::WriteFileBytes(path, huge);
  recorder.messages.clear();
  ScopedImage image;
  EXPECT_EQ(image.LoadImage(path.c_str()), -2);
  EXPECT_FALSE(image.header);
  ASSERT_FALSE(recorder.messages.empty());
  EXPECT_EQ(recorder.messages[0].caption, "Info");
  // Cut inside the pixel data: damaged, with the reason, and the rows decoded so far kept.
  std::vector<uint8_t> cut(seeds[0].begin(), seeds[0].begin() + seeds[0].size() * 2 / 3);
  vutest::WriteFileBytes(path, cut);
  EXPECT_EQ(image.LoadImage(path.c_str()), -2);
  PngRW reader(&image);
  int count = 0;
  ScopedImage part, whole;
  ASSERT_EQ(whole.LoadImage(vutest::Sample("chelsea.ppm").c_str()), 0);
  ASSERT_EQ(whole.SaveImage(path.c_str(), VU_TYPE_PNG, nullptr), 0);
  std::vector<uint8_t> photo = vutest::ReadFileBytes(path);
  vutest::WriteFileBytes(path,
                         std::vector<uint8_t>(photo.begin(), photo.begin() + photo.size() / 2));
  PngRW partReader(&part);
  EXPECT_EQ(partReader.Read(path.c_str(), &count, nullptr, nullptr, nullptr, nullptr), -2);
  EXPECT_EQ(partReader.damage.rfind("the picture data is damaged or ends early", 0), 0u)
      << partReader.damage;
  ASSERT_NE(part.header, nullptr);
  const int top = whole.Height() - 1;
  EXPECT_EQ(std::memcmp(part.Row(top), whole.Row(top), size_t(whole.Stride())), 0);
  EXPECT_EQ(part.Row(0)[0] | part.Row(0)[1], 0);
  EXPECT_EQ(
      reader.Read(dir.Path("missing.png").c_str(), &count, nullptr, nullptr, nullptr, nullptr), -1);
}

TEST(Png, FailedWritesLeaveNoFile) {
  TempDir dir;
  vuRecordingPlatform recorder;
  vuScopedPlatform scoped(&recorder);
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(vutest::Sample("astronaut.ppm").c_str()), 0);
  EXPECT_EQ(image.SaveImage(dir.Path("no/such/folder/x.png").c_str(), VU_TYPE_PNG, nullptr), -1);
  std::string path = dir.Path("full.png");
  int result = SaveWithFileSizeLimit(image, path, VU_TYPE_PNG, nullptr, 10000);
  EXPECT_EQ(result, -1);
  EXPECT_FALSE(std::filesystem::exists(path));
  ScopedImage fiveBits;
  ASSERT_EQ(fiveBits.AllocateBitmap(3, 3, 0, BM_16BIT_COLOR), 1);
  EXPECT_EQ(fiveBits.SaveImage(path.c_str(), VU_TYPE_PNG, nullptr), -1);
  EXPECT_FALSE(std::filesystem::exists(path));
}
