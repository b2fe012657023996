#include "plugin/PluginInstance.h"

#include <algorithm>
#include <limits>
#include <new>
#include <vector>

#include "imagelib/vuOSWinClass.h"

int gInstanceCount = 0;

namespace {

constexpr int kWif2HeaderBytes = 40;

int64_t BigEndian(const uint8_t* bytes, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i)
    value = (value << 8) | bytes[i];
  // A length word with its top bit set is a failure code, as the decoders answer it.
  return count == 4 ? int64_t(static_cast<int32_t>(value)) : int64_t(value);
}

bool Is16Bit(const vuImage& image) {
  return image.header && (image.format == BM_16BIT_GRAY || image.format == BM_48BIT);
}

} // namespace

PluginInstance::PluginInstance(NPP npp, uint16_t newMode) : instance(npp), mode(newMode) {
  image = new (std::nothrow) vuOSWinClass;
}

PluginInstance::~PluginInstance() {
  if (image) {
    image->Delete();
    delete image;
    image = nullptr;
  }
  wif2Driver.reset();
  classicDriver.reset();
  codecKind = CODEC_CLASSIC;
  consumed.Free();
  pending.Free();
}

void PluginInstance::NewStream() {
  // A new stream starts the decode afresh; the picture of an earlier stream stays until the new
  // header replaces it.
  started = 0;
  codecKind = CODEC_CLASSIC;
  needed = ClassicStreamDecoder::kFirstBytes;
  headerSize = ClassicStreamDecoder::kFirstBytes;
  pass = 0;
  classicDriver.reset();
  wif2Driver.reset();
  consumed.Free();
  pending.Free();
}

int32_t PluginInstance::WriteReady() const {
  const int64_t ready = int64_t(needed) - pending.Length();
  return static_cast<int32_t>(std::max<int64_t>(ready, std::numeric_limits<int32_t>::min()));
}

int32_t PluginInstance::Write(const uint8_t* buffer, int32_t len) {
  if (len < 0) len = 0;
  if (needed < 0) return -1;
  if (!pending.Append(buffer, len)) {
    needed = -1;
    return -1;
  }
  // Every step the pending bytes allow: a browser that hands over more than it was asked for
  // still gets the whole picture.
  while (DecodeStep()) {
  }
  return needed < 0 ? -1 : len;
}

bool PluginInstance::DecodeStep() {
  if (needed < 0 || pending.Length() < needed) return false;
  if (codecKind == CODEC_WIF2) return Wif2Step();
  return ClassicStep();
}

bool PluginInstance::Advance(int64_t next) {
  if (!ConsumeBytes(pending, consumed, needed)) {
    needed = -1;
    return false;
  }
  needed = next < 0 ? -1 : static_cast<int32_t>(std::min<int64_t>(next, INT32_MAX));
  return true;
}

void PluginInstance::HeaderDone(int headerBytes, int64_t wanted) {
  headerSize = headerBytes;
  pass = 0;
  if (!Advance(wanted)) return;
  pass = 1;
  started = 1;
}

