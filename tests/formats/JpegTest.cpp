// JPEG files: cjpeg/djpeg, Pillow and ImageMagick against our reader and writer, the quality
// record, CMYK files, damaged files and failed writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>

#include <jpeglib.h>

#include "formats/JpegRW.h"
#include "formats/vuRegistry.h"
#include "support/TestSupport.h"

using namespace vutest;

namespace {

bool HaveJpegTools() {
  return vutest::HaveProgram("cjpeg") && vutest::HaveProgram("djpeg");
}

// djpeg's decode with the library defaults, as PPM or PGM.
Picture Djpeg(const std::string& file, const TempDir& dir) {
  std::string out = dir.Path("djpeg.pnm");
  return CommandDecode("djpeg -pnm -outfile " + Quote(out) + " " + Quote(file), out);
}

std::string GreyPhoto(const TempDir& dir, int width, int height) {
  ScopedImage crop;
  CropSample(crop, Sample("camera.pgm"), 200, 250, width, height);
  std::string path = dir.Path("grey" + std::to_string(width) + ".pgm");
  EXPECT_EQ(crop.SaveImage(path.c_str(), VU_TYPE_PGM, nullptr), 0);
  return path;
}

// A platform whose quality dialog answers as told.
struct DialogPlatform : vuRecordingPlatform {
  vuJpegSaveOptions* AskJpegSaveOptions() override {
    ++shown;
    if (cancel) return nullptr;
    auto* options = new vuJpegSaveOptions;
    options->quality = choice;
    return options;
  }
  bool cancel = false;
  int choice = 80;
  int shown = 0;
};

} // namespace

TEST(Jpeg, CjpegFilesReadAsDjpegDecodesThem) {
  if (!HaveJpegTools()) GTEST_SKIP() << "cjpeg/djpeg are not installed";
  TempDir dir;
  std::string colour = SmallPhoto(dir, 37, 29);
  std::string grey = GreyPhoto(dir, 33, 17);
  struct Variant {
    const char* name;
    std::string source;
    const char* arguments;
  } variants[] = {
      {"baseline", colour, "-quality 75"},
      {"progressive", colour, "-progressive -quality 85"},
      {"optimized", colour, "-optimize"},
      {"restarts", colour, "-restart 1"},
      {"no-subsampling", colour, "-sample 1x1"},
      {"arithmetic", colour, "-arithmetic"},
      {"quality100", colour, "-quality 100"},
      {"quality1", colour, "-quality 1 -baseline"},
      {"greyscale-from-colour", colour, "-grayscale"},
      {"grey", grey, "-quality 90"},
      {"grey-progressive", grey, "-progressive"},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    std::string path = dir.Path(std::string(v.name) + ".jpg");
    ASSERT_TRUE(Shell("cjpeg " + std::string(v.arguments) + " -outfile " + Quote(path) + " " +
                      Quote(v.source)));
    ScopedImage image;
    ASSERT_EQ(image.LoadImage(path.c_str()), 0);
    bool greyFile = std::string(v.name).find("grey") != std::string::npos;
    EXPECT_EQ(image.format, greyFile ? BM_8BIT_GRAY : BM_24BIT);
    if (greyFile) {
      EXPECT_EQ(image.Colors(), 256);
    }
    std::string why;
    EXPECT_LE(MaxDifference(PictureOf(image), Djpeg(path, dir), &why), 1) << why;
  }
}

