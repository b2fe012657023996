#include "ClassicTestHelpers.h"

#include <cstdlib>

#include "codec/classic/ClassicWifDecoder.h"

using namespace vu::classic;

namespace classictest {

namespace {

// Converts the decoder's bottom-up rows (blue, green, red) into a top-first picture.
void FromRows(const std::vector<uint8_t>& rows, int64_t stride, const ClassicWifDecoder& decoder,
              bool color, Picture* picture) {
  const ClassicLayout& layout = decoder.Layout();
  int bytes = decoder.SampleBytes();
  picture->width = layout.width;
  picture->height = layout.height;
  picture->channels = color ? 3 : 1;
  picture->maxValue = bytes == 2 ? 65535 : 255;
  picture->samples.assign(size_t(layout.width) * layout.height * picture->channels, 0);
  for (int y = 0; y < layout.height; ++y) {
    const uint8_t* row = rows.data() + int64_t(layout.height - 1 - y) * stride;
    for (int x = 0; x < layout.width; ++x) {
      for (int c = 0; c < picture->channels; ++c) {
        int component = color ? 2 - c : 0;
        const uint8_t* p = row + (int64_t(x) * picture->channels + component) * bytes;
        picture->At(x, y, c) = bytes == 2 ? uint16_t(p[0] | (p[1] << 8)) : p[0];
      }
    }
  }
}

int64_t StrideOf(const ClassicHeader& header) {
  int64_t rowBytes = int64_t(header.width) * (header.color ? 3 : 1) * header.EffectiveSampleBytes();
  return (rowBytes + 3) / 4 * 4;
}

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

} // namespace

int DecodeBytes(const std::vector<uint8_t>& file, Picture* picture) {
  ClassicHeader header;
  if (ParseClassicHeader(file.data(), file.size(), &header, true) != 1) return -2;
  ClassicWifDecoder decoder;
  int result = decoder.Open(header);
  if (result != 0) return result;
  int64_t stride = StrideOf(header);
  std::vector<uint8_t> rows(static_cast<size_t>(stride * header.height), 0);
  decoder.Bind(rows.data(), stride);
  ClassicMemorySource source(file.data(), file.size());
  result = decoder.Decode(source);
  if (result == 0) FromRows(rows, stride, decoder, header.color != 0, picture);
  return result;
}

int DecodeByPasses(const std::vector<uint8_t>& file, Picture* picture,
                   std::vector<int64_t>* needed) {
  std::vector<int64_t> counts;
  const size_t kFirst = 14;
  if (file.size() < kFirst) return -2;
  counts.push_back(kFirst);
  int dataOffset = ClassicDataOffset(file.data(), kFirst);
  if (dataOffset < 0) return dataOffset;
  // The rest of the header and comment, and the first chunk length word.
  size_t position = size_t(dataOffset) + 4;
  counts.push_back(int64_t(position) - int64_t(kFirst));
  if (file.size() < position) return -2;

  ClassicHeader header;
  if (ParseClassicHeader(file.data(), size_t(dataOffset), &header, true) != 1) return -2;
  ClassicWifDecoder decoder;
  int result = decoder.Open(file.data(), size_t(dataOffset));
  if (result != 0) return result;
  int64_t stride = StrideOf(header);
  std::vector<uint8_t> rows(static_cast<size_t>(stride * header.height), 0);
  decoder.Bind(rows.data(), stride);

  int64_t chunk = int32_t(BigEndian32(file.data() + dataOffset));
  for (int pass = 0; pass < decoder.PassCount(); ++pass) {
    // Each word counts its chunk and the word after it; the last chunk has no word after it.
    int64_t want = pass + 1 == decoder.PassCount() ? chunk - 4 : chunk;
    if (want < 0 || position + size_t(want) > file.size()) return -2;
    counts.push_back(want);
    int r = decoder.RunPass(pass, file.data() + position, size_t(want));
    if (r < 0) return r;
    position += size_t(want);
    chunk = r;
  }
  if (needed) *needed = counts;
  FromRows(rows, stride, decoder, header.color != 0, picture);
  return 0;
}

} // namespace classictest
