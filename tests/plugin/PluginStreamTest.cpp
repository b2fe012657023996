// Streaming decode through the entry points: the byte counts asked for, the final picture against
// the decoders' own results, repainting, palettes, cut and damaged streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "PluginTestSupport.h"
#include "codec/wif2/vuWifFormat.h"

using namespace plugintest;

namespace {

// What each exact write answers: what was asked for, and -1 for the write that completes the
// picture.
std::vector<int32_t> AnswersFor(const std::vector<int32_t>& needs) {
  std::vector<int32_t> answers(needs.begin(), needs.end());
  answers.back() = -1;
  return answers;
}

struct Picture {
  const char* sample;
  int width;
  int height;
};

void ExpectStreamsLike(Browser& browser, const std::vector<uint8_t>& file, vuImage& reference,
                       const std::string& what) {
  const std::vector<int32_t> needs = ExpectedNeeds(file);
  for (int piece : {0, 1, 4096}) {
    SCOPED_TRACE(what + ", pieces of " + std::to_string(piece));
    TestInstance instance(browser);
    StreamLog log = instance.Stream(file, piece);
    if (piece == 0) {
      EXPECT_EQ(log.ready, needs);
      EXPECT_EQ(log.answers, AnswersFor(needs));
    }
    EXPECT_EQ(log.answers.back(), -1);
    std::string why;
    EXPECT_TRUE(SameImage(instance.Image(), reference, &why)) << why;
    const ByteBuffer& consumed = instance.Core().consumed;
    EXPECT_EQ(std::vector<uint8_t>(consumed.Data(), consumed.Data() + consumed.Length()), file);
  }
}

} // namespace

TEST(PluginStream, OlderGenerationStreamsAskForEveryChunkAndDecodeLikeTheReader) {
  Browser browser;
  vuImageOwner grey, colour;
  LoadSample("camera.pgm", 97, 75, &grey);
  LoadSample("chelsea.ppm", 90, 66, &colour);
  struct Case {
    vuImage* image;
    char digit;
    bool shortForm;
  } cases[] = {{&grey, '5', false},   {&grey, '7', false},  {&colour, '6', false},
               {&colour, '8', false}, {&colour, '8', true}, {&grey, '5', true}};
  for (const Case& c : cases) {
    const std::string what = std::string(c.shortForm ? "W" : "WIF") + c.digit;
    const std::vector<uint8_t> file = ClassicStream(*c.image, c.digit, c.shortForm, "a comment");
    vuImageOwner reference;
    ASSERT_EQ(ReaderDecode(file, &reference), 0) << what;
    ExpectStreamsLike(browser, file, reference, what);
  }
}

TEST(PluginStream, Wif2StreamsDecodeTileByTile) {
  Browser browser;
  vuImageOwner grey, colour, wide;
  LoadSample("camera.pgm", 300, 200, &grey);
  LoadSample("chelsea.ppm", 600, 300, &colour);
  struct Case {
    vuImage* image;
    bool tiled;
    int tiles;
  } cases[] = {{&grey, false, 1}, {&grey, true, 2}, {&colour, false, 1}, {&colour, true, 6}};
  for (const Case& c : cases) {
    const std::string what =
        std::string(c.image == &grey ? "grey" : "colour") + (c.tiled ? " tiled" : " untiled");
    const std::vector<uint8_t> file = Wif2Stream(*c.image, c.tiled);
    const std::vector<int32_t> needs = ExpectedNeeds(file);
    // 14, 40 (26 more), the comment and first marker, one chunk per tile.
    ASSERT_EQ(needs.size(), size_t(3 + c.tiles)) << what;
    EXPECT_EQ(needs[1], 26);
    vuImageOwner reference;
    ASSERT_EQ(Wif2TileDecode(file, &reference), 0) << what;
    ExpectStreamsLike(browser, file, reference, what);
  }
}

