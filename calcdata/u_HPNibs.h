#pragma once
// Calculator binary data: a growable byte buffer read and written as nibbles (low half first),
// bits (bit 0 first), bytes and 5-nibble little-endian numbers, plus the object constants the
// document and grob code share.
#include <QByteArray>
#include <cstdint>
#include <vector>

class QIODevice;

constexpr int32_t PrologString = 0x02A2C;
constexpr int32_t PrologGrob = 0x02B1E;
constexpr int32_t PrologList = 0x02A74;
constexpr int32_t PrologProgram = 0x02D9D;

inline constexpr char HeaderHP48[] = "HPHP48-E";
inline constexpr char HeaderHP49[] = "HPHP49-C";
constexpr int HeaderLength = 8;

class TArrNib {
public:
    TArrNib();

    bool AtEnd() const { return FPosition >= FSize; }
    void GrowTo(int32_t Index);

    int ReadNibble();
    void WriteNibble(int Value);
    int32_t ReadNumber5();
    void WriteNumber5(int32_t Value);
    uint8_t ReadByte();
    void WriteByte(uint8_t Value);
    void ReadChars(int32_t Count, QByteArray &Text);
    void WriteChars(const QByteArray &Text);
    bool ReadBit();
    void WriteBit(int Value);
    // Reads up to Count bytes from the device into the buffer at the cursor. The cursor and the
    // size count Count bytes even when the device delivers fewer; the missing bytes keep their
    // previous content. Returns the bytes actually read.
    qint64 ReadFromStream(QIODevice &Stream, int32_t Count);
    void WriteBlock(const void *Source, int32_t Count);

    // The bytes in use, for writing the image to a file.
    QByteArray Bytes() const;
    const uint8_t *Data() const { return FBuffer.data(); }

    // Cursor fields are public: callers rewind or jump to a known byte directly.
    std::vector<uint8_t> FBuffer;
    int32_t FCapacity;
    int32_t FSize = 0;
    uint8_t FNibblePos = 0;
    uint8_t FBitPos = 0;
    int32_t FPosition = 0;

private:
    // Bytes outside the allocation read as 0, whatever a file claims its lengths to be.
    uint8_t At(int32_t Index) const
    {
        return Index >= 0 && Index < FCapacity ? FBuffer[size_t(Index)] : 0;
    }
};
