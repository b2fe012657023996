// Save As and Compress driven through the command table: the file dialogs, the extension rule, the
// questions, the options dialogs and the files written, checked against vuconvert.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>

#include "AppTestSupport.h"
#include "app/CTOVRADoc.h"
#include "app/SaveCommands.h"
#include "imagelib/vuOSWinClass.h"
#include "support/Picture.h"

namespace {

using apptest::Studio;
using vutest::Quote;

TEST(OutputName, ExtensionRule) {
  // No extension typed: the pattern's is appended with its dot.
  EXPECT_EQ(FormOutputName("/d/picture", 10, "*.wif"), "/d/picture.wif");
  // A lower-case extension matches an upper-case pattern and is kept...
  EXPECT_EQ(FormOutputName("/d/picture.bmp", 11, "*.BMP"), "/d/picture.bmp");
  EXPECT_EQ(FormOutputName("/d/picture.BMP", 11, "*.BMP"), "/d/picture.BMP");
  // ...but not the other way round.
  EXPECT_EQ(FormOutputName("/d/PICTURE.WIF", 11, "*.wif"), "/d/PICTURE.WIF.wif");
  // Another format's extension gets the chosen one after it.
  EXPECT_EQ(FormOutputName("/d/picture.gif", 11, "*.BMP"), "/d/picture.gif.BMP");
  // Only the first three letters count; a shorter one does not match.
  EXPECT_EQ(FormOutputName("/d/a.tiff", 5, "*.TIF"), "/d/a.tiff");
  EXPECT_EQ(FormOutputName("/d/a.tg", 5, "*.TGA"), "/d/a.tg.TGA");
  // A name ending with a dot takes the extension without doubling the dot.
  EXPECT_EQ(FormOutputName("/d/picture.", 0, "*.BMP"), "/d/picture.BMP");
  // The dots of a folder are not an extension (the dialog reports the name's end).
  EXPECT_EQ(FormOutputName("/d.x/picture", 12, "*.wif"), "/d.x/picture.wif");
}

TEST(OutputName, FilterListOfTheImageFormat) {
  vutest::ScopedImage image;
  ASSERT_TRUE(image.AllocateBitmap(4, 4, 256, BM_8BIT_GRAY));
  int types[16] = {};
  std::unique_ptr<char[]> list(image.BMFileTypes(types));
  std::vector<vuFileFilter> filters = ParseFilterList(list.get());
  ASSERT_EQ(filters.size(), 8u);
  EXPECT_EQ(types[0], 1);
  EXPECT_EQ(filters[1].patterns, "*.BMP");
  EXPECT_TRUE(ParseFilterList(nullptr).empty());
}

// A whole program with one open document and a folder for what it writes.
struct Saving : ::testing::Test {
  Studio studio;
  CTOVRADoc* Open(const std::string& path) {
    CTOVRADoc* document = studio.Open(path);
    EXPECT_NE(document, nullptr) << path;
    return document;
  }
  void Answer(const std::string& path, int filterIndex = 0) {
    studio.platform.fileAnswers.push_back({true, path, filterIndex});
  }
  bool Run(int id) {
    bool ran = studio.frame->Commands().Trigger(id);
    QApplication::processEvents();
    return ran;
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(studio.Path(name)); }
  static vuWifSaveOptions Wif(int quality, int viewAfter = 0) {
    vuWifSaveOptions options;
    options.quality = quality;
    options.viewAfterCompress = viewAfter;
    return options;
  }
};

TEST_F(Saving, CompressWritesTheBytesOfTheConverter) {
  const std::string source = vutest::Sample("chelsea.ppm");
  CTOVRADoc* document = Open(source);
  ASSERT_NE(document, nullptr);
  document->modified = 1;
  Answer(studio.Path("picture"));
  studio.platform.wifOptions = Wif(30);
  ASSERT_TRUE(Run(ID_COMPRESS));

  ASSERT_EQ(studio.platform.fileDialogs.size(), 1u);
  const vuFileDialog& dialog = studio.platform.fileDialogs[0];
  EXPECT_EQ(dialog.title, "Select Compressed File Name");
  EXPECT_EQ(dialog.initialName, "chelsea.wif");
  EXPECT_EQ(dialog.filterIndex, 1);
  ASSERT_EQ(dialog.filters.size(), 2u);
  EXPECT_EQ(dialog.filters[0].description, "Wavelet Image File (WIF)");
  EXPECT_EQ(dialog.filters[0].patterns, "*.wif");
  EXPECT_EQ(dialog.filters[1].description, "VU Wavelet Image (VUW)");
  EXPECT_EQ(dialog.filters[1].patterns, "*.vuw");
  EXPECT_FALSE(dialog.promptOverwrite);
  EXPECT_EQ(studio.platform.wifAsked, 1);

  ASSERT_TRUE(Exists("picture.wif"));
  EXPECT_EQ(document->modified, 0);
  ASSERT_EQ(vutest::RunConvert("-q 30 " + Quote(source) + " " + Quote(studio.Path("cli.wif"))), 0);
  EXPECT_EQ(vutest::ReadFileBytes(studio.Path("picture.wif")),
            vutest::ReadFileBytes(studio.Path("cli.wif")));
  EXPECT_TRUE(studio.platform.messages.empty());
  EXPECT_EQ(studio.app->documentCount, 1); // not asked to view it
}

TEST_F(Saving, ViewAfterCompressOpensTheDecodedFileBesideTheSource) {
  const std::string source = vutest::Sample("camera.pgm");
  ASSERT_NE(Open(source), nullptr);
  Answer(studio.Path("camera.vuw"), 2);
  studio.platform.wifOptions = Wif(80, 1);
  ASSERT_TRUE(Run(ID_COMPRESS));
  ASSERT_TRUE(Exists("camera.vuw"));
  ASSERT_EQ(studio.app->documentCount, 2);
  CTOVRADoc* result = studio.frame->ActiveDocument();
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->pathName, studio.Path("camera.vuw"));
  // The window shows what the converter decodes from the same file.
  ASSERT_EQ(vutest::RunConvert(Quote(studio.Path("camera.vuw")) + " " +
                               Quote(studio.Path("decoded.pgm"))),
            0);
  vutest::ScopedImage decoded;
  ASSERT_EQ(decoded.LoadImage(studio.Path("decoded.pgm").c_str()), 0);
  std::string why;
  EXPECT_TRUE(vutest::SamePixels(*result->image, decoded, &why)) << why;
  ASSERT_EQ(vutest::RunConvert("-q 80 " + Quote(source) + " " + Quote(studio.Path("cli.wif"))), 0);
  EXPECT_EQ(vutest::ReadFileBytes(studio.Path("camera.vuw")),
            vutest::ReadFileBytes(studio.Path("cli.wif")));
}

