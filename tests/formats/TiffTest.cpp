// TIFF files: our files in other tools, other tools' files in ours, the tags we promise,
// orientations, colour maps, 16-bit min-is-white files and hostile input.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>
#include <filesystem>

#include "formats/TiffRW.h"
#include "formats/vuRegistry.h"
#include "support/TestSupport.h"

using namespace vutest;

namespace {

struct TiffFile {
  explicit TiffFile(const std::string& path, const char* mode = "r")
      : tif(TIFFOpen(path.c_str(), mode)) {}
  ~TiffFile() {
    if (tif) TIFFClose(tif);
  }
  TIFF* tif;
};

uint16_t Tag16(TIFF* tif, ttag_t tag) {
  uint16_t value = 0xFFFF;
  TIFFGetField(tif, tag, &value);
  return value;
}

std::string TagText(TIFF* tif, ttag_t tag) {
  char* text = nullptr;
  return TIFFGetField(tif, tag, &text) && text ? text : "";
}

// Writes a one-strip grey or palette file with libtiff itself.
void WriteWithLibtiff(const std::string& path, int width, int height, uint16_t bits,
                      uint16_t photometric, const std::vector<uint16_t>& samples,
                      const uint16_t* map = nullptr) {
  TiffFile file(path, "w");
  ASSERT_TRUE(file.tif);
  TIFFSetField(file.tif, TIFFTAG_IMAGEWIDTH, uint32_t(width));
  TIFFSetField(file.tif, TIFFTAG_IMAGELENGTH, uint32_t(height));
  TIFFSetField(file.tif, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(file.tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
  TIFFSetField(file.tif, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(file.tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(file.tif, TIFFTAG_ROWSPERSTRIP, uint32_t(height));
  if (map) TIFFSetField(file.tif, TIFFTAG_COLORMAP, map, map + 256, map + 512);
  std::vector<uint8_t> line(size_t(width) * 2);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint16_t v = samples[size_t(y) * width + x];
      if (bits == 16)
        std::memcpy(&line[2 * x], &v, 2);
      else
        line[x] = uint8_t(v);
    }
    ASSERT_GE(TIFFWriteScanline(file.tif, line.data(), uint32_t(y), 0), 0);
  }
}

const vuBMFormat kWritable[] = {BM_1BIT,  BM_8BIT_GRAY,  BM_8BIT_COLOR, BM_24BIT,
                                BM_48BIT, BM_16BIT_GRAY, BM_32BIT};

} // namespace

TEST(Tiff, WrittenFilesCarryTheTagsAndLayoutOfTheirFormat) {
  TempDir dir;
  struct Expected {
    vuBMFormat format;
    uint16_t samples, bits, photometric;
    uint32_t rowsPerStrip; // 8 x width / row bytes at width 37
  } expected[] = {
      {BM_1BIT, 1, 1, PHOTOMETRIC_MINISWHITE, 8 * 37 / 5},
      {BM_8BIT_GRAY, 1, 8, PHOTOMETRIC_MINISBLACK, 8},
      {BM_8BIT_COLOR, 1, 8, PHOTOMETRIC_PALETTE, 8},
      {BM_24BIT, 3, 8, PHOTOMETRIC_RGB, 2},
      {BM_48BIT, 3, 16, PHOTOMETRIC_RGB, 4},
      {BM_16BIT_GRAY, 1, 16, PHOTOMETRIC_MINISBLACK, 4},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(testing::Message() << "format " << e.format);
    ScopedImage image;
    MakePatternImage(image, e.format, 37, 11);
    std::string path = dir.Path("tags.tif");
    ASSERT_EQ(image.SaveImage(path.c_str(), VU_TYPE_TIFF, nullptr), 0);
    TiffFile file(path);
    ASSERT_TRUE(file.tif);
    EXPECT_EQ(Tag16(file.tif, TIFFTAG_ORIENTATION), ORIENTATION_TOPLEFT);
    EXPECT_EQ(TagText(file.tif, TIFFTAG_IMAGEDESCRIPTION), "Created By the Tessary");
    EXPECT_EQ(TagText(file.tif, TIFFTAG_DOCUMENTNAME), "TIFFTEST");
    EXPECT_EQ(Tag16(file.tif, TIFFTAG_COMPRESSION), COMPRESSION_NONE);
    EXPECT_EQ(Tag16(file.tif, TIFFTAG_FILLORDER), FILLORDER_MSB2LSB);
    EXPECT_EQ(Tag16(file.tif, TIFFTAG_PLANARCONFIG), PLANARCONFIG_CONTIG);
    EXPECT_EQ(Tag16(file.tif, TIFFTAG_SAMPLESPERPIXEL), e.samples);
    EXPECT_EQ(Tag16(file.tif, TIFFTAG_BITSPERSAMPLE), e.bits);
    EXPECT_EQ(Tag16(file.tif, TIFFTAG_PHOTOMETRIC), e.photometric);
    uint32_t rows = 0;
    TIFFGetField(file.tif, TIFFTAG_ROWSPERSTRIP, &rows);
    EXPECT_EQ(rows, e.rowsPerStrip);
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    bool hasMap = TIFFGetField(file.tif, TIFFTAG_COLORMAP, &red, &green, &blue);
    EXPECT_EQ(hasMap, e.photometric == PHOTOMETRIC_PALETTE);
    if (hasMap) {
      for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(red[i], 257 * image.palette[i].red) << i;
        ASSERT_EQ(green[i], 257 * image.palette[i].green) << i;
        ASSERT_EQ(blue[i], 257 * image.palette[i].blue) << i;
      }
    }
  }
}

TEST(Tiff, GreyPaletteIsWrittenAsMinIsBlackWithTheGreysItShows) {
  TempDir dir;
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(9, 4, 256, BM_8BIT_COLOR), 1);
  // A grey table that is not the identity ramp: the file must hold the greys, not the indices.
  for (int i = 0; i < 256; ++i)
    image.palette[i] = vuRGBA{uint8_t(255 - i), uint8_t(255 - i), uint8_t(255 - i), 0};
  vutest::FillPattern(image, 3);
  std::string path = dir.Path("grey.tif");
  ASSERT_EQ(image.SaveImage(path.c_str(), VU_TYPE_TIFF, nullptr), 0);
  {
    TiffFile file(path);
    ASSERT_TRUE(file.tif);
    EXPECT_EQ(Tag16(file.tif, TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_MINISBLACK);
    uint16_t* map = nullptr;
    EXPECT_FALSE(TIFFGetField(file.tif, TIFFTAG_COLORMAP, &map, &map, &map));
  }
  std::string why;
  EXPECT_EQ(MaxDifference(LoadPicture(path), PictureOf(image), &why), 0) << why;
}

TEST(Tiff, EveryWritableFormatRoundTripsAtOddWidths) {
  TempDir dir;
  for (vuBMFormat format : kWritable) {
    for (int width : {1, 7, 37}) {
      SCOPED_TRACE(testing::Message() << "format " << format << " width " << width);
      ScopedImage image;
      MakePatternImage(image, format, width, 5, uint32_t(width));
      std::string path = dir.Path("round.tif");
      ASSERT_EQ(image.SaveImage(path.c_str(), VU_TYPE_TIFF, nullptr), 0);
      ScopedImage back;
      ASSERT_EQ(back.LoadImage(path.c_str()), 0);
      std::string why;
      EXPECT_EQ(MaxDifference(PictureOf(back), PictureOf(image), &why), 0) << why;
      vuBMFormat expected = format == BM_32BIT ? BM_24BIT : format;
      EXPECT_EQ(back.format, expected);
      if (format == BM_48BIT || format == BM_16BIT_GRAY) {
        EXPECT_EQ(back.sampleBits, 16);
      }
      int count = -1;
      TiffRW reader(&back);
      ASSERT_EQ(reader.Read(path.c_str(), &count, nullptr, nullptr, nullptr, nullptr), 0);
      EXPECT_EQ(count, int(std::filesystem::file_size(path)));
    }
  }
}

TEST(Tiff, OurFilesDecodeTheSameInImageMagickAndPillow) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick convert is not installed";
  TempDir dir;
  for (vuBMFormat format : kWritable) {
    SCOPED_TRACE(testing::Message() << "format " << format);
    ScopedImage image;
    MakePatternImage(image, format, 37, 13);
    std::string path = dir.Path("ours" + std::to_string(format) + ".tif");
    ASSERT_EQ(image.SaveImage(path.c_str(), VU_TYPE_TIFF, nullptr), 0);
    Picture ours = PictureOf(image);
    std::string why;
    EXPECT_EQ(MaxDifference(MagickDecode(path, "-auto-orient", ours.Depth(), dir), ours, &why), 0)
        << why;
    if (ours.Depth() == 8 && HavePillow()) {
      EXPECT_EQ(MaxDifference(PillowDecode(path, dir), ours, &why), 0) << why;
    }
    std::string output;
    EXPECT_EQ(vutest::RunCommand("tiffinfo -D " + Quote(path), &output), 0) << output;
    EXPECT_EQ(output.find("rror"), std::string::npos) << output;
  }
}

