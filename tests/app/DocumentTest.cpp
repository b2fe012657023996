// Documents: opening, load time, display bits, the status values, New and crop, the close prompt
// and the display preparation on palette screens.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMdiSubWindow>
#include <fstream>
#include <set>

#include "AppTestSupport.h"
#include "app/CBackground.h"
#include "app/CChildFrame.h"
#include "app/CTOVRADoc.h"
#include "app/CTOVRAView.h"
#include "app/StatusValues.h"
#include "imagelib/vuImageOwner.h"
#include "imagelib/vuOSWinClass.h"

namespace {

using apptest::ImagePixels;
using apptest::ShowsPixels;
using apptest::Studio;

std::vector<std::string> PaneValues(CMainFrame& frame) {
  std::vector<std::string> values;
  for (int i = 1; i < CMainFrame::kStatusPanes; i += 2)
    values.push_back(frame.StatusPane(i)->text().toStdString());
  return values;
}

TEST(Document, SamplesShowPixelForPixelAtScaleOne) {
  Studio studio;
  for (const char* name : {"camera.pgm", "chelsea.ppm"}) {
    CTOVRADoc* document = studio.Open(vutest::Sample(name));
    ASSERT_NE(document, nullptr) << name;
    vuOSWinClass& image = *document->image;
    std::string why;
    EXPECT_TRUE(ShowsPixels(studio.Grab(document->view), ImagePixels(image), image.Width(),
                            image.Height(), &why))
        << name << ": " << why;
    EXPECT_EQ(document->view->Zoom().zoom, 1.0f);
  }
  EXPECT_EQ(studio.app->documentCount, 2);
  EXPECT_TRUE(studio.platform.messages.empty());
}

TEST(Document, SixteenBitFileShowsItsTopEightSignificantBits) {
  Studio studio;
  std::string path = studio.Path("deep.pgm");
  auto sample = [](int x, int y) { return (x * 61 + y * 17) % 4096; };
  apptest::WritePgm16(path, 70, 50, 4095, sample);
  CTOVRADoc* document = studio.Open(path);
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(document->image->format, BM_16BIT_GRAY);
  EXPECT_EQ(document->displayBitLow, 4);
  EXPECT_EQ(document->displayBitHigh, 11);
  EXPECT_EQ(document->image->useAlternate, 1);
  std::vector<uint32_t> expected;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 70; ++x) {
      uint32_t grey = uint32_t(sample(x, y) >> 4);
      expected.push_back(0xFF000000u | grey << 16 | grey << 8 | grey);
    }
  std::string why;
  EXPECT_TRUE(ShowsPixels(studio.Grab(document->view), expected, 70, 50, &why)) << why;
  EXPECT_EQ(PaneValues(*studio.frame)[4], "16");
}

TEST(Document, UnsupportedFileOpensNoWindow) {
  Studio studio;
  std::string path = studio.Path("notes.bmp");
  std::ofstream(path) << "just some text, no picture\n";
  EXPECT_EQ(studio.Open(path), nullptr);
  EXPECT_EQ(studio.platform.Texts(),
            (std::vector<std::string>{"The Tessary|Unsupported Image File"}));
  EXPECT_EQ(studio.platform.messages[0].buttons, VU_MB_OKCANCEL);
  EXPECT_TRUE(studio.frame->ChildFrames().empty());
  EXPECT_EQ(studio.app->documentCount, 0);
}

TEST(Document, LoadTimeComesFromTheClockIgnoringTheDay) {
  Studio studio;
  studio.platform.times = {{10, 59, 58, 900}, {11, 0, 1, 150}, {23, 59, 59, 500}, {0, 0, 0, 250}};
  CTOVRADoc* first = studio.Open(vutest::Sample("camera.pgm"));
  ASSERT_NE(first, nullptr);
  EXPECT_DOUBLE_EQ(first->loadTime, 2.25);
  EXPECT_EQ(PaneValues(*studio.frame)[1], "2.25");
  CTOVRADoc* second = studio.Open(vutest::Sample("camera.pgm"));
  ASSERT_NE(second, nullptr);
  EXPECT_DOUBLE_EQ(second->loadTime, -86399.25);
}

TEST(StatusValues, FormatsAndClearing) {
  vuImageOwner image;
  ASSERT_TRUE(image.AllocateBitmap(640, 480, 256, BM_8BIT_GRAY));
  image.dataSize = 30720;
  EXPECT_EQ(ComputeStatusValues(image, 0.126),
            (StatusValues{"10.00:1", "0.13", "640", "480", "8", "307200", "30720"}));
  image.dataSize = 0; // no size known: no ratio rather than a division by zero
  EXPECT_EQ(ComputeStatusValues(image, 0)[0], "");
  for (const std::string& value : ClearedStatusValues())
    EXPECT_EQ(value, std::string(20, ' '));
}

