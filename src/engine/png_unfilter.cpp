#include "engine/png_unfilter.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kerfel {
namespace {

uint8_t Paeth(int a, int b, int c) {
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    return static_cast<uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

void AverageBytes(uint8_t* row, const uint8_t* above, size_t bytes, unsigned step) {
    for (size_t i = 0; i < step; ++i) row[i] = uint8_t(row[i] + above[i] / 2);
    for (size_t i = step; i < bytes; ++i) row[i] = uint8_t(row[i] + (row[i - step] + above[i]) / 2);
}

void PaethBytes(uint8_t* row, const uint8_t* above, size_t bytes, unsigned step) {
    for (size_t i = 0; i < step; ++i) row[i] = uint8_t(row[i] + above[i]);
    for (size_t i = step; i < bytes; ++i) row[i] = uint8_t(row[i] + Paeth(row[i - step], above[i], above[i - step]));
}

#if defined(__SSE2__)
// A pixel's N bytes, one in each 16-bit lane; the lanes after them hold
// what follows the pixel, which is worked on and never stored. Reading 8
// bytes at once, where the row has them, spares a stall on every pixel.
template <unsigned N>
__m128i Load(const uint8_t* p, const uint8_t* end) {
    __m128i v;
    if (p + 8 <= end) {
        v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    } else {
        uint64_t bytes = 0;
        std::memcpy(&bytes, p, N);
        v = _mm_cvtsi64_si128(static_cast<long long>(bytes));
    }
    return _mm_unpacklo_epi8(v, _mm_setzero_si128());
}

template <unsigned N>
void Store(uint8_t* p, __m128i lanes) {
    const uint64_t v = static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_packus_epi16(lanes, lanes)));
    std::memcpy(p, &v, N);
}

__m128i Abs(__m128i x) { return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x)); }

// Sum of filtered byte and prediction, kept to a byte.
__m128i AddBytes(__m128i x, __m128i prediction) {
    return _mm_and_si128(_mm_add_epi16(x, prediction), _mm_set1_epi16(0xff));
}

template <unsigned N>
void AveragePixels(uint8_t* row, const uint8_t* above, size_t bytes) {
    __m128i a = _mm_setzero_si128();
    for (size_t i = 0; i < bytes; i += N) {
        const __m128i b = Load<N>(above + i, above + bytes);
        a = AddBytes(Load<N>(row + i, row + bytes), _mm_srli_epi16(_mm_add_epi16(a, b), 1));
        Store<N>(row + i, a);
    }
}

// Picks a, b or c by the same ties as the byte-wise predictor: a when its
// distance is the least, else b when its is, else c.
template <unsigned N>
void PaethPixels(uint8_t* row, const uint8_t* above, size_t bytes) {
    __m128i a = _mm_setzero_si128(), c = _mm_setzero_si128();
    for (size_t i = 0; i < bytes; i += N) {
        const __m128i b = Load<N>(above + i, above + bytes);
        const __m128i pa = Abs(_mm_sub_epi16(b, c)), pb = Abs(_mm_sub_epi16(a, c));
        const __m128i pc = Abs(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
        const __m128i least = _mm_min_epi16(_mm_min_epi16(pa, pb), pc);
        const __m128i takeA = _mm_cmpeq_epi16(pa, least), takeB = _mm_cmpeq_epi16(pb, least);
        const __m128i bOrC = _mm_or_si128(_mm_and_si128(takeB, b), _mm_andnot_si128(takeB, c));
        const __m128i prediction = _mm_or_si128(_mm_and_si128(takeA, a), _mm_andnot_si128(takeA, bOrC));
        a = AddBytes(Load<N>(row + i, row + bytes), prediction);
        Store<N>(row + i, a);
        c = b;
    }
}

// False for one or two bytes a pixel, where bytewise is as quick.
bool ByPixel(bool paeth, uint8_t* row, const uint8_t* above, size_t bytes, unsigned step) {
    switch (step) {
        case 3: paeth ? PaethPixels<3>(row, above, bytes) : AveragePixels<3>(row, above, bytes); return true;
        case 4: paeth ? PaethPixels<4>(row, above, bytes) : AveragePixels<4>(row, above, bytes); return true;
        case 6: paeth ? PaethPixels<6>(row, above, bytes) : AveragePixels<6>(row, above, bytes); return true;
        case 8: paeth ? PaethPixels<8>(row, above, bytes) : AveragePixels<8>(row, above, bytes); return true;
        default: return false;
    }
}
#endif

}  // namespace

bool UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* above, size_t bytes, unsigned step) {
    switch (filter) {
        case 0: return true;
        case 1:
            for (size_t i = step; i < bytes; ++i) row[i] = uint8_t(row[i] + row[i - step]);
            return true;
        case 2:
            for (size_t i = 0; i < bytes; ++i) row[i] = uint8_t(row[i] + above[i]);
            return true;
        case 3:
#if defined(__SSE2__)
            if (ByPixel(false, row, above, bytes, step)) return true;
#endif
            AverageBytes(row, above, bytes, step);
            return true;
        case 4:
#if defined(__SSE2__)
            if (ByPixel(true, row, above, bytes, step)) return true;
#endif
            PaethBytes(row, above, bytes, step);
            return true;
        default: return false;
    }
}

}  // namespace kerfel