TEST(Jpeg, PillowAndMagickFilesReadAsTheyDecodeThem) {
  if (!HavePillow()) GTEST_SKIP() << "Pillow is not installed";
  TempDir dir;
  std::string photo = SmallPhoto(dir, 41, 23);
  ASSERT_TRUE(RunPython("import sys\nfrom PIL import Image\n"
                        "d = sys.argv[1]\n"
                        "im = Image.open(d + '/photo41x23.ppm')\n"
                        "im.save(d + '/p-420.jpg', quality=85)\n"
                        "im.save(d + '/p-444.jpg', quality=90, subsampling=0)\n"
                        "im.save(d + '/p-progressive.jpg', progressive=True, optimize=True)\n"
                        "im.convert('L').save(d + '/p-grey.jpg')\n"
                        "im.convert('CMYK').save(d + '/p-cmyk.jpg', quality=95)\n",
                        dir));
  std::vector<std::string> names = {"p-420", "p-444", "p-progressive", "p-grey", "p-cmyk"};
  if (HaveImageMagick()) {
    ASSERT_TRUE(Shell("convert " + Quote(photo) + " -colorspace CMYK -quality 95 " +
                      Quote(dir.Path("m-cmyk.jpg"))));
    ASSERT_TRUE(Shell("convert " + Quote(photo) + " -interlace JPEG " +
                      Quote(dir.Path("m-progressive.jpg"))));
    names.push_back("m-cmyk");
    names.push_back("m-progressive");
  }
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    std::string path = dir.Path(name + ".jpg");
    int result = -99;
    Picture ours = LoadPicture(path, &result);
    ASSERT_EQ(result, 0);
    std::string why;
    EXPECT_LE(MaxDifference(ours, PillowDecode(path, dir), &why), 1) << why;
    if (name.find("cmyk") != std::string::npos) {
      // Inverted Adobe inks come out as the picture, close to the original.
      EXPECT_GT(Psnr(ours, LoadPicture(photo)), 30.0);
      vuFileInfo info;
      ScopedImage probe;
      ASSERT_EQ(probe.GetInfo(path.c_str(), &info), 0);
      EXPECT_EQ(info.bitsPerPixel, 32);
    }
  }
}

TEST(Jpeg, AdobeCmykAndYcckFilesShowTheirColours) {
  TempDir dir;
  // Four flat quadrants of inks stored inverted (255: no ink), as Adobe's programs write them.
  const uint8_t inks[4][4] = {
      {255, 255, 255, 255}, {0, 255, 255, 255}, {255, 128, 255, 200}, {30, 60, 90, 120}};
  for (J_COLOR_SPACE space : {JCS_CMYK, JCS_YCCK}) {
    SCOPED_TRACE(space == JCS_CMYK ? "CMYK" : "YCCK");
    std::string path = dir.Path("inks.jpg");
    {
      FILE* out = std::fopen(path.c_str(), "wb");
      ASSERT_TRUE(out);
      jpeg_compress_struct cinfo;
      jpeg_error_mgr errors;
      cinfo.err = jpeg_std_error(&errors);
      jpeg_create_compress(&cinfo);
      jpeg_stdio_dest(&cinfo, out);
      cinfo.image_width = 32;
      cinfo.image_height = 32;
      cinfo.input_components = 4;
      cinfo.in_color_space = JCS_CMYK;
      jpeg_set_defaults(&cinfo);
      jpeg_set_colorspace(&cinfo, space);
      jpeg_set_quality(&cinfo, 100, TRUE);
      jpeg_start_compress(&cinfo, TRUE);
      uint8_t row[32 * 4];
      for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x)
          std::memcpy(row + 4 * x, inks[(y / 16) * 2 + x / 16], 4);
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&cinfo, rows, 1);
      }
      jpeg_finish_compress(&cinfo);
      jpeg_destroy_compress(&cinfo);
      std::fclose(out);
    }
    ScopedImage image;
    ASSERT_EQ(image.LoadImage(path.c_str()), 0);
    ASSERT_EQ(image.format, BM_24BIT);
    Picture picture = PictureOf(image);
    for (int q = 0; q < 4; ++q) {
      int centre = (8 + 16 * (q / 2)) * 32 + 8 + 16 * (q % 2);
      for (int k = 0; k < 3; ++k) {
        int expected = (inks[q][k] * inks[q][3] + 127) / 255;
        EXPECT_NEAR(int(picture.samples[3 * centre + k]), expected, 3) << "quadrant " << q << " " << k;
      }
    }
  }
}

