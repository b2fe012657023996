// vuplugin-host plays the browser around the shared library: its event lines, the final
// picture, the frames, saving and printing, and its exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "PluginTestSupport.h"
#include "support/TestSupport.h"

using namespace plugintest;

namespace {

struct HostRun {
  int status = -1;
  std::vector<int32_t> ready;
  std::vector<std::pair<int32_t, int32_t>> writes;
  int paints = 0; // paint lines (each window counts its own paints)
  int ends = 0;
  std::string output;
};

HostRun RunHost(const std::string& arguments) {
  HostRun run;
  run.status = vutest::RunCommand(
      vutest::Quote(VU_PLUGIN_HOST_PATH) + " " + arguments + " 2>/dev/null", &run.output);
  std::istringstream lines(run.output);
  std::string word;
  while (lines >> word) {
    if (word == "ready") {
      int32_t n = 0;
      lines >> n;
      run.ready.push_back(n);
    } else if (word == "write") {
      int32_t n = 0, r = 0;
      std::string arrow;
      lines >> n >> arrow >> r;
      run.writes.push_back({n, r});
    } else if (word == "paint") {
      int k = 0;
      lines >> k;
      EXPECT_GE(k, 1);
      ++run.paints;
    } else if (word == "end") {
      ++run.ends;
    }
  }
  return run;
}

} // namespace

TEST(PluginHost, ExactDeliveryAsksForTheDefinedSequenceAndEndsWithTheDecodersPicture) {
  vutest::TempDir dir;
  vuImageOwner colour, grey;
  LoadSample("chelsea.ppm", 600, 300, &colour);
  LoadSample("camera.pgm", 100, 70, &grey);
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
  } cases[] = {{"tiled.wif", Wif2Stream(colour, true)}, {"older.wif", ClassicStream(grey, '7')}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.Path(c.name);
    vutest::WriteFileBytes(path, c.file);
    vuImageOwner reference;
    ASSERT_EQ(c.file[3] == '2' ? Wif2TileDecode(c.file, &reference)
                               : ReaderDecode(c.file, &reference),
              0);
    const std::vector<int32_t> needs = ExpectedNeeds(c.file);
    for (const char* deliver : {"exact", "1", "4096"}) {
      const std::string out =
          dir.Path(std::string("out-") + deliver + (reference.Depth() == 8 ? ".pgm" : ".ppm"));
      HostRun run = RunHost("--deliver " + std::string(deliver) + " --out " + vutest::Quote(out) +
                            " " + vutest::Quote(path));
      ASSERT_EQ(run.status, 0) << run.output;
      EXPECT_EQ(run.ends, 1);
      ASSERT_FALSE(run.writes.empty());
      EXPECT_EQ(run.writes.back().second, -1);
      if (std::string(deliver) == "exact") {
        EXPECT_EQ(run.ready, needs);
        // The window is painted once when attached, after every pass or tile, and at the end.
        EXPECT_EQ(run.paints, 1 + int(needs.size()) - (c.file[3] == '2' ? 3 : 2) + 1);
      }
      vuImageOwner result;
      ASSERT_EQ(result.LoadImage(out.c_str()), 0);
      std::string why;
      EXPECT_TRUE(SameImage(result, reference, &why)) << deliver << ": " << why;
    }
  }
}

TEST(PluginHost, FramesPrintAndSave) {
  vutest::TempDir dir;
  vuImageOwner colour;
  LoadSample("chelsea.ppm", 600, 300, &colour);
  const std::vector<uint8_t> file = Wif2Stream(colour, true);
  const std::string path = dir.Path("tiled.wif");
  vutest::WriteFileBytes(path, file);

  HostRun run = RunHost("--window 300x150 --frames " + vutest::Quote(dir.Path("frames")) +
                        " --print " + vutest::Quote(dir.Path("page.png")) + " --save-wif " +
                        vutest::Quote(dir.Path("copy")) + " " + vutest::Quote(path));
  ASSERT_EQ(run.status, 0) << run.output;
  int frames = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path("frames"))) {
    (void)entry;
    ++frames;
  }
  EXPECT_EQ(frames, run.paints);
  vuImageOwner frame;
  ASSERT_EQ(frame.LoadImage(dir.Path("frames/frame-003.png").c_str()), 0);
  EXPECT_EQ(frame.Width(), 300);
  EXPECT_EQ(frame.Height(), 150);
  EXPECT_EQ(vutest::ReadFileBytes(dir.Path("copy.wif")), file);
  // Embedded in 300 x 150: printed at 75 x 37 at the page's corner.
  vuImageOwner page;
  ASSERT_EQ(page.LoadImage(dir.Path("page.png").c_str()), 0);
  uint8_t r = 0, g = 0, b = 0;
  page.GetColor(74, page.Height() - 37, &r, &g, &b);
  EXPECT_FALSE(r == 255 && g == 255 && b == 255);
  page.GetColor(75, page.Height() - 1, &r, &g, &b);
  EXPECT_TRUE(r == 255 && g == 255 && b == 255);
  page.GetColor(0, page.Height() - 38, &r, &g, &b);
  EXPECT_TRUE(r == 255 && g == 255 && b == 255);

  // Two instances side by side, and a stream stopped early: saving writes what was used.
  const std::vector<int32_t> needs = ExpectedNeeds(file);
  const int32_t stop = needs[0] + needs[1] + needs[2] + needs[3] / 2;
  run = RunHost("--instances 2 --stop-after " + std::to_string(stop) + " --save-wif " +
                vutest::Quote(dir.Path("early.wif")) + " " + vutest::Quote(path));
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.ends, 2);
  const std::vector<uint8_t> early = vutest::ReadFileBytes(dir.Path("early.wif"));
  EXPECT_EQ(early.size(), size_t(needs[0] + needs[1] + needs[2])); // the first tile is not whole
  EXPECT_TRUE(std::equal(early.begin(), early.end(), file.begin()));
}

TEST(PluginHost, ExitStatus) {
  vutest::TempDir dir;
  const std::string path = dir.Path("noise.wif");
  vutest::WriteFileBytes(path, std::vector<uint8_t>(100, 'Q'));
  HostRun run = RunHost(vutest::Quote(path));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.writes, (std::vector<std::pair<int32_t, int32_t>>{{14, -1}}));
  EXPECT_EQ(
      RunHost("--plugin " + vutest::Quote(dir.Path("none.so")) + " " + vutest::Quote(path)).status,
      1);
  EXPECT_EQ(RunHost("--plugin " + vutest::Quote(path) + " " + vutest::Quote(path)).status, 1);
  EXPECT_EQ(RunHost("--deliver 0 " + vutest::Quote(path)).status, 2);
  EXPECT_EQ(RunHost("").status, 2);
}