TEST(PluginStream, SixteenBitStreamsGiveSixteenBitImagesShownThroughTheirDisplayCopy) {
  Browser browser;
  vuImageOwner grey, colour, wideGrey, wideColour;
  LoadSample("camera.pgm", 64, 48, &grey);
  LoadSample("astronaut.ppm", 64, 48, &colour);
  Widen(grey, 12, &wideGrey);
  Widen(colour, 12, &wideColour);
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    vuBMFormat format;
  } cases[] = {{"older grey", ClassicStream(wideGrey, '5'), BM_16BIT_GRAY},
               {"older colour", ClassicStream(wideColour, '6'), BM_48BIT},
               {"WIF2 grey", Wif2Stream(wideGrey, false), BM_16BIT_GRAY},
               {"WIF2 colour", Wif2Stream(wideColour, true), BM_48BIT}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    vuImageOwner reference;
    if (c.file[3] == '2')
      ASSERT_EQ(Wif2TileDecode(c.file, &reference), 0);
    else
      ASSERT_EQ(ReaderDecode(c.file, &reference), 0);
    ASSERT_EQ(reference.format, c.format);
    // The window shows the picture pixel for pixel.
    TestInstance instance(browser, NP_EMBED, 64, 48);
    instance.Stream(c.file);
    vuImage& image = instance.Image();
    std::string why;
    EXPECT_TRUE(SameImage(image, reference, &why)) << why;
    EXPECT_EQ(image.sampleBits, 12);
    ASSERT_EQ(instance.Core().image->useAlternate, 1);
    ASSERT_NE(image.altHeader, nullptr);
    EXPECT_EQ(image.altHeader->bitCount, c.format == BM_48BIT ? 24 : 8);
    // The copy holds the top 8 of the 12 significant bits, and that is what the window shows.
    const uint8_t* sample = image.Row(47) + (c.format == BM_48BIT ? 3 * 2 * 5 : 2 * 5);
    const int top = (sample[0] | (sample[1] << 8)) >> 4;
    const uint32_t shown = instance.window.target.Pixel(5, 0);
    EXPECT_EQ(int(shown & 0xFF), top); // blue, or grey
  }
}

TEST(PluginStream, SurplusDeliveryKeepsTheRestPendingInOrder) {
  Browser browser;
  vuImageOwner colour;
  LoadSample("chelsea.ppm", 80, 60, &colour);
  const std::vector<uint8_t> file = ClassicStream(colour, '6');
  vuImageOwner reference;
  ASSERT_EQ(ReaderDecode(file, &reference), 0);
  // The whole file in one write: every step runs from the pending bytes.
  TestInstance instance(browser);
  StreamLog log = instance.Stream(file, int(file.size()), SIZE_MAX, false);
  EXPECT_EQ(log.answers, std::vector<int32_t>{-1});
  EXPECT_EQ(log.paints, std::vector<int>{4}); // one repaint per pass
  EXPECT_EQ(instance.Core().pending.Length(), 0);
  instance.browser.plugin.destroystream(&instance.npp, &instance.stream, NPRES_DONE);
  EXPECT_TRUE(SameImage(instance.Image(), reference));

  // 100 bytes a write: a write may carry the end of one chunk and the start of the next.
  TestInstance second(browser);
  log = second.Stream(file, 100);
  for (size_t i = 0; i + 1 < log.answers.size(); ++i)
    EXPECT_EQ(log.answers[i], 100);
  EXPECT_EQ(log.answers.back(), -1);
  EXPECT_TRUE(SameImage(second.Image(), reference));
}

TEST(PluginStream, RepaintsAfterEveryPassFromPassTwoOn) {
  Browser browser;
  vuImageOwner grey, colour;
  LoadSample("camera.pgm", 64, 64, &grey);
  LoadSample("chelsea.ppm", 600, 300, &colour);
  // Older grey: 14, header, chunk 0, chunk 1. WIF2 in six tiles: 14, 26, comment, six tiles.
  TestInstance older(browser);
  StreamLog log = older.Stream(ClassicStream(grey, '7'), 0, SIZE_MAX, false);
  EXPECT_EQ(log.paints, (std::vector<int>{0, 0, 1, 1}));
  TestInstance tiled(browser);
  log = tiled.Stream(Wif2Stream(colour, true), 0, SIZE_MAX, false);
  EXPECT_EQ(log.paints, (std::vector<int>{0, 0, 0, 1, 1, 1, 1, 1, 1}));
  // A WIF2 stream first waits for 14 bytes, then for 40.
  EXPECT_EQ(log.ready[0], 14);
  EXPECT_EQ(log.ready[1], 26);
  EXPECT_EQ(tiled.Core().codecKind, CODEC_WIF2);
  EXPECT_EQ(tiled.Core().headerSize, 40);
}

