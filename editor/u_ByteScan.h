#pragma once
// Scanning a file's bytes for the few codes that matter, many bytes at a time: the readers look
// for style codes and line ends, the line builder for characters a kind refuses. Plain text is
// nearly all of a document, so these loops decide how fast a file opens.
#include <QByteArrayView>

#include <array>
#include <cstdint>

// A small set of byte values: every value below Below, and the values in Equal (repeat one to
// use fewer than four).
struct TByteSet {
    uint8_t Below = 0;
    std::array<uint8_t, 4> Equal{};
    bool Has(uint8_t C) const { return C < Below || C == Equal[0] || C == Equal[1] || C == Equal[2] || C == Equal[3]; }
};

// The first position in [From, To) where Data holds a byte of Set, or To.
qsizetype FindFirstIn(const uint8_t *Data, qsizetype From, qsizetype To, const TByteSet &Set);
// How many times Byte occurs in Data.
qsizetype CountByte(QByteArrayView Data, uint8_t Byte);
// The bitwise or of N bytes: zero when every one is zero.
uint8_t OrOfBytes(const uint8_t *Data, qsizetype N);