// Files from ImageMagick, libtiff's own tools and Pillow in the layouts people meet, each read
// as ImageMagick decodes it (transparent parts on white).
TEST(Tiff, FilesFromIndependentToolsReadAsTheyDecodeThem) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick convert is not installed";
  TempDir dir;
  std::string photo = SmallPhoto(dir);
  std::string alphaPhoto = dir.Path("alpha.png");
  // Alpha falling from opaque at the left to transparent at the right.
  ASSERT_TRUE(Shell("convert " + Quote(photo) +
                    " \\( +clone -alpha extract -fx '1-i/w' \\) -alpha off -compose "
                    "copy_opacity -composite " +
                    Quote(alphaPhoto)));
  struct Variant {
    const char* name;
    std::string source;
    const char* arguments;
    int depth;
    int tolerance;
  } variants[] = {
      {"rgb", photo, "-compress none", 8, 0},
      {"rgb-lzw", photo, "-compress lzw", 8, 0},
      {"rgb-zip-msb", photo, "-compress zip -endian MSB", 8, 0},
      {"rgb-packbits", photo, "-compress rle", 8, 0},
      {"rgb16", photo, "-depth 16", 16, 0},
      {"rgb16-msb", photo, "-depth 16 -endian MSB -compress lzw", 16, 0},
      {"grey8", photo, "-colorspace gray -type grayscale", 8, 0},
      {"grey16", photo, "-colorspace gray -type grayscale -depth 16", 16, 0},
      {"grey4", photo, "-colorspace gray -type grayscale -depth 4", 8, 0},
      {"miniswhite", photo,
       "-colorspace gray -type grayscale -define quantum:polarity=min-is-white", 8, 0},
      {"bilevel", photo, "-monochrome", 8, 0},
      // ImageMagick's colour maps hold 16-bit colours; their high byte can be one below the
      // rounded value.
      {"palette", photo, "-type palette", 8, 1},
      {"palette-lzw", photo, "-colors 12 -type palette -compress lzw", 8, 1},
      {"tiled", photo, "-define tiff:tile-geometry=16x16", 8, 0},
      {"planar", photo, "-interlace plane", 8, 0},
      {"cmyk", photo, "-colorspace cmyk", 8, 1},
      {"jpeg-ycbcr", photo, "-compress jpeg -quality 92", 8, 1},
      {"rgba", alphaPhoto, "", 8, 1},
      {"rgba16", alphaPhoto, "-depth 16", 8, 1},
      {"grey-alpha", alphaPhoto, "-colorspace gray", 8, 1},
      {"rgba-associated", alphaPhoto, "-define tiff:alpha=associated", 8, 1},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    std::string path = dir.Path(std::string(v.name) + ".tif");
    ASSERT_TRUE(Shell("convert " + Quote(v.source) + " " + v.arguments + " " + Quote(path)));
    int result = -99;
    Picture ours = LoadPicture(path, &result);
    ASSERT_EQ(result, 0);
    Picture reference =
        MagickDecode(path, "-auto-orient -background white -alpha remove", v.depth, dir);
    std::string why;
    EXPECT_LE(MaxDifference(ours, reference, &why), v.tolerance) << why;
  }

  // libtiff's own copier: tiles, separate planes, compressions.
  std::string base = dir.Path("rgb.tif");
  struct Copy {
    const char* name;
    const char* arguments;
  } copies[] = {{"cp-tiles", "-t -w 16 -l 16"},
                {"cp-separate", "-p separate"},
                {"cp-lzw-predictor", "-c lzw:2"},
                {"cp-deflate", "-c zip"},
                {"cp-strips-of-one", "-r 1"}};
  if (vutest::HaveProgram("tiffcp")) {
    Picture reference = LoadPicture(base);
    for (const Copy& c : copies) {
      SCOPED_TRACE(c.name);
      std::string path = dir.Path(std::string(c.name) + ".tif");
      ASSERT_TRUE(
          Shell("tiffcp " + std::string(c.arguments) + " " + Quote(base) + " " + Quote(path)));
      std::string why;
      EXPECT_EQ(MaxDifference(LoadPicture(path), reference, &why), 0) << why;
    }
  }
}

