#pragma once
// The packets in a fuzz input, read one after another from byte At on as a program waiting for
// answers would read them, until the input runs out.
#include "u_Kermit.h"

#include <cstddef>
#include <cstdint>

template <typename TOnPacket>
void ForEachPacket(const uint8_t *Data, size_t Size, size_t At, int CheckType, bool SevenBit, bool EightBitData,
                   const TOnPacket &OnPacket)
{
    const Tkermit::TByteSource source = [&](uint8_t &Byte) {
        if (At >= Size)
            return false;
        Byte = Data[At++];
        return true;
    };
    TKermitPacket packet;
    while (At < Size) {
        const size_t before = At;
        if (Tkermit::ReadPacket(source, CheckType, SevenBit, packet, EightBitData))
            OnPacket(packet);
        if (At == before)
            break;
    }
}
