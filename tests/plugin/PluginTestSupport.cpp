#include "PluginTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "../classic/ClassicTestEncoder.h"
#include "codec/vuClassicWif.h"
#include "codec/vuWifRW.h"
#include "codec/wif2/vuWifDecoder.h"
#include "formats/vuRegistry.h"
#include "support/TestSupport.h"

namespace plugintest {

namespace {

uint32_t BigEndian(const uint8_t* p, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i)
    v = (v << 8) | p[i];
  return v;
}

int SamplesPerPixel(const vuImage& image) {
  return image.format == BM_24BIT || image.format == BM_48BIT ? 3 : 1;
}
int SampleBytes(const vuImage& image) {
  return image.format == BM_16BIT_GRAY || image.format == BM_48BIT ? 2 : 1;
}

// Sample c (0 red or grey, 1 green, 2 blue) of pixel (x, y), y from the top.
int SampleAt(const vuImage& image, int x, int y, int c) {
  const int channels = SamplesPerPixel(image);
  const int bytes = SampleBytes(image);
  const int component = channels == 3 ? 2 - c : 0;
  const uint8_t* p =
      image.Row(image.Height() - 1 - y) + (int64_t(x) * channels + component) * bytes;
  return bytes == 2 ? p[0] | (p[1] << 8) : p[0];
}

void SetSampleAt(vuImage& image, int x, int y, int c, int value) {
  const int channels = SamplesPerPixel(image);
  const int bytes = SampleBytes(image);
  const int component = channels == 3 ? 2 - c : 0;
  uint8_t* p = image.Row(image.Height() - 1 - y) + (int64_t(x) * channels + component) * bytes;
  p[0] = static_cast<uint8_t>(value);
  if (bytes == 2) p[1] = static_cast<uint8_t>(value >> 8);
}

} // namespace

Browser::Browser(int screenDepth) {
  platform.screen.bitsPerPixel = screenDepth;
  previous_ = vuSetPlatform(&platform);
  plugin.size = sizeof plugin;
  browser.size = sizeof browser;
  browser.version = NP_VERSION_MINOR;
  EXPECT_EQ(NP_GetEntryPoints(&plugin), NPERR_NO_ERROR);
  EXPECT_EQ(NP_Initialize(&browser), NPERR_NO_ERROR);
}

Browser::~Browser() {
  NP_Shutdown();
  // The plug-in keeps two formats; the other tests of this program want them all again.
  vuFormatRegistry::Instance().Clear();
  vuRegisterStandardFormats(vuFormatRegistry::Instance());
  vuSetPlatform(previous_);
}

TestInstance::TestInstance(Browser& owner, uint16_t mode, int width, int height)
    : browser(owner), window(width, height) {
  char mime[] = "image/RAZizazed";
  EXPECT_EQ(browser.plugin.newp(mime, &npp, mode, 0, nullptr, nullptr, nullptr), NPERR_NO_ERROR);
  record.window = &window;
  record.width = static_cast<uint32_t>(width);
  record.height = static_cast<uint32_t>(height);
  EXPECT_EQ(browser.plugin.setwindow(&npp, &record), NPERR_NO_ERROR);
}

TestInstance::~TestInstance() {
  browser.plugin.destroy(&npp, nullptr);
}

vuImage& TestInstance::Image() {
  return *Core().image;
}

StreamLog TestInstance::Stream(const std::vector<uint8_t>& file, int piece, size_t stopAfter,
                               bool end) {
  StreamLog log;
  uint16_t type = 0;
  char mime[] = "image/RAZizazed";
  EXPECT_EQ(browser.plugin.newstream(&npp, mime, &stream, 0, &type), NPERR_NO_ERROR);
  EXPECT_EQ(type, NP_NORMAL);
  const size_t limit = std::min(stopAfter, file.size());
  size_t offset = 0;
  std::vector<uint8_t> copy(file.begin(), file.end());
  while (offset < limit) {
    const int32_t ready = browser.plugin.writeready(&npp, &stream);
    log.ready.push_back(ready);
    size_t size = piece > 0 ? size_t(piece) : size_t(std::max(ready, 0));
    size = std::min(size, limit - offset);
    if (size == 0) break;
    const int before = window.paints;
    const int32_t answer =
        browser.plugin.write(&npp, &stream, int32_t(offset), int32_t(size), copy.data() + offset);
    log.answers.push_back(answer);
    log.paints.push_back(window.paints - before);
    if (answer < 0) break;
    offset += size;
  }
  if (end) {
    EXPECT_EQ(browser.plugin.destroystream(&npp, &stream, NPRES_DONE), NPERR_NO_ERROR);
  }
  return log;
}

void LoadSample(const std::string& name, int width, int height, vuImage* image) {
  classictest::Picture picture;
  ASSERT_TRUE(classictest::ReadPnm(vutest::Sample(name), &picture)) << name;
  const bool colour = picture.channels == 3;
  ASSERT_EQ(
      image->AllocateBitmap(width, height, colour ? 0 : 256, colour ? BM_24BIT : BM_8BIT_GRAY), 1);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < picture.channels; ++c)
        SetSampleAt(*image, x, y, c, picture.At(x % picture.width, y % picture.height, c));
}

