#include "codec/classic/ClassicWifDecoder.h"

#include <algorithm>
#include <new>

#include "codec/classic/ClassicSynthesis.h"
#include "codec/classic/RiceDecoder.h"
#include "codec/classic/StageDecoder.h"

namespace vu::classic {

namespace {

// Working memory of a decode: the expanse and the low-quarter plane (4 bytes a coefficient) and
// three byte planes. Above this the file is refused as short of memory rather than attempted.
constexpr int64_t kMaxWorkingBytes = int64_t(3) << 30;

template <class Value> std::unique_ptr<Value[]> Allocate(int64_t count) {
  return std::unique_ptr<Value[]>(new (std::nothrow) Value[static_cast<size_t>(count)]());
}

// Reads an n-byte big-endian value straight from the stream; false when it ends first.
bool ReadBigEndian(ClassicByteSource& source, int n, uint32_t* value) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) {
    int byte = source.Get();
    if (byte < 0) return false;
    v = (v << 8) | static_cast<uint32_t>(byte);
  }
  *value = v;
  return true;
}

// Discards bytes up to and including the next 0xFF; false when the stream ends first.
bool SkipToMarker(ClassicByteSource& source) {
  for (;;) {
    int byte = source.Get();
    if (byte < 0) return false;
    if (byte == 0xFF) return true;
  }
}

const ClassicBand kBands[3] = {ClassicBand::HL, ClassicBand::LH, ClassicBand::HH};

} // namespace

int ClassicWifDecoder::Open(const ClassicHeader& header) {
  if (CheckClassicHeader(header) != 0) return -2;
  color_ = header.color != 0;
  raster_ = header.raster != 0;
  sampleBytes_ = header.EffectiveSampleBytes();
  sampleBits_ = header.EffectiveSampleBits();
  revisionMajor_ = header.revisionMajor;
  revisionMinor_ = header.revisionMinor;
  width_ = header.width;
  height_ = header.height;
  quantizerBase_ = header.quantizerBase;
  levels_ = header.levels;
  coarseLevels_ = header.coarseLevels;
  dataOffset_ = header.dataOffset;
  layout_.emplace(width_, height_, levels_);

  int64_t quarter = layout_->QuarterSize();
  arithmeticLevels_ = std::max(levels_ - coarseLevels_, 0);
  coarseCount_ = coarseLevels_ < levels_ ? quarter >> (2 * (levels_ - 1 - coarseLevels_)) : quarter;
  double scale = 0.3333333333333333;
  if (sampleBytes_ == 2 && sampleBits_ > 8)
    step_ = static_cast<float>(quantizerBase_ * double(1 << (sampleBits_ - 8)) * scale);
  else
    step_ = static_cast<float>(quantizerBase_ * scale);

  if (quarter * 11 > kMaxWorkingBytes) return -3;
  expanse_ = Allocate<int32_t>(quarter);
  quad_.halfWidth = layout_->halfWidth;
  quad_.halfHeight = layout_->halfHeight;
  quad_.lowQuarter = Allocate<float>(quarter);
  quad_.hl = Allocate<int8_t>(quarter);
  quad_.lh = Allocate<int8_t>(quarter);
  quad_.hh = Allocate<int8_t>(quarter);
  if (!expanse_ || !quad_.lowQuarter || !quad_.hl || !quad_.lh || !quad_.hh) {
    expanse_.reset();
    quad_ = QuadBuf();
    return -3;
  }
  model_.Reset();
  output_ = ClassicOutput();
  output_.width = width_;
  output_.sampleBytes = sampleBytes_;
  output_.sampleBits = sampleBits_;
  output_.color = color_;
  nextPass_ = 0;
  return 0;
}

int ClassicWifDecoder::Open(const uint8_t* bytes, size_t length) {
  ClassicHeader header;
  if (ParseClassicHeader(bytes, length, &header, true) != 1) return -2;
  return Open(header);
}

void ClassicWifDecoder::Bind(uint8_t* bits, int64_t stride) {
  output_.bits = bits;
  output_.stride = stride;
}

int ClassicWifDecoder::ChannelCoarseLevels(int channel) const {
  if (channel <= 1) return coarseLevels_;
  return std::max(coarseLevels_ - 1, 0);
}

int64_t ClassicWifDecoder::ChannelCoarseCount(int channel) const {
  if (channel >= 2 && coarseLevels_ >= 1 && coarseLevels_ < levels_) return coarseCount_ / 4;
  return coarseCount_;
}

int ClassicWifDecoder::LowPart(int channel, BitReader& reader,
                               std::optional<ArithmeticDecoder>& open) {
  ClassicByteSource& source = *reader.Source();
  const ClassicLayout& layout = *layout_;
  int coarse = ChannelCoarseLevels(channel);
  int64_t count = ChannelCoarseCount(channel);
  int arithmetic = std::max(levels_ - coarse, 0);
  int32_t* expanse = expanse_.get();

  uint32_t first = 0;
  if (!ReadBigEndian(source, 2, &first)) return -2;
  reader.Reset();
  if (DecodeRiceValues(expanse, count, reader) != 0) return -2;
  expanse[0] = expanse[0] == 0 ? static_cast<int32_t>(first)
                               : static_cast<int32_t>(first * static_cast<uint32_t>(expanse[0]));
  if (!SkipToMarker(source)) return -2;

  if (coarse < levels_ - 1) {
    open.emplace(&model_, &reader);
    int result = DecodeLevels(expanse, layout.QuarterSize(), count, count, arithmetic - 1, *open);
    if (result != 0) return result;
    // The chroma detail part goes on with the same code stream.
    if (channel <= 1) {
      open.reset();
      if (!SkipToMarker(source)) return -2;
    }
  }
  ClassicUndoPrediction(expanse, layout.LowestWidth(), layout.LowestHeight());
  ClassicPlaceLowQuarter(layout, raster_, expanse, quad_.lowQuarter.get());
  ClassicInnerSynthesis(layout, raster_ ? ClassicFilter53() : ClassicFilter97(),
                        quad_.lowQuarter.get());
  return 0;
}

