// The image tools through the command table: each against vuconvert on the same file, the tone
// and display-bit dialogs, the frame after a rotation, and Undo / Redo of every change.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <functional>

#include "AppTestSupport.h"
#include "app/CTOVRADoc.h"
#include "app/CTOVRAView.h"
#include "app/ToolDialogs.h"
#include "imagelib/vuOSWinClass.h"
#include "support/Picture.h"

namespace {

using apptest::Studio;
using vutest::Quote;

// Runs `act` on the modal dialog of type D once it shows.
template <typename D> void WhenShown(std::function<void(D&)> act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr) << "the dialog did not show";
    act(*dialog);
  });
}

void Click(QDialog& dialog, const char* button) {
  dialog.findChild<QPushButton*>(button)->click();
}

void Type(QLineEdit* box, const QString& text) {
  box->selectAll();
  QTest::keyClicks(box, text);
}

struct Tools : ::testing::Test {
  Studio studio;
  bool Run(int id) {
    bool ran = studio.frame->Commands().Trigger(id);
    QApplication::processEvents();
    return ran;
  }
  // A crop of a sample, small enough for many runs of the converter.
  std::string Crop(const char* sample, const char* name) {
    std::string path = studio.Path(name);
    EXPECT_EQ(vutest::RunConvert("--crop 100,80,96,64 " + Quote(vutest::Sample(sample)) + " " +
                                 Quote(path)),
              0);
    return path;
  }
  // What vuconvert makes of a file with these options, loaded.
  void Converted(const std::string& source, const std::string& options, vuImage* result) {
    // The source's own type, so grey stays grey.
    const std::string out = studio.Path("converted" + source.substr(source.rfind('.')));
    ASSERT_EQ(vutest::RunConvert(options + " " + Quote(source) + " " + Quote(out)), 0) << options;
    ASSERT_EQ(result->LoadImage(out.c_str()), 0);
  }
  static bool Same(vuImage& a, vuImage& b, std::string* why) {
    return vutest::SamePixels(a, b, why);
  }
};

TEST_F(Tools, EachFilterEqualsTheConverterAndUndoRestoresThePicture) {
  for (const char* sample : {"camera.pgm", "chelsea.ppm"}) {
    const std::string path = Crop(sample, sample);
    CTOVRADoc* document = studio.Open(path);
    ASSERT_NE(document, nullptr);
    vutest::ScopedImage original;
    ASSERT_EQ(original.LoadImage(path.c_str()), 0);
    for (int id = ID_FILTER_FIRST; id <= ID_FILTER_LAST; ++id) {
      const int index = id - ID_FILTER_FIRST < 13 ? id - ID_FILTER_FIRST : id - ID_FILTER_FIRST + 1;
      SCOPED_TRACE(testing::Message() << sample << " command " << id << " kernel " << index);
      ASSERT_TRUE(Run(id));
      EXPECT_EQ(document->modified, 1);
      vutest::ScopedImage expected;
      Converted(path, "--filter " + std::to_string(index), &expected);
      std::string why;
      EXPECT_TRUE(Same(*document->image, expected, &why)) << why;
      ASSERT_TRUE(Run(ID_EDIT_UNDO));
      EXPECT_TRUE(Same(*document->image, original, &why)) << why;
      EXPECT_EQ(document->modified, 0);
    }
  }
  EXPECT_TRUE(studio.platform.messages.empty());
}

TEST_F(Tools, FiltersRefusePaletteColours) {
  vutest::ScopedImage palette;
  ASSERT_TRUE(palette.AllocateBitmap(8, 8, 3, BM_8BIT_COLOR));
  palette.palette[1] = vuRGBA{0, 0, 255, 0};
  palette.palette[2] = vuRGBA{255, 0, 0, 0};
  const std::string path = studio.Path("palette.bmp");
  ASSERT_EQ(palette.SaveImage(path.c_str(), 2, nullptr), 0);
  CTOVRADoc* document = studio.Open(path);
  ASSERT_NE(document, nullptr);
  ASSERT_TRUE(Run(ID_FILTER_FIRST));
  ASSERT_EQ(studio.platform.messages.size(), 1u);
  EXPECT_NE(studio.platform.messages[0].text.find("RGB Color"), std::string::npos);
  EXPECT_EQ(document->modified, 0);
  EXPECT_FALSE(studio.frame->Commands().IsEnabled(ID_EDIT_UNDO));
  // RGB Color makes it filterable; Grayscale is not offered for it.
  EXPECT_FALSE(studio.frame->Commands().IsEnabled(ID_GRAYSCALE));
  ASSERT_TRUE(Run(ID_RGB_COLOR));
  EXPECT_EQ(document->image->format, BM_24BIT);
  EXPECT_FALSE(studio.frame->Commands().IsEnabled(ID_RGB_COLOR));
  ASSERT_TRUE(Run(ID_FILTER_FIRST));
  EXPECT_EQ(studio.platform.messages.size(), 1u);
  // Two steps back is the palette picture again.
  ASSERT_TRUE(Run(ID_EDIT_UNDO));
  ASSERT_TRUE(Run(ID_EDIT_UNDO));
  EXPECT_EQ(document->image->format, BM_8BIT_COLOR);
  std::string why;
  EXPECT_TRUE(Same(*document->image, palette, &why)) << why;
  EXPECT_EQ(document->modified, 0);
}

