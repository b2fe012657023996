// Printing: one page named "printing bitmap" with the image at three times its size; Cancel
// prints nothing.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "AppTestSupport.h"
#include "app/CTOVRADoc.h"
#include "app/CTOVRAView.h"
#include "imagelib/vuOSWinClass.h"

namespace {

using apptest::Studio;

uint32_t TestColour(int x, int y) {
  // Blocks of 10 x 10 pixels in clearly different colours, with a fine pattern in their corners.
  int bx = x / 10, by = y / 10;
  uint32_t detail = (x % 10 < 2 && y % 10 < 2) ? uint32_t((x + y) % 2) * 0x202020 : 0;
  return (uint32_t(bx * 60) << 16 | uint32_t(by * 80) << 8 | uint32_t((bx + by) * 40)) ^ detail;
}

CTOVRADoc* OpenTestPicture(Studio& studio) {
  std::string path = studio.Path("blocks.ppm");
  apptest::WritePpm(path, 40, 30, TestColour);
  return studio.Open(path);
}

TEST(Print, OnePageWithTheImageAtThreeTimesItsSize) {
  Studio studio;
  CTOVRADoc* document = OpenTestPicture(studio);
  ASSERT_NE(document, nullptr);
  studio.platform.printAccepts = true;
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_FILE_PRINT));
  ASSERT_EQ(studio.platform.printDialogs.size(), 1u);
  const vuPrintDialog& asked = studio.platform.printDialogs[0];
  EXPECT_FALSE(asked.pageNumbers);
  EXPECT_FALSE(asked.selection);
  EXPECT_EQ(asked.copies, 1);
  ASSERT_EQ(studio.platform.printedPages.size(), 1u);
  const vuPrintedPage& page = studio.platform.printedPages[0];
  EXPECT_EQ(page.document, "printing bitmap");
  for (int y = 0; y < 95; ++y)
    for (int x = 0; x < 125; ++x) {
      uint32_t expected = x < 120 && y < 90 ? 0xFF000000u | TestColour(x / 3, y / 3) : 0xFFFFFFFFu;
      ASSERT_EQ(page.pixels[size_t(y) * page.width + x], expected) << x << "," << y;
    }
}

TEST(Print, CancelPrintsNothing) {
  Studio studio;
  ASSERT_NE(OpenTestPicture(studio), nullptr);
  studio.platform.pdfPath = studio.Path("cancelled.pdf");
  studio.platform.printAccepts = false;
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_FILE_PRINT));
  EXPECT_EQ(studio.platform.printDialogs.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(studio.platform.pdfPath));
  EXPECT_TRUE(studio.platform.printedPages.empty());
}

TEST(Print, DirectPrintUsesTheDefaultPrinter) {
  Studio studio;
  ASSERT_NE(OpenTestPicture(studio), nullptr);
  // No default printer: the user is told, nothing prints.
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_FILE_PRINT_DIRECT));
  EXPECT_TRUE(studio.platform.printedPages.empty());
  ASSERT_EQ(studio.platform.messages.size(), 1u);
  studio.platform.profile.push_back({"windows", "device", "Office Laser,laserdrv,LPT1:"});
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_FILE_PRINT_DIRECT));
  EXPECT_EQ(studio.platform.printersCreated.back(), "Office Laser,laserdrv,LPT1:");
  ASSERT_EQ(studio.platform.printedPages.size(), 1u);
  EXPECT_EQ(studio.platform.printedPages[0].document, "printing bitmap");
}

TEST(Print, PdfPageHoldsThePictureAtThreeTimesItsSize) {
  if (!vutest::HaveProgram("pdftoppm") || !vutest::HaveProgram("pdfinfo"))
    GTEST_SKIP() << "pdftoppm and pdfinfo (poppler-utils) are needed to read the printed page";
  Studio studio;
  ASSERT_NE(OpenTestPicture(studio), nullptr);
  studio.platform.pdfPath = studio.Path("printed.pdf");
  studio.platform.pdfResolution = 150;
  studio.platform.printAccepts = true;
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_FILE_PRINT));
  ASSERT_TRUE(std::filesystem::exists(studio.platform.pdfPath));

  std::string info;
  ASSERT_EQ(vutest::RunCommand("pdfinfo " + vutest::Quote(studio.platform.pdfPath), &info), 0);
  EXPECT_NE(info.find("printing bitmap"), std::string::npos) << info;
  EXPECT_NE(info.find("Pages:           1"), std::string::npos) << info;

  std::string prefix = studio.Path("page");
  ASSERT_EQ(vutest::RunCommand("pdftoppm -r 150 -png -singlefile " +
                               vutest::Quote(studio.platform.pdfPath) + " " +
                               vutest::Quote(prefix)),
            0);
  QImage page(QString::fromStdString(prefix + ".png"));
  ASSERT_FALSE(page.isNull());
  // The picture's extent on the page.
  int left = page.width(), top = page.height(), right = -1, bottom = -1;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x)
      if ((page.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  ASSERT_GE(right, 0) << "the page is blank";
  EXPECT_NEAR(right - left + 1, 120, 1);
  EXPECT_NEAR(bottom - top + 1, 90, 1);
  // Each block of the picture is three times as large: its middle shows its colour (a viewer
  // may smooth the edges between blocks).
  for (int y = 5; y < 30; y += 10)
    for (int x = 5; x < 40; x += 10) {
      QRgb shown = page.pixel(left + 3 * x + 1, top + 3 * y + 1);
      uint32_t expected = TestColour(x, y);
      ASSERT_NEAR(qRed(shown), int(expected >> 16 & 0xFF), 6) << x << "," << y;
      ASSERT_NEAR(qGreen(shown), int(expected >> 8 & 0xFF), 6) << x << "," << y;
      ASSERT_NEAR(qBlue(shown), int(expected & 0xFF), 6) << x << "," << y;
    }
}

} // namespace
