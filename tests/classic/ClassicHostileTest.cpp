// Damaged and hostile older-generation WIF files: every one must end with a clean negative result
// (or, where the format cannot tell, a picture), never a crash, an exit or a hang.
#include <gtest/gtest.h>

#include <vector>

#include "ClassicTestEncoder.h"
#include "ClassicTestHelpers.h"
#include "codec/classic/ClassicHeader.h"
#include "codec/classic/ClassicWifDecoder.h"
#include "codec/vuClassicWif.h"
#include "support/TestSupport.h"

using namespace vu::classic;

using namespace classictest;

namespace {

Picture Gradient(int width, int height, int channels) {
  Picture p;
  p.width = width;
  p.height = height;
  p.channels = channels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < channels; ++c)
        p.samples.push_back(uint16_t((x * 7 + y * 5 + c * 60 + (x * y) % 13) & 0xFF));
  return p;
}

std::vector<uint8_t> Encode(char digit, int levels, int coarse, int width = 24, int height = 17) {
  EncodeOptions o;
  o.digit = digit;
  o.levels = levels;
  o.coarseLevels = coarse;
  o.quantizerByte = 3;
  return EncodeClassic(Gradient(width, height, digit == '6' || digit == '8' ? 3 : 1), o);
}

uint32_t Word(const std::vector<uint8_t>& f, size_t at) {
  return (uint32_t(f[at]) << 24) | (uint32_t(f[at + 1]) << 16) | (uint32_t(f[at + 2]) << 8) |
         f[at + 3];
}

void PutWord(std::vector<uint8_t>& f, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    f[at + size_t(i)] = uint8_t(value >> (24 - 8 * i));
}

// Offsets of the chunk length words (the first at the data offset).
std::vector<size_t> WordOffsets(const std::vector<uint8_t>& file) {
  ClassicHeader h;
  EXPECT_EQ(ParseClassicHeader(file.data(), file.size(), &h, true), 1);
  std::vector<size_t> offsets;
  size_t at = size_t(h.dataOffset);
  int passes = h.color ? 4 : 2;
  for (int i = 0; i < passes; ++i) {
    offsets.push_back(at);
    at += Word(file, at);
  }
  return offsets;
}

TEST(ClassicHostile, TruncationAnywhereGivesANegativeResult) {
  for (char digit : {'5', '6', '7', '8'}) {
    for (int coarse : {0, 1, 4}) {
      std::vector<uint8_t> file = Encode(digit, 3, coarse);
      Picture picture;
      ASSERT_EQ(DecodeBytes(file, &picture), 0);
      for (size_t length = 0; length < file.size(); ++length) {
        std::vector<uint8_t> cut(file.begin(), file.begin() + long(length));
        int result = DecodeBytes(cut, &picture);
        EXPECT_TRUE(result == -2 || result == -3)
            << digit << " K" << coarse << " cut at " << length << " gave " << result;
      }
    }
  }
}

TEST(ClassicHostile, ChunkWordWithTheTopBitAfterTheFirstPassIsTheResult) {
  std::vector<uint8_t> file = Encode('5', 3, 0);
  auto words = WordOffsets(file);
  Picture picture;
  PutWord(file, words[1], 0xFFFFFFFEu);
  EXPECT_EQ(DecodeBytes(file, &picture), -2);
  PutWord(file, words[1], 0x80000000u);
  EXPECT_EQ(DecodeBytes(file, &picture), int(0x80000000u));
  // The streaming pass reports the same word.
  EXPECT_EQ(DecodeByPasses(file, &picture), int(0x80000000u));
}

TEST(ClassicHostile, LaterWordsOfAColourFileAreNotTheFileDecodersConcern) {
  std::vector<uint8_t> file = Encode('8', 3, 0);
  Picture good, picture;
  ASSERT_EQ(DecodeBytes(file, &good), 0);
  auto words = WordOffsets(file);
  PutWord(file, words[2], 0xFFFFFFFFu);
  ASSERT_EQ(DecodeBytes(file, &picture), 0);
  EXPECT_EQ(MaxDifference(good, picture), 0);
  // A streaming client stops there: the pass answers the word.
  EXPECT_LT(DecodeByPasses(file, &picture), 0);
}