void Widen(const vuImage& image, int bits, vuImage* wide) {
  const bool colour = image.format == BM_24BIT;
  ASSERT_EQ(wide->AllocateBitmap(image.Width(), image.Height(), colour ? 0 : 256,
                                 colour ? BM_48BIT : BM_16BIT_GRAY),
            1);
  wide->sampleBits = bits;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x)
      for (int c = 0; c < (colour ? 3 : 1); ++c)
        SetSampleAt(*wide, x, y, c,
                    (SampleAt(image, x, y, c) << (bits - 8)) |
                        ((x + 3 * y) & ((1 << (bits - 8)) - 1)));
}

std::vector<uint8_t> Wif2Stream(const vuImage& image, bool tiled) {
  vuWifSaveOptions options;
  options.quality = 30;
  options.largeImage = tiled ? 1 : 0;
  if (SampleBytes(image) == 2) options.significantBits = image.sampleBits;
  std::vector<uint8_t> bytes;
  EXPECT_EQ(vuWifEncodeImage(image, options, &bytes), 0);
  return bytes;
}

std::vector<uint8_t> ClassicStream(const vuImage& image, char digit, bool shortForm,
                                   const std::string& comment) {
  classictest::Picture picture;
  picture.width = image.Width();
  picture.height = image.Height();
  picture.channels = SamplesPerPixel(image);
  const bool wide = SampleBytes(image) == 2;
  picture.maxValue = wide ? (1 << image.sampleBits) - 1 : 255;
  picture.samples.resize(size_t(picture.width) * picture.height * picture.channels);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      for (int c = 0; c < picture.channels; ++c)
        picture.At(x, y, c) = static_cast<uint16_t>(SampleAt(image, x, y, c));
  classictest::EncodeOptions options;
  options.digit = digit;
  options.shortForm = shortForm;
  options.comment = comment;
  options.levels = 4;
  options.coarseLevels = 1;
  if (wide) {
    options.revisionMajor = 4;
    options.revisionMinor = 7;
    options.sampleBytesField = 2;
    options.sampleBitsField = image.sampleBits;
  }
  return classictest::EncodeClassic(picture, options);
}

int ReaderDecode(const std::vector<uint8_t>& file, vuImage* image) {
  vutest::TempDir dir;
  const std::string path = dir.Path("stream.wif");
  vutest::WriteFileBytes(path, file);
  return vuReadClassicWif(path.c_str(), image, nullptr);
}

int Wif2TileDecode(const std::vector<uint8_t>& file, vuImage* image) {
  vuWifByteSource source{file.data(), file.size(), 0};
  vuWifDecoder decoder;
  const int created = decoder.Create(&source);
  if (created != 0) return created;
  const vuWifParams& p = decoder.Params();
  const vuBMFormat format = p.colour ? (p.sampleBytes == 2 ? BM_48BIT : BM_24BIT)
                                     : (p.sampleBytes == 2 ? BM_16BIT_GRAY : BM_8BIT_GRAY);
  if (!image->AllocateBitmap(p.width, p.height, p.colour ? 0 : 256, format)) return -3;
  if (p.sampleBytes == 2) image->sampleBits = p.significantBits;
  decoder.BindWithStride(image->bits, image->Stride());
  decoder.FirstChunkLength();
  for (int k = 0; k < decoder.TileCount(); ++k)
    decoder.DecodeTile(k);
  return 0;
}

std::vector<int32_t> ExpectedNeeds(const std::vector<uint8_t>& file) {
  std::vector<int32_t> needs{14};
  if (file.size() >= 40 && std::memcmp(file.data(), "WIF2", 4) == 0) {
    vuWifParams params;
    const int comment = vuWifParseHeader(file.data(), &params);
    const int tiles = vuWifMakeTiling(params).count;
    needs.push_back(40 - 14);
    needs.push_back(comment + 4);
    size_t position = 40 + size_t(comment);
    for (int t = 0; t < tiles && position + 4 <= file.size(); ++t) {
      const int32_t length = int32_t(BigEndian(file.data() + position + 1, 3));
      needs.push_back(t + 1 == tiles ? length - 4 : length);
      position += size_t(length);
    }
    return needs;
  }
  const bool longForm = file[1] == 'I';
  const int signature = longForm ? 4 : 2;
  const bool colour =
      (longForm ? file[3] : file[1]) == '6' || (longForm ? file[3] : file[1]) == '8';
  const int dataOffset = int(BigEndian(file.data() + signature + 8, 2));
  needs.push_back(dataOffset + 4 - 14);
  size_t position = size_t(dataOffset);
  const int chunks = colour ? 4 : 2;
  for (int c = 0; c < chunks; ++c) {
    // Each word counts its chunk and the word after it; the last chunk has none.
    const int32_t word = int32_t(BigEndian(file.data() + position, 4));
    needs.push_back(c + 1 == chunks ? word - 4 : word);
    position += size_t(word);
  }
  return needs;
}

bool SameImage(vuImage& a, vuImage& b, std::string* why) {
  return vutest::SamePixels(a, b, why);
}

} // namespace plugintest
