// What a server sends when it is asked for a file must be taken safely: packets whose data keep
// their eighth bit, file data and names decoded with any prefixes, and the local name made from
// the remote one never leading out of the receiving folder.
#include "fuzz_packets.h"
#include "u_ReceivedFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    if (Size < 4)
        return 0;
    const int checkType = 1 + Data[0] % 3;
    const uint8_t qctl = Data[1];
    const uint8_t qbin = Data[2] & 1 ? 0 : Data[2];
    const uint8_t rept = Data[3] & 1 ? 0 : Data[3];
    ForEachPacket(Data, Size, 4, checkType, false, true, [&](const TKermitPacket &Packet) {
        QByteArray decoded;
        Tkermit::DecodeData(Packet.Data, qctl, qbin, rept, decoded);
        const QString name = SafeLocalName(decoded);
        if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.')))
            std::abort();
    });
    QByteArray decoded;
    Tkermit::DecodeData(QByteArray(reinterpret_cast<const char *>(Data), qsizetype(Size)), qctl, qbin, rept, decoded);
    return 0;
}