// A grey L = 1 file built by hand: header, then chunk 0 (M, Rice groups, marker) and chunk 1
// (the detail part's bytes as given).
std::vector<uint8_t> HandMade(char digit, int width, int height,
                              const std::vector<uint8_t>& lowRice,
                              const std::vector<std::vector<uint8_t>>& later) {
  std::vector<uint8_t> file = {'W',  'I',
                               'F',  uint8_t(digit),
                               5,    0,
                               0,    uint8_t(width),
                               0,    uint8_t(height),
                               0x01, 8,
                               0,    20,
                               0,    0,
                               0,    0,
                               0,    0};
  std::vector<std::vector<uint8_t>> chunks;
  std::vector<uint8_t> chunk0 = {0, 100};
  chunk0.insert(chunk0.end(), lowRice.begin(), lowRice.end());
  chunk0.push_back(0xFF);
  chunks.push_back(chunk0);
  chunks.insert(chunks.end(), later.begin(), later.end());
  for (auto& chunk : chunks) {
    size_t at = file.size();
    file.resize(at + 4);
    PutWord(file, at, uint32_t(chunk.size() + 4));
    file.insert(file.end(), chunk.begin(), chunk.end());
  }
  return file;
}

// Rice groups of sixteen zeros in tiny mode: 111 then six 1 bits, a byte and a bit each.
std::vector<uint8_t> ZeroGroups(int groups) {
  std::vector<uint8_t> bytes;
  int bit = 0;
  for (int g = 0; g < groups; ++g) {
    for (int i = 0; i < 9; ++i, ++bit) {
      if (bit % 8 == 0) bytes.push_back(0);
      bytes.back() |= uint8_t(1 << (bit % 8));
    }
  }
  return bytes;
}

TEST(ClassicHostile, HandMadeFileDecodesAndItsDamagedTwinsFail) {
  // 8 x 8 grey, L = 1: a 4 x 4 low quarter (one group), detail bands by arithmetic code.
  // Three runs of 0 + 4 x 2 + 1 x 8 = 16 zeros.
  auto detail = EncodeSymbolStages({{3, 3, 0}, {3, 3, 0}, {3, 3, 0}});
  std::vector<uint8_t> good = HandMade('5', 8, 8, ZeroGroups(1), {detail});
  Picture picture;
  ASSERT_EQ(DecodeBytes(good, &picture), 0);
  // M = 100 in the first coefficient only: the picture is not flat, but has no detail.
  ASSERT_EQ(DecodeByPasses(good, &picture), 0);

  // Token 0 where the first token must start.
  auto token0 = EncodeSymbolStages({{0, 4}});
  EXPECT_EQ(DecodeBytes(HandMade('5', 8, 8, ZeroGroups(1), {token0}), &picture), -3);
  // The end symbol where a token must start.
  auto end = EncodeSymbolStages({{-1, -1, -1}});
  EXPECT_EQ(DecodeBytes(HandMade('7', 8, 8, ZeroGroups(1), {end}), &picture), -3);
  // A tiny-value group spelling 30 digits before its sixteenth stop.
  std::vector<uint8_t> overflow = {0x07, 0x00, 0x00, 0x00, 0x00, 0x00}; // 111, then 0,00,00 ...
  EXPECT_EQ(DecodeBytes(HandMade('5', 8, 8, overflow, {detail}), &picture), -2);
}

TEST(ClassicHostile, InvalidTokenInAChromaPassFailsTheDecode) {
  // Colour L = 1, 8 x 8: chroma passes carry M, one Rice group, a marker, then the arithmetic
  // detail continued to a marker. The last pass holds token 0.
  std::vector<uint8_t> file = Encode('8', 1, 0, 8, 8);
  auto words = WordOffsets(file);
  Picture good;
  ASSERT_EQ(DecodeBytes(file, &good), 0);
  std::vector<uint8_t> bad(file.begin(), file.begin() + long(words[3]));
  std::vector<uint8_t> chunk = {0, 3};
  auto zeros = ZeroGroups(1);
  chunk.insert(chunk.end(), zeros.begin(), zeros.end());
  chunk.push_back(0xFF);
  auto token0 = EncodeSymbolStages({{1, 1}});
  chunk.insert(chunk.end(), token0.begin(), token0.end());
  chunk.push_back(0xFF);
  bad.resize(bad.size() + 4);
  PutWord(bad, words[3], uint32_t(chunk.size() + 4));
  bad.insert(bad.end(), chunk.begin(), chunk.end());
  Picture picture;
  EXPECT_EQ(DecodeBytes(bad, &picture), -3);
  EXPECT_EQ(DecodeByPasses(bad, &picture), -3);
}