TEST(Jpeg, OurFilesAreWhatCjpegWritesAndDecodeCloseToTheImage) {
  if (!HaveJpegTools()) GTEST_SKIP() << "cjpeg/djpeg are not installed";
  TempDir dir;
  std::string colour = SmallPhoto(dir, 37, 29);
  std::string grey = GreyPhoto(dir, 33, 17);
  for (const std::string& source : {colour, grey}) {
    ScopedImage image;
    ASSERT_EQ(image.LoadImage(source.c_str()), 0);
    // No record means quality 80; the quality is handed to libjpeg unchanged.
    for (int quality : {0, 1, 50, 90, 100}) {
      SCOPED_TRACE(testing::Message() << source << " quality " << quality);
      std::string ours = dir.Path("ours.jpg");
      vuJpegSaveOptions options;
      options.quality = quality;
      ASSERT_EQ(image.SaveImage(ours.c_str(), VU_TYPE_JPEG, quality ? &options : nullptr), 0);
      std::string theirs = dir.Path("theirs.jpg");
      ASSERT_TRUE(Shell("cjpeg -baseline -quality " + std::to_string(quality ? quality : 80) +
                        " -outfile " + Quote(theirs) + " " + Quote(source)));
      EXPECT_EQ(vutest::ReadFileBytes(ours), vutest::ReadFileBytes(theirs));
      if (quality == 90) {
        Picture decoded = Djpeg(ours, dir);
        EXPECT_GT(Psnr(decoded, PictureOf(image)), 35.0);
        std::string why;
        EXPECT_LE(MaxDifference(LoadPicture(ours), decoded, &why), 1) << why;
        if (HavePillow()) {
          EXPECT_GT(Psnr(PillowDecode(ours, dir), PictureOf(image)), 35.0);
        }
      }
    }
  }
  // The whole photographs at quality 90, through ImageMagick.
  if (HaveImageMagick()) {
    for (const char* sample : {"chelsea.ppm", "camera.pgm"}) {
      ScopedImage image;
      ASSERT_EQ(image.LoadImage(vutest::Sample(sample).c_str()), 0);
      std::string ours = dir.Path("whole.jpg");
      vuJpegSaveOptions options;
      options.quality = 90;
      ASSERT_EQ(image.SaveImage(ours.c_str(), VU_TYPE_JPEG, &options), 0);
      EXPECT_GT(Psnr(MagickDecode(ours, "", 8, dir), PictureOf(image)), 35.0) << sample;
    }
  }
}

TEST(Jpeg, EveryPixelFormatIsWrittenAsThePictureItShows) {
  TempDir dir;
  struct Case {
    vuBMFormat format;
    bool greyFile;
  } cases[] = {{BM_8BIT_COLOR, false}, {BM_1BIT, true},   {BM_16BIT_GRAY, true},
               {BM_48BIT, false},      {BM_32BIT, false}, {BM_4BIT, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "format " << c.format);
    ScopedImage image;
    int colors = c.format == BM_8BIT_COLOR ? 256 : c.format == BM_4BIT ? 16 : 0;
    ASSERT_EQ(image.AllocateBitmap(32, 32, colors, c.format), 1);
    for (int i = 0; i < colors; ++i)
      image.palette[i] = vuRGBA{uint8_t(i * 16), uint8_t(255 - i), uint8_t(i), 0};
    // Flat blocks, so that the coded picture is close to exact away from their edges.
    uint16_t pixel[4] = {0, 0, 0, 0};
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        int block = (x / 16) + 2 * (y / 16);
        for (int k = 0; k < 4; ++k)
          pixel[k] = uint16_t(block * 4000 + k * 9000);
        if (colors) pixel[0] = uint16_t(block * 3 % colors);
        if (c.format == BM_1BIT) pixel[0] = block % 2;
        if (c.format == BM_32BIT) {
          for (int k = 0; k < 3; ++k)
            pixel[k] &= 0xFF;
        }
        image.accessor->SetRaw(x, y, pixel);
      }
    }
    image.sampleBits = c.format == BM_16BIT_GRAY || c.format == BM_48BIT ? 16 : 0;
    std::string path = dir.Path("format.jpg");
    vuJpegSaveOptions options;
    options.quality = 100;
    ASSERT_EQ(image.SaveImage(path.c_str(), VU_TYPE_JPEG, &options), 0);
    ScopedImage back;
    ASSERT_EQ(back.LoadImage(path.c_str()), 0);
    EXPECT_EQ(back.format, c.greyFile ? BM_8BIT_GRAY : BM_24BIT);
    Picture expected = PictureOf(image);
    Picture decoded = PictureOf(back);
    int shift = expected.Depth() == 16 ? 8 : 0;
    for (int centre : {8 * 32 + 8, 8 * 32 + 24, 24 * 32 + 8, 24 * 32 + 24}) {
      for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(decoded.samples[3 * centre + k], expected.samples[3 * centre + k] >> shift, 3)
            << "pixel " << centre << " channel " << k;
      }
    }
  }
}

