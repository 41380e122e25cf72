#pragma once
// Scanning a file's bytes for the few codes that matter, many bytes at a time: the readers look
// for style codes and line ends, the line builder for characters a kind refuses. Plain text is
// nearly all of a document, so these loops decide how fast a file opens.
#include <QByteArrayView>

#include <array>
#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// A small set of byte values: every value below Below, and the values in Equal (repeat one to
// use fewer than four).
struct TByteSet {
    uint8_t Below = 0;
    std::array<uint8_t, 4> Equal{};
    bool Has(uint8_t C) const { return C < Below || C == Equal[0] || C == Equal[1] || C == Equal[2] || C == Equal[3]; }
};

// Finds the bytes of one set, sixteen bytes at a time where the processor allows. Made once for
// a scan that looks many times: runs between codes are short.
class TByteFinder {
public:
    explicit TByteFinder(const TByteSet &Set) : FSet(Set)
    {
#if defined(__SSE2__)
        FBelow = _mm_set1_epi8(char(Set.Below));
        for (size_t i = 0; i < 4; ++i)
            FEqual[i] = _mm_set1_epi8(char(Set.Equal[i]));
#endif
    }

    // The first position in [From, To) where Data holds a byte of the set, or To.
    qsizetype Find(const uint8_t *Data, qsizetype From, qsizetype To) const
    {
        qsizetype i = From;
#if defined(__SSE2__)
        for (; i + 16 <= To; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(Data + i));
            // Below minus the byte, saturated, is zero exactly when the byte is not below.
            const __m128i notBelow = _mm_cmpeq_epi8(_mm_subs_epu8(FBelow, v), _mm_setzero_si128());
            const __m128i equal = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, FEqual[0]), _mm_cmpeq_epi8(v, FEqual[1])),
                                               _mm_or_si128(_mm_cmpeq_epi8(v, FEqual[2]), _mm_cmpeq_epi8(v, FEqual[3])));
            const unsigned hits = unsigned(_mm_movemask_epi8(equal)) | (~unsigned(_mm_movemask_epi8(notBelow)) & 0xFFFFu);
            if (hits)
                return i + std::countr_zero(hits);
        }
#endif
        for (; i < To; ++i)
            if (FSet.Has(Data[i]))
                return i;
        return To;
    }

private:
    TByteSet FSet;
#if defined(__SSE2__)
    __m128i FBelow, FEqual[4];
#endif
};

// How many times Byte occurs in Data.
qsizetype CountByte(QByteArrayView Data, uint8_t Byte);
// The bitwise or of N bytes: zero when every one is zero.
uint8_t OrOfBytes(const uint8_t *Data, qsizetype N);
