// Median cut on a 5-bit histogram, the inverse colour map with its candidate lists, and error
// diffusion.
#include <algorithm>
#include <limits>

#include "quantize/vuQuantizerParts.h"

namespace {

constexpr int kCells = 32 * 32 * 32;
constexpr int kCoarseCells = 8 * 8 * 8;

int CellIndex(int c0, int c1, int c2) {
  return c0 * 1024 + c1 * 32 + c2;
}

// The colour distance of the quantizer: squared differences weighted per axis.
int64_t Distance(int64_t d0, int64_t d1, int64_t d2) {
  return 20 * d0 * d0 + 39 * d1 * d1 + 8 * d2 * d2;
}

int ClampByte(int v) {
  return v < 0 ? 0 : (v > 255 ? 255 : v);
}

} // namespace

int64_t vuQuantizer::SliceCount(const ColourBox& box, int axis, int slice) const {
  int low[3], high[3];
  for (int k = 0; k < 3; ++k) {
    low[k] = box.minimum[k];
    high[k] = box.maximum[k];
  }
  low[axis] = high[axis] = slice;
  int64_t sum = 0;
  for (int c0 = low[0]; c0 <= high[0]; ++c0)
    for (int c1 = low[1]; c1 <= high[1]; ++c1)
      for (int c2 = low[2]; c2 <= high[2]; ++c2)
        sum += histogram[CellIndex(c0, c1, c2)];
  return sum;
}

void vuQuantizer::Shrink(ColourBox& box) const {
  for (int axis = 0; axis < 3; ++axis) {
    while (box.minimum[axis] < box.maximum[axis] && SliceCount(box, axis, box.minimum[axis]) == 0)
      ++box.minimum[axis];
    while (box.maximum[axis] > box.minimum[axis] && SliceCount(box, axis, box.maximum[axis]) == 0)
      --box.maximum[axis];
  }
}

void vuQuantizer::SplitBox(ColourBox* box) {
  int e0 = box->maximum[0] - box->minimum[0];
  int e1 = box->maximum[1] - box->minimum[1];
  int e2 = box->maximum[2] - box->minimum[2];
  int axis = (e0 >= e1 && e0 >= e2) ? 0 : (e1 < e2 ? 2 : 1);
  int low = box->minimum[axis];
  int high = box->maximum[axis];

  std::vector<int64_t> sums(static_cast<size_t>(high - low + 1));
  for (int v = low; v <= high; ++v)
    sums[v - low] = SliceCount(*box, axis, v);
  int64_t half = box->count / 2;
  int64_t running = 0;
  int split = high;
  for (int v = low; v <= high; ++v) {
    running += sums[v - low];
    if (running >= half) {
      split = v;
      break;
    }
  }
  if (split == low) split = low + 1; // the lower box must keep at least one slice
  int64_t lowerCount = 0;
  for (int v = low; v < split; ++v)
    lowerCount += sums[v - low];

  ColourBox* lower = freeBoxes;
  freeBoxes = lower->next;
  if (freeBoxes) freeBoxes->previous = nullptr;
  *lower = *box;
  lower->maximum[axis] = split - 1;
  lower->count = lowerCount;
  lower->previous = nullptr;
  lower->next = usedBoxes;
  if (usedBoxes) usedBoxes->previous = lower;
  usedBoxes = lower;

  box->minimum[axis] = split;
  box->count -= lowerCount;
  Shrink(*lower);
  Shrink(*box);
}

const vuQuantizer::CandidateList& vuQuantizer::CellCandidates(int coarseCell) {
  std::unique_ptr<CandidateList>& slot = cellLists[coarseCell];
  if (slot) return *slot;
  slot = std::make_unique<CandidateList>();
  const int corner[3] = {32 * (coarseCell >> 6), 32 * ((coarseCell >> 3) & 7),
                         32 * (coarseCell & 7)};

  // The nearest colour inside the cell bounds how far the answer can be from any point of it.
  int64_t threshold = 2000000000;
  std::vector<bool> inside(static_cast<size_t>(coloursMade));
  for (int i = 0; i < coloursMade; ++i) {
    const int* c = &tableAxes[3 * i];
    bool in = true;
    int64_t d[3];
    for (int k = 0; k < 3; ++k) {
      int offset = c[k] - corner[k];
      if (offset < 0 || offset > 31) in = false;
      d[k] = offset < 16 ? 31 - offset : offset;
    }
    if (!in) continue;
    inside[i] = true;
    threshold = std::min(threshold, Distance(d[0], d[1], d[2]));
    slot->entries.push_back({i, 0});
  }
  for (int i = 0; i < coloursMade; ++i) {
    if (inside[i]) continue;
    const int* c = &tableAxes[3 * i];
    int64_t d[3];
    for (int k = 0; k < 3; ++k) {
      if (c[k] < corner[k])
        d[k] = corner[k] - c[k];
      else if (c[k] > corner[k] + 31)
        d[k] = c[k] - (corner[k] + 31);
      else
        d[k] = 0;
    }
    int64_t bound = Distance(d[0], d[1], d[2]);
    if (bound < threshold) slot->entries.push_back({i, bound});
  }
  std::stable_sort(slot->entries.begin(), slot->entries.end(),
                   [](const CandidateList::Candidate& a, const CandidateList::Candidate& b) {
                     return a.lowerBound < b.lowerBound;
                   });
  return *slot;
}