TEST(Jpeg, QualityDialogGoesThroughThePlatform) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(4, 4, 0, BM_24BIT), 1);
  // Headless, nobody answers: cancelled.
  EXPECT_EQ(image.GetOutOptions(VU_TYPE_JPEG), nullptr);
  DialogPlatform platform;
  vuScopedPlatform scoped(&platform);
  JpegRW writer(&image);
  for (auto [choice, expected] : {std::pair{150, 100}, {0, 1}, {37, 37}}) {
    platform.choice = choice;
    auto* options = static_cast<vuJpegSaveOptions*>(writer.GetOutOptions(0));
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->quality, expected);
    EXPECT_EQ(options->reserved, 6);
    writer.FreeOutOptions(options);
  }
  platform.cancel = true;
  EXPECT_EQ(writer.GetOutOptions(0), nullptr);
  EXPECT_EQ(platform.shown, 4);
  EXPECT_EQ(vuJpegSaveOptions{}.quality, 80); // what the dialog starts from
  EXPECT_EQ(vuJpegSaveOptions{}.reserved, 6);
  // Registry and save table: JPEG takes grey and colour.
  auto colourTypes = vuSaveTypesFor(BM_24BIT);
  EXPECT_NE(std::find(colourTypes.begin(), colourTypes.end(), 12), colourTypes.end());
  EXPECT_STREQ(writer.description, "JPEG");
  EXPECT_STREQ(writer.extensions, "JPG");
}

TEST(Jpeg, DamagedFilesGiveACleanResult) {
  TempDir dir;
  vuRecordingPlatform recorder;
  vuScopedPlatform scoped(&recorder);
  ScopedImage source;
  ASSERT_EQ(source.LoadImage(vutest::Sample("chelsea.ppm").c_str()), 0);
  std::string valid = dir.Path("valid.jpg");
  ASSERT_EQ(source.SaveImage(valid.c_str(), VU_TYPE_JPEG, nullptr), 0);
  auto bytes = vutest::ReadFileBytes(valid);

  // Cut in the middle of the scan: LoadImage refuses it; the reader itself keeps the rows decoded
  // so far, and libjpeg says what happened.
  std::string cut = dir.Path("cut.jpg");
  vutest::WriteFileBytes(cut,
                         std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2));
  ScopedImage image;
  EXPECT_EQ(image.LoadImage(cut.c_str()), -2);
  EXPECT_FALSE(image.header);
  std::string damage;
  EXPECT_EQ(vutest::ReadWithReader(image, VU_TYPE_JPEG, cut, &damage), -2);
  ASSERT_TRUE(image.header);
  EXPECT_EQ(image.Width(), 451);
  ASSERT_FALSE(recorder.messages.empty());
  EXPECT_EQ(recorder.messages[0].caption, "Info");
  uint16_t top[4], original[4];
  image.accessor->GetRaw(10, image.Height() - 1, top);
  source.accessor->GetRaw(10, source.Height() - 1, original);
  EXPECT_NEAR(top[1], original[1], 40);

  // The signature and nothing sensible after it: refused, image empty.
  std::string garbage = dir.Path("garbage.jpg");
  vutest::WriteFileBytes(garbage, {0xFF, 0xD8, 0x00, 0x13, 0x55, 0x66, 0x77, 0x88});
  recorder.messages.clear();
  vuBitmapInfoHeader* before = image.header;
  EXPECT_EQ(image.LoadImage(garbage.c_str()), -2);
  EXPECT_EQ(image.header, before);
  EXPECT_FALSE(recorder.messages.empty());
  vuFileInfo info;
  JpegRW reader(&image);
  EXPECT_EQ(reader.GetInfo(garbage.c_str(), &info), -2);
  EXPECT_EQ(reader.GetInfo(dir.Path("missing.jpg").c_str(), &info), -1);
  int count = 0;
  EXPECT_EQ(
      reader.Read(dir.Path("missing.jpg").c_str(), &count, nullptr, nullptr, nullptr, nullptr), -1);

  // A frame header declaring 60000 x 60000 pixels is refused before anything is allocated.
  std::vector<uint8_t> huge = bytes;
  for (size_t i = 2; i + 8 < huge.size(); ++i) {
    if (huge[i] == 0xFF && (huge[i + 1] == 0xC0 || huge[i + 1] == 0xC2)) {
      huge[i + 5] = 0xEA;
      huge[i + 6] = 0x60;
      huge[i + 7] = 0xEA;
      huge[i + 8] = 0x60;
      break;
    }
  }
  std::string hugePath = dir.Path("huge.jpg");
  vutest::WriteFileBytes(hugePath, huge);
  EXPECT_EQ(image.LoadImage(hugePath.c_str()), -2);
  ASSERT_EQ(reader.GetInfo(hugePath.c_str(), &info), 0);
  EXPECT_EQ(info.width, 60000);
}

