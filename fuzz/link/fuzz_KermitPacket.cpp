// Whatever a calculator (or line noise) sends back must be read safely: the packet reader with
// every check type, and the send-init answer's parameters.
#include "u_Kermit.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    if (Size == 0)
        return 0;
    const int checkType = 1 + Data[0] % 3;
    const bool sevenBit = Data[0] & 4;
    size_t at = 1;
    const Tkermit::TByteSource source = [&](uint8_t &Byte) {
        if (at >= Size)
            return false;
        Byte = Data[at++];
        return true;
    };
    // Read packets until the input runs out, as a sender waiting for acknowledgements would.
    TKermitPacket packet;
    while (at < Size) {
        const size_t before = at;
        if (Tkermit::ReadPacket(source, checkType, sevenBit, packet))
            (void)Tkermit::ParsePeerParams(packet.Data);
        if (at == before)
            break;
    }
    (void)Tkermit::ParsePeerParams(QByteArray(reinterpret_cast<const char *>(Data), qsizetype(Size)));
    return 0;
}
