// The platform services the programs lean on: headless answers, the recording services, printing
// to a software page, the clock and the extension offset of file dialogs.
#include <gtest/gtest.h>

#include "imagelib/vuOSWinClass.h"
#include "imagelib/vuSoftwareTarget.h"
#include "support/TestSupport.h"

namespace {

TEST(PlatformServices, HeadlessAnswersCancelledAndDefaults) {
  vuPlatformServices headless;
  vuFileDialog dialog;
  dialog.filterIndex = 7;
  EXPECT_FALSE(headless.GetOpenFileName(dialog));
  EXPECT_FALSE(headless.GetSaveFileName(dialog));
  EXPECT_EQ(dialog.filterIndex, 7);
  EXPECT_TRUE(dialog.path.empty());
  EXPECT_EQ(headless.PrintDlg(vuPrintDialog{}), nullptr);
  EXPECT_EQ(headless.CreatePrinterDC("winspool", "Printer", "LPT1:"), nullptr);
  EXPECT_EQ(headless.GetProfileString("WINDOWS", "DEVICE", ""), "");
  EXPECT_EQ(headless.screen.bitsPerPixel, 24);
  vuSystemTime now = headless.GetSystemTime();
  EXPECT_TRUE(now.hour >= 0 && now.hour < 24 && now.minute >= 0 && now.minute < 60 &&
              now.second >= 0 && now.second < 60 && now.milliseconds >= 0 &&
              now.milliseconds < 1000);
}

TEST(PlatformServices, ExtensionOffsetAsSaveDialogsReportIt) {
  EXPECT_EQ(vuFileExtensionOffset("/tmp/picture.wif"), 13);
  EXPECT_EQ(vuFileExtensionOffset("/tmp/picture"), 12); // no extension: the length
  EXPECT_EQ(vuFileExtensionOffset("/tmp/picture."), 0); // ends with a dot
  EXPECT_EQ(vuFileExtensionOffset("/tmp/my.folder/picture"), 22);
  EXPECT_EQ(vuFileExtensionOffset("a.tar.gz"), 6);
}

TEST(PlatformServices, RecordingFileDialogsAnswerInOrder) {
  vuRecordingPlatform platform;
  platform.fileAnswers = {{true, "/data/photo.JPG", 9}, {false, "", 7}};
  vuFileDialog open;
  open.title = "Select Image File";
  ASSERT_TRUE(platform.GetOpenFileName(open));
  EXPECT_EQ(open.path, "/data/photo.JPG");
  EXPECT_EQ(open.filterIndex, 9);
  EXPECT_EQ(open.extensionOffset, 12);

  vuFileDialog save;
  EXPECT_FALSE(platform.GetSaveFileName(save));
  EXPECT_EQ(save.filterIndex, 7);               // the filter last shown survives a cancel
  EXPECT_FALSE(platform.GetSaveFileName(save)); // answers used up
  ASSERT_EQ(platform.fileDialogs.size(), 3u);
  EXPECT_EQ(platform.fileDialogs[0].title, "Select Image File");
}

TEST(PlatformServices, ProfileAndClockFromTheRecording) {
  vuRecordingPlatform platform;
  platform.profile.push_back({"windows", "device", "Office,winspool,LPT1:"});
  EXPECT_EQ(platform.GetProfileString("WINDOWS", "DEVICE", ""), "Office,winspool,LPT1:");
  EXPECT_EQ(platform.GetProfileString("WINDOWS", "SPOOLER", "yes"), "yes");
  platform.times = {{10, 20, 30, 400}};
  vuSystemTime first = platform.GetSystemTime();
  EXPECT_EQ(first.hour * 10000000 + first.minute * 100000 + first.second * 1000 +
                first.milliseconds,
            10 * 10000000 + 20 * 100000 + 30 * 1000 + 400);
  EXPECT_LT(platform.GetSystemTime().hour, 24); // then the real clock
}

// The programs' print path: dialog, document "printing bitmap", one page, the image at three
// times its size in printer pixels.
TEST(PlatformServices, PrintingToARecordedPrinter) {
  vuRecordingPlatform platform;
  vuScopedPlatform installed(&platform);
  vuOSWinClass image;
  ASSERT_EQ(image.AllocateBitmap(20, 10, 0, BM_24BIT), 1);
  vutest::FillPattern(image, 8);

  EXPECT_EQ(platform.PrintDlg(vuPrintDialog{}), nullptr); // cancelled: nothing printed
  platform.printAccepts = true;
  {
    std::unique_ptr<vuDeviceContext> printer = platform.PrintDlg(vuPrintDialog{});
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(printer->EndPage(), -1); // out of order
    printer->SetStretchBltMode(VU_STRETCH_BLACKONWHITE);
    EXPECT_GT(printer->StartDoc("printing bitmap"), 0);
    EXPECT_GT(printer->StartPage(), 0);
    image.Draw(printer.get(), 3 * image.Width(), 3 * image.Height(), VU_DDF_BACKGROUNDPAL);
    EXPECT_GT(printer->EndPage(), 0);
    EXPECT_GT(printer->EndDoc(), 0);
  }
  ASSERT_EQ(platform.printDialogs.size(), 2u);
  ASSERT_EQ(platform.printedPages.size(), 1u);
  const vuPrintedPage& page = platform.printedPages[0];
  EXPECT_EQ(page.document, "printing bitmap");
  ASSERT_EQ(page.width, platform.printerWidth);
  uint8_t red, green, blue;
  image.GetColor(4, 9 - 2, &red, &green, &blue);
  EXPECT_EQ(page.pixels[static_cast<size_t>(3 * 2 + 1) * page.width + 3 * 4 + 2],
            vuPackPixel(red, green, blue));
  EXPECT_EQ(page.pixels[static_cast<size_t>(30) * page.width + 60], 0xFFFFFFFFu); // past it
  image.Delete();

  // The default printer from the profile; an empty entry gives none.
  EXPECT_EQ(platform.CreatePrinterDC("", "", ""), nullptr);
  EXPECT_NE(platform.CreatePrinterDC("winspool", "Office", "LPT1:"), nullptr);
  EXPECT_EQ(platform.printersCreated.back(), "Office,winspool,LPT1:");

  // A window is no printer.
  vuSoftwareTarget window(10, 10);
  window.SetPageSink(nullptr);
  EXPECT_EQ(window.StartPage(), -1);
}

} // namespace