bool PluginInstance::JoinConsumed(size_t count, std::vector<uint8_t>* bytes) const {
  try {
    bytes->assign(consumed.Data(), consumed.Data() + consumed.Length());
    bytes->insert(bytes->end(), pending.Data(), pending.Data() + count);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool PluginInstance::CreateImage(int width, int height, int bitCount, int sampleBits) {
  if (!image || width < 1 || height < 1) return false;
  if (!BitmapAccessor::FitsModel(width, height, bitCount)) {
    image->Delete();
    return false;
  }
  switch (bitCount) {
  case 8:
    image->Create(width, height, 8, 256);
    break;
  case 24:
    image->Create(width, height, 24, 0);
    break;
  case 16:
    image->AllocateBitmap(width, height, 256, BM_16BIT_GRAY);
    break;
  case 48:
    image->AllocateBitmap(width, height, 0, BM_48BIT);
    break;
  default:
    image->Delete();
    return false;
  }
  if (!image->header) return false;
  image->sampleBits = bitCount == 16 || bitCount == 48 ? sampleBits : 0;
  image->InitializePos();
  image->useAlternate = 0;
  return true;
}

// --- Older-generation streams ---

bool PluginInstance::ClassicStep() {
  if (started == 0)
    ClassicHeaderStep();
  else
    ClassicPassStep();
  return true;
}

void PluginInstance::ClassicHeaderStep() {
  const uint8_t* p = pending.Data();
  if (p[0] != 'W') {
    needed = -1; // no WIF stream
    return;
  }
  const bool longForm = p[1] == 'I' && p[2] == 'F';
  const int base = longForm ? 2 : 0;
  const uint8_t version = longForm ? p[3] : p[1];
  if (version == '2') {
    // Only the long form names a WIF2 file; its header step waits for 40 bytes.
    if (!longForm) {
      needed = -1;
      return;
    }
    codecKind = CODEC_WIF2;
    needed = kWif2HeaderBytes;
    return;
  }
  int bitCount = 0;
  if (version == '5' || version == '7') {
    bitCount = 8;
    colour = 0;
  } else if (version == '6' || version == '8') {
    bitCount = 24;
    colour = 1;
  } else {
    needed = -1;
    return;
  }
  const int width = static_cast<int>(BigEndian(p + base + 4, 2));
  const int height = static_cast<int>(BigEndian(p + base + 6, 2));
  auto driver = std::unique_ptr<ClassicStreamDecoder>(new (std::nothrow) ClassicStreamDecoder);
  if (!driver || driver->Start(p, static_cast<size_t>(needed)) != 0 ||
      !CreateImage(width, height, bitCount, 0)) {
    needed = -1;
    return;
  }
  classicDriver = std::move(driver);
  HeaderDone(ClassicStreamDecoder::kFirstBytes, classicDriver->Wanted());
}

void PluginInstance::ClassicPassStep() {
  const uint8_t* p = pending.Data();
  const size_t length = static_cast<size_t>(needed);
  int64_t r = -2;
  if (pass == 1) {
    // The whole header is here now (the first 14 bytes were consumed): the decoder is built from
    // it, and a file of 2-byte samples gets its 16-bit picture.
    std::vector<uint8_t> header;
    if (JoinConsumed(length - 4, &header) &&
        classicDriver->CompleteHeader(header.data(), header.size()) == 0) {
      const ClassicHeader& h = classicDriver->Header();
      bool ready = true;
      if (h.EffectiveSampleBytes() == 2)
        ready = CreateImage(h.width, h.height, colour ? 48 : 16, h.EffectiveSampleBits());
      if (ready) {
        classicDriver->Bind(image->bits, image->Stride());
        r = BigEndian(p + length - 4, 4);
      }
    }
  } else {
    r = classicDriver->RunPass(pass - 2, p, length);
  }
  // The last chunk is followed by no length word.
  const bool lastChunk = colour ? pass == 4 : pass == 2;
  if (lastChunk && r >= 0) r -= 4;
  if (!Advance(r)) return;
  if (pass >= 2) ShowStep();
  ++pass;
  if (pass == (colour ? 6 : 4)) needed = -1;
}

// --- WIF2 streams ---

bool PluginInstance::Wif2Step() {
  if (started == 0)
    Wif2HeaderStep();
  else
    Wif2PassStep();
  return true;
}

void PluginInstance::Wif2HeaderStep() {
  auto driver = std::unique_ptr<Wif2StreamDecoder>(new (std::nothrow) Wif2StreamDecoder);
  if (!driver || driver->Start(pending.Data()) != 0) {
    needed = -1;
    return;
  }
  const vuWifParams& params = driver->Params();
  wif2Header = Wif2HeaderInfo{params.width, params.height, params.colour};
  colour = params.colour;
  const int bitCount = (colour ? 24 : 8) * params.sampleBytes;
  if (!CreateImage(params.width, params.height, bitCount, params.significantBits)) {
    needed = -1;
    return;
  }
  wif2Driver = std::move(driver);
  HeaderDone(kWif2HeaderBytes, wif2Driver->Wanted());
}

void PluginInstance::Wif2PassStep() {
  const uint8_t* p = pending.Data();
  const size_t length = static_cast<size_t>(needed);
  int64_t r = -1;
  if (pass == 1) {
    // The header (consumed), the comment and the first chunk's marker.
    std::vector<uint8_t> bytes;
    r = JoinConsumed(length, &bytes)
            ? wif2Driver->CompleteHeader(bytes.data(), bytes.size(), image->bits, image->Stride())
            : -3;
  } else if (pass - 2 < wif2Driver->TileCount()) {
    r = wif2Driver->DecodeTile(pass - 2, p, length);
  }
  if (!Advance(r)) return;
  if (pass >= 2) ShowStep();
  ++pass;
}

// --- Showing the picture ---

void PluginInstance::ShowStep() {
  // A 16-bit picture is shown through its 8-bit copy of the top significant bits.
  if (Is16Bit(*image)) {
    const int shift = std::max(image->sampleBits - 8, 0);
    image->useAlternate =
        image->CreateAlt16bitImage(shift, std::max(image->sampleBits - 1, 7)) == 1 ? 1 : 0;
  }
  Repaint();
}

void PluginInstance::EndOfStream() {
  while (DecodeStep()) {
  }
  if (started == 1 && image && image->header) {
    Repaint();
    BuildDisplayPalette();
    palettePending = 0;
    RealizePalette(gInstanceCount > 1);
  } else {
    ShowPlaceholder();
  }
}

void PluginInstance::BuildDisplayPalette() {
  const bool paletteScreen = vuPlatform().screen.bitsPerPixel <= 8;
  if (paletteScreen && image->Depth() == 24) {
    const bool made = image->Create8bitColor(256, CR_MEDIAN_CUT) == 1 && image->altPalette &&
                      image->CreateRGBPalette(256, image->altPalette) == 1;
    if (made) vuDrawDibSetPalette(image->hDrawDib, image->hPalette);
    image->useAlternate = made ? 1 : 0;
  } else if (image->Depth() == 8) {
    if (image->CreateRGBPalette(image->TableEntries(), image->palette) == 1)
      vuDrawDibSetPalette(image->hDrawDib, image->hPalette);
    image->useAlternate = 0;
  } else if (Is16Bit(*image) && image->altHeader) {
    // The 8-bit copy is what is shown; a grey copy brings its grey palette.
    if (image->altHeader->bitCount == 8 && image->altPalette &&
        image->CreateRGBPalette(256, image->altPalette) == 1)
      vuDrawDibSetPalette(image->hDrawDib, image->hPalette);
    image->useAlternate = 1;
  } else {
    image->useAlternate = 0;
  }
}

void PluginInstance::ShowPlaceholder() {
  if (!image) return;
  // Light grey, so a page shows where the picture would have been.
  if (!CreateImage(24, 24, 8, 0)) return;
  for (int i = 0; i < 24 * 24; ++i)
    image->StreamColor(192);
  if (image->CreateRGBPalette(256, image->palette) == 1)
    vuDrawDibSetPalette(image->hDrawDib, image->hPalette);
  started = 1;
  palettePending = 0;
  image->useAlternate = 0;
  RealizePalette(true);
  Repaint();
}
