// Best quantization (median cut over the exact colours, nearest-colour mapping without
// diffusion) and fast quantization (the fixed 3-3-2 table with error diffusion).
#include <algorithm>
#include <limits>

#include "quantize/vuQuantizerParts.h"

namespace {

// More distinct colours than this and the precision of the working pixels is halved.
constexpr size_t kMaxExactColours = 32768;

struct ExactBox {
  size_t first;
  size_t colours;
  int64_t pixels;
};

} // namespace

void vuQuantizer::BestQuantization() {
  // 1. Working pixels: three 16-bit channels each, row after row.
  const size_t pixels = size_t(width) * size_t(height);
  std::vector<uint16_t> work(3 * pixels);
  for (int y = 0; y < height; ++y) {
    const uint8_t* p = SourceRow(y);
    std::copy(p, p + 3 * size_t(width), work.begin() + 3 * size_t(y) * size_t(width));
  }
  int maxval = 255;

  // 2. The exact colours with their pixel counts; too many of them and the precision drops.
  auto histogram = std::make_unique<ColourHash>();
  for (;;) {
    histogram->Clear();
    bool fits = true;
    for (size_t i = 0; i < pixels && fits; ++i) {
      const uint16_t* c = &work[3 * i];
      int32_t entry = histogram->Find(c);
      if (entry >= 0)
        ++histogram->entries[entry].value;
      else if (histogram->entries.size() == kMaxExactColours)
        fits = false;
      else
        histogram->Add(c, 1);
    }
    if (fits) break;
    int reduced = maxval / 2;
    for (auto& v : work)
      v = static_cast<uint16_t>(int(v) * reduced / maxval);
    maxval = reduced;
  }

  // The colour list in bucket order.
  std::vector<ColourHash::Entry> list;
  list.reserve(histogram->entries.size());
  for (int bucket = 0; bucket < ColourHash::kBuckets; ++bucket) {
    for (int32_t i = histogram->heads[bucket]; i >= 0; i = histogram->entries[i].next)
      list.push_back(histogram->entries[i]);
  }
  histogram.reset();

  // 3. Median cut over the colour list. Each round splits the most populous box that still holds
  //    two colours (the first created on a tie).
  std::vector<ExactBox> boxes;
  boxes.push_back(ExactBox{0, list.size(), int64_t(pixels)});
  while (boxes.size() < size_t(colours)) {
    ExactBox* box = nullptr;
    for (auto& candidate : boxes) {
      if (candidate.colours >= 2 && (!box || candidate.pixels > box->pixels)) box = &candidate;
    }
    if (!box) break;
    auto begin = list.begin() + box->first;
    auto end = begin + box->colours;
    int low[3] = {65535, 65535, 65535}, high[3] = {0, 0, 0};
    for (auto it = begin; it != end; ++it) {
      for (int k = 0; k < 3; ++k) {
        low[k] = std::min<int>(low[k], it->colour[k]);
        high[k] = std::max<int>(high[k], it->colour[k]);
      }
    }
    int64_t s0 = high[0] - low[0], s1 = high[1] - low[1], s2 = high[2] - low[2];
    int channel = (77 * s0 >= 150 * s1 && 77 * s0 >= 29 * s2) ? 0 : (150 * s1 < 29 * s2 ? 2 : 1);
    std::stable_sort(begin, end, [channel](const ColourHash::Entry& a, const ColourHash::Entry& b) {
      return a.colour[channel] < b.colour[channel];
    });
    int64_t lower = begin->value;
    size_t i = 1;
    while (i < box->colours - 1 && lower < box->pixels / 2) {
      lower += (begin + i)->value;
      ++i;
    }
    ExactBox upper{box->first + i, box->colours - i, box->pixels - lower};
    box->colours = i;
    box->pixels = lower;
    boxes.push_back(upper); // may move the boxes: `box` is not used after this
  }

  // 4. Each box's colour: the pixel-weighted mean of its colours. Entries past the boxes are black.
  std::vector<int> table(3 * size_t(colours), 0);
  for (size_t b = 0; b < boxes.size(); ++b) {
    int64_t sum[3] = {0, 0, 0}, count = 0;
    for (size_t i = boxes[b].first; i < boxes[b].first + boxes[b].colours; ++i) {
      for (int k = 0; k < 3; ++k)
        sum[k] += int64_t(list[i].colour[k]) * list[i].value;
      count += list[i].value;
    }
    for (int k = 0; k < 3; ++k)
      table[3 * b + k] =
          count > 0 ? static_cast<int>(std::min<int64_t>(sum[k] / count, maxval)) : 0;
  }
  coloursMade = static_cast<int32_t>(boxes.size());
  list.clear();
  list.shrink_to_fit();

  // 5. Map every pixel to its nearest table colour; each distinct colour is searched once.
  auto cache = std::make_unique<ColourHash>();
  for (int y = 0; y < height; ++y) {
    uint8_t* out = ResultRow(y);
    for (int x = 0; x < width; ++x) {
      const uint16_t* c = &work[3 * (size_t(y) * size_t(width) + size_t(x))];
      int32_t entry = cache->Find(c);
      int index;
      if (entry >= 0) {
        index = static_cast<int>(cache->entries[entry].value);
      } else {
        int64_t best = std::numeric_limits<int64_t>::max();
        index = 0;
        for (int i = 0; i < colours; ++i) {
          int64_t d0 = c[0] - table[3 * i], d1 = c[1] - table[3 * i + 1],
                  d2 = c[2] - table[3 * i + 2];
          int64_t d = d0 * d0 + d1 * d1 + d2 * d2;
          if (d < best) {
            best = d;
            index = i;
          }
        }
        cache->Add(c, index);
      }
      out[x] = static_cast<uint8_t>(index);
    }
  }

  // 6. The table back in 0..255, channel k in byte k.
  for (int i = 0; i < colours; ++i) {
    auto* entry = reinterpret_cast<uint8_t*>(&resultTable[i]);
    for (int k = 0; k < 3; ++k)
      entry[k] = static_cast<uint8_t>(table[3 * i + k] * 255 / maxval);
    entry[3] = 0;
  }
}