TEST(Document, StatusPanesFollowTheActiveDocumentAndClearAfterTheLast) {
  Studio studio;
  studio.platform.times.assign(4, vuSystemTime{12, 30, 15, 500}); // every load takes no time
  CTOVRADoc* grey = studio.Open(vutest::Sample("camera.pgm"));
  CTOVRADoc* colour = studio.Open(vutest::Sample("chelsea.ppm"));
  ASSERT_TRUE(grey && colour);
  EXPECT_EQ(PaneValues(*studio.frame),
            (std::vector<std::string>{"1.00:1", "0.00", "451", "300", "24", "405900",
                                      std::to_string(colour->image->dataSize)}));
  grey->view->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(PaneValues(*studio.frame)[2], "512");
  studio.frame->Commands().Trigger(ID_MODE_CROP);
  for (CChildFrame* child : studio.frame->ChildFrames())
    EXPECT_TRUE(child->close());
  QApplication::processEvents();
  EXPECT_EQ(studio.app->documentCount, 0);
  for (const std::string& value : PaneValues(*studio.frame))
    EXPECT_EQ(value, std::string(20, ' '));
  EXPECT_EQ(studio.app->mouseMode, MOUSE_NONE);
}

TEST(Document, NewMakesABlankColourImage) {
  Studio studio;
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_FILE_NEW));
  CTOVRADoc* document = studio.frame->ActiveDocument();
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(document->pathName, "Untitled");
  EXPECT_EQ(document->image->Width(), 256);
  EXPECT_EQ(document->image->Height(), 256);
  EXPECT_EQ(document->image->format, BM_24BIT);
  EXPECT_EQ(document->image->dataSize, 196608);
  EXPECT_EQ(PaneValues(*studio.frame)[0], "1.00:1");
}

TEST(Document, CropTakesTheSelectionOfTheSource) {
  Studio studio;
  std::string path = studio.Path("grid.ppm");
  auto colour = [](int x, int y) { return uint32_t(x * 3) << 16 | uint32_t(y * 2) << 8 | 77u; };
  apptest::WritePpm(path, 80, 60, colour);
  CTOVRADoc* source = studio.Open(path);
  ASSERT_NE(source, nullptr);
  // Corners in either order; rows counted from the top.
  source->selectionX1 = 50;
  source->selectionY1 = 45;
  source->selectionX2 = 10;
  source->selectionY2 = 20;
  studio.app->cropSource = source;
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_FILE_NEW));
  EXPECT_EQ(studio.app->cropSource, nullptr);
  CTOVRADoc* crop = studio.frame->ActiveDocument();
  ASSERT_NE(crop, source);
  ASSERT_EQ(crop->image->Width(), 40);
  ASSERT_EQ(crop->image->Height(), 25);
  std::vector<uint32_t> expected;
  for (int y = 20; y < 45; ++y)
    for (int x = 10; x < 50; ++x)
      expected.push_back(0xFF000000u | colour(x, y));
  EXPECT_EQ(ImagePixels(*crop->image), expected);
  // An empty selection makes no document.
  source->selectionX2 = source->selectionX1;
  studio.app->cropSource = source;
  studio.frame->Commands().Trigger(ID_FILE_NEW);
  EXPECT_EQ(studio.app->documentCount, 2);
}

TEST(Document, ClosePromptForModifiedImages) {
  Studio studio;
  CTOVRADoc* document = studio.Open(vutest::Sample("camera.pgm"));
  ASSERT_NE(document, nullptr);
  CChildFrame* child = studio.frame->ChildFrames().front();
  // An unmodified image closes without a question; a modified one asks.
  document->modified = 1;
  studio.platform.answer = VU_IDCANCEL;
  EXPECT_FALSE(child->close());
  ASSERT_EQ(studio.platform.messages.size(), 1u);
  const auto& question = studio.platform.messages[0];
  EXPECT_EQ(question.text, "Image not saved\nWould you like to save it now?\n");
  EXPECT_EQ(question.buttons, VU_MB_YESNOCANCEL);
  EXPECT_EQ(question.icon, VU_ICON_QUESTION);
  EXPECT_EQ(studio.app->documentCount, 1);

  // Yes with no way to save (or a save that fails) keeps the image too.
  studio.platform.answer = VU_IDYES;
  EXPECT_FALSE(child->close());
  int saves = 0;
  studio.frame->Commands().SetHandler(ID_FILE_SAVE_AS, [&] {
    ++saves;
    studio.frame->ActiveDocument()->modified = 0;
  });
  EXPECT_TRUE(child->close());
  EXPECT_EQ(saves, 1);
  QApplication::processEvents();
  EXPECT_EQ(studio.app->documentCount, 0);

  document = studio.Open(vutest::Sample("camera.pgm"));
  document->modified = 1;
  studio.platform.answer = VU_IDNO;
  EXPECT_TRUE(studio.frame->ChildFrames().front()->close());
}