int vuQuantizer::NearestColour(int cell) {
  const int point[3] = {8 * (cell >> 10), 8 * ((cell >> 5) & 31), 8 * (cell & 31)};
  int coarse = (cell >> 12) * 64 + ((cell >> 7) & 7) * 8 + ((cell >> 2) & 7);
  const CandidateList& list = CellCandidates(coarse);
  int64_t best = std::numeric_limits<int64_t>::max();
  int bestIndex = 0;
  for (const auto& candidate : list.entries) {
    if (best <= candidate.lowerBound) break; // no later colour can be nearer
    const int* c = &tableAxes[3 * candidate.index];
    int64_t d = Distance(point[0] - c[0], point[1] - c[1], point[2] - c[2]);
    if (d < best) {
      best = d;
      bestIndex = candidate.index;
    }
  }
  return bestIndex;
}

void vuQuantizer::MedianCut() {
  // 1. All box records on the free list; the first one goes to the used list.
  boxStorage.assign(static_cast<size_t>(colours), ColourBox{});
  freeBoxes = nullptr;
  usedBoxes = nullptr;
  for (int i = colours - 1; i >= 0; --i) {
    boxStorage[i].next = freeBoxes;
    if (freeBoxes) freeBoxes->previous = &boxStorage[i];
    freeBoxes = &boxStorage[i];
  }
  ColourBox* first = freeBoxes;
  freeBoxes = first->next;
  if (freeBoxes) freeBoxes->previous = nullptr;
  first->next = first->previous = nullptr;
  usedBoxes = first;

  // 2. The histogram of 5-bit cells and the bounds of the whole picture.
  histogram.assign(kCells, 0);
  int low[3] = {31, 31, 31}, high[3] = {0, 0, 0};
  for (int y = 0; y < height; ++y) {
    const uint8_t* p = SourceRow(y);
    for (int x = 0; x < width; ++x, p += 3) {
      int c[3] = {p[0] >> 3, p[1] >> 3, p[2] >> 3};
      ++histogram[CellIndex(c[0], c[1], c[2])];
      for (int k = 0; k < 3; ++k) {
        low[k] = std::min(low[k], c[k]);
        high[k] = std::max(high[k], c[k]);
      }
    }
  }
  for (int k = 0; k < 3; ++k) {
    first->minimum[k] = low[k];
    first->maximum[k] = high[k];
  }
  first->count = int64_t(width) * height;

  // 3. Split the most populous box that can still be split, until the records run out.
  while (freeBoxes) {
    ColourBox* pick = nullptr;
    for (ColourBox* box = usedBoxes; box; box = box->next) {
      bool splittable = box->maximum[0] > box->minimum[0] || box->maximum[1] > box->minimum[1] ||
                        box->maximum[2] > box->minimum[2];
      if (splittable && (!pick || box->count > pick->count)) pick = box;
    }
    if (!pick) break;
    SplitBox(pick);
  }

  // 4. One table entry per box, at the box's middle in 8-bit units.
  tableAxes.clear();
  coloursMade = 0;
  for (ColourBox* box = usedBoxes; box; box = box->next) {
    auto* entry = reinterpret_cast<uint8_t*>(&resultTable[coloursMade]);
    for (int k = 0; k < 3; ++k) {
      int v = ((box->minimum[k] + box->maximum[k]) * 8) / 2;
      tableAxes.push_back(v);
      entry[k] = static_cast<uint8_t>(v);
    }
    entry[3] = 0;
    ++coloursMade;
  }

  // 5. The histogram becomes the inverse map: palette index per occupied cell, -1 elsewhere.
  cellLists.clear();
  cellLists.resize(kCoarseCells);
  for (int cell = 0; cell < kCells; ++cell)
    histogram[cell] = histogram[cell] != 0 ? NearestColour(cell) : -1;

  // 7. Map with error diffusion, rows in buffer order.
  std::vector<int> current(static_cast<size_t>(3) * width), next(static_cast<size_t>(3) * width);
  LoadRow(0, current);
  for (int y = 0; y < height; ++y) {
    bool lastRow = y == height - 1;
    if (!lastRow) LoadRow(y + 1, next);
    uint8_t* out = ResultRow(y);
    for (int x = 0; x < width; ++x) {
      int c[3];
      for (int k = 0; k < 3; ++k)
        c[k] = ClampByte(current[3 * x + k]);
      int cell = CellIndex(c[0] >> 3, c[1] >> 3, c[2] >> 3);
      int index = histogram[cell];
      if (index < 0) index = histogram[cell] = NearestColour(cell);
      out[x] = static_cast<uint8_t>(index);
      for (int k = 0; k < 3; ++k) {
        int error = c[k] - tableAxes[3 * index + k];
        if (x + 1 < width) current[3 * (x + 1) + k] += Share(7, error);
        if (!lastRow) {
          if (x > 0) next[3 * (x - 1) + k] += Share(3, error);
          next[3 * x + k] += Share(5, error);
          if (x + 1 < width) next[3 * (x + 1) + k] += Share(1, error);
        }
      }
    }
    std::swap(current, next);
  }

  // Release everything of this call.
  freeBoxes = usedBoxes = nullptr;
  boxStorage.clear();
  boxStorage.shrink_to_fit();
  cellLists.clear();
  cellLists.shrink_to_fit();
  histogram.clear();
  histogram.shrink_to_fit();
}
