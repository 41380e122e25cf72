#include "u_HPNibs.h"

#include <algorithm>

// ---------------------------------------------------------------- TNibbleReader

int TNibbleReader::Nibble()
{
    if (AtEnd()) {
        FShort = true;
        return 0;
    }
    return NibbleAt(FNibble++);
}

int32_t TNibbleReader::PeekNumber5() const
{
    int32_t value = 0;
    const qsizetype end = std::min(FNibble + 5, 2 * FSize);
    for (qsizetype i = FNibble; i < end; ++i)
        value |= int32_t(NibbleAt(i)) << (4 * (i - FNibble));
    return value;
}

int32_t TNibbleReader::Number5()
{
    const int32_t value = PeekNumber5();
    SkipNibbles(5);
    return value;
}

uint8_t TNibbleReader::Byte()
{
    if (FNibble % 2 == 0 && Holds(2)) {
        const uint8_t b = FData[FNibble / 2];
        FNibble += 2;
        return b;
    }
    const int low = Nibble();
    return uint8_t(low | (Nibble() << 4));
}

QByteArrayView TNibbleReader::Bytes(qsizetype Count)
{
    if (FNibble % 2)
        SkipNibbles(1);
    const qsizetype at = FNibble / 2;
    Count = std::max<qsizetype>(Count, 0);
    const qsizetype held = std::min(Count, FSize - at);
    SeekByte(at + Count);
    return QByteArrayView(FData + at, held);
}

void TNibbleReader::SkipNibbles(qsizetype Count)
{
    if (Count < 0)
        return;
    if (!Holds(Count)) {
        FShort = true;
        FNibble = 2 * FSize;
        return;
    }
    FNibble += Count;
}

void TNibbleReader::SeekByte(qsizetype Index)
{
    if (Index < 0 || Index > FSize) {
        FShort = true;
        FNibble = Index < 0 ? 0 : 2 * FSize;
        return;
    }
    FNibble = 2 * Index;
}

// ---------------------------------------------------------------- TNibbleWriter

void TNibbleWriter::Nibble(int Value)
{
    if (FHalf) {
        char &b = FOut[FOut.size() - 1];
        b = char(uint8_t(b) | ((Value & 0x0F) << 4));
    } else {
        FOut.append(char(Value & 0x0F));
    }
    FHalf = !FHalf;
}

void TNibbleWriter::Number5(int32_t Value)
{
    for (int i = 0; i < 5; ++i)
        Nibble(Value >> (4 * i));
}

void TNibbleWriter::Byte(uint8_t Value)
{
    if (!FHalf) {
        FOut.append(char(Value));
        return;
    }
    Nibble(Value);
    Nibble(Value >> 4);
}

void TNibbleWriter::Bytes(QByteArrayView Data)
{
    if (!FHalf) {
        FOut.append(Data);
        return;
    }
    for (const char c : Data)
        Byte(uint8_t(c));
}