TEST(PluginStream, FinalPaletteIsForegroundForOneInstanceAndBackgroundForMore) {
  vuImageOwner grey, colour;
  LoadSample("camera.pgm", 64, 64, &grey);
  LoadSample("chelsea.ppm", 64, 64, &colour);
  const std::vector<uint8_t> greyFile = ClassicStream(grey, '5');
  {
    Browser browser(8);
    TestInstance alone(browser);
    alone.Stream(greyFile);
    EXPECT_EQ(alone.Core().palettePending, 0);
    // The grey palette was loaded into the system palette.
    const vuPaletteEntry& entry = browser.platform.systemPalette.Entry(100);
    EXPECT_EQ(entry.red, 100);
    EXPECT_EQ(entry.blue, 100);
  }
  {
    Browser browser(8);
    TestInstance first(browser);
    TestInstance second(browser);
    first.Stream(greyFile);
    // Still the colour cube: background realising changes nothing.
    const vuPaletteEntry entry = browser.platform.systemPalette.Entry(100);
    const vuPaletteEntry cube = vuColorCubeEntry(100);
    EXPECT_EQ(entry.red, cube.red);
    EXPECT_EQ(entry.green, cube.green);
    EXPECT_EQ(entry.blue, cube.blue);
    // A click brings the picture's palette forward.
    first.window.SendMessage(VU_WM_LBUTTONDOWN);
    EXPECT_EQ(browser.platform.systemPalette.Entry(100).green, 100);
  }
  {
    // A colour picture on an 8-bit screen is shown through a 256-colour copy.
    Browser browser(8);
    TestInstance instance(browser);
    instance.Stream(ClassicStream(colour, '8'));
    ASSERT_EQ(instance.Core().image->useAlternate, 1);
    EXPECT_EQ(instance.Image().altHeader->bitCount, 8);
    EXPECT_NE(instance.Image().hPalette, nullptr);
  }
}

TEST(PluginStream, AStreamCutBeforeTheHeaderShowsALightGreyPlaceholder) {
  Browser browser;
  vuImageOwner grey;
  LoadSample("camera.pgm", 64, 64, &grey);
  for (const std::vector<uint8_t>& file : {ClassicStream(grey, '5'), Wif2Stream(grey, false)}) {
    TestInstance instance(browser, NP_EMBED, 48, 48);
    instance.Stream(file, 0, 10);
    vuImage& image = instance.Image();
    ASSERT_NE(image.header, nullptr);
    EXPECT_EQ(image.Width(), 24);
    EXPECT_EQ(image.Height(), 24);
    EXPECT_EQ(image.format, BM_8BIT_GRAY);
    uint8_t value = 0;
    image.GetColor(23, 23, &value);
    EXPECT_EQ(value, 192);
    EXPECT_EQ(instance.Core().started, 1);
    EXPECT_EQ(instance.Core().palettePending, 0);
    // The window shows it, stretched over the whole window.
    EXPECT_EQ(instance.window.target.Pixel(47, 47), 0xFFC0C0C0u);
  }
}

