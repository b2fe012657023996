// The batch conversion without its window: the folder list, the input list, output names and the
// run on real pictures, checked by decoding every file it writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "AppTestSupport.h"
#include "app/BatchModel.h"
#include "codec/wif2/vuWifParams.h"
#include "formats/vuRegistry.h"
#include "imagelib/vuImageOwner.h"
#include "support/Picture.h"

namespace fs = std::filesystem;

namespace {

// A crop of a sample photograph.
vuImagePtr SampleCrop(const char* name, int width, int height) {
  vuImageOwner whole;
  if (whole.LoadImage(vutest::Sample(name).c_str()) != 0) return nullptr;
  return vuImagePtr(whole.SubImage(200, 150, width, height));
}

// Input pictures in every pixel format the readers produce, made from the samples.
void WriteSourceFiles(const std::string& folder) {
  vuImagePtr grey = SampleCrop("camera.pgm", 40, 30);
  vuImagePtr colour = SampleCrop("chelsea.ppm", 40, 30);
  ASSERT_TRUE(grey && colour);
  ASSERT_EQ(grey->SaveImage((folder + "/grey.pgm").c_str(), VU_TYPE_PGM, nullptr), 0);
  ASSERT_EQ(colour->SaveImage((folder + "/colour.ppm").c_str(), VU_TYPE_PPM, nullptr), 0);

  // The colour crop on a 3-3-2 palette, and the grey crop at a threshold in one bit.
  vuImageOwner palette;
  ASSERT_TRUE(palette.AllocateBitmap(40, 30, 256, BM_8BIT_COLOR));
  for (int i = 0; i < 256; ++i)
    palette.palette[i] =
        vuRGBA{uint8_t((i & 3) * 85), uint8_t(((i >> 2) & 7) * 36), uint8_t((i >> 5) * 36), 0};
  vuImageOwner mono;
  ASSERT_TRUE(mono.AllocateBitmap(40, 30, 2, BM_1BIT));
  mono.palette[0] = vuRGBA{0, 0, 0, 0};
  mono.palette[1] = vuRGBA{255, 255, 255, 0};
  for (int y = 0; y < 30; ++y) {
    std::fill(mono.Row(y), mono.Row(y) + mono.Stride(), 0);
    for (int x = 0; x < 40; ++x) {
      uint8_t r, g, b, level;
      colour->GetColor(x, y, &r, &g, &b);
      palette.Row(y)[x] = uint8_t((r >> 5) << 5 | (g >> 5) << 2 | (b >> 6));
      grey->GetColor(x, y, &level);
      if (level >= 128) mono.Row(y)[x / 8] |= uint8_t(0x80 >> (x % 8));
    }
  }
  ASSERT_EQ(palette.SaveImage((folder + "/palette.bmp").c_str(), VU_TYPE_BMP, nullptr), 0);
  ASSERT_EQ(mono.SaveImage((folder + "/mono.tif").c_str(), VU_TYPE_TIFF, nullptr), 0);

  apptest::WritePgm16(folder + "/deep.pgm", 36, 20, 4095,
                      [](int x, int y) { return (x * 97 + y * 131) % 4096; });
  std::ofstream deep(folder + "/deep48.ppm", std::ios::binary);
  deep << "P6\n24 16\n65535\n";
  for (int i = 0; i < 24 * 16 * 3; ++i) {
    deep.put(char((i * 37) >> 8 & 0xFF));
    deep.put(char(i * 37 & 0xFF));
  }
}

class BatchModelTest : public ::testing::Test {
protected:
  void SetUp() override {
    input = dir.Path("in");
    output = dir.Path("out");
    fs::create_directories(input);
    fs::create_directories(output);
    model.drives = [] {
      return std::vector<BatchDrive>{{"/", "system", BATCH_DRIVE_FIXED},
                                     {"/media/stick", "Removeable Media", BATCH_DRIVE_REMOVABLE}};
    };
    model.SetOutputFolder(output);
  }

  std::vector<std::string> ItemTexts() const {
    std::vector<std::string> texts;
    for (const BatchFolderItem& item : model.FolderItems())
      texts.push_back(item.text + ":" + std::to_string(item.icon));
    return texts;
  }
  int ItemIndex(const std::string& text) const {
    for (size_t i = 0; i < model.FolderItems().size(); ++i)
      if (model.FolderItems()[i].text == text) return int(i);
    return -1;
  }
  std::vector<int> States() const {
    std::vector<int> states;
    for (const BatchEntry& entry : model.Entries())
      states.push_back(entry.state);
    return states;
  }
  void RunToEnd() {
    ASSERT_TRUE(model.ConvertOrStop());
    model.Wait();
    EXPECT_FALSE(model.Running());
  }

