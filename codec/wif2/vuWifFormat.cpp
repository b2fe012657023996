#include "codec/wif2/vuWifFormat.h"

#include <climits>
#include <cstdint>
#include <cstring>

const char kWifComment[] = "VU Ver2 , 1998";

namespace {
void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v & 0xFF);
  p[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}
int Get16(const uint8_t* p) {
  return p[0] | (p[1] << 8);
}
} // namespace

std::vector<uint8_t> vuWifWriteHeader(const vuWifParams& params, const std::string& comment) {
  std::vector<uint8_t> out(kWifHeaderBytes + comment.size(), 0);
  uint8_t* h = out.data();
  std::memcpy(h, "WIF2", 4);
  h[4] = static_cast<uint8_t>(params.version);
  h[5] = static_cast<uint8_t>(params.minorVersion);
  Put16(h + 6, kWifHeaderBytes);
  Put16(h + 8, static_cast<uint32_t>(params.width));
  Put16(h + 10, static_cast<uint32_t>(params.height));
  h[12] = static_cast<uint8_t>(params.levels);
  h[13] = static_cast<uint8_t>(params.quality);
  uint8_t flags = 0;
  if (params.colour) flags |= WIF_FLAG_COLOUR;
  if (params.fastFilter) flags |= WIF_FLAG_FAST;
  if (params.sampleBytes == 2) {
    flags |= WIF_FLAG_16BIT;
    h[15] = static_cast<uint8_t>(params.significantBits);
  }
  if (params.tiled) {
    flags |= WIF_FLAG_TILED;
    Put16(h + 16, static_cast<uint32_t>(params.tileWidth));
    Put16(h + 18, static_cast<uint32_t>(params.tileHeight));
  }
  if (params.hasExtraByte) {
    flags |= WIF_FLAG_EXTRA_BYTE;
    h[24] = params.extraByte;
  }
  if (params.hasTag) {
    flags |= WIF_FLAG_TAG;
    std::memcpy(h + 28, params.tag, 8);
  }
  h[14] = flags;
  Put16(h + 36, static_cast<uint32_t>(kWifHeaderBytes + comment.size()));
  std::memcpy(h + kWifHeaderBytes, comment.data(), comment.size());
  return out;
}

int vuWifParseHeader(const uint8_t* h, vuWifParams* params) {
  vuWifParams p;
  p.version = h[4];
  p.minorVersion = h[5];
  p.width = Get16(h + 8);
  p.height = Get16(h + 10);
  p.levels = h[12];
  p.quality = h[13];
  uint8_t flags = h[14];
  p.colour = (flags & WIF_FLAG_COLOUR) ? 1 : 0;
  p.fastFilter = (flags & WIF_FLAG_FAST) ? 1 : 0;
  p.sampleBytes = (flags & WIF_FLAG_16BIT) ? 2 : 1;
  p.significantBits = (flags & WIF_FLAG_16BIT) ? h[15] : 8;
  p.tiled = (flags & WIF_FLAG_TILED) ? 1 : 0;
  p.tileWidth = p.tiled ? Get16(h + 16) : p.width;
  p.tileHeight = p.tiled ? Get16(h + 18) : p.height;
  p.hasExtraByte = (flags & WIF_FLAG_EXTRA_BYTE) ? 1 : 0;
  p.extraByte = p.hasExtraByte ? h[24] : 0;
  p.hasTag = (flags & WIF_FLAG_TAG) ? 1 : 0;
  if (p.hasTag) std::memcpy(p.tag, h + 28, 8);
  *params = p;
  int comment = Get16(h + 36) - kWifHeaderBytes;
  return comment < 1 ? 0 : comment;
}

bool vuWifIsWif2(const uint8_t* bytes, size_t length) {
  return length >= 4 && std::memcmp(bytes, "WIF2", 4) == 0;
}

bool vuWifHeaderIsValid(const uint8_t* bytes) {
  vuWifParams p;
  vuWifParseHeader(bytes, &p);
  if (p.levels < 1 || p.levels > 7) return false;
  if (p.width < 1 || p.height < 1 || p.tileWidth < 1 || p.tileHeight < 1) return false;
  if (Get16(bytes + 36) < kWifHeaderBytes) return false;
  // Samples wider than 16 bits or narrower than 8 cannot be reconstructed.
  if (p.sampleBytes == 2 && (p.significantBits < 8 || p.significantBits > 16)) return false;
  return true;
}

void vuWifWriteChunkMarker(uint8_t* out, uint32_t length) {
  out[0] = kWifChunkMarker;
  out[1] = static_cast<uint8_t>((length >> 16) & 0xFF);
  out[2] = static_cast<uint8_t>((length >> 8) & 0xFF);
  out[3] = static_cast<uint8_t>(length & 0xFF);
}

uint32_t vuWifChunkLength(const uint8_t* marker) {
  return (uint32_t(marker[1]) << 16) | (uint32_t(marker[2]) << 8) | marker[3];
}

vuWifTiling vuWifMakeTiling(const vuWifParams& params) {
  vuWifTiling t;
  t.tileWidth = params.tileWidth;
  t.tileHeight = params.tileHeight;
  if (t.tileWidth < 1 || t.tileHeight < 1) return t;
  t.across = (params.width + t.tileWidth - 1) / t.tileWidth;
  t.down = (params.height + t.tileHeight - 1) / t.tileHeight;
  if (t.across < 1) t.across = 1;
  if (t.down < 1) t.down = 1;
  // 65535 x 65535 tiles of one pixel do not fit an int: such a tiling has no count (0).
  const int64_t count = int64_t(t.across) * t.down;
  t.count = count > INT_MAX ? 0 : static_cast<int>(count);
  return t;
}
