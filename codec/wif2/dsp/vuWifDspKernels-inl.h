// The plain versions of the WIF2 codec's row kernels, written as loops the compiler can vectorise.
// Included once into the plain namespace (the reference) and once into each vector target's
// namespace, where the same loops are compiled for the wider instruction set. No include guard:
// every inclusion defines the kernels in the namespace around it. Needs <cstddef> and <cstdint>.
//
// Arithmetic wraps on overflow (the library is built so): damaged files give damaged pictures,
// never undefined behaviour, and every version wraps the same way.

// Rounds v / d to the nearest integer, halves away from zero (both divisions truncate); 32-bit
// values go through a double division, which is exact for them and vectorises.
template <typename T> inline T RoundDivide(T v, T d) {
  if constexpr (sizeof(T) == 4) {
    const T n = v > 0 ? v + d / 2 : v - d / 2;
    return static_cast<T>(static_cast<double>(n) / static_cast<double>(d));
  } else {
    return v > 0 ? (v + d / 2) / d : (v - d / 2) / d;
  }
}
// v / d truncated toward zero.
template <typename T> inline T TruncDivide(T v, T d) {
  if constexpr (sizeof(T) == 4) {
    return static_cast<T>(static_cast<double>(v) / static_cast<double>(d));
  } else {
    return v / d;
  }
}

// 5/3 analysis of a line x[-2 .. 2 half + 1] (margins already reflected).
template <typename T> void Analysis53(const T* x, int half, T* lo, T* hi) {
  for (int i = 0; i < half; ++i) {
    const T* c = x + 2 * i;
    lo[i] = 2 * (3 * c[0] + c[-1] + c[1]) - c[-2] - c[2];
    hi[i] = 2 * (2 * c[1] - c[0] - c[2]);
  }
}

// 9/7 analysis of a line x[-4 .. 2 half + 3].
template <typename T> void Analysis97(const T* x, int half, T* lo, T* hi) {
  for (int i = 0; i < half; ++i) {
    const T* c = x + 2 * i;
    lo[i] = 1235 * c[0] + 547 * (c[-1] + c[1]) - 160 * (c[-2] + c[2]) - 35 * (c[-3] + c[3]) +
            55 * (c[-4] + c[4]);
    hi[i] = 1142 * c[1] - 605 * (c[0] + c[2]) - 59 * (c[-1] + c[3]) + 93 * (c[-2] + c[4]);
  }
}

// 5/3 synthesis of an interleaved line u[-2 .. 2 half + 1]: 2 half values, shifted right.
template <typename T> void Synthesis53(const T* u, int half, int shift, T* out) {
  for (int k = 0; k < half; ++k) {
    const T* c = u + 2 * k;
    out[2 * k] = (2 * (2 * c[0] - c[-1] - c[1])) >> shift;
    out[2 * k + 1] = (2 * (3 * c[1] + c[0] + c[2]) - c[-1] - c[3]) >> shift;
  }
}

// 9/7 synthesis of an interleaved line u[-4 .. 2 half + 3]: 2 half values.
template <typename T> void Synthesis97(const T* u, int half, T* out) {
  for (int k = 0; k < half; ++k) {
    const T* c = u + 2 * k;
    out[2 * k] = 1142 * c[0] - 547 * (c[-1] + c[1]) - 59 * (c[-2] + c[2]) + 35 * (c[-3] + c[3]);
    out[2 * k + 1] = 1235 * c[1] + 605 * (c[0] + c[2]) - 160 * (c[-1] + c[3]) -
                     93 * (c[-2] + c[4]) + 55 * (c[-3] + c[5]);
  }
}

// The vertical 5/3 analysis over five rows (a .. e = rows 2j-2 .. 2j+2): the low and the high
// row, each shifted right.
template <typename T>
void ForwardColumns(const T* a, const T* b, const T* c, const T* d, const T* e, int n,
                    int lowShift, int highShift, T* low, T* high) {
  for (int k = 0; k < n; ++k) {
    low[k] = (2 * (3 * c[k] + b[k] + d[k]) - a[k] - e[k]) >> lowShift;
    high[k] = (2 * (2 * d[k] - c[k] - e[k])) >> highShift;
  }
}