TEST_F(Saving, CompressingOneBitImageAsksForGrayscaleFirst) {
  vutest::ScopedImage bilevel;
  ASSERT_TRUE(bilevel.AllocateBitmap(40, 30, 2, BM_1BIT));
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      bilevel.SetColor(x, y, uint8_t((x / 5 + y / 5) % 2 ? 255 : 0));
  const std::string path = studio.Path("bilevel.png");
  ASSERT_EQ(bilevel.SaveImage(path.c_str(), 13, nullptr), 0);
  CTOVRADoc* document = Open(path);
  ASSERT_NE(document, nullptr);
  ASSERT_EQ(document->image->format, BM_1BIT);

  // No: nothing asked after it, nothing written, the image as it was.
  studio.platform.answers = {VU_IDNO};
  Answer(studio.Path("bilevel"));
  studio.platform.wifOptions = Wif(50);
  ASSERT_TRUE(Run(ID_COMPRESS));
  ASSERT_EQ(studio.platform.messages.size(), 1u);
  EXPECT_EQ(studio.platform.messages[0].text,
            "This image must be converted to Grayscale\nWould you like to do it now?");
  EXPECT_EQ(studio.platform.messages[0].buttons, VU_MB_YESNO);
  EXPECT_TRUE(studio.platform.fileDialogs.empty());
  EXPECT_EQ(studio.platform.wifAsked, 0);
  EXPECT_FALSE(Exists("bilevel.wif"));
  EXPECT_EQ(document->image->format, BM_1BIT);

  // Yes: grey levels, then the dialog, then the file.
  studio.platform.answers = {VU_IDYES};
  ASSERT_TRUE(Run(ID_COMPRESS));
  EXPECT_EQ(document->image->format, BM_8BIT_GRAY);
  ASSERT_TRUE(Exists("bilevel.wif"));
  vutest::ScopedImage written;
  ASSERT_EQ(written.LoadImage(studio.Path("bilevel.wif").c_str()), 0);
  EXPECT_EQ(written.format, BM_8BIT_GRAY);
  EXPECT_EQ(written.Width(), 40);
}