TEST(Tiff, PillowFilesReadAsPillowDecodesThem) {
  if (!HavePillow()) GTEST_SKIP() << "Pillow is not installed";
  TempDir dir;
  std::string photo = SmallPhoto(dir, 41, 23);
  ASSERT_TRUE(
      RunPython("import sys\nfrom PIL import Image\n"
                "d = sys.argv[1]\n"
                "im = Image.open(d + '/photo41x23.ppm')\n"
                "im.save(d + '/p-rgb.tif')\n"
                "im.save(d + '/p-rgb-lzw.tif', compression='tiff_lzw')\n"
                "im.save(d + '/p-rgb-deflate.tif', compression='tiff_adobe_deflate')\n"
                "im.convert('L').save(d + '/p-grey.tif', compression='packbits')\n"
                "im.convert('1').save(d + '/p-bilevel.tif')\n"
                "im.convert('P', palette=Image.ADAPTIVE, colors=50).save(d + '/p-palette.tif')\n"
                "a = im.convert('RGBA')\n"
                "a.putalpha(Image.linear_gradient('L').resize(im.size))\n"
                "a.save(d + '/p-rgba.tif')\n",
                dir));
  for (const char* name :
       {"p-rgb", "p-rgb-lzw", "p-rgb-deflate", "p-grey", "p-bilevel", "p-palette", "p-rgba"}) {
    SCOPED_TRACE(name);
    std::string path = dir.Path(std::string(name) + ".tif");
    int result = -99;
    Picture ours = LoadPicture(path, &result);
    ASSERT_EQ(result, 0);
    std::string why;
    int tolerance = std::string(name) == "p-rgba" ? 1 : 0;
    EXPECT_LE(MaxDifference(ours, PillowDecode(path, dir), &why), tolerance) << why;
  }
}

