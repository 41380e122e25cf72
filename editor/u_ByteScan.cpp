#include "u_ByteScan.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

qsizetype CountByte(QByteArrayView Data, uint8_t Byte)
{
    const auto *p = reinterpret_cast<const uint8_t *>(Data.data());
    const qsizetype n = Data.size();
    qsizetype i = 0, count = 0;
#if defined(__SSE2__)
    const __m128i b = _mm_set1_epi8(char(Byte));
    const __m128i zero = _mm_setzero_si128();
    while (i + 16 <= n) {
        // Each lane counts up to 255 matches (a match compares as -1), then the lanes are summed.
        __m128i lanes = zero;
        for (int block = 0; block < 255 && i + 16 <= n; ++block, i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(v, b));
        }
        const __m128i sums = _mm_sad_epu8(lanes, zero);
        count += _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
    }
#endif
    for (; i < n; ++i)
        count += p[i] == Byte;
    return count;
}

uint8_t OrOfBytes(const uint8_t *Data, qsizetype N)
{
    uint64_t any = 0;
    qsizetype i = 0;
    for (; i + 8 <= N; i += 8) {
        uint64_t w;
        std::memcpy(&w, Data + i, 8);
        any |= w;
    }
    uint8_t rest = 0;
    for (; i < N; ++i)
        rest |= Data[i];
    for (int shift = 0; shift < 64; shift += 8)
        rest |= uint8_t(any >> shift);
    return rest;
}
