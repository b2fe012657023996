#include "plugin/ClassicStreamDecoder.h"

#include <new>

int ClassicStreamDecoder::Start(const uint8_t* bytes, size_t length) {
  dataOffset_ = 0;
  const int offset = ClassicDataOffset(bytes, length);
  if (offset < 0) return -2;
  // The data cannot start inside the signature and header block ("W8": 18 bytes, "WIF8": 20).
  const int headerEnd = (length > 2 && bytes[1] == 'I' && bytes[2] == 'F' ? 4 : 2) + 16;
  if (offset < headerEnd) return -2;
  dataOffset_ = offset;
  return 0;
}

int ClassicStreamDecoder::CompleteHeader(const uint8_t* bytes, size_t length) {
  if (dataOffset_ <= 0 || length < static_cast<size_t>(dataOffset_)) return -2;
  header_ = ClassicHeader();
  if (ParseClassicHeader(bytes, static_cast<size_t>(dataOffset_), &header_, true) != 1) return -2;
  decoder_.reset(new (std::nothrow) vu::classic::ClassicWifDecoder);
  if (!decoder_) return -3;
  const int opened = decoder_->Open(header_);
  if (opened != 0) decoder_.reset();
  return opened;
}

void ClassicStreamDecoder::Bind(uint8_t* bits, int64_t stride) {
  if (decoder_) decoder_->Bind(bits, stride);
}

int ClassicStreamDecoder::RunPass(int pass, const uint8_t* data, size_t length) {
  if (!decoder_) return -2;
  return decoder_->RunPass(pass, data, length);
}
