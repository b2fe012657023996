// The right-click save (WIF as received, BMP through the writer) and printing on the default
// printer or through the print dialog.
#include <gtest/gtest.h>

#include "PluginTestSupport.h"
#include "support/TestSupport.h"

using namespace plugintest;

namespace {

// The smallest rectangle holding every pixel that is not white.
struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};
Box InkBox(const vuPrintedPage& page) {
  Box box;
  for (int y = 0; y < page.height; ++y)
    for (int x = 0; x < page.width; ++x)
      if (page.pixels[size_t(y) * page.width + x] != 0xFFFFFFFFu) {
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x);
        box.bottom = std::max(box.bottom, y);
      }
  return box;
}

// A flat dark picture, so every printed pixel of it shows.
void FlatPicture(int width, int height, vuImage* image) {
  ASSERT_EQ(image->AllocateBitmap(width, height, 256, BM_8BIT_GRAY), 1);
  for (int y = 0; y < height; ++y)
    std::fill(image->Row(y), image->Row(y) + width, uint8_t(60));
}

} // namespace

TEST(PluginSave, OutputNamesFollowTheChosenFilter) {
  struct Case {
    const char* name;
    int offset;
    const char* pattern;
    const char* expected;
  } cases[] = {
      {"/tmp/picture", 12, "*.wif", "/tmp/picture.wif"},
      {"/tmp/picture", 12, "*.bmp", "/tmp/picture.bmp"},
      {"/tmp/picture.wif", 13, "*.wif", "/tmp/picture.wif"},
      {"/tmp/picture.WIF", 13, "*.wif", "/tmp/picture.WIF.wif"}, // the comparison is exact
      {"/tmp/picture.bmp", 13, "*.wif", "/tmp/picture.bmp.wif"},
      {"/tmp/picture.", 0, "*.bmp", "/tmp/picture..bmp"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PluginOutputName(c.name, c.offset, c.pattern), c.expected) << c.name;
}

TEST(PluginSave, RightClickSavesTheConsumedBytesOrABitmap) {
  Browser browser;
  vutest::TempDir dir;
  vuImageOwner grey;
  LoadSample("camera.pgm", 120, 90, &grey);
  const std::vector<uint8_t> file = Wif2Stream(grey, false);

  // Before the end: exactly the bytes the steps used (the header and comment, not the chunk
  // that is still arriving).
  TestInstance partial(browser);
  partial.Stream(file, 0, file.size() - 10);
  browser.platform.fileAnswers.push_back({true, dir.Path("partial"), 1});
  EXPECT_EQ(partial.window.SendMessage(VU_WM_RBUTTONDOWN), 1);
  ASSERT_EQ(browser.platform.fileDialogs.size(), 1u);
  const vuFileDialog& dialog = browser.platform.fileDialogs[0];
  EXPECT_EQ(dialog.title, "Select Output File Name");
  ASSERT_EQ(dialog.filters.size(), 2u);
  EXPECT_EQ(dialog.filters[0].description, "Wavelet Image File (WIF)");
  EXPECT_EQ(dialog.filters[0].patterns, "*.wif");
  EXPECT_EQ(dialog.filters[1].description, "Windows Bitmap (BMP)");
  EXPECT_EQ(dialog.filters[1].patterns, "*.bmp");
  EXPECT_TRUE(dialog.promptOverwrite);
  const std::vector<uint8_t> saved = vutest::ReadFileBytes(dir.Path("partial.wif"));
  const int32_t consumed = partial.Core().consumed.Length();
  EXPECT_GT(consumed, 40);
  EXPECT_LT(size_t(consumed), file.size() - 10);
  EXPECT_EQ(saved, std::vector<uint8_t>(file.begin(), file.begin() + consumed));

  // The whole stream, and the picture as a bitmap.
  TestInstance whole(browser);
  whole.Stream(file);
  browser.platform.fileAnswers.push_back({true, dir.Path("whole.wif"), 1});
  browser.platform.fileAnswers.push_back({true, dir.Path("whole"), 2});
  whole.window.SendMessage(VU_WM_RBUTTONDOWN);
  whole.window.SendMessage(VU_WM_RBUTTONDOWN);
  EXPECT_EQ(vutest::ReadFileBytes(dir.Path("whole.wif")), file);
  vuImageOwner bitmap;
  ASSERT_EQ(bitmap.LoadImage(dir.Path("whole.bmp").c_str()), 0);
  EXPECT_TRUE(SameImage(bitmap, whole.Image()));
  EXPECT_TRUE(browser.platform.messages.empty());

  // Cancelled: nothing happens.
  whole.window.SendMessage(VU_WM_RBUTTONDOWN);
  EXPECT_EQ(browser.platform.fileDialogs.size(), 4u);
  EXPECT_TRUE(browser.platform.messages.empty());
}

TEST(PluginSave, FailedSavesAreReportedAndSixteenBitPicturesSaveAsShown) {
  Browser browser;
  vutest::TempDir dir;
  vuImageOwner grey, wide;
  LoadSample("camera.pgm", 40, 30, &grey);
  Widen(grey, 12, &wide);
  TestInstance instance(browser);
  instance.Stream(Wif2Stream(wide, false));
  const std::string missing = dir.Path("no-folder/picture.wif");
  browser.platform.fileAnswers.push_back({true, missing, 1});
  browser.platform.fileAnswers.push_back({true, dir.Path("no-folder/picture.bmp"), 2});
  browser.platform.fileAnswers.push_back({true, dir.Path("shown.bmp"), 2});
  for (int i = 0; i < 3; ++i)
    instance.window.SendMessage(VU_WM_RBUTTONDOWN);
  ASSERT_EQ(browser.platform.messages.size(), 2u);
  EXPECT_NE(browser.platform.messages[0].text.find(missing), std::string::npos);
  EXPECT_NE(browser.platform.messages[1].text.find("picture.bmp"), std::string::npos);
  // The bitmap holds the 8-bit copy the window shows.
  vuImageOwner bitmap;
  ASSERT_EQ(bitmap.LoadImage(dir.Path("shown.bmp").c_str()), 0);
  ASSERT_EQ(bitmap.Depth(), 8);
  uint8_t value = 0;
  bitmap.GetColor(7, 3, &value);
  const uint8_t* sample = instance.Image().Row(3) + 2 * 7;
  EXPECT_EQ(value, (sample[0] | (sample[1] << 8)) >> 4);
}

TEST(PluginPrint, EmbeddedPrintsAQuarterOfTheWindowOnTheDefaultPrinter) {
  Browser browser;
  browser.platform.profile.push_back({"WINDOWS", "DEVICE", "Office Laser,laserdrv,LPT1:"});
  vuImageOwner flat;
  FlatPicture(200, 100, &flat);
  TestInstance instance(browser, NP_EMBED, 400, 300);
  instance.Stream(Wif2Stream(flat, false));
  NPPrint print{};
  print.mode = NP_EMBED;
  print.print.embedPrint.window = instance.record;
  browser.plugin.print(&instance.npp, &print);
  ASSERT_EQ(browser.platform.printersCreated.size(), 1u);
  EXPECT_EQ(browser.platform.printersCreated[0], "Office Laser,laserdrv,LPT1:");
  ASSERT_EQ(browser.platform.printedPages.size(), 1u);
  const vuPrintedPage& page = browser.platform.printedPages[0];
  EXPECT_EQ(page.document, "printing bitmap");
  Box box = InkBox(page);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.Width(), 100);
  EXPECT_EQ(box.Height(), 75);
  EXPECT_TRUE(browser.platform.printDialogs.empty());

  // No default printer: nothing is printed.
  browser.platform.profile.clear();
  browser.plugin.print(&instance.npp, &print);
  EXPECT_EQ(browser.platform.printedPages.size(), 1u);
}