TEST(Tiff, EveryOrientationGivesTheTurnedPicture) {
  if (!HaveImageMagick() || !vutest::HaveProgram("tiffset")) GTEST_SKIP() << "tools missing";
  TempDir dir;
  std::string photo = SmallPhoto(dir, 13, 7);
  std::string strips = dir.Path("strips.tif");
  std::string tiles = dir.Path("tiles.tif");
  std::string grey16 = dir.Path("grey16.tif");
  std::string bilevel = dir.Path("bilevel.tif");
  ASSERT_TRUE(Shell("convert " + Quote(photo) + " -compress none " + Quote(strips)));
  ASSERT_TRUE(
      Shell("convert " + Quote(photo) + " -define tiff:tile-geometry=16x16 " + Quote(tiles)));
  ASSERT_TRUE(Shell("convert " + Quote(photo) + " -colorspace gray -depth 16 " + Quote(grey16)));
  ASSERT_TRUE(Shell("convert " + Quote(photo) + " -monochrome " + Quote(bilevel)));
  for (const std::string& source : {strips, tiles, grey16, bilevel}) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
      SCOPED_TRACE(testing::Message() << source << " orientation " << orientation);
      std::string path = dir.Path("turned.tif");
      std::filesystem::copy_file(source, path, std::filesystem::copy_options::overwrite_existing);
      ASSERT_TRUE(Shell("tiffset -s 274 " + std::to_string(orientation) + " " + Quote(path)));
      Picture ours = LoadPicture(path);
      std::string why;
      EXPECT_EQ(MaxDifference(ours, MagickDecode(path, "-auto-orient", ours.Depth(), dir), &why), 0)
          << why;
      EXPECT_EQ(ours.width, orientation >= 5 ? 7 : 13);
      vuFileInfo info;
      ScopedImage probe;
      ASSERT_EQ(probe.GetInfo(path.c_str(), &info), 0);
      EXPECT_EQ(info.width, orientation >= 5 ? 7 : 13);
      EXPECT_EQ(info.height, orientation >= 5 ? 13 : 7);
    }
  }
}

