#include "u_HPNibs.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>

namespace {
constexpr int32_t GrowthStep = 1000;
}

TArrNib::TArrNib() : FBuffer(GrowthStep, 0), FCapacity(GrowthStep) {}

void TArrNib::GrowTo(int32_t Index)
{
    if (Index > FSize - 1)
        FSize = Index + 1;
    if (FSize >= FCapacity) {
        // A fixed step beyond the size in use: one reallocation covers any single block write.
        FCapacity = FSize + GrowthStep;
        FBuffer.resize(size_t(FCapacity), 0);
    }
}

int TArrNib::ReadNibble()
{
    const uint8_t b = At(FPosition);
    const int value = FNibblePos == 0 ? (b & 0x0F) : (b >> 4);
    if (++FNibblePos == 2) {
        FNibblePos = 0;
        ++FPosition;
    }
    return value;
}

void TArrNib::WriteNibble(int Value)
{
    GrowTo(FPosition);
    uint8_t &b = FBuffer[size_t(FPosition)];
    if (FNibblePos == 0)
        b = uint8_t((b & 0xF0) | (Value & 0x0F));
    else
        b = uint8_t((b & 0x0F) | ((Value & 0x0F) << 4));
    if (++FNibblePos == 2) {
        FNibblePos = 0;
        ++FPosition;
    }
}

int32_t TArrNib::ReadNumber5()
{
    int32_t value = 0;
    for (int i = 0; i < 5; ++i)
        value |= int32_t(ReadNibble()) << (4 * i);
    return value;
}

void TArrNib::WriteNumber5(int32_t Value)
{
    for (int i = 0; i < 5; ++i)
        WriteNibble((Value >> (4 * i)) & 15);
}

uint8_t TArrNib::ReadByte()
{
    return At(FPosition++);
}

void TArrNib::WriteByte(uint8_t Value)
{
    GrowTo(FPosition);
    FBitPos = 0;
    FBuffer[size_t(FPosition)] = Value;
    ++FPosition;
}

void TArrNib::ReadChars(int32_t Count, QByteArray &Text)
{
    if (Count <= 0)
        return;
    // Only what lies inside the allocation is copied; the rest reads as zero bytes.
    const qsizetype start = Text.size();
    Text.resize(start + Count, '\0');
    const int32_t inside = FPosition >= 0 ? std::clamp(FCapacity - FPosition, 0, Count) : 0;
    if (inside > 0)
        std::memcpy(Text.data() + start, FBuffer.data() + FPosition, size_t(inside));
    FPosition += Count;
}

void TArrNib::WriteChars(const QByteArray &Text)
{
    if (!Text.isEmpty()) {
        WriteBlock(Text.constData(), int32_t(Text.size()));
        FBitPos = 0;
    }
}

bool TArrNib::ReadBit()
{
    const bool set = (At(FPosition) >> FBitPos) & 1;
    if (++FBitPos == 8) {
        FBitPos = 0;
        ++FPosition;
    }
    return set;
}

void TArrNib::WriteBit(int Value)
{
    GrowTo(FPosition);
    uint8_t &b = FBuffer[size_t(FPosition)];
    b = uint8_t((b & ~(1u << FBitPos)) | ((Value & 1u) << FBitPos));
    if (++FBitPos == 8) {
        FBitPos = 0;
        ++FPosition;
    }
}

qint64 TArrNib::ReadFromStream(QIODevice &Stream, int32_t Count)
{
    if (Count <= 0)
        return 0;
    GrowTo(FPosition + Count - 1);
    const qint64 got = Stream.read(reinterpret_cast<char *>(FBuffer.data()) + FPosition, Count);
    FPosition += Count;
    return got;
}

void TArrNib::WriteBlock(const void *Source, int32_t Count)
{
    if (Count <= 0)
        return;
    GrowTo(FPosition + Count - 1);
    std::memcpy(FBuffer.data() + FPosition, Source, size_t(Count));
    FPosition += Count;
}

QByteArray TArrNib::Bytes() const
{
    return QByteArray(reinterpret_cast<const char *>(FBuffer.data()), FSize);
}
