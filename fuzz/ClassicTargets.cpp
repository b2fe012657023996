// The older-generation WIF decoder: a whole file at once, and pass by pass over the bytes as a
// streaming client receives them.
#include <cstring>
#include <vector>

#include "codec/classic/ClassicWifDecoder.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"
#include "imagelib/BitmapAccessor.h"

namespace vu::fuzz {

namespace {

using classic::ClassicMemorySource;
using classic::ClassicWifDecoder;

int BitsPerPixel(const ClassicHeader& header) {
  return (header.color ? 24 : 8) * header.EffectiveSampleBytes();
}

int64_t StrideOf(const ClassicHeader& header) {
  return BitmapAccessor::Stride(header.width, BitsPerPixel(header));
}

// Decoding works on the padded picture and keeps about eleven bytes per quarter pixel: pictures
// past the decoded-size limit are left alone, and so are rows no bitmap can hold (the image
// glue refuses those before the decoder sees them).
bool TooLargeToDecode(const ClassicHeader& header) {
  return StrideOf(header) <= 0 || DecodedBytes(header.width, header.height, BitsPerPixel(header)) > kMaxDecodedBytes ||
         int64_t(header.width) * header.height > kMaxDecodedBytes / 2;
}

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// Whole-file decode into rows of the header's format; the result of Decode.
int DecodeWhole(const uint8_t* data, size_t size, const ClassicHeader& header,
                std::vector<uint8_t>* rows) {
  ClassicWifDecoder decoder;
  const int opened = decoder.Open(header);
  VU_FUZZ_CHECK(opened == 0 || opened == -2 || opened == -3);
  if (opened != 0) return opened;
  rows->assign(static_cast<size_t>(StrideOf(header) * header.height), 0);
  decoder.Bind(rows->data(), StrideOf(header));
  ClassicMemorySource source(data, size);
  const int result = decoder.Decode(source);
  VU_FUZZ_CHECK(result <= 0);
  return result;
}

} // namespace

int ClassicDecode(const uint8_t* data, size_t size) {
  ClassicHeader header;
  if (ParseClassicHeader(data, size, &header, true) != 1) return -2;
  if (CheckClassicHeader(header) != 0) return -2;
  if (TooLargeToDecode(header)) return kSkipped;
  std::vector<uint8_t> rows;
  return DecodeWhole(data, size, header, &rows);
}

// As a streaming client: the first 14 bytes give the data offset; the header, the comment and
// the first chunk length word come next; then each chunk length word says how many bytes the
// next pass needs (4 fewer for the last chunk, which no word follows). When every pass used
// exactly its chunk, the picture must be the one the whole-file decode makes.
int ClassicPasses(const uint8_t* data, size_t size) {
  constexpr size_t kFirst = 14;
  if (size < kFirst) return -2;
  const int dataOffset = ClassicDataOffset(data, kFirst);
  if (dataOffset < 0) return dataOffset;
  size_t position = static_cast<size_t>(dataOffset) + 4;
  if (position > size) return -2;
  ClassicHeader header;
  if (ParseClassicHeader(data, static_cast<size_t>(dataOffset), &header, true) != 1) return -2;
  if (CheckClassicHeader(header) != 0) return -2;
  if (TooLargeToDecode(header)) return kSkipped;

  ClassicWifDecoder decoder;
  const int opened = decoder.Open(data, static_cast<size_t>(dataOffset));
  VU_FUZZ_CHECK(opened == 0 || opened == -2 || opened == -3);
  if (opened != 0) return opened;
  const int64_t stride = StrideOf(header);
  std::vector<uint8_t> rows(static_cast<size_t>(stride * header.height), 0);
  decoder.Bind(rows.data(), stride);

  int64_t chunk = static_cast<int32_t>(BigEndian32(data + dataOffset));
  bool exact = true;
  for (int pass = 0; pass < decoder.PassCount(); ++pass) {
    const int64_t wanted = pass + 1 == decoder.PassCount() ? chunk - 4 : chunk;
    if (wanted < 0 || static_cast<uint64_t>(wanted) > size - position) return -2;
    ClassicMemorySource source(data + position, static_cast<size_t>(wanted));
    const int result = decoder.RunPass(pass, source);
    if (result < 0) return result;
    VU_FUZZ_CHECK(pass + 1 < decoder.PassCount() || result == 0);
    if (source.Position() != wanted) exact = false;
    position += static_cast<size_t>(wanted);
    chunk = result;
  }
  VU_FUZZ_CHECK(decoder.RunPass(decoder.PassCount(), data, size) < 0);
  if (!exact) return 0;
  std::vector<uint8_t> whole;
  VU_FUZZ_CHECK(DecodeWhole(data, size, header, &whole) == 0);
  VU_FUZZ_CHECK(whole == rows);
  return 0;
}

} // namespace vu::fuzz