void vuQuantizer::FastQuantization() {
  // 1. The fixed table: eight levels on axes 0 and 1, four on axis 2.
  int table[256][3];
  for (int i = 0; i < 256; ++i) {
    table[i][0] = ((i & 0xE0) * 255 + 112) / 224;
    table[i][1] = ((i & 0x1C) * 2040 + 112) / 224;
    table[i][2] = ((i & 3) * 16320 + 96) / 192;
    auto* entry = reinterpret_cast<uint8_t*>(&resultTable[i]);
    for (int k = 0; k < 3; ++k)
      entry[k] = static_cast<uint8_t>(table[i][k]);
    entry[3] = 0;
  }
  coloursMade = 256;

  // 2. Map with error diffusion.
  std::vector<int> current(static_cast<size_t>(3) * width), next(static_cast<size_t>(3) * width);
  LoadRow(0, current);
  for (int y = 0; y < height; ++y) {
    bool lastRow = y == height - 1;
    if (!lastRow) LoadRow(y + 1, next);
    uint8_t* out = ResultRow(y);
    for (int x = 0; x < width; ++x) {
      int c[3];
      for (int k = 0; k < 3; ++k)
        c[k] = std::clamp(current[3 * x + k], 0, 255);
      int index = (c[0] & 0xE0) | ((c[1] & 0xE0) >> 3) | (c[2] >> 6);
      out[x] = static_cast<uint8_t>(index);
      for (int k = 0; k < 3; ++k) {
        int error = c[k] - table[index][k];
        if (x + 1 < width) current[3 * (x + 1) + k] += Share(7, error);
        if (!lastRow) {
          next[3 * x + k] += Share(5, error);
          if (x > 0) next[3 * (x - 1) + k] += Share(3, error);
          if (x + 1 < width) next[3 * (x + 1) + k] += Share(1, error);
        }
      }
    }
    std::swap(current, next);
  }
}