TEST(Tiff, SixteenBitMinIsWhiteKeepsTheSignificantBitsItUses) {
  TempDir dir;
  std::string path = dir.Path("white16.tif");
  std::vector<uint16_t> samples = {0, 1, 4000, 2048, 77, 3999};
  WriteWithLibtiff(path, 3, 2, 16, PHOTOMETRIC_MINISWHITE, samples);
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(path.c_str()), 0);
  ASSERT_EQ(image.format, BM_16BIT_GRAY);
  EXPECT_EQ(image.sampleBits, 12);
  uint16_t pixel[4];
  for (int i = 0; i < 6; ++i) {
    image.accessor->GetRaw(i % 3, 1 - i / 3, pixel);
    EXPECT_EQ(pixel[0], 4095 - samples[i]) << i;
  }
  // Samples that use none of bits 15..1 keep all sixteen.
  WriteWithLibtiff(path, 2, 1, 16, PHOTOMETRIC_MINISWHITE, {0, 1});
  ASSERT_EQ(image.LoadImage(path.c_str()), 0);
  EXPECT_EQ(image.sampleBits, 16);
  image.accessor->GetRaw(1, 0, pixel);
  EXPECT_EQ(pixel[0], 65534);
  // Min-is-white bytes are inverted; min-is-black bytes get the grey ramp.
  WriteWithLibtiff(path, 3, 1, 8, PHOTOMETRIC_MINISWHITE, {0, 100, 255});
  ASSERT_EQ(image.LoadImage(path.c_str()), 0);
  EXPECT_EQ(image.format, BM_8BIT_GRAY);
  image.accessor->GetRaw(1, 0, pixel);
  EXPECT_EQ(pixel[0], 155);
}

TEST(Tiff, ColourMapsOfEightBitAndSixteenBitValuesReadExactly) {
  TempDir dir;
  std::string path = dir.Path("map.tif");
  std::vector<uint16_t> indices = {0, 1, 2, 255, 128, 7};
  for (int scale : {1, 257, 256}) {
    SCOPED_TRACE(testing::Message() << "scale " << scale);
    std::vector<uint16_t> map(768);
    for (int i = 0; i < 256; ++i) {
      map[i] = uint16_t(scale * ((i * 5) % 256));
      map[256 + i] = uint16_t(scale * (255 - i));
      map[512 + i] = uint16_t(scale * ((i * 11 + 3) % 256));
    }
    WriteWithLibtiff(path, 3, 2, 8, PHOTOMETRIC_PALETTE, indices, map.data());
    ScopedImage image;
    ASSERT_EQ(image.LoadImage(path.c_str()), 0);
    ASSERT_EQ(image.format, BM_8BIT_COLOR);
    for (int i = 0; i < 256; ++i) {
      ASSERT_EQ(image.palette[i].red, (i * 5) % 256) << i;
      ASSERT_EQ(image.palette[i].green, 255 - i) << i;
      ASSERT_EQ(image.palette[i].blue, (i * 11 + 3) % 256) << i;
    }
    uint16_t pixel[4];
    image.accessor->GetRaw(0, 0, pixel); // bottom-left: the second row's first pixel
    EXPECT_EQ(pixel[0], 255);
  }
}