TEST(Document, PaletteScreenGivesColourImagesTheirReduction) {
  Studio studio(8);
  CTOVRADoc* document = studio.Open(vutest::Sample("chelsea.ppm"));
  ASSERT_NE(document, nullptr);
  vuOSWinClass& image = *document->image;
  ASSERT_EQ(image.useAlternate, 1);
  ASSERT_NE(image.altHeader, nullptr);
  EXPECT_EQ(image.altHeader->bitCount, 8);
  // The alternate image is the median cut of the picture, and its palette is the handle's.
  vuImageOwner reference;
  ASSERT_EQ(reference.LoadImage(vutest::Sample("chelsea.ppm").c_str()), 0);
  ASSERT_TRUE(reference.CreateAlternateImage(BM_8BIT_COLOR));
  size_t bytes = size_t(image.altHeader->height) * BitmapAccessor::Stride(image.Width(), 8);
  EXPECT_EQ(std::memcmp(image.altBits, reference.altBits, bytes), 0);
  ASSERT_TRUE(image.hDrawDib->hasPalette);
  ASSERT_EQ(image.hDrawDib->palette.entries.size(), 256u);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(image.hDrawDib->palette.entries[i].red, image.altPalette[i].red) << i;
    EXPECT_EQ(image.hDrawDib->palette.entries[i].blue, image.altPalette[i].blue) << i;
  }
  // The active image's palette is the screen's: it shows exactly its alternate image.
  std::vector<uint32_t> shown;
  for (int y = image.Height() - 1; y >= 0; --y)
    for (int x = 0; x < image.Width(); ++x) {
      const vuRGBA& c =
          image.altPalette[image.altBits[size_t(y) * BitmapAccessor::Stride(image.Width(), 8) + x]];
      shown.push_back(0xFF000000u | uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue);
    }
  std::string why;
  EXPECT_TRUE(ShowsPixels(studio.Grab(document->view), shown, image.Width(), image.Height(), &why))
      << why;

  // Quick Dither: no alternate image at the next preparation; the screen dithers to its cube.
  ASSERT_TRUE(studio.frame->Commands().Trigger(ID_QUICK_DITHER));
  CTOVRADoc* dithered = studio.Open(vutest::Sample("chelsea.ppm"));
  ASSERT_NE(dithered, nullptr);
  EXPECT_EQ(dithered->image->useAlternate, 0);
  EXPECT_EQ(dithered->image->altHeader, nullptr);
}

TEST(Document, TrueColourScreenNeedsNoReduction) {
  Studio studio(24);
  CTOVRADoc* document = studio.Open(vutest::Sample("chelsea.ppm"));
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(document->image->useAlternate, 0);
  EXPECT_EQ(document->image->altHeader, nullptr);
  for (int id : {ID_QUICK_DITHER, ID_MEDIAN_CUT, ID_FAST_QUANTIZATION, ID_BEST_QUANTIZATION})
    EXPECT_FALSE(studio.frame->Action(id)->isEnabled()) << id;
}

// The colours of a grab's top-left corner.
std::set<uint32_t> ColoursShown(const QImage& grab, int width, int height) {
  std::set<uint32_t> colours;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      colours.insert(grab.pixel(x, y) | 0xFF000000u);
  return colours;
}

TEST(Document, InactiveImageShowsThroughTheActivePalette) {
  Studio studio(8);
  CTOVRADoc* grey = studio.Open(vutest::Sample("camera.pgm"));
  CTOVRADoc* colour = studio.Open(vutest::Sample("chelsea.ppm"));
  ASSERT_TRUE(grey && colour);
  EXPECT_EQ(studio.app->activeView, colour->view);
  // The colour picture's palette holds the screen: the grey one is drawn in its colours.
  std::set<uint32_t> colourPalette;
  for (int i = 0; i < 256; ++i) {
    const vuRGBA& c = colour->image->altPalette[i];
    colourPalette.insert(0xFF000000u | uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue);
  }
  std::set<uint32_t> shown = ColoursShown(studio.Grab(grey->view), 512, 512);
  for (uint32_t c : shown)
    EXPECT_TRUE(colourPalette.count(c)) << std::hex << c;
  EXPECT_LT(shown.size(), 200u); // a grey ramp squeezed into the colours the cat has

  // Activating the grey picture brings its own 256 greys forward.
  grey->view->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(studio.app->activeView, grey->view);
  std::string why;
  EXPECT_TRUE(ShowsPixels(studio.Grab(grey->view), ImagePixels(*grey->image), 512, 512, &why))
      << why;
  for (uint32_t c : ColoursShown(studio.Grab(colour->view), 451, 300)) {
    uint8_t r = c >> 16, g = c >> 8, b = c;
    EXPECT_TRUE(r == g && g == b) << std::hex << c;
  }
}

} // namespace
