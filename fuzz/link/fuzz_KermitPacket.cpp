// Whatever a calculator (or line noise) sends back must be read safely: the packet reader with
// every check type, and the send-init answer's parameters.
#include "fuzz_packets.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    if (Size == 0)
        return 0;
    const int checkType = 1 + Data[0] % 3;
    const bool sevenBit = Data[0] & 4;
    // Packets as a sender waiting for acknowledgements would read them.
    ForEachPacket(Data, Size, 1, checkType, sevenBit, false,
                  [](const TKermitPacket &Packet) { (void)Tkermit::ParsePeerParams(Packet.Data); });
    (void)Tkermit::ParsePeerParams(QByteArray(reinterpret_cast<const char *>(Data), qsizetype(Size)));
    return 0;
}