TEST(Jpeg, DamagedFilesLoadWholeOrLeaveTheImageEmpty) {
  TempDir dir;
  vuRecordingPlatform recorder;
  vuScopedPlatform scoped(&recorder);
  std::vector<std::string> seeds;
  ScopedImage photo;
  ASSERT_EQ(photo.LoadImage(SmallPhoto(dir, 21, 13).c_str()), 0);
  seeds.push_back(dir.Path("seed.jpg"));
  ASSERT_EQ(photo.SaveImage(seeds.back().c_str(), VU_TYPE_JPEG, nullptr), 0);
  if (HaveJpegTools()) {
    seeds.push_back(dir.Path("seed-progressive.jpg"));
    ASSERT_TRUE(Shell("cjpeg -progressive -outfile " + Quote(seeds.back()) + " " +
                      Quote(dir.Path("photo21x13.ppm"))));
  }
  for (const std::string& seed : seeds) {
    SCOPED_TRACE(seed);
    ExpectBothOutcomes(LoadDamagedCopies(ReadFileBytes(seed), dir.Path("hostile.jpg"),
                                         {.rounds = 150, .seed = 12345, .headerBytes = 512}));
  }
}

TEST(Jpeg, FailedWritesReturnAnErrorAndLeaveNoFile) {
  TempDir dir;
  vuRecordingPlatform recorder;
  vuScopedPlatform scoped(&recorder);
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(vutest::Sample("astronaut.ppm").c_str()), 0);
  std::string missing = dir.Path("no/such/folder/x.jpg");
  EXPECT_EQ(image.SaveImage(missing.c_str(), VU_TYPE_JPEG, nullptr), -1);
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].text, "Could Not Open:" + missing);
  EXPECT_EQ(recorder.messages[0].caption, "Info");

  // The disk fills part-way: libjpeg's write error comes back as -1 instead of ending the process.
  std::string path = dir.Path("full.jpg");
  vuJpegSaveOptions options;
  options.quality = 100;
  int result = SaveWithFileSizeLimit(image, path, VU_TYPE_JPEG, &options, 10000);
  EXPECT_EQ(result, -1);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(Jpeg, DataThatEndsEarlyOrIsCorruptIsNamed) {
  TempDir dir;
  vuRecordingPlatform recorder;
  vuScopedPlatform scoped(&recorder);
  ScopedImage source;
  ASSERT_EQ(source.LoadImage(vutest::Sample("camera.pgm").c_str()), 0);
  std::string valid = dir.Path("valid.jpg");
  ASSERT_EQ(source.SaveImage(valid.c_str(), VU_TYPE_JPEG, nullptr), 0);
  const auto bytes = vutest::ReadFileBytes(valid);
  auto read = [&](const std::vector<uint8_t>& file, std::string* damage) {
    vutest::WriteFileBytes(dir.Path("damaged.jpg"), file);
    ScopedImage image;
    int result = vutest::ReadWithReader(image, VU_TYPE_JPEG, dir.Path("damaged.jpg"), damage);
    EXPECT_NE(image.header, nullptr); // the rows decoded so far
    return result;
  };
  std::string damage;
  EXPECT_EQ(read(bytes, &damage), 0);
  EXPECT_EQ(damage, "");
  EXPECT_EQ(read({bytes.begin(), bytes.begin() + long(bytes.size() * 2 / 3)}, &damage), -2);
  EXPECT_EQ(damage, "Premature end of JPEG file");
  // A marker in the middle of the entropy-coded data.
  std::vector<uint8_t> corrupt = bytes;
  corrupt[bytes.size() / 2] = 0xFF;
  corrupt[bytes.size() / 2 + 1] = 0xD9;
  EXPECT_EQ(read(corrupt, &damage), -2);
  EXPECT_EQ(damage.rfind("Corrupt JPEG data", 0), 0u) << damage;
}