TEST_F(Saving, PaletteImageIsAskedIntoFullColor) {
  vutest::ScopedImage palette;
  ASSERT_TRUE(palette.AllocateBitmap(20, 10, 4, BM_8BIT_COLOR));
  palette.palette[1] = vuRGBA{0, 0, 255, 0};
  palette.palette[2] = vuRGBA{0, 200, 0, 0};
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x)
      palette.bits[y * palette.Stride() + x] = uint8_t(x % 3);
  const std::string path = studio.Path("palette.bmp");
  ASSERT_EQ(palette.SaveImage(path.c_str(), 2, nullptr), 0);
  CTOVRADoc* document = Open(path);
  ASSERT_NE(document, nullptr);
  ASSERT_EQ(document->image->format, BM_8BIT_COLOR);
  studio.platform.answers = {VU_IDYES};
  Answer(studio.Path("palette"));
  studio.platform.wifOptions = Wif(1);
  ASSERT_TRUE(Run(ID_COMPRESS));
  ASSERT_FALSE(studio.platform.messages.empty());
  EXPECT_EQ(studio.platform.messages[0].text,
            "This image must be converted to Full Color\nWould you like to do it now?");
  EXPECT_EQ(document->image->format, BM_24BIT);
  EXPECT_TRUE(Exists("palette.wif"));
}

TEST_F(Saving, AutoConvertPreferenceAnswersTheQuestion) {
  vutest::ScopedImage bilevel;
  ASSERT_TRUE(bilevel.AllocateBitmap(16, 16, 2, BM_1BIT));
  const std::string path = studio.Path("flat.png");
  ASSERT_EQ(bilevel.SaveImage(path.c_str(), 13, nullptr), 0);
  CTOVRADoc* document = Open(path);
  ASSERT_NE(document, nullptr);
  studio.app->preferences.autoConvert = true;
  Answer(studio.Path("flat"));
  studio.platform.wifOptions = Wif(50);
  ASSERT_TRUE(Run(ID_COMPRESS));
  EXPECT_TRUE(studio.platform.messages.empty());
  EXPECT_TRUE(Exists("flat.wif"));
}

TEST_F(Saving, OverwriteQuestionInTheProgramsWords) {
  CTOVRADoc* document = Open(vutest::Sample("camera.pgm"));
  ASSERT_NE(document, nullptr);
  const std::string target = studio.Path("old.bmp");
  vutest::WriteFileBytes(target, {'o', 'l', 'd'});
  studio.platform.answers = {VU_IDNO};
  Answer(target, 2); // the bitmap filter of a grey image's list
  ASSERT_TRUE(Run(ID_FILE_SAVE_AS));
  ASSERT_EQ(studio.platform.messages.size(), 1u);
  EXPECT_EQ(studio.platform.messages[0].text,
            target + " already exists.\nDo you want to replace it?\n");
  EXPECT_EQ(studio.platform.messages[0].buttons, VU_MB_YESNO);
  EXPECT_EQ(vutest::ReadFileBytes(target), (std::vector<uint8_t>{'o', 'l', 'd'}));

  studio.platform.answers = {VU_IDYES};
  Answer(target, 2);
  ASSERT_TRUE(Run(ID_FILE_SAVE_AS));
  vutest::ScopedImage written;
  ASSERT_EQ(written.LoadImage(target.c_str()), 0);
  std::string why;
  EXPECT_TRUE(vutest::SamePixels(*document->image, written, &why)) << why;
}

