// Helpers of the WIF2 codec tests: test pictures, the codec's pixel buffers, encoding and decoding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/wif2/vuWifDecoder.h"
#include "codec/wif2/vuWifEncoder.h"
#include "support/TestSupport.h"

namespace wiftest {

using vutest::Picture;

// The codec's pixel buffer for a picture: packed rows as they lie in an image (the bottom row
// first), colour pixels blue, green, red, 16-bit samples little-endian.
std::vector<uint8_t> CodecRows(const Picture& picture);
// The picture that a codec buffer holds, shaped like `shape`.
Picture FromCodecRows(const std::vector<uint8_t>& rows, const Picture& shape);
int64_t CodecRowBytes(const Picture& picture);

// A bundled sample (camera.pgm, chelsea.ppm, astronaut.ppm) as its stored samples.
Picture LoadSample(const std::string& name);
// The sample widened to 16-bit samples with `bits` significant bits (the 8-bit value in the top
// bits, a fine pattern below).
Picture Widen(const Picture& picture, int bits);
// The first rows of the codec buffer, cut to `width`: the bottom-left corner of the picture
// (tiles of the mosaic and odd sizes come from it).
Picture Crop(const Picture& picture, int width, int height);

vuWifParams ParamsFor(const Picture& picture, int quality, bool fast, bool tiled, int levels = 5);
std::vector<uint8_t> Encode(const Picture& picture, const vuWifParams& params);
// Decodes all (with seam smoothing for tiled files) into the codec's packed rows; `params` gets
// the header's parameters.
std::vector<uint8_t> DecodeRows(const std::vector<uint8_t>& file, vuWifParams* params = nullptr);
// The same as a picture (empty when the header is refused).
Picture Decode(const std::vector<uint8_t>& file);
// Decodes tile by tile into packed rows, as a streaming client does (no seam smoothing);
// `lengths` (when given) gets the first chunk length and every tile call's answer, including one
// call past the last tile.
std::vector<uint8_t> DecodeTilesUnsmoothed(const std::vector<uint8_t>& file,
                                           std::vector<int64_t>* lengths = nullptr);
// Where each chunk of a file with the standard comment starts.
std::vector<size_t> ChunkOffsets(const std::vector<uint8_t>& file);
uint64_t Fnv1a(const std::vector<uint8_t>& bytes);

} // namespace wiftest
