#pragma once
// Calculator binary data: bytes read and written as nibbles (low half of a byte first), bytes and
// 5-nibble little-endian numbers, plus the object constants the document and grob code share.
#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

constexpr int32_t PrologString = 0x02A2C;
constexpr int32_t PrologGrob = 0x02B1E;
constexpr int32_t PrologList = 0x02A74;
constexpr int32_t PrologProgram = 0x02D9D;

inline constexpr char HeaderHP48[] = "HPHP48-E";
inline constexpr char HeaderHP49[] = "HPHP49-C";
constexpr int HeaderLength = 8;

// Reads calculator data held elsewhere; the data must outlive the reader. The cursor counts
// nibbles and never leaves the data: a read that runs past the end takes what is there, reads
// the rest as zero, leaves the cursor at the end and marks the reader short, so that the caller
// can tell a damaged file from a complete one after any number of reads.
class TNibbleReader {
public:
    explicit TNibbleReader(QByteArrayView Data) : FData(reinterpret_cast<const uint8_t *>(Data.data())), FSize(Data.size()) {}

    qsizetype Size() const { return FSize; }
    // The cursor in nibbles from the start, and the byte it stands in.
    qsizetype NibblePos() const { return FNibble; }
    qsizetype BytePos() const { return FNibble / 2; }
    bool AtEnd() const { return FNibble >= 2 * FSize; }
    // Whether NibbleCount more nibbles lie inside the data.
    bool Holds(qsizetype NibbleCount) const { return NibbleCount >= 0 && NibbleCount <= 2 * FSize - FNibble; }
    // Some read or skip wanted more than the data holds.
    bool Short() const { return FShort; }

    int Nibble();
    // Five nibbles, the lowest first.
    int32_t Number5();
    // The number Number5 would read, without moving; Holds(5) says whether it is complete.
    int32_t PeekNumber5() const;
    // Two nibbles, the lower first.
    uint8_t Byte();
    // Count whole bytes from the cursor, which must stand on a byte boundary (a cursor in mid-byte
    // first moves to the next one). Only the bytes the data holds are returned; the cursor moves
    // by Count all the same, as far as the end.
    QByteArrayView Bytes(qsizetype Count);
    void SkipNibbles(qsizetype Count);
    // Puts the cursor on byte Index; past the end it stays at the end and the reader is short.
    void SeekByte(qsizetype Index);

private:
    int NibbleAt(qsizetype Index) const { return Index % 2 ? FData[Index / 2] >> 4 : FData[Index / 2] & 0x0F; }

    const uint8_t *FData;
    qsizetype FSize;
    qsizetype FNibble = 0;
    bool FShort = false;
};

// Appends calculator data to a byte string of its own, nibble by nibble or a byte at a time.
class TNibbleWriter {
public:
    TNibbleWriter() = default;
    void Reserve(qsizetype Bytes) { FOut.reserve(Bytes); }

    void Nibble(int Value);
    // The low 20 bits of Value as five nibbles, the lowest first.
    void Number5(int32_t Value);
    void Byte(uint8_t Value);
    void Bytes(QByteArrayView Data);

    qsizetype NibbleCount() const { return 2 * FOut.size() - (FHalf ? 1 : 0); }
    const QByteArray &Data() const { return FOut; }
    // The bytes written; a last half-filled byte has a clear high half.
    QByteArray Take() { FHalf = false; return std::move(FOut); }

private:
    QByteArray FOut;
    bool FHalf = false; // the last byte's high half is still to come
};
