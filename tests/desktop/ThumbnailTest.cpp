#include <gtest/gtest.h>

#include <filesystem>

#include "DesktopTestSupport.h"
#include "desktop/thumbnailer/Thumbnail.h"
#include "support/Picture.h"

using namespace vutest;

namespace {

int RunThumbnailer(const std::string& arguments, std::string* output = nullptr) {
  return RunCommand(Quote(VU_THUMBNAILER_PATH) + " " + arguments, output);
}

} // namespace

TEST(ThumbnailSize, LongerSideBecomesTheSizeAndSmallPicturesStay) {
  int w = 0, h = 0;
  vuThumbnailSize(451, 300, 128, &w, &h);
  EXPECT_EQ(w, 128);
  EXPECT_EQ(h, 85);
  vuThumbnailSize(300, 451, 128, &w, &h);
  EXPECT_EQ(w, 85);
  EXPECT_EQ(h, 128);
  vuThumbnailSize(1000, 2, 100, &w, &h);
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 1);
  vuThumbnailSize(60, 40, 128, &w, &h);
  EXPECT_EQ(w, 60);
  EXPECT_EQ(h, 40);
}

TEST(ThumbnailScale, AveragesTheCoveredPixels) {
  vuPlainPixels source;
  source.width = 4;
  source.height = 2;
  source.channels = 1;
  source.samples = {0, 10, 100, 200, 20, 30, 255, 255};
  vuPlainPixels thumbnail;
  ASSERT_TRUE(vuScaleToThumbnail(source, 2, &thumbnail));
  EXPECT_EQ(thumbnail.width, 2);
  EXPECT_EQ(thumbnail.height, 1);
  EXPECT_EQ(thumbnail.samples, (std::vector<uint8_t>{15, 203})); // (0+10+20+30)/4, 810/4 rounded
  EXPECT_FALSE(vuScaleToThumbnail(source, 0, &thumbnail));
}

TEST(Thumbnailer, WritesAPngOfTheAskedSize) {
  TempDir dir;
  std::vector<std::string> inputs = {MakeWif(dir, "chelsea.ppm", "colour.wif")};
  const std::string classic = SharedTestData("classic/g01_camera_wif5.wif");
  if (std::filesystem::exists(classic)) inputs.push_back(classic);
  for (const std::string& input : inputs) {
    const std::string png = dir.Path("thumb.png");
    ASSERT_EQ(RunThumbnailer("-s 96 " + Quote(input) + " " + Quote(png)), 0) << input;
    vuImageOwner thumbnail;
    ASSERT_EQ(thumbnail.LoadImage(png.c_str()), 0);
    EXPECT_EQ(thumbnail.GetFileType(png.c_str()), 13);
    EXPECT_EQ(std::max(thumbnail.Width(), thumbnail.Height()), 96);
    // The thumbnail shows the picture: close to the reference scaled the same way.
    vuImageOwner full;
    ASSERT_EQ(full.LoadImage(input.c_str()), 0);
    vuPlainPixels plain, scaled;
    ASSERT_TRUE(vuToPlainPixels(full, &plain));
    ASSERT_TRUE(vuScaleToThumbnail(plain, 96, &scaled));
    vuPlainPixels written;
    ASSERT_TRUE(vuToPlainPixels(thumbnail, &written));
    EXPECT_EQ(written.samples, scaled.samples);
  }
}

TEST(Thumbnailer, BadUsageAndBadFilesWriteNothing) {
  TempDir dir;
  const std::string png = dir.Path("thumb.png");
  std::string output;
  EXPECT_EQ(RunThumbnailer(Quote(Sample("camera.pgm")) + " " + Quote(png), &output), 2);
  EXPECT_EQ(RunThumbnailer("-s 0 " + Quote(Sample("camera.pgm")) + " " + Quote(png)), 2);
  EXPECT_EQ(RunThumbnailer("-s 64 " + Quote(dir.Path("missing.wif")) + " " + Quote(png), &output),
            1);
  EXPECT_NE(output.find("vu-thumbnailer: "), std::string::npos);
  const std::string broken = dir.Path("broken.wif");
  WriteFileBytes(broken, {'W', 'I', 'F', '2', 1, 2, 3});
  EXPECT_EQ(RunThumbnailer("-s 64 " + Quote(broken) + " " + Quote(png)), 1);
  EXPECT_FALSE(std::filesystem::exists(png));
}