// The vertical 5/3 synthesis over five interleaved rows (ym1 .. y3 = rows 2i-1 .. 2i+3): the
// even and the odd output row.
template <typename T>
void InverseColumns(const T* ym1, const T* y0, const T* y1, const T* y2, const T* y3, int n,
                    T* even, T* odd) {
  for (int k = 0; k < n; ++k) {
    even[k] = 2 * (2 * y0[k] - ym1[k] - y1[k]);
    odd[k] = 2 * (3 * y1[k] + y0[k] + y2[k]) - ym1[k] - y3[k];
  }
}

// out[i] = in[i] / d rounded, halves away from zero (in place when out == in).
template <typename T> void RoundDivideRow(const T* in, size_t n, T d, T* out) {
  for (size_t i = 0; i < n; ++i)
    out[i] = RoundDivide<T>(in[i], d);
}

// out[2i] = lo[i], out[2i + 1] = hi[i].
template <typename T> void Interleave(const T* lo, const T* hi, int n, T* out) {
  for (int i = 0; i < n; ++i) {
    out[2 * i] = lo[i];
    out[2 * i + 1] = hi[i];
  }
}

// One plane of the colour transform from n pixels of three bytes p0 p1 p2: 0 Y = p0 + 2 p1 + p2,
// 1 C1 = Y / 4 - p0, 2 C2 = Y / 4 - p2.
inline void ForwardColour8(const uint8_t* pixels, int n, int plane, int32_t* out) {
  for (int x = 0; x < n; ++x) {
    const int32_t p0 = pixels[3 * x], p1 = pixels[3 * x + 1], p2 = pixels[3 * x + 2];
    const int32_t y = p0 + 2 * p1 + p2;
    out[x] = plane == 0 ? y : plane == 1 ? (y >> 2) - p0 : (y >> 2) - p2;
  }
}

// The inverse colour transform into n pixels of three bytes, clamped to 0..255.
inline void InverseColour8(const int32_t* y, const int32_t* c1, const int32_t* c2, int n,
                           uint8_t* pixels) {
  for (int x = 0; x < n; ++x) {
    const int32_t p0 = y[x] - c1[x];
    const int32_t p2 = y[x] - c2[x];
    const int32_t p1 = y[x] + (c1[x] + c2[x]) / 2;
    pixels[3 * x] = static_cast<uint8_t>(p0 < 0 ? 0 : p0 > 255 ? 255 : p0);
    pixels[3 * x + 1] = static_cast<uint8_t>(p1 < 0 ? 0 : p1 > 255 ? 255 : p1);
    pixels[3 * x + 2] = static_cast<uint8_t>(p2 < 0 ? 0 : p2 > 255 ? 255 : p2);
  }
}

// The 2 x 2 chroma step over `blocks` whole blocks of two rows: LL = sum * multiplier, the
// differences divided (truncating) by `divisor`.
template <typename T>
void ForwardChroma(const int32_t* top, const int32_t* bottom, int blocks, T multiplier, T divisor,
                   T* ll, T* hl, T* lh, T* hh) {
  for (int x = 0; x < blocks; ++x) {
    const T a = top[2 * x], b = top[2 * x + 1], c = bottom[2 * x], d = bottom[2 * x + 1];
    ll[x] = (a + b + c + d) * multiplier;
    hl[x] = TruncDivide<T>(a - b + c - d, divisor);
    lh[x] = TruncDivide<T>(a + b - c - d, divisor);
    hh[x] = TruncDivide<T>(a - b - c + d, divisor);
  }
}

// The inverse 2 x 2 step over `blocks` whole blocks: ((sum of the four) * base) >> shift into a
// top and a bottom row, saturated to 16 bits.
inline void InverseChroma16(const int32_t* ll, const int32_t* hl, const int32_t* lh,
                            const int32_t* hh, int blocks, int32_t base, int shift, int16_t* top,
                            int16_t* bottom) {
  auto store = [](int32_t v) {
    return static_cast<int16_t>(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
  };
  for (int x = 0; x < blocks; ++x) {
    top[2 * x] = store(((ll[x] + hl[x] + lh[x] + hh[x]) * base) >> shift);
    top[2 * x + 1] = store(((ll[x] - hl[x] + lh[x] - hh[x]) * base) >> shift);
    bottom[2 * x] = store(((ll[x] + hl[x] - lh[x] - hh[x]) * base) >> shift);
    bottom[2 * x + 1] = store(((ll[x] - hl[x] - lh[x] + hh[x]) * base) >> shift);
  }
}