int ClassicWifDecoder::DetailPart(int channel, BitReader& reader,
                                  std::optional<ArithmeticDecoder>& open) {
  ClassicByteSource& source = *reader.Source();
  const ClassicLayout& layout = *layout_;
  int64_t quarter = layout.QuarterSize();
  int32_t* expanse = expanse_.get();
  int8_t* planes[3] = {quad_.hl.get(), quad_.lh.get(), quad_.hh.get()};

  if (ChannelCoarseLevels(channel) >= levels_) {
    reader.Reset();
    for (int b = 0; b < 3; ++b) {
      if (DecodeRiceValues(expanse, quarter, reader) != 0) return -2;
      ClassicPlaceDetail(layout, raster_, kBands[b], expanse, planes[b]);
    }
  } else {
    if (!open) open.emplace(&model_, &reader);
    for (int b = 0; b < 3; ++b) {
      int result = DecodeLevels(expanse, quarter, 0, quarter, 0, *open);
      if (result != 0) return result;
      ClassicPlaceDetail(layout, raster_, kBands[b], expanse, planes[b]);
    }
    open.reset();
  }
  if (color_ && !SkipToMarker(source)) return -2;
  return Output(channel);
}

int ClassicWifDecoder::Output(int channel) {
  if (!output_.bits) return 0;
  // Chroma is quantised one and a half times as coarsely.
  float step = channel >= 2 ? static_cast<float>(1.5 * step_) : step_;
  const ClassicOutput& output = output_;
  return ClassicFinalSynthesis(
      *layout_, raster_ ? ClassicFilter53() : ClassicFilter97(), step, quad_.lowQuarter.get(),
      quad_.hl.get(), quad_.lh.get(), quad_.hh.get(),
      [&](int64_t row, const float* values) { output.WriteRow(channel, row, values); });
}

ClassicWifDecoder::PassResult ClassicWifDecoder::RunPassDetailed(int pass,
                                                                 ClassicByteSource& source) {
  PassResult result;
  if (!expanse_ || pass != nextPass_ || pass >= PassCount()) {
    result.status = -2;
    return result;
  }
  BitReader reader(&source);
  std::optional<ArithmeticDecoder> open;
  int status = 0;
  if (!color_) {
    status = pass == 0 ? LowPart(0, reader, open) : DetailPart(0, reader, open);
  } else if (pass == 0) {
    status = LowPart(1, reader, open);
  } else if (pass == 1) {
    status = DetailPart(1, reader, open);
  } else {
    status = LowPart(pass, reader, open);
    if (status == 0) status = DetailPart(pass, reader, open);
  }
  if (status == 0 && pass + 1 < PassCount()) {
    uint32_t word = 0;
    if (ReadBigEndian(source, 4, &word))
      result.word = static_cast<int32_t>(word);
    else
      status = -2;
  }
  result.status = status;
  if (status == 0) ++nextPass_;
  return result;
}

int ClassicWifDecoder::RunPass(int pass, ClassicByteSource& source) {
  PassResult result = RunPassDetailed(pass, source);
  return result.status < 0 ? result.status : result.word;
}

int ClassicWifDecoder::RunPass(int pass, const uint8_t* data, size_t length) {
  ClassicMemorySource source(data, length);
  return RunPass(pass, source);
}

int ClassicWifDecoder::Decode(ClassicByteSource& source) {
  if (!expanse_) return -2;
  // The header again, from the stream's start: it must be the one the decoder was opened with.
  uint8_t bytes[kClassicHeaderBytes];
  size_t got = 0;
  size_t wanted = 4; // enough to tell the short signature from the long one
  while (got < wanted) {
    int byte = source.Get();
    if (byte < 0) break;
    bytes[got++] = static_cast<uint8_t>(byte);
    if (got == 4) wanted = (bytes[1] == 'I' ? 4 : 2) + 16;
  }
  ClassicHeader header;
  if (ParseClassicHeader(bytes, got, &header, false) != 1) return -2;
  if (header.width != width_ || header.height != height_ || header.levels != levels_ ||
      header.coarseLevels != coarseLevels_ || (header.color != 0) != color_ ||
      (header.raster != 0) != raster_ || header.dataOffset != dataOffset_)
    return -2;
  while (source.Position() < dataOffset_)
    if (source.Get() < 0) return -2;
  if (source.Position() != dataOffset_) return -2; // a short signature: the comment is empty

  uint32_t firstWord = 0;
  if (!ReadBigEndian(source, 4, &firstWord)) return -2;
  int32_t previousWord = static_cast<int32_t>(firstWord);
  for (int pass = 0; pass < PassCount(); ++pass) {
    // The last chunk has no terminator of its own, so a file cut inside it would decode quietly;
    // its length word says how many bytes it must have (its count includes a following word).
    if (pass + 1 == PassCount() && previousWord > 4 &&
        source.Size() - source.Position() < int64_t(previousWord) - 4)
      return -2;
    PassResult result = RunPassDetailed(pass, source);
    if (result.status < 0) return result.status;
    // Only the word after the first pass is checked; later ones matter to streaming clients only.
    if (pass == 0 && result.word < 0) return result.word;
    previousWord = result.word;
  }
  return 0;
}

} // namespace vu::classic
