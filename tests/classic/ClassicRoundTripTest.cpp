// Photographs through the test encoder and back through the decoder, for every branch of the
// format: the strongest check that filters, scan orders, prediction and colour transform agree.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ClassicTestEncoder.h"
#include "ClassicTestHelpers.h"
#include "codec/classic/ClassicHeader.h"
#include "codec/classic/ClassicWifDecoder.h"
#include "support/TestSupport.h"

using namespace vu::classic;

using namespace classictest;

namespace {

// The picture with its 8-bit samples spread over `bits` bits.
Picture Widen(const Picture& source, int bits) {
  Picture out = source;
  out.maxValue = (1 << bits) - 1; // PSNR against the significant range
  for (auto& s : out.samples)
    s = uint16_t((s << (bits - 8)) | (s >> (16 - bits)));
  return out;
}

const Picture& Camera() {
  static Picture picture = [] {
    Picture p;
    EXPECT_TRUE(ReadPnm(vutest::Sample("camera.pgm"), &p));
    return p;
  }();
  return picture;
}

const Picture& Chelsea() {
  static Picture picture = [] {
    Picture p;
    EXPECT_TRUE(ReadPnm(vutest::Sample("chelsea.ppm"), &p));
    return p;
  }();
  return picture;
}

struct Branch {
  std::string name;
  Picture picture;
  EncodeOptions options;
  double minimumPsnr;
};

Branch Make(const std::string& name, const Picture& picture, EncodeOptions options,
            double minimumPsnr) {
  return Branch{name, picture, options, minimumPsnr};
}

std::vector<Branch> Branches() {
  Picture grey = Crop(Camera(), 180, 60, 128, 96);
  Picture greyOdd = Crop(Camera(), 200, 100, 127, 95);
  Picture colour = Crop(Chelsea(), 150, 60, 128, 96);
  Picture colourOdd = Crop(Chelsea(), 120, 80, 151, 101);
  std::vector<Branch> branches;
  EncodeOptions o;
  o.quantizerByte = 4; // base 6: step 2

  o.digit = '5', o.levels = 5, o.coarseLevels = 0;
  branches.push_back(Make("9/7 blocked grey L5 K0", grey, o, 45));
  o.digit = '6', o.levels = 4, o.coarseLevels = 1;
  branches.push_back(Make("9/7 blocked colour L4 K1", colour, o, 40));
  o.digit = '7', o.levels = 6, o.coarseLevels = 2;
  branches.push_back(Make("5/3 raster grey L6 K2 odd size", greyOdd, o, 45));
  o.digit = '8', o.levels = 5, o.coarseLevels = 0;
  branches.push_back(Make("5/3 raster colour L5 K0 odd size", colourOdd, o, 40));
  o.digit = '6', o.levels = 5, o.coarseLevels = 3;
  branches.push_back(Make("9/7 blocked colour L5 K3 odd size", colourOdd, o, 40));
  o.digit = '8', o.levels = 4, o.coarseLevels = 4; // chroma: coarse 3, arithmetic detail only
  branches.push_back(Make("5/3 raster colour K=L", colour, o, 40));
  o.digit = '5', o.levels = 3, o.coarseLevels = 5, o.preferTinyGroups = true;
  branches.push_back(Make("9/7 blocked grey all Rice, tiny groups", grey, o, 45));
  o.digit = '8', o.levels = 3, o.coarseLevels = 7, o.preferTinyGroups = false;
  branches.push_back(Make("5/3 raster colour all Rice", colourOdd, o, 40));
  o.digit = '5', o.levels = 1, o.coarseLevels = 0;
  branches.push_back(Make("9/7 blocked grey L1", greyOdd, o, 45));
  o.digit = '8', o.levels = 1, o.coarseLevels = 0;
  branches.push_back(Make("5/3 raster colour L1", colourOdd, o, 40));
  o.digit = '6', o.levels = 2, o.coarseLevels = 0, o.shortForm = true;
  branches.push_back(Make("9/7 blocked colour L2 short form", colourOdd, o, 40));
  o.digit = '7', o.levels = 3, o.coarseLevels = 1, o.shortForm = true;
  o.overlongFinalRuns = true, o.endSymbolTerminator = false, o.padGreyTail = false;
  branches.push_back(Make("5/3 raster grey, cut runs, bare tail", grey, o, 45));
  o = EncodeOptions();
  o.quantizerByte = 4;
  o.revisionMajor = 4, o.revisionMinor = 7, o.sampleBytesField = 2, o.sampleBitsField = 12;
  o.digit = '7', o.levels = 5, o.coarseLevels = 0;
  branches.push_back(Make("5/3 raster grey 16-bit P12", Widen(greyOdd, 12), o, 45));
  o.digit = '5', o.sampleBitsField = 0;
  branches.push_back(Make("9/7 blocked grey 16-bit P16", Widen(grey, 16), o, 45));
  o.digit = '6', o.levels = 4, o.coarseLevels = 1, o.sampleBitsField = 12;
  branches.push_back(Make("9/7 blocked colour 16-bit P12", Widen(colourOdd, 12), o, 40));
  o.digit = '8', o.levels = 5, o.coarseLevels = 0, o.sampleBitsField = 10;
  branches.push_back(Make("5/3 raster colour 16-bit P10", Widen(colour, 10), o, 40));
  o = EncodeOptions();
  o.digit = '5', o.revisionMajor = 3, o.revisionMinor = 6, o.quantizerByte = 6;
  o.comment = std::string(3000, 'c');
  branches.push_back(Make("9/7 blocked grey revision 3.6, long comment", grey, o, 45));
  return branches;
}

TEST(ClassicRoundTrip, EveryBranchGivesThePhotographBackAndPassesAgreeWithTheWholeFile) {
  for (const Branch& branch : Branches()) {
    SCOPED_TRACE(branch.name);
    std::vector<uint8_t> file = EncodeClassic(branch.picture, branch.options);
    Picture whole, passes;
    ASSERT_EQ(DecodeBytes(file, &whole), 0);
    ASSERT_EQ(DecodeByPasses(file, &passes), 0);
    EXPECT_EQ(MaxDifference(whole, passes), 0);
    double psnr = Psnr(branch.picture, whole);
    std::printf("PSNR %-45s %6.2f dB  (%zu bytes)\n", branch.name.c_str(), psnr, file.size());
    EXPECT_GE(psnr, branch.minimumPsnr);
  }
}

TEST(ClassicRoundTrip, CoarseLevelsFromZeroToBeyondTheLevelCountAllDecode) {
  Picture grey = Crop(Camera(), 300, 300, 40, 36);
  Picture colour = Crop(Chelsea(), 200, 100, 37, 29);
  for (char digit : {'5', '6', '7', '8'}) {
    for (int levels = 1; levels <= 6; ++levels) {
      for (int coarse = 0; coarse <= levels + 1; ++coarse) {
        EncodeOptions o;
        o.digit = digit;
        o.levels = levels;
        o.coarseLevels = coarse;
        o.quantizerByte = 2;
        bool color = digit == '6' || digit == '8';
        const Picture& picture = color ? colour : grey;
        std::vector<uint8_t> file = EncodeClassic(picture, o);
        Picture whole, passes;
        ASSERT_EQ(DecodeBytes(file, &whole), 0) << digit << " L" << levels << " K" << coarse;
        ASSERT_EQ(DecodeByPasses(file, &passes), 0) << digit << " L" << levels << " K" << coarse;
        EXPECT_EQ(MaxDifference(whole, passes), 0);
        EXPECT_GE(Psnr(picture, whole), 40.0) << digit << " L" << levels << " K" << coarse;
      }
    }
  }
}

TEST(ClassicRoundTrip, ShortAndLongSignaturesDecodeIdentically) {
  Picture colour = Crop(Chelsea(), 10, 10, 45, 33);
  Picture grey = Crop(Camera(), 10, 10, 45, 33);
  for (char digit : {'5', '6', '7', '8'}) {
    EncodeOptions o;
    o.digit = digit;
    o.levels = 3;
    const Picture& picture = (digit == '6' || digit == '8') ? colour : grey;
    std::vector<uint8_t> longForm = EncodeClassic(picture, o);
    o.shortForm = true;
    std::vector<uint8_t> shortForm = EncodeClassic(picture, o);
    // The same header block and data, two bytes of signature apart.
    ASSERT_EQ(longForm.size(), shortForm.size() + 2);
    Picture a, b;
    ASSERT_EQ(DecodeBytes(longForm, &a), 0);
    ASSERT_EQ(DecodeBytes(shortForm, &b), 0);
    EXPECT_EQ(MaxDifference(a, b), 0) << digit;
  }
}

TEST(ClassicRoundTrip, RevisionRulesForTheQuantizerBaseAndTheSampleFields) {
  Picture grey = Crop(Camera(), 0, 0, 16, 16);
  auto header = [&](int major, int minor, int bytesField, int bitsField) {
    EncodeOptions o;
    o.revisionMajor = major;
    o.revisionMinor = minor;
    o.quantizerByte = 10;
    o.sampleBytesField = bytesField;
    o.sampleBitsField = bitsField;
    o.levels = 2;
    std::vector<uint8_t> file = EncodeClassic(grey, o);
    ClassicHeader h;
    EXPECT_EQ(ParseClassicHeader(file.data(), file.size(), &h, true), 1);
    return h;
  };
  EXPECT_EQ(header(3, 6, 0, 0).quantizerBase, 10);
  EXPECT_EQ(header(3, 7, 0, 0).quantizerBase, 12);
  EXPECT_EQ(header(2, 9, 0, 0).quantizerBase, 10);
  EXPECT_EQ(header(4, 0, 0, 0).quantizerBase, 12);
  // Below 4.7 the sample fields are not used: byte 11 is reported, byte 10 is not.
  ClassicHeader old = header(4, 6, 2, 12);
  EXPECT_EQ(old.sampleBytes, 2);
  EXPECT_EQ(old.sampleBits, 0);
  EXPECT_EQ(old.EffectiveSampleBytes(), 1);
  ClassicHeader now = header(4, 7, 2, 0);
  EXPECT_EQ(now.sampleBits, 16);
  EXPECT_EQ(now.EffectiveSampleBytes(), 2);
  EXPECT_EQ(header(4, 10, 0, 0).EffectiveSampleBytes(), 1);

  // The old file decodes as 1-byte samples.
  EncodeOptions o;
  o.revisionMajor = 4, o.revisionMinor = 6, o.sampleBytesField = 2, o.levels = 2;
  std::vector<uint8_t> file = EncodeClassic(grey, o);
  Picture back;
  ASSERT_EQ(DecodeBytes(file, &back), 0);
  EXPECT_EQ(back.maxValue, 255);
  EXPECT_GE(Psnr(grey, back), 40.0);
}

TEST(ClassicRoundTrip, DerivedQuantities) {
  Picture grey = Crop(Camera(), 0, 0, 151, 101);
  EncodeOptions o;
  o.revisionMajor = 4, o.revisionMinor = 7, o.levels = 5, o.coarseLevels = 2;
  o.quantizerByte = 8, o.sampleBytesField = 2, o.sampleBitsField = 12;
  std::vector<uint8_t> file = EncodeClassic(Widen(grey, 12), o);
  ClassicHeader h;
  ASSERT_EQ(ParseClassicHeader(file.data(), file.size(), &h, true), 1);
  ClassicWifDecoder decoder;
  ASSERT_EQ(decoder.Open(h), 0);
  EXPECT_EQ(decoder.Layout().halfWidth, 80);
  EXPECT_EQ(decoder.Layout().halfHeight, 64);
  EXPECT_EQ(decoder.ArithmeticLevels(), 3);
  EXPECT_EQ(decoder.CoarseCount(), 80 * 64 / 16); // lowest band 5 x 4, and two levels
  EXPECT_EQ(decoder.Step(), float(10 * 16 * 0.3333333333333333));
  EXPECT_EQ(decoder.SampleBits(), 12);
  EXPECT_EQ(decoder.DataOffset(), 20);
}

} // namespace