TEST(PluginPrint, FullPagePrintsThreeTimesTheImageThroughThePrintDialog) {
  Browser browser;
  vuImageOwner flat;
  FlatPicture(200, 100, &flat);
  TestInstance instance(browser, NP_FULL, 640, 480);
  instance.Stream(Wif2Stream(flat, false));
  NPPrint print{};
  print.mode = NP_FULL;
  browser.platform.printAccepts = false;
  browser.plugin.print(&instance.npp, &print);
  ASSERT_EQ(browser.platform.printDialogs.size(), 1u);
  EXPECT_FALSE(browser.platform.printDialogs[0].pageNumbers);
  EXPECT_FALSE(browser.platform.printDialogs[0].selection);
  EXPECT_EQ(browser.platform.printDialogs[0].copies, 1);
  EXPECT_TRUE(browser.platform.printedPages.empty()); // cancelled

  browser.platform.printAccepts = true;
  browser.plugin.print(&instance.npp, nullptr); // no record: the print dialog too
  ASSERT_EQ(browser.platform.printedPages.size(), 1u);
  EXPECT_EQ(browser.platform.printedPages[0].document, "printing bitmap");
  Box box = InkBox(browser.platform.printedPages[0]);
  EXPECT_EQ(box.Width(), 600);
  EXPECT_EQ(box.Height(), 300);
}
