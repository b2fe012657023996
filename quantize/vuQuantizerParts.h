// The quantizer's working records, shared by its method files.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "quantize/vuQuantizer.h"

// A box of the 5-bit colour cube: bounds per axis in cell units (0..31) and the pixels inside.
struct vuQuantizer::ColourBox {
  ColourBox* next = nullptr;
  ColourBox* previous = nullptr;
  int minimum[3] = {0, 0, 0};
  int maximum[3] = {0, 0, 0};
  int64_t count = 0;
};

// The colours that can be nearest to some point of one coarse cell, sorted by a lower bound of
// their distance to the cell.
struct vuQuantizer::CandidateList {
  struct Candidate {
    int index;
    int64_t lowerBound;
  };
  std::vector<Candidate> entries;
};

// Colours with a value each (a pixel count, or a palette index), hashed into 6553 buckets. Entries
// are chained from their bucket's head; a new entry goes to the head of its chain.
struct vuQuantizer::ColourHash {
  static constexpr int kBuckets = 6553;
  struct Entry {
    uint16_t colour[3];
    int64_t value;
    int32_t next;
  };
  std::vector<int32_t> heads;
  std::vector<Entry> entries;

  ColourHash() : heads(kBuckets, -1) {}
  static int Bucket(const uint16_t* c) {
    int64_t h =
        (33023 * int64_t(c[0]) + 30013 * int64_t(c[1]) + 27011 * int64_t(c[2])) & 0x7FFFFFFF;
    return static_cast<int>(h % kBuckets);
  }
  // The entry of a colour, or -1.
  int32_t Find(const uint16_t* c) const {
    for (int32_t i = heads[Bucket(c)]; i >= 0; i = entries[i].next) {
      const Entry& e = entries[i];
      if (e.colour[0] == c[0] && e.colour[1] == c[1] && e.colour[2] == c[2]) return i;
    }
    return -1;
  }
  int32_t Add(const uint16_t* c, int64_t value) {
    int bucket = Bucket(c);
    entries.push_back(Entry{{c[0], c[1], c[2]}, value, heads[bucket]});
    heads[bucket] = static_cast<int32_t>(entries.size() - 1);
    return heads[bucket];
  }
  void Clear() {
    std::fill(heads.begin(), heads.end(), -1);
    entries.clear();
  }
};