TEST(Jpeg, ExifOrientationTurnsThePicture) {
  TempDir dir;
  // A 23 x 11 picture of distinct colours, stored without loss worth noting at quality 100.
  ScopedImage plain;
  ASSERT_EQ(plain.AllocateBitmap(23, 11, 0, BM_24BIT), 1);
  vutest::FillPattern(plain, 7);
  std::string path = dir.Path("plain.jpg");
  vuJpegSaveOptions best;
  best.quality = 100;
  ASSERT_EQ(plain.SaveImage(path.c_str(), VU_TYPE_JPEG, &best), 0);
  ScopedImage stored;
  ASSERT_EQ(stored.LoadImage(path.c_str()), 0);
  const std::vector<uint8_t> jpeg = vutest::ReadFileBytes(path);
  const int w = 23, h = 11;
  for (int orientation = 1; orientation <= 8; ++orientation) {
    SCOPED_TRACE(orientation);
    // An Exif block (little-endian, one entry: tag 0x0112) right after the start of image.
    std::vector<uint8_t> exif = {'E', 'x',  'i',  'f', 0,
                                 0,   'I',  'I',  42,  0,
                                 8,   0,    0,    0,   1,
                                 0,   0x12, 0x01, 3,   0,
                                 1,   0,    0,    0,   uint8_t(orientation),
                                 0,   0,    0,    0,   0,
                                 0,   0};
    std::vector<uint8_t> file = {0xFF, 0xD8, 0xFF, 0xE1, 0, uint8_t(exif.size() + 2)};
    file.reserve(file.size() + exif.size() + jpeg.size());
    std::copy(exif.begin(), exif.end(), std::back_inserter(file));
    std::copy(jpeg.begin() + 2, jpeg.end(), std::back_inserter(file));
    std::string turnedPath = dir.Path("turned.jpg");
    vutest::WriteFileBytes(turnedPath, file);
    ScopedImage turned;
    ASSERT_EQ(turned.LoadImage(turnedPath.c_str()), 0);
    vuFileInfo info;
    ASSERT_EQ(turned.GetInfo(turnedPath.c_str(), &info), 0);
    const bool across = orientation >= 5;
    ASSERT_EQ(turned.Width(), across ? h : w);
    ASSERT_EQ(info.width, turned.Width());
    // Where each shown pixel (x, y from the top left) lies in the stored picture.
    for (int y = 0; y < turned.Height(); ++y) {
      for (int x = 0; x < turned.Width(); ++x) {
        int sx = x, sy = y;
        switch (orientation) {
        case 2:
          sx = w - 1 - x;
          break;
        case 3:
          sx = w - 1 - x;
          sy = h - 1 - y;
          break;
        case 4:
          sy = h - 1 - y;
          break;
        case 5:
          sx = y;
          sy = x;
          break;
        case 6:
          sx = y;
          sy = h - 1 - x;
          break;
        case 7:
          sx = w - 1 - y;
          sy = h - 1 - x;
          break;
        case 8:
          sx = w - 1 - y;
          sy = x;
          break;
        }
        uint16_t a[4], b[4];
        turned.accessor->GetRaw(x, turned.Height() - 1 - y, a);
        stored.accessor->GetRaw(sx, h - 1 - sy, b);
        ASSERT_TRUE(std::equal(a, a + 3, b)) << x << "," << y;
      }
    }
  }
}