TEST_F(Saving, SaveAsOffersTheImageTypesAndSavesBitmapsWithoutOptions) {
  CTOVRADoc* document = Open(vutest::Sample("chelsea.ppm"));
  ASSERT_NE(document, nullptr);
  document->modified = 1;
  // picture.bmp typed where the pattern is *.BMP keeps its name.
  Answer(studio.Path("picture.bmp"), 2);
  ASSERT_TRUE(Run(ID_FILE_SAVE_AS));
  ASSERT_EQ(studio.platform.fileDialogs.size(), 1u);
  const vuFileDialog& dialog = studio.platform.fileDialogs[0];
  EXPECT_EQ(dialog.title, "Select Output File Name");
  EXPECT_EQ(dialog.initialName, "chelsea");
  EXPECT_EQ(dialog.filterIndex, 1);
  int types[16] = {};
  std::unique_ptr<char[]> list(document->image->BMFileTypes(types));
  std::vector<vuFileFilter> expected = ParseFilterList(list.get());
  ASSERT_EQ(dialog.filters.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(dialog.filters[i].description, expected[i].description);
    EXPECT_EQ(dialog.filters[i].patterns, expected[i].patterns);
  }
  EXPECT_EQ(studio.platform.wifAsked + studio.platform.jpegAsked, 0);
  ASSERT_TRUE(Exists("picture.bmp"));
  EXPECT_EQ(document->modified, 0);
  vutest::ScopedImage written;
  ASSERT_EQ(written.LoadImage(studio.Path("picture.bmp").c_str()), 0);
  EXPECT_EQ(written.GetFileType(studio.Path("picture.bmp").c_str()), 2);
  std::string why;
  EXPECT_TRUE(vutest::SamePixels(*document->image, written, &why)) << why;

  // picture.gif for the bitmap pattern gets the bitmap extension; the next dialog starts at the
  // filter chosen last.
  Answer(studio.Path("picture.gif"));
  ASSERT_TRUE(Run(ID_FILE_SAVE_AS));
  EXPECT_EQ(studio.platform.fileDialogs[1].filterIndex, 2);
  EXPECT_TRUE(Exists("picture.gif.BMP"));
}

TEST_F(Saving, CancelledOptionsWriteNothing) {
  CTOVRADoc* document = Open(vutest::Sample("chelsea.ppm"));
  ASSERT_NE(document, nullptr);
  document->modified = 1;
  Answer(studio.Path("nothing"), 1); // WIF
  ASSERT_TRUE(Run(ID_FILE_SAVE_AS));
  EXPECT_EQ(studio.platform.wifAsked, 1);
  Answer(studio.Path("nothing"), 6); // JPEG
  ASSERT_TRUE(Run(ID_FILE_SAVE_AS));
  EXPECT_EQ(studio.platform.jpegAsked, 1);
  Answer(studio.Path("nothing"));
  ASSERT_TRUE(Run(ID_COMPRESS));
  EXPECT_EQ(studio.platform.wifAsked, 2);
  for (const auto& entry : std::filesystem::directory_iterator(studio.dir.Root()))
    EXPECT_NE(entry.path().filename().string().rfind("nothing", 0), 0u) << entry.path();
  EXPECT_EQ(document->modified, 1);

  // With a quality the JPEG is written; the file is a JPEG.
  studio.platform.jpegOptions = vuJpegSaveOptions{90, 6};
  Answer(studio.Path("photo"), 6);
  ASSERT_TRUE(Run(ID_FILE_SAVE_AS));
  ASSERT_TRUE(Exists("photo.JPG"));
  vutest::ScopedImage probe;
  EXPECT_EQ(probe.GetFileType(studio.Path("photo.JPG").c_str()), 12);
  EXPECT_EQ(document->modified, 0);
}

TEST_F(Saving, FailedSaveIsShownAndTheDocumentStaysModified) {
  CTOVRADoc* document = Open(vutest::Sample("camera.pgm"));
  ASSERT_NE(document, nullptr);
  document->modified = 1;
  const std::string target = studio.Path("missing-folder/picture.bmp");
  Answer(target, 2);
  ASSERT_TRUE(Run(ID_FILE_SAVE_AS));
  ASSERT_EQ(studio.platform.messages.size(), 1u);
  EXPECT_EQ(studio.platform.messages[0].text.rfind(target + " could not be saved.\n", 0), 0u)
      << studio.platform.messages[0].text;
  EXPECT_EQ(studio.platform.messages[0].icon, VU_ICON_ERROR);
  EXPECT_EQ(document->modified, 1);
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(Saving, SixteenBitImagesGetTheSignificantBitsDialog) {
  const std::string path = studio.Path("deep.pgm");
  apptest::WritePgm16(path, 33, 21, 4095, [](int x, int y) { return (x * 97 + y * 31) % 4096; });
  ASSERT_NE(Open(path), nullptr);
  vuWifSaveOptions options = Wif(20);
  options.significantBits = 12;
  studio.platform.wifOptions = options;
  Answer(studio.Path("deep"));
  ASSERT_TRUE(Run(ID_COMPRESS));
  EXPECT_TRUE(studio.platform.wifAskedSixteenBit);
  ASSERT_EQ(
      vutest::RunConvert("-q 20 --bits 12 " + Quote(path) + " " + Quote(studio.Path("cli.wif"))),
      0);
  EXPECT_EQ(vutest::ReadFileBytes(studio.Path("deep.wif")),
            vutest::ReadFileBytes(studio.Path("cli.wif")));
}

} // namespace