TEST_F(Tools, GeometryInvertAndConversionsMatchTheConverterAndUndo) {
  const std::string path = Crop("chelsea.ppm", "colour.ppm");
  CTOVRADoc* document = studio.Open(path);
  ASSERT_NE(document, nullptr);
  vutest::ScopedImage original;
  ASSERT_EQ(original.LoadImage(path.c_str()), 0);
  const struct {
    int id;
    const char* options;
  } cases[] = {{ID_FLIP_HORIZONTAL, "--flip h"},
               {ID_FLIP_VERTICAL, "--flip v"},
               {ID_ROTATE_CLOCKWISE, "--rotate 90"},
               {ID_ROTATE_COUNTER_CLOCKWISE, "--rotate -90"},
               {ID_INVERT, "--invert"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    ASSERT_TRUE(Run(c.id));
    vutest::ScopedImage expected;
    Converted(path, c.options, &expected);
    std::string why;
    EXPECT_TRUE(Same(*document->image, expected, &why)) << why;
    // Redo after Undo gives the change again; Undo once more the original.
    ASSERT_TRUE(Run(ID_EDIT_UNDO));
    EXPECT_TRUE(Same(*document->image, original, &why)) << why;
    ASSERT_TRUE(Run(ID_EDIT_REDO));
    EXPECT_TRUE(Same(*document->image, expected, &why)) << why;
    ASSERT_TRUE(Run(ID_EDIT_UNDO));
  }
  EXPECT_FALSE(studio.frame->Commands().IsEnabled(ID_EDIT_UNDO));
  EXPECT_TRUE(studio.frame->Commands().IsEnabled(ID_EDIT_REDO));

  // To 8 bits a pixel and back to 24: each a step of its own.
  ASSERT_TRUE(Run(ID_MAKE_8BIT));
  EXPECT_EQ(document->image->Depth(), 8);
  EXPECT_FALSE(studio.frame->Commands().IsEnabled(ID_EDIT_REDO)); // a new change drops redo
  ASSERT_TRUE(Run(ID_MAKE_RGB));
  EXPECT_EQ(document->image->format, BM_24BIT);
  ASSERT_TRUE(Run(ID_EDIT_UNDO));
  EXPECT_EQ(document->image->Depth(), 8);
  ASSERT_TRUE(Run(ID_EDIT_UNDO));
  std::string why;
  EXPECT_TRUE(Same(*document->image, original, &why)) << why;
  EXPECT_EQ(document->modified, 0);
}

TEST_F(Tools, RotationResizesTheFrameAndTheStatus) {
  const std::string path = studio.Path("wide.ppm");
  apptest::WritePpm(path, 300, 200, [](int x, int y) { return uint32_t(x << 16 | y << 8); });
  CTOVRADoc* document = studio.Open(path);
  ASSERT_NE(document, nullptr);
  CTOVRAView* view = document->view;
  EXPECT_EQ(view->viewport()->size(), QSize(304, 204));
  ASSERT_TRUE(Run(ID_ROTATE_CLOCKWISE));
  EXPECT_EQ(document->image->Width(), 200);
  EXPECT_EQ(view->viewport()->size(), QSize(204, 304));
  EXPECT_EQ(studio.frame->StatusPane(5)->text(), "200");
  EXPECT_EQ(studio.frame->StatusPane(7)->text(), "300");
  // Undo gives the frame back its shape.
  ASSERT_TRUE(Run(ID_EDIT_UNDO));
  EXPECT_EQ(view->viewport()->size(), QSize(304, 204));
  EXPECT_EQ(studio.frame->StatusPane(5)->text(), "300");
}

TEST_F(Tools, GrayscaleOnlyForOneBitImages) {
  vutest::ScopedImage bilevel;
  ASSERT_TRUE(bilevel.AllocateBitmap(24, 16, 2, BM_1BIT));
  for (int x = 0; x < 24; ++x)
    bilevel.SetColor(x, x % 16, uint8_t(0));
  const std::string path = studio.Path("bilevel.png");
  ASSERT_EQ(bilevel.SaveImage(path.c_str(), 13, nullptr), 0);
  CTOVRADoc* document = studio.Open(path);
  ASSERT_NE(document, nullptr);
  ASSERT_TRUE(Run(ID_GRAYSCALE));
  EXPECT_EQ(document->image->format, BM_8BIT_GRAY);
  EXPECT_EQ(studio.frame->StatusPane(9)->text(), "8");
  EXPECT_FALSE(studio.frame->Commands().IsEnabled(ID_GRAYSCALE));
  EXPECT_FALSE(Run(ID_GRAYSCALE));
  ASSERT_TRUE(Run(ID_EDIT_UNDO));
  EXPECT_EQ(document->image->format, BM_1BIT);
  std::string why;
  EXPECT_TRUE(Same(*document->image, bilevel, &why)) << why;
}

TEST_F(Tools, BrightnessContrastIsOnlyForGreyTables) {
  ASSERT_NE(studio.Open(vutest::Sample("chelsea.ppm")), nullptr);
  EXPECT_FALSE(studio.frame->Commands().IsEnabled(ID_BRIGHTNESS_CONTRAST));
  EXPECT_FALSE(Run(ID_BRIGHTNESS_CONTRAST));
  EXPECT_FALSE(studio.frame->Commands().IsEnabled(ID_SET_DISPLAY_BITS));
}

TEST_F(Tools, BrightnessContrastCancelLeavesTheTableByteForByte) {
  const std::string path = Crop("camera.pgm", "grey.pgm");
  CTOVRADoc* document = studio.Open(path);
  ASSERT_NE(document, nullptr);
  vuOSWinClass& image = *document->image;
  ASSERT_TRUE(studio.frame->Commands().IsEnabled(ID_BRIGHTNESS_CONTRAST));
  const int entries = image.TableEntries();
  std::vector<vuRGBA> before(image.palette, image.palette + entries);
  bool previewed = false;
  WhenShown<ToneDialog>([&](ToneDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Adjust Brightness/Contrast");
    EXPECT_TRUE(dialog.PreviewBox()->isChecked());
    EXPECT_EQ(dialog.BrightnessSlider()->value(), 0);
    EXPECT_EQ(dialog.BrightnessBox()->maxLength(), 4);
    Type(dialog.BrightnessBox(), "-250");
    EXPECT_EQ(dialog.BrightnessBox()->text(), "-100");
    EXPECT_EQ(dialog.BrightnessBox()->selectedText(), "-100");
    EXPECT_EQ(dialog.BrightnessSlider()->value(), -100);
    dialog.ContrastSlider()->setValue(30);
    EXPECT_EQ(dialog.ContrastBox()->text(), "30");
    EXPECT_EQ(dialog.Record().brightness, -100);
    EXPECT_EQ(dialog.Record().contrast, 30);
    // The preview went into the colour table.
    previewed = std::memcmp(image.palette, before.data(), entries * sizeof(vuRGBA)) != 0;
    Click(dialog, "IDCANCEL");
  });
  ASSERT_TRUE(Run(ID_BRIGHTNESS_CONTRAST));
  EXPECT_TRUE(previewed);
  ASSERT_EQ(image.TableEntries(), entries);
  EXPECT_EQ(std::memcmp(image.palette, before.data(), entries * sizeof(vuRGBA)), 0);
  EXPECT_EQ(document->modified, 0);
  EXPECT_FALSE(studio.frame->Commands().IsEnabled(ID_EDIT_UNDO));
}

TEST_F(Tools, BrightnessContrastOkEqualsTheConverter) {
  const std::string path = Crop("camera.pgm", "grey.pgm");
  CTOVRADoc* document = studio.Open(path);
  ASSERT_NE(document, nullptr);
  // Preview off: OK still applies the values typed last.
  WhenShown<ToneDialog>([&](ToneDialog& dialog) {
    dialog.PreviewBox()->setChecked(false);
    Type(dialog.BrightnessBox(), "40");
    Click(dialog, "IDOK");
  });
  ASSERT_TRUE(Run(ID_BRIGHTNESS_CONTRAST));
  EXPECT_EQ(document->modified, 1);
  vutest::ScopedImage expected;
  Converted(path, "--brightness 40", &expected);
  std::string why;
  EXPECT_TRUE(Same(*document->image, expected, &why)) << why;

  // The single-slider contrast dialog works the same way.
  WhenShown<ToneDialog>([&](ToneDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Adjust Contrast");
    EXPECT_EQ(dialog.BrightnessSlider(), nullptr);
    Type(dialog.ContrastBox(), "25");
    Click(dialog, "IDOK");
  });
  ASSERT_TRUE(Run(ID_ADJUST_CONTRAST));
  const std::string step = studio.Path("brighter.pgm");
  ASSERT_EQ(vutest::RunConvert("--brightness 40 " + Quote(path) + " " + Quote(step)), 0);
  vutest::ScopedImage both;
  Converted(step, "--contrast 25", &both);
  EXPECT_TRUE(Same(*document->image, both, &why)) << why;

  ASSERT_TRUE(Run(ID_EDIT_UNDO));
  EXPECT_TRUE(Same(*document->image, expected, &why)) << why;
  ASSERT_TRUE(Run(ID_EDIT_UNDO));
  vutest::ScopedImage original;
  ASSERT_EQ(original.LoadImage(path.c_str()), 0);
  EXPECT_TRUE(Same(*document->image, original, &why)) << why;
  EXPECT_EQ(document->modified, 0);
}

TEST_F(Tools, SetDisplayBitsHoldsTheSliderAtNine) {
  const std::string path = studio.Path("deep.pgm");
  auto sample = [](int x, int y) { return (x * 131 + y * 29) % 4096; };
  apptest::WritePgm16(path, 40, 30, 4095, sample);
  CTOVRADoc* document = studio.Open(path);
  ASSERT_NE(document, nullptr);
  ASSERT_EQ(document->displayBitLow, 4);
  ASSERT_TRUE(studio.frame->Commands().IsEnabled(ID_SET_DISPLAY_BITS));
  WhenShown<DisplayBitsDialog>([&](DisplayBitsDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Select Display Bit Range");
    EXPECT_EQ(dialog.Slider()->value(), 5);
    EXPECT_EQ(dialog.LowLabel()->text(), "5");
    EXPECT_EQ(dialog.HighLabel()->text(), "12");
    const int left = dialog.LowLabel()->x();
    dialog.Slider()->setValue(16);
    EXPECT_EQ(dialog.Slider()->value(), 9);
    EXPECT_EQ(dialog.LowLabel()->text(), "9");
    EXPECT_EQ(dialog.HighLabel()->text(), "16");
    EXPECT_GT(dialog.LowLabel()->x(), left);
    EXPECT_EQ(dialog.HighLabel()->x() - dialog.LowLabel()->x(), 124 - 15);
    Click(dialog, "IDOK");
  });
  ASSERT_TRUE(Run(ID_SET_DISPLAY_BITS));
  EXPECT_EQ(document->displayBitLow, 8);
  EXPECT_EQ(document->displayBitHigh, 15);
  EXPECT_EQ(document->modified, 0);
  // The window shows bits 8 to 15 of each sample.
  std::vector<uint32_t> expected;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      uint32_t grey = uint32_t(sample(x, y) >> 8);
      expected.push_back(0xFF000000u | grey << 16 | grey << 8 | grey);
    }
  std::string why;
  EXPECT_TRUE(apptest::ShowsPixels(studio.Grab(document->view), expected, 40, 30, &why)) << why;

  // Cancel changes nothing.
  WhenShown<DisplayBitsDialog>([](DisplayBitsDialog& dialog) {
    dialog.Slider()->setValue(1);
    Click(dialog, "IDCANCEL");
  });
  ASSERT_TRUE(Run(ID_SET_DISPLAY_BITS));
  EXPECT_EQ(document->displayBitLow, 8);
}