TEST(ClassicHostile, HeadersTheDecoderCannotWorkWithAreRefused) {
  std::vector<uint8_t> file = Encode('5', 3, 0);
  Picture picture;
  auto with = [&](size_t at, uint8_t value) {
    std::vector<uint8_t> f = file;
    f[at] = value;
    return DecodeBytes(f, &picture);
  };
  EXPECT_EQ(with(3, '4'), -2);
  EXPECT_EQ(with(3, '9'), -2);
  EXPECT_EQ(with(3, '2'), -2);
  EXPECT_EQ(with(1, 'X'), -2);
  EXPECT_EQ(with(0, 'V'), -2);
  EXPECT_EQ(with(10, 0x00), -2); // levels 0
  EXPECT_EQ(with(10, 0x0F), -2); // 15 levels on a 24 x 17 picture
  EXPECT_EQ(with(7, 0), -2);     // width 0
  EXPECT_EQ(with(9, 0), -2);     // height 0
  EXPECT_EQ(with(13, 10), -2);   // data offset inside the header block
  // Revision 4.7 and later: three sample bytes, or more than 16 sample bits on 2-byte samples.
  std::vector<uint8_t> f = file;
  f[4] = 4, f[5] = 7, f[15] = 3;
  EXPECT_EQ(DecodeBytes(f, &picture), -2);
  f[15] = 2, f[14] = 17;
  EXPECT_EQ(DecodeBytes(f, &picture), -2);
}

TEST(ClassicHostile, PicturesPastTheImageModelAreRefusedBeforeAnImageIsMade) {
  // A row longer than the image model holds: 40000 x 1 colour. The codec could decode it; the
  // reader that would make the image refuses it as bad data and leaves the image empty.
  ClassicHeader h;
  std::vector<uint8_t> wide = Encode('6', 1, 0);
  wide[6] = 40000 >> 8, wide[7] = 40000 & 0xFF;
  ASSERT_EQ(ParseClassicHeader(wide.data(), wide.size(), &h, true), 1);
  EXPECT_EQ(CheckClassicHeader(h), 0);
  vutest::TempDir dir;
  const std::string path = dir.Path("wide.wif");
  vutest::WriteFileBytes(path, wide);
  vutest::ScopedImage image;
  EXPECT_EQ(vuReadClassicWif(path.c_str(), &image, nullptr), -2);
  EXPECT_EQ(image.header, nullptr);
  ClassicHeader facts;
  EXPECT_EQ(vuClassicWifHeader(path.c_str(), &facts), -2);
}

TEST(ClassicHostile, PassesOutOfOrderOrBeforeOpenAreRefused) {
  ClassicWifDecoder unopened;
  const uint8_t bytes[8] = {};
  EXPECT_EQ(unopened.RunPass(0, bytes, sizeof bytes), -2);
  std::vector<uint8_t> file = Encode('5', 2, 0);
  ClassicHeader h;
  ASSERT_EQ(ParseClassicHeader(file.data(), file.size(), &h, true), 1);
  ClassicWifDecoder decoder;
  ASSERT_EQ(decoder.Open(h), 0);
  EXPECT_EQ(decoder.RunPass(1, bytes, sizeof bytes), -2);
  EXPECT_EQ(decoder.RunPass(0, bytes, 0), -2); // no data at all
}

// True when the four bytes of `word` stand somewhere in the file (big-endian): a failure other
// than -2 and -3 is a chunk length word the decoder read.
bool HoldsWord(const std::vector<uint8_t>& file, int word) {
  for (size_t at = 0; at + 4 <= file.size(); ++at)
    if (int(Word(file, at)) == word) return true;
  return false;
}

TEST(ClassicHostile, DamagedDataEndsInAPictureOrADocumentedFailure) {
  uint32_t seed = 12345;
  for (char digit : {'5', '6', '7', '8'}) {
    for (int coarse : {0, 2, 5}) {
      SCOPED_TRACE(std::string("digit ") + digit + " K" + std::to_string(coarse));
      const std::vector<uint8_t> file = Encode(digit, 3, coarse, 33, 21);
      int pictures = 0;
      // The header stays: the data is damaged.
      vutest::ForEachDamagedCopy(
          file, {.rounds = 60, .seed = ++seed, .truncations = false, .keepBytes = 20},
          [&](const std::vector<uint8_t>& f) {
            Picture whole, passes;
            const int result = DecodeBytes(f, &whole);
            EXPECT_TRUE(result == 0 || result == -2 || result == -3 || HoldsWord(f, result))
                << result;
            if (result == 0) {
              ++pictures;
              EXPECT_EQ(whole.samples.size(), size_t(33 * 21 * whole.channels));
            }
            const int streamed = DecodeByPasses(f, &passes);
            EXPECT_TRUE(streamed == 0 || streamed == -2 || streamed == -3 || HoldsWord(f, streamed))
                << streamed;
          });
      EXPECT_GT(pictures, 0);
    }
  }
}

TEST(ClassicHostile, DamagedFilesLoadWholeOrLeaveTheImageEmpty) {
  vutest::TempDir dir;
  uint32_t seed = 500;
  for (char digit : {'5', '8'}) {
    vutest::ExpectBothOutcomes(vutest::LoadDamagedCopies(
        Encode(digit, 3, 1, 33, 21), dir.Path("damaged.wif"), {.rounds = 120, .seed = ++seed}));
  }
}

} // namespace
