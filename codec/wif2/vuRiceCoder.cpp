#include "codec/wif2/vuRiceCoder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kBlock = 16;

} // namespace

namespace {

// The symbols of n values into `symbols` (room for n entries); returns their number.
size_t MakeSymbols(const int32_t* a, size_t n, uint32_t* symbols) {
  uint32_t* out = symbols;
  size_t i = 0;
  while (i < n) {
    const int32_t v = a[i];
    if (v != 0) {
      *out++ = v > 0 ? 2u * static_cast<uint32_t>(v)
                     : 1u + 2u * static_cast<uint32_t>(-static_cast<int64_t>(v));
      ++i;
      continue;
    }
    size_t j = i + 1;
    for (;;) {
      // Eight zeros at a time through long stretches (most of a detail band).
      while (j + 8 <= n) {
        uint64_t w[4];
        std::memcpy(w, a + j, sizeof w);
        if ((w[0] | w[1] | w[2] | w[3]) != 0) break;
        j += 8;
      }
      while (j < n && a[j] == 0)
        ++j;
      // A lone +1 or -1 with a zero right after it joins the run.
      if (j + 1 < n && (a[j] == 1 || a[j] == -1) && a[j + 1] == 0) {
        j += 2;
        continue;
      }
      break;
    }
    const uint64_t digits = (j - i) + 1;
    for (int bit = 62 - __builtin_clzll(digits); bit >= 0; --bit)
      *out++ = static_cast<uint32_t>((digits >> bit) & 1);
    i = j;
  }
  return static_cast<size_t>(out - symbols);
}

} // namespace

void vuRiceMakeSymbols(const int32_t* a, size_t n, std::vector<uint32_t>* symbols) {
  // A run of r zeros never gives more than r symbols, so n places do.
  symbols->resize(n);
  symbols->resize(MakeSymbols(a, n, symbols->data()));
}

int vuRiceBlockParameter(const uint32_t* s) {
  int64_t total = kBlock;
  for (int i = 0; i < kBlock; ++i)
    total += s[i];
  int k = 0;
  while (k < 7 && total >= (int64_t(32) << k) + 8)
    ++k;
  return k;
}

void vuRiceEncodeArray(vuBitWriter& writer, const int32_t* values, size_t count,
                       std::vector<uint32_t>* symbols) {
  writer.Reset();
  // The scratch only grows (clearing it again for every array costs as much as the coding); n
  // places and a block of padding always suffice.
  if (symbols->size() < count + kBlock) symbols->resize(count + kBlock);
  const size_t made = MakeSymbols(values, count, symbols->data());
  size_t blocks = (made + kBlock - 1) / kBlock;
  if (blocks == 0) blocks = 1;
  std::fill(symbols->data() + made, symbols->data() + blocks * kBlock, 0u);
  const uint32_t* s = symbols->data();
  for (size_t b = 0; b < blocks; ++b, s += kBlock) {
    const int k = vuRiceBlockParameter(s);
    writer.PutBits(static_cast<uint32_t>(k), 3);
    for (int i = 0; i < kBlock; ++i) {
      const uint32_t sym = s[i];
      const uint32_t q = sym >> k;
      if (q < 24) {
        // k low bits, q zeros and the closing 1 in one go.
        writer.PutBits((sym & ((1u << k) - 1)) | (1u << (k + q)), k + static_cast<int>(q) + 1);
      } else {
        writer.PutBits(sym & ((1u << k) - 1), k);
        writer.PutZeros(q);
        writer.PutBits(1, 1);
      }
    }
  }
  writer.Flush();
}

template <typename T>
size_t vuRiceDecodeArray(vuBitReader& reader, T* values, size_t count, int shift) {
  using U = std::make_unsigned_t<T>;
  reader.Reset();
  size_t p = 0;
  uint64_t pendingValue = 0;
  int pendingDigits = 0;
  uint64_t symbols[kBlock];
  auto zeros = [&](uint64_t run) {
    const size_t room = count - p;
    const size_t n = run < room ? static_cast<size_t>(run) : room;
    std::fill(values + p, values + p + n, T(0));
    p += n;
  };
  for (;;) {
    reader.Refill();
    const int k = static_cast<int>(reader.TakeBits(3));
    for (int i = 0; i < kBlock; ++i) {
      if (reader.Valid() < 8) reader.Refill();
      const uint32_t low = reader.TakeBits(k);
      symbols[i] = (reader.GetUnary() << k) + low;
    }
    int i = 0;
    while (i < kBlock && p < count) {
      if (symbols[i] < 2) {
        uint64_t number = pendingValue;
        int digits = pendingDigits;
        pendingValue = 0;
        pendingDigits = 0;
        while (i < kBlock && symbols[i] < 2) {
          number = number * 2 + symbols[i];
          ++digits;
          ++i;
        }
        if (i < kBlock) {
          zeros(number + (uint64_t(1) << digits) - 1);
        } else {
          pendingValue = number;
          pendingDigits = digits;
        }
      } else {
        if (pendingDigits > 0) {
          zeros(pendingValue + (uint64_t(1) << pendingDigits) - 1);
          pendingValue = 0;
          pendingDigits = 0;
        }
        const uint64_t s = symbols[i];
        const U magnitude = static_cast<U>(static_cast<U>(s >> 1) << shift);
        values[p++] = (s & 1) ? static_cast<T>(U(0) - magnitude) : static_cast<T>(magnitude);
        ++i;
      }
    }
    if (pendingDigits > 0 &&
        (pendingDigits >= 31 || p + pendingValue + (uint64_t(1) << pendingDigits) - 1 >= count)) {
      std::fill(values + p, values + count, T(0));
      p = count;
      break;
    }
    if (p >= count) break;
  }
  reader.Finish();
  return count;
}

template size_t vuRiceDecodeArray<int32_t>(vuBitReader&, int32_t*, size_t, int);
template size_t vuRiceDecodeArray<int64_t>(vuBitReader&, int64_t*, size_t, int);