  vutest::TempDir dir;
  vuRecordingPlatform platform;
  vuScopedPlatform installed{&platform};
  std::string input, output;
  BatchModel model;
};

TEST_F(BatchModelTest, FolderListShowsFoldersAndDetectedImagesOnly) {
  WriteSourceFiles(input);
  fs::create_directories(input + "/Sub folder");
  std::ofstream(input + "/notes.bmp") << "plain text that only looks like a bitmap by its name\n";
  std::ofstream(input + "/readme.txt") << "text\n";
  ASSERT_TRUE(model.SetInputFolder(input + "/"));
  EXPECT_EQ(model.InputFolder(), input);
  std::vector<std::string> expected = {"..:2",        "Sub folder:0",  "colour.ppm:15",
                                       "deep.pgm:14", "deep48.ppm:15", "grey.pgm:14",
                                       "mono.tif:17", "palette.bmp:10"};
  EXPECT_EQ(ItemTexts(), expected);
  // "All Files" lists the same: a file is listed only when its type is detected.
  ASSERT_TRUE(model.SetInputFilter("All Files"));
  EXPECT_EQ(ItemTexts(), expected);
  ASSERT_TRUE(model.SetInputFilter("PGM"));
  EXPECT_EQ(ItemTexts(),
            (std::vector<std::string>{"..:2", "Sub folder:0", "deep.pgm:14", "grey.pgm:14"}));
  EXPECT_FALSE(model.SetInputFilter("XYZ"));
  EXPECT_EQ(model.InputFilter(), "PGM");
}

TEST_F(BatchModelTest, UpFolderParentEntryAndDrives) {
  model.SetInputFolder("/home/user/images");
  model.UpFolder();
  EXPECT_EQ(model.InputFolder(), "/home/user");
  model.UpFolder();
  model.UpFolder();
  EXPECT_EQ(model.InputFolder(), "/");
  model.UpFolder();
  EXPECT_EQ(model.InputFolder(), "/");
  // A folder text without any "/" shows the drive list.
  model.SetInputFolder("images");
  model.UpFolder();
  EXPECT_EQ(model.InputFolder(), "");
  EXPECT_EQ(ItemTexts(),
            (std::vector<std::string>{"/ (system):6", "/media/stick (Removeable Media):5"}));
  // A drive opens its root; the parent entry climbs, and from "/" leads to the drives.
  model.Activate({1});
  EXPECT_EQ(model.InputFolder(), "/media/stick");
  ASSERT_TRUE(model.SetInputFolder(input));
  fs::create_directories(input + "/inner");
  model.Refill();
  model.Activate({ItemIndex("inner")});
  EXPECT_EQ(model.InputFolder(), input + "/inner");
  model.Activate({0});
  EXPECT_EQ(model.InputFolder(), input);
  model.SetInputFolder("/tmp");
  model.Activate({0});
  EXPECT_EQ(model.InputFolder(), "/");
  model.Activate({0});
  EXPECT_EQ(model.InputFolder(), "");
  EXPECT_TRUE(model.FolderItems()[0].IsDrive());
}

TEST_F(BatchModelTest, UnreadableFolderKeepsOnlyTheParentEntry) {
  EXPECT_FALSE(model.SetInputFolder(input + "/missing"));
  EXPECT_EQ(ItemTexts(), (std::vector<std::string>{"..:2"}));
}

TEST_F(BatchModelTest, AddAllRemoveAndNoDuplicates) {
  WriteSourceFiles(input);
  fs::create_directories(input + "/inner");
  model.SetInputFolder(input);
  EXPECT_FALSE(model.RemoveButtonsVisible());
  // Folders and the parent entry are never added.
  EXPECT_EQ(model.Add({0, ItemIndex("inner"), ItemIndex("grey.pgm")}), 1);
  EXPECT_TRUE(model.RemoveButtonsVisible());
  EXPECT_EQ(model.Add({ItemIndex("grey.pgm")}), 0);
  model.Activate({ItemIndex("grey.pgm")});
  EXPECT_EQ(model.EntryCount(), 1u);
  EXPECT_EQ(model.Entry(0).path, input + "/grey.pgm");
  EXPECT_EQ(model.AddAll(), 5);
  EXPECT_EQ(model.EntryCount(), 6u);
  model.Remove({0, 2});
  EXPECT_EQ(model.EntryCount(), 4u);
  EXPECT_EQ(model.Entry(0).path, input + "/colour.ppm");
  EXPECT_EQ(model.Entry(1).path, input + "/deep48.ppm");
  model.Remove({0, 1, 2, 3});
  EXPECT_FALSE(model.RemoveButtonsVisible());
  model.AddAll();
  model.RemoveAll();
  EXPECT_EQ(model.EntryCount(), 0u);
  EXPECT_FALSE(model.RemoveButtonsVisible());
}

TEST_F(BatchModelTest, OutputNamesAndTypes) {
  model.SetOutputType(BatchModel::OutputTypeOf("WIF"));
  EXPECT_EQ(model.OutputPath("/pictures/photo.final.bmp"), output + "/photo.final.wif");
  EXPECT_EQ(model.OutputPath("/pictures/noextension"), output + "/noextension.wif");
  model.SetOutputFolder("/");
  EXPECT_EQ(model.OutputPath("/a.b/c"), "/c.wif");
  std::map<std::string, std::string> extensions;
  for (const std::string& name : BatchModel::OutputTypeNames()) {
    model.SetOutputType(BatchModel::OutputTypeOf(name));
    extensions[name] = model.OutputPath("x.y").substr(1);
    EXPECT_EQ(model.OptionsButtonVisible(), name == "WIF" || name == "JPEG") << name;
  }
  EXPECT_EQ(extensions, (std::map<std::string, std::string>{{"BMP", "x.bmp"},
                                                            {"JPEG", "x.jpg"},
                                                            {"PCX", "x.pcx"},
                                                            {"PGM", "x.pgm"},
                                                            {"PNG", "x.png"},
                                                            {"PPM", "x.ppm"},
                                                            {"TGA", "x.tga"},
                                                            {"TIFF", "x.tif"},
                                                            {"WIF", "x.wif"}}));
  EXPECT_FALSE(model.SetOutputType(VU_TYPE_GIF)); // read only
  EXPECT_EQ(model.OutputType(), VU_TYPE_WIF);
}

// What each output type gives back, by the source's pixel format (Targa files are always written
// in 24-bit colour).
struct Expectation {
  const char* file;
  std::map<std::string, vuBMFormat> formats;
};

TEST_F(BatchModelTest, EveryOutputTypeDecodesWithTheTablesPixelFormat) {
  WriteSourceFiles(input);
  model.SetInputFolder(input);
  model.AddAll();
  const vuBMFormat G = BM_8BIT_GRAY, C = BM_24BIT, P = BM_8BIT_COLOR, M = BM_1BIT,
                   G16 = BM_16BIT_GRAY, C48 = BM_48BIT;
  const std::vector<Expectation> table = {
      {"grey",
       {{"WIF", G},
        {"BMP", G},
        {"PPM", C},
        {"PGM", G},
        {"JPEG", G},
        {"PCX", G},
        {"TGA", C},
        {"TIFF", G},
        {"PNG", G}}},
      {"colour",
       {{"WIF", C},
        {"BMP", C},
        {"PPM", C},
        {"PGM", G},
        {"JPEG", C},
        {"PCX", C},
        {"TGA", C},
        {"TIFF", C},
        {"PNG", C}}},
      {"palette",
       {{"WIF", C},
        {"BMP", P},
        {"PPM", C},
        {"PGM", G},
        {"JPEG", C},
        {"PCX", P},
        {"TGA", C},
        {"TIFF", P},
        {"PNG", P}}},
      {"mono",
       {{"WIF", G},
        {"BMP", G},
        {"PPM", C},
        {"PGM", G},
        {"JPEG", G},
        {"PCX", G},
        {"TGA", C},
        {"TIFF", M},
        {"PNG", M}}},
      {"deep",
       {{"WIF", G16},
        {"BMP", G},
        {"PPM", C},
        {"PGM", G},
        {"JPEG", G},
        {"PCX", G},
        {"TGA", C},
        {"TIFF", G16},
        {"PNG", G16}}},
      {"deep48",
       {{"WIF", C48},
        {"BMP", C},
        {"PPM", C},
        {"PGM", G},
        {"JPEG", C},
        {"PCX", C},
        {"TGA", C},
        {"TIFF", C48},
        {"PNG", C48}}},
  };
  for (const std::string& name : BatchModel::OutputTypeNames()) {
    model.SetOutputType(BatchModel::OutputTypeOf(name));
    RunToEnd();
    EXPECT_EQ(States(), std::vector<int>(6, BATCH_SAVED)) << name;
    for (const Expectation& expected : table) {
      std::string written =
          output + "/" + expected.file + BatchModel::OutputExtension(model.OutputType());
      vuImageOwner decoded;
      ASSERT_EQ(decoded.LoadImage(written.c_str()), 0) << written;
      EXPECT_EQ(decoded.format, expected.formats.at(name)) << written;
      EXPECT_EQ(decoded.GetFileType(written.c_str()), model.OutputType()) << written;
      EXPECT_EQ(decoded.Width(), expected.file == std::string("deep48") ? 24
                                 : expected.file == std::string("deep") ? 36
                                                                        : 40)
          << written;
    }
  }
  // Lossless types keep the pictures: the palette bitmap and the 16-bit samples come back
  // exactly.
  vutest::Picture source = vutest::LoadPicture(input + "/palette.bmp");
  EXPECT_EQ(vutest::MaxDifference(source, vutest::LoadPicture(output + "/palette.png")), 0);
  EXPECT_EQ(vutest::MaxDifference(source, vutest::LoadPicture(output + "/palette.ppm")), 0);
  vuImageOwner deep, deepTiff;
  deep.LoadImage((input + "/deep.pgm").c_str());
  deepTiff.LoadImage((output + "/deep.tif").c_str());
  EXPECT_EQ(vutest::MaxDifference(vutest::SamplesOf(deep), vutest::SamplesOf(deepTiff)), 0);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(BatchModelTest, WifRunOverTheSamplesUsesTheDefaultRecord) {
  for (const char* name : {"camera.pgm", "chelsea.ppm", "astronaut.ppm"})
    fs::copy_file(vutest::Sample(name), input + "/" + name);
  fs::copy_file(vutest::Sample("chelsea.ppm"), input + "/photo.final.bmp.ppm");
  model.SetInputFolder(input);
  model.AddAll();
  model.SetOutputType(VU_TYPE_WIF);
  RunToEnd();
  EXPECT_EQ(States(), std::vector<int>(4, BATCH_SAVED));
  // Headless, the options dialog answers "cancelled", so the run used quality 50 and nothing
  // else: the converter with that quality writes the same bytes.
  EXPECT_TRUE(model.OptionsFetched());
  EXPECT_EQ(model.Options(), nullptr);
  std::string reference = dir.Path("camera-reference.wif");
  ASSERT_EQ(vutest::RunConvert("-q 50 " + vutest::Quote(vutest::Sample("camera.pgm")) + " " +
                               vutest::Quote(reference)),
            0);
  EXPECT_EQ(vutest::ReadFileBytes(reference), vutest::ReadFileBytes(output + "/camera.wif"));
  EXPECT_TRUE(fs::exists(output + "/photo.final.bmp.wif"));
  vutest::Picture original = vutest::LoadPicture(vutest::Sample("astronaut.ppm"));
  EXPECT_GT(vutest::Psnr(original, vutest::LoadPicture(output + "/astronaut.wif")), 30.0);
}

TEST_F(BatchModelTest, StopAfterTheCurrentFileAndResumeWithTheRest) {
  WriteSourceFiles(input);
  model.SetInputFolder(input);
  model.AddAll();
  model.SetOutputType(VU_TYPE_BMP);
  // The stop arrives while the second file is being worked on.
  model.onEntryChanged = [this](size_t index) {
    if (index == 1 && model.Entry(1).state == BATCH_WORKING) model.ConvertOrStop();
  };
  ASSERT_TRUE(model.ConvertOrStop());
  model.Wait();
  model.onEntryChanged = nullptr;
  EXPECT_EQ(States(), (std::vector<int>{2, 2, 0, 0, 0, 0}));
  EXPECT_TRUE(model.Resuming());
  EXPECT_FALSE(model.Running());
  // Saved entries are not written again.
  fs::remove(output + "/colour.bmp");
  RunToEnd();
  EXPECT_EQ(States(), std::vector<int>(6, BATCH_SAVED));
  EXPECT_FALSE(fs::exists(output + "/colour.bmp"));
  EXPECT_TRUE(fs::exists(output + "/palette.bmp"));
  EXPECT_FALSE(model.Resuming());
  // A new start after a complete run converts everything again.
  RunToEnd();
  EXPECT_TRUE(fs::exists(output + "/colour.bmp"));
}

TEST_F(BatchModelTest, FailedLoadKeepsStateOneAndTheRunGoesOn) {
  WriteSourceFiles(input);
  // A bitmap signature over a cut-off header.
  vutest::WriteFileBytes(input + "/broken.bmp", {'B', 'M', 0x10, 0, 0, 0, 0, 0});
  model.AddFile(input + "/broken.bmp");
  model.AddFile(input + "/missing.pgm");
  model.AddFile(input + "/grey.pgm");
  model.SetOutputType(VU_TYPE_PGM);
  std::vector<std::pair<size_t, int>> changes;
  model.onEntryChanged = [&](size_t index) {
    changes.push_back({index, model.Entry(index).state});
  };
  RunToEnd();
  EXPECT_EQ(States(), (std::vector<int>{1, 1, 2}));
  EXPECT_FALSE(model.Entry(0).problem.empty());
  EXPECT_FALSE(model.Entry(1).problem.empty());
  EXPECT_TRUE(model.Entry(2).problem.empty());
  EXPECT_FALSE(fs::exists(output + "/broken.pgm"));
  EXPECT_TRUE(fs::exists(output + "/grey.pgm"));
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(changes.back(), (std::pair<size_t, int>{2, BATCH_SAVED}));
}

TEST_F(BatchModelTest, ConversionShowsStateSixAndFailedSaveIsReported) {
  WriteSourceFiles(input);
  model.AddFile(input + "/mono.tif");
  model.SetOutputType(VU_TYPE_WIF);
  std::vector<int> seen;
  model.onEntryChanged = [&](size_t index) { seen.push_back(model.Entry(index).state); };
  RunToEnd();
  EXPECT_EQ(seen, (std::vector<int>{BATCH_WORKING, BATCH_CONVERTING, BATCH_WORKING, BATCH_SAVED}));
  // An output folder that vanished after the start: the save fails, is told, the entry keeps 1.
  model.onEntryChanged = [&](size_t) { fs::remove_all(output); };
  platform.messages.clear();
  RunToEnd();
  EXPECT_EQ(States(), (std::vector<int>{BATCH_WORKING}));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text.rfind("Cannot save " + output + "/mono.wif\n", 0), 0u)
      << platform.messages[0].text;
  // A missing output folder is refused before anything runs.
  model.onEntryChanged = nullptr;
  EXPECT_FALSE(model.ConvertOrStop());
  EXPECT_EQ(platform.messages.back().text, "The output folder does not exist:\n" + output);
}

// A platform whose WIF options dialog answers with a record and notes how it was asked.
struct OptionsPlatform : vuRecordingPlatform {
  int asked = 0;
  int viewAfterEnabled = -1;
  bool sawPicture = false;
  vuWifSaveOptions* AskWifSaveOptions(const vuImage& image, int enableViewAfter) override {
    ++asked;
    sawPicture = image.header != nullptr; // a dialog may look at the image it is asked for
    viewAfterEnabled = enableViewAfter;
    auto* record = new vuWifSaveOptions;
    record->quality = 12;
    record->fastMode = 1;
    return record;
  }
};

TEST_F(BatchModelTest, ChosenOptionsAreUsedUntilTheTypeChanges) {
  OptionsPlatform asking;
  vuScopedPlatform use(&asking);
  fs::copy_file(vutest::Sample("camera.pgm"), input + "/camera.pgm");
  model.AddFile(input + "/camera.pgm");
  model.SetOutputType(VU_TYPE_WIF);
  model.FetchOptions();
  EXPECT_EQ(asking.asked, 1);
  EXPECT_EQ(asking.viewAfterEnabled, 0);
  EXPECT_TRUE(asking.sawPicture);
  RunToEnd();
  EXPECT_EQ(asking.asked, 1); // fetched already: the start does not ask again
  std::string reference = dir.Path("reference.wif");
  ASSERT_EQ(vutest::RunConvert("-q 12 --fast " + vutest::Quote(vutest::Sample("camera.pgm")) + " " +
                               vutest::Quote(reference)),
            0);
  EXPECT_EQ(vutest::ReadFileBytes(reference), vutest::ReadFileBytes(output + "/camera.wif"));
  // A new type drops the record; the next start asks again.
  model.SetOutputType(VU_TYPE_JPEG);
  model.SetOutputType(VU_TYPE_WIF);
  EXPECT_FALSE(model.OptionsFetched());
  RunToEnd();
  EXPECT_EQ(asking.asked, 2);
}

} // namespace