TEST(UndoHistory, ModifiedFlagFollowsTheSavedStateAndMemoryIsBounded) {
  vutest::ScopedImage image;
  // 40 + 1024 + 65 x 64 bytes a picture: three fit the budget, four do not.
  ASSERT_TRUE(image.AllocateBitmap(64, 64, 256, BM_8BIT_GRAY));
  UndoHistory history(3 * 5300);
  for (int step = 1; step <= 5; ++step) {
    history.Record(image);
    image.SetColor(0, 0, uint8_t(step));
  }
  // Three pictures fit: the two oldest steps are gone.
  EXPECT_EQ(history.Steps(), 3u);
  EXPECT_LE(history.Bytes(), 3u * 5300);
  history.MarkSaved();
  ASSERT_TRUE(history.Undo(image));
  uint8_t value = 0;
  image.GetColor(0, 0, &value);
  EXPECT_EQ(value, 4);
  EXPECT_FALSE(history.AtSavedState());
  ASSERT_TRUE(history.Redo(image));
  EXPECT_TRUE(history.AtSavedState());
  image.GetColor(0, 0, &value);
  EXPECT_EQ(value, 5);
  // A picture larger than the whole budget cannot be kept: nothing to undo past it.
  UndoHistory small(1000);
  small.Record(image);
  EXPECT_FALSE(small.CanUndo());
  EXPECT_FALSE(small.AtSavedState());
}

} // namespace