TEST(PluginStream, AStreamCutInTheMiddleKeepsWhatArrived) {
  Browser browser;
  vuImageOwner colour;
  LoadSample("chelsea.ppm", 600, 300, &colour);
  const std::vector<uint8_t> file = Wif2Stream(colour, true);
  vuImageOwner reference;
  ASSERT_EQ(Wif2TileDecode(file, &reference), 0);
  // Through the third tile (the bottom row of tiles) and the fourth tile's marker.
  const std::vector<int32_t> needs = ExpectedNeeds(file);
  size_t cut = 0;
  for (int i = 0; i < 6; ++i)
    cut += size_t(needs[i]);
  TestInstance instance(browser, NP_EMBED, 600, 300);
  StreamLog log = instance.Stream(file, 0, cut);
  EXPECT_EQ(log.answers.back(), needs[5]);
  vuImage& image = instance.Image();
  ASSERT_EQ(image.Width(), 600);
  for (int y = 0; y < 300; ++y) {
    const bool arrived = y < 256;
    const uint8_t* row = image.Row(y);
    const uint8_t* expected = reference.Row(y);
    bool same = std::equal(row, row + 1800, expected);
    bool empty = std::all_of(row, row + 1800, [](uint8_t v) { return v == 0; });
    ASSERT_TRUE(arrived ? same : empty) << "row " << y;
  }
  // The window shows the arrived tiles (bottom of the window) and nothing above them.
  EXPECT_EQ(instance.window.target.Pixel(300, 0) & 0xFFFFFF, 0u);
  EXPECT_NE(instance.window.target.Pixel(300, 299), instance.window.target.Pixel(300, 0));
}

TEST(PluginStream, StreamsThatAreNoPictureEndCleanly) {
  Browser browser;
  std::mt19937 random(7);
  std::vector<uint8_t> noise(3000);
  for (uint8_t& b : noise)
    b = static_cast<uint8_t>(random());
  noise[0] = 'X';
  std::vector<uint8_t> unknownDigit = noise, shortWif2 = noise;
  std::memcpy(unknownDigit.data(), "WIF9", 4);
  std::memcpy(shortWif2.data(), "W2", 2);
  for (const auto& file : {noise, unknownDigit, shortWif2}) {
    TestInstance instance(browser);
    StreamLog log = instance.Stream(file);
    // The first 14 bytes are enough to refuse it; nothing is decoded.
    EXPECT_EQ(log.ready, std::vector<int32_t>{14});
    EXPECT_EQ(log.answers, std::vector<int32_t>{-1});
    EXPECT_EQ(instance.Core().consumed.Length(), 0);
    EXPECT_EQ(instance.Image().Width(), 24); // the placeholder
  }
}

TEST(PluginStream, DamagedStreamsAnswerMinusOneAndKeepWhatWasDecoded) {
  Browser browser;
  vuImageOwner grey, colour;
  LoadSample("camera.pgm", 80, 64, &grey);
  LoadSample("chelsea.ppm", 300, 300, &colour);

  // A first chunk length with its top bit set: the header step made the picture, the next write
  // is refused.
  std::vector<uint8_t> file = ClassicStream(grey, '5');
  const int dataOffset = (file[12] << 8) | file[13];
  file[dataOffset] = 0xFF;
  {
    TestInstance instance(browser);
    StreamLog log = instance.Stream(file);
    EXPECT_EQ(log.answers, (std::vector<int32_t>{14, -1}));
    EXPECT_EQ(instance.Image().Width(), 80);
  }

  // Bytes changed anywhere after the header in streams of both generations: every write answers
  // what it was given or -1, and the picture keeps the header's size.
  const std::vector<uint8_t> sources[] = {ClassicStream(colour, '6'), Wif2Stream(colour, true)};
  std::mt19937 random(11);
  for (const std::vector<uint8_t>& source : sources) {
    for (int trial = 0; trial < 12; ++trial) {
      std::vector<uint8_t> damaged = source;
      for (int k = 0; k < 8; ++k)
        damaged[64 + random() % (damaged.size() - 64)] = static_cast<uint8_t>(random());
      TestInstance instance(browser, NP_EMBED, 60, 60);
      const int piece = trial % 2 ? 0 : 997;
      StreamLog log = instance.Stream(damaged, piece);
      int64_t offset = 0;
      for (size_t i = 0; i < log.answers.size(); ++i) {
        const int64_t given =
            std::min<int64_t>(piece ? piece : log.ready[i], int64_t(damaged.size()) - offset);
        ASSERT_TRUE(log.answers[i] == given || log.answers[i] == -1) << log.answers[i];
        offset += given;
      }
      EXPECT_EQ(instance.Image().Width(), 300);
    }
  }
}
