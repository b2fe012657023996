#include "app/StatusValues.h"

#include <cinttypes>
#include <cstdio>

#include "imagelib/vuImage.h"

namespace {
template <typename... Args> std::string Format(const char* format, Args... args) {
  char text[64];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}
} // namespace

StatusValues ComputeStatusValues(const vuImage& image, double loadTime) {
  StatusValues values;
  if (!image.header) return ClearedStatusValues();
  // 64-bit, so that large images do not wrap the raw size.
  int64_t raw = int64_t(image.Depth()) * image.Width() * image.Height() / 8;
  int64_t size = image.dataSize;
  // An image without a known size (nothing was read) has no ratio to show.
  values[0] = size > 0 ? Format("%.2f:1", double(raw) / double(size)) : std::string();
  values[1] = Format("%.02f", loadTime);
  values[2] = Format("%d", image.Width());
  values[3] = Format("%d", image.Height());
  values[4] = Format("%d", image.Depth());
  values[5] = Format("%" PRId64, raw);
  values[6] = Format("%" PRId64, size);
  return values;
}

StatusValues ClearedStatusValues() {
  StatusValues values;
  values.fill(std::string(20, ' '));
  return values;
}