TEST(Tiff, UnreadableAndUnsupportedFilesAreRefusedWithTheirMessages) {
  TempDir dir;
  vuRecordingPlatform recorder;
  vuScopedPlatform scoped(&recorder);
  ScopedImage image;
  EXPECT_EQ(image.LoadImage(dir.Path("missing.tif").c_str()), -1);
  TiffRW reader(&image);
  int count = 0;
  EXPECT_EQ(
      reader.Read(dir.Path("missing.tif").c_str(), &count, nullptr, nullptr, nullptr, nullptr), -1);
  vuFileInfo info;
  EXPECT_EQ(reader.GetInfo(dir.Path("missing.tif").c_str(), &info), -1);

  // The signature without a directory: libtiff refuses it, the image stays untouched.
  std::string bad = dir.Path("bad.tif");
  vutest::WriteFileBytes(bad, {0x49, 0x49, 0x2A, 0x00, 0xFF, 0xFF, 0xFF, 0x0F, 1, 2, 3});
  ASSERT_EQ(image.AllocateBitmap(3, 3, 0, BM_24BIT), 1);
  vuBitmapInfoHeader* before = image.header;
  EXPECT_EQ(image.LoadImage(bad.c_str()), -2);
  EXPECT_EQ(image.header, before);
  EXPECT_EQ(reader.GetInfo(bad.c_str(), &info), -2);
  ASSERT_FALSE(recorder.messages.empty());
  EXPECT_EQ(recorder.messages.back().caption, "TIFF");

  // Floating-point samples: neither path can store them.
  std::string floats = dir.Path("float.tif");
  {
    TiffFile file(floats, "w");
    ASSERT_TRUE(file.tif);
    TIFFSetField(file.tif, TIFFTAG_IMAGEWIDTH, uint32_t(4));
    TIFFSetField(file.tif, TIFFTAG_IMAGELENGTH, uint32_t(2));
    TIFFSetField(file.tif, TIFFTAG_BITSPERSAMPLE, uint16_t(32));
    TIFFSetField(file.tif, TIFFTAG_SAMPLEFORMAT, uint16_t(SAMPLEFORMAT_IEEEFP));
    TIFFSetField(file.tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    float line[4] = {0.f, 0.25f, 0.5f, 1.f};
    for (uint32_t y = 0; y < 2; ++y)
      ASSERT_GE(TIFFWriteScanline(file.tif, line, y, 0), 0);
  }
  recorder.messages.clear();
  EXPECT_EQ(image.LoadImage(floats.c_str()), -2);
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].text, "Bits Per Pixel Not Supported");
  EXPECT_EQ(recorder.messages[0].caption, "Info");

  if (HaveImageMagick() && vutest::HaveProgram("tiffset")) {
    // A width the data model cannot hold is refused before any allocation.
    std::string photo = SmallPhoto(dir);
    std::string wide = dir.Path("wide.tif");
    ASSERT_TRUE(Shell("convert " + Quote(photo) + " -compress none " + Quote(wide)));
    ASSERT_TRUE(Shell("tiffset -s 256 200000 " + Quote(wide)));
    EXPECT_EQ(image.LoadImage(wide.c_str()), -2);
  }
}

TEST(Tiff, DamagedFilesLoadWholeOrLeaveTheImageEmpty) {
  TempDir dir;
  vuRecordingPlatform recorder;
  vuScopedPlatform scoped(&recorder);
  std::vector<std::string> seeds;
  {
    ScopedImage image;
    MakePatternImage(image, BM_24BIT, 19, 9);
    seeds.push_back(dir.Path("seed-ours.tif"));
    ASSERT_EQ(image.SaveImage(seeds.back().c_str(), VU_TYPE_TIFF, nullptr), 0);
    ScopedImage palette;
    MakePatternImage(palette, BM_8BIT_COLOR, 9, 5);
    seeds.push_back(dir.Path("seed-palette.tif"));
    ASSERT_EQ(palette.SaveImage(seeds.back().c_str(), VU_TYPE_TIFF, nullptr), 0);
  }
  if (HaveImageMagick()) {
    std::string photo = SmallPhoto(dir, 19, 9);
    seeds.push_back(dir.Path("seed-lzw.tif"));
    ASSERT_TRUE(Shell("convert " + Quote(photo) + " -compress lzw " + Quote(seeds.back())));
    seeds.push_back(dir.Path("seed-tiled.tif"));
    ASSERT_TRUE(Shell("convert " + Quote(photo) +
                      " -define tiff:tile-geometry=16x16 -compress zip " + Quote(seeds.back())));
  }
  for (const std::string& seed : seeds) {
    SCOPED_TRACE(seed);
    ExpectBothOutcomes(LoadDamagedCopies(ReadFileBytes(seed), dir.Path("hostile.tif"),
                                         {.rounds = 150, .seed = 12345, .headerBytes = 512}));
  }
}

