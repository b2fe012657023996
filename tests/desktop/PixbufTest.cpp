#include <gtest/gtest.h>

#include <filesystem>

#include "DesktopTestSupport.h"
#include "desktop/gdkpixbuf/WifPixbuf.h"
#include "support/Picture.h"

using namespace vutest;

namespace {

std::vector<uint8_t> PixbufBytes(GdkPixbuf* pixbuf) {
  std::vector<uint8_t> rgb;
  const int width = gdk_pixbuf_get_width(pixbuf);
  const guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
  for (int y = 0; y < gdk_pixbuf_get_height(pixbuf); ++y) {
    const guchar* row = pixels + static_cast<size_t>(y) * gdk_pixbuf_get_rowstride(pixbuf);
    rgb.insert(rgb.end(), row, row + 3 * width);
  }
  return rgb;
}

} // namespace

TEST(WifPixbuf, DecodesThePixelsOfTheFileReader) {
  TempDir dir;
  std::vector<std::string> files = {MakeWif(dir, "chelsea.ppm", "colour.wif", "--tiles -q 20"),
                                    MakeWif(dir, "camera.pgm", "grey.wif")};
  const std::string classic = SharedTestData("classic/c05_coffee_w8.wif");
  if (std::filesystem::exists(classic)) files.push_back(classic);
  for (const std::string& path : files) {
    const Bytes bytes(path);
    GdkPixbuf* pixbuf = nullptr;
    ASSERT_EQ(WifDecodeToPixbuf(bytes.data.data(), bytes.data.size(), &pixbuf), 0) << path;
    vuImageOwner reference;
    ASSERT_EQ(reference.LoadImage(path.c_str()), 0);
    EXPECT_EQ(gdk_pixbuf_get_width(pixbuf), reference.Width());
    EXPECT_EQ(gdk_pixbuf_get_n_channels(pixbuf), 3);
    EXPECT_EQ(PixbufBytes(pixbuf), RgbBytesTopDown(reference)) << path;
    int width = 0;
    int height = 0;
    EXPECT_TRUE(WifPixbufSize(bytes.data.data(), bytes.data.size(), &width, &height));
    EXPECT_EQ(height, reference.Height());
    g_object_unref(pixbuf);
  }
}

TEST(WifPixbuf, BadDataGivesNoPixbuf) {
  GdkPixbuf* pixbuf = nullptr;
  const uint8_t header[] = {'W', 'I', 'F', '2', 0, 0, 0, 0};
  EXPECT_EQ(WifDecodeToPixbuf(header, sizeof header, &pixbuf), -2);
  EXPECT_EQ(pixbuf, nullptr);
  const Bytes ppm(Sample("chelsea.ppm"));
  EXPECT_EQ(WifDecodeToPixbuf(ppm.data.data(), ppm.data.size(), &pixbuf), -2);
  EXPECT_EQ(pixbuf, nullptr);
  int width = -1;
  int height = -1;
  EXPECT_FALSE(WifPixbufSize(ppm.data.data(), ppm.data.size(), &width, &height));
}