TEST(Tiff, FailedWritesLeaveNoFile) {
  TempDir dir;
  vuRecordingPlatform recorder;
  vuScopedPlatform scoped(&recorder);
  ScopedImage image;
  MakePatternImage(image, BM_24BIT, 301, 200);
  std::string missingFolder = dir.Path("no/such/folder/x.tif");
  EXPECT_EQ(image.SaveImage(missingFolder.c_str(), VU_TYPE_TIFF, nullptr), -1);
  ASSERT_FALSE(recorder.messages.empty());
  EXPECT_EQ(recorder.messages.back().text, "Bad TIFF");
  EXPECT_EQ(recorder.messages.back().caption, "Info");

  // A file-size limit makes the disk "full" part-way through.
  std::string path = dir.Path("full.tif");
  int result = SaveWithFileSizeLimit(image, path, VU_TYPE_TIFF, nullptr, 20000);
  EXPECT_EQ(result, -1);
  EXPECT_FALSE(std::filesystem::exists(path));

  // Pixel formats without a TIFF layout are refused.
  ScopedImage fourBit;
  ASSERT_EQ(fourBit.AllocateBitmap(5, 5, 16, BM_4BIT), 1);
  EXPECT_EQ(fourBit.SaveImage(path.c_str(), VU_TYPE_TIFF, nullptr), -1);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(Tiff, RowsAreWrittenTopRowFirstForEveryViewer) {
  // Most readers ignore the orientation field: the first scanline must be the picture's top row.
  TempDir dir;
  ScopedImage image;
  MakePatternImage(image, BM_8BIT_GRAY, 13, 5);
  std::string path = dir.Path("top.tif");
  ASSERT_EQ(image.SaveImage(path.c_str(), VU_TYPE_TIFF, nullptr), 0);
  {
    TiffFile file(path);
    ASSERT_TRUE(file.tif);
    std::vector<uint8_t> line(size_t(TIFFScanlineSize(file.tif)));
    for (uint32_t r = 0; r < 5; ++r) {
      ASSERT_GE(TIFFReadScanline(file.tif, line.data(), r, 0), 0);
      EXPECT_EQ(std::memcmp(line.data(), image.Row(4 - int(r)), 13), 0) << r;
    }
  }
  ScopedImage back;
  ASSERT_EQ(back.LoadImage(path.c_str()), 0);
  std::string why;
  EXPECT_TRUE(vutest::SamePixels(image, back, &why)) << why;
}

TEST(Tiff, StripsPastTheEndKeepThePictureAndNameTheDamage) {
  // Four grey pixels a row in one-row strips; the second strip lies past the end of the file.
  std::vector<uint8_t> file = {'I', 'I', 42, 0, 8, 0, 0, 0, 9, 0};
  auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    const uint8_t bytes[12] = {uint8_t(tag),         uint8_t(tag >> 8),    uint8_t(type),
                               uint8_t(type >> 8),   uint8_t(count),       uint8_t(count >> 8),
                               uint8_t(count >> 16), uint8_t(count >> 24), uint8_t(value),
                               uint8_t(value >> 8),  uint8_t(value >> 16), uint8_t(value >> 24)};
    file.insert(file.end(), bytes, bytes + 12);
  };
  entry(256, 3, 1, 4);
  entry(257, 3, 1, 2);
  entry(258, 3, 1, 8);
  entry(259, 3, 1, 1);
  entry(262, 3, 1, 1);
  entry(273, 4, 2, 122); // strip offsets
  entry(277, 3, 1, 1);
  entry(278, 3, 1, 1);
  entry(279, 4, 2, 130); // strip byte counts
  file.insert(file.end(), {0, 0, 0, 0});
  file.insert(file.end(), {138, 0, 0, 0, 0xE8, 0x03, 0, 0}); // 138, then 1000: past the end
  file.insert(file.end(), {4, 0, 0, 0, 4, 0, 0, 0});
  file.insert(file.end(), {10, 20, 30, 40});
  ASSERT_EQ(file.size(), 142u);
  TempDir dir;
  std::string path = dir.Path("short.tif");
  vutest::WriteFileBytes(path, file);
  vuRecordingPlatform recorder;
  vuScopedPlatform scoped(&recorder);
  ScopedImage image;
  TiffRW reader(&image);
  int count = 0;
  EXPECT_EQ(reader.Read(path.c_str(), &count, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(reader.damage, "the data ends in row 2 of 2");
  ASSERT_NE(image.header, nullptr);
  EXPECT_EQ(image.Row(1)[3], 40); // the first strip is the top row
  EXPECT_FALSE(recorder.messages.empty());
}
