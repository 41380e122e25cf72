#pragma once
// The sending half of the Kermit file-transfer protocol, reduced to what a calculator waiting in
// Kermit server mode needs: the send-init exchange, files as F, D... Z packets, and the break. It
// never receives files; the only packets it reads are acknowledgements. Everything runs on the
// caller's thread; two events let the caller show progress and ask to stop.
#include "u_Errors.h"
#include "u_seriepack.h"

#include <QByteArray>
#include <cstdint>
#include <functional>

// The speed transfers run at: what both calculators' Kermit settings screens propose.
constexpr int CalculatorBaud = 9600;

// Raised by SendFile when the progress handler asks to stop.
class ETransferCancelled : public EError { using EError::EError; };

// The parameters one side announces in the send-init exchange, decoded.
struct TKermitParams {
    int MaxL = 94;    // longest packet, counted from LEN to the end of the check
    int Time = 10;    // seconds the side waits for a packet
    int NPad = 0;     // padding characters in front of each packet
    uint8_t PadC = 0; // the padding character
    uint8_t Eol = 13; // the character that ends each packet
    uint8_t QCtl = '#';
    uint8_t QBin = '&';
    int CheckType = 1; // block-check type 1, 2 or 3
};

// A packet as read from the line.
struct TKermitPacket {
    char Type = 0;
    int Seq = 0;
    QByteArray Data;
};

class Tkermit : public Tseriepack {
public:
    // Number is the counter of the packet just written (0 for the first of a connection).
    using TPacketEvent = std::function<void(int Number)>;
    // Position bytes of Total have been acknowledged or are about to be sent; setting Cancel stops
    // the file after the packet just acknowledged.
    using TProgressEvent = std::function<void(qint64 Position, bool &Cancel, qint64 Total)>;
    // Yields the next byte from the line; false when none arrived within the read limit.
    using TByteSource = std::function<bool(uint8_t &Byte)>;

    Tkermit();

    // Opens the port and sets the read limit to the own TIME, so that a read waits at most 2 s.
    using Tseriepack::Open;
    void Open(const QString &Device) override;
    // Changes baud rate, parity code, byte size and stop-bits code of the line; parity checking
    // follows Parity, XON/XOFF is off in both directions, everything else stays.
    void SetLineSettings(int Baud, int Parity, int ByteSize, int StopBits);

    // The send-init exchange: true when the calculator acknowledged it; its parameters are then in
    // force for the rest of the connection.
    bool Connect();
    // Sends one file held in memory under RemoteName. Raises EErrorTransmission "Error while
    // receiving packet" when a packet is not acknowledged and ETransferCancelled "Transfer
    // cancelled" when OnProgress asks to stop; the connection can then only start again.
    void SendFile(const QByteArray &RemoteName, const char *Buffer, qint64 Size);
    void SendFile(const QByteArray &RemoteName, const QByteArray &Data)
    {
        SendFile(RemoteName, Data.constData(), Data.size());
    }
    // The break exchange: true when the calculator acknowledged it.
    bool Disconnect();

    TPacketEvent OnPacket;
    TProgressEvent OnProgress;

    const TKermitParams &OwnParams() const { return FOwn; }
    const TKermitParams &PeerParams() const { return FPeer; }
    int CheckType() const { return FPeer.CheckType; }
    int PacketCounter() const { return FSeq; }

    // The packet rules themselves, without a line.
    // File data as it travels: "&" in front of a byte with its high bit set, "#" in front of a
    // control character (sent as ctl of it) and in front of a literal "#" or "&".
    static QByteArray EncodeByte(uint8_t Value);
    static int EncodedLength(uint8_t Value);
    static void AppendEncodedByte(QByteArray &Out, uint8_t Value);
    // The check over Span (the characters from LEN to the end of DATA); SevenBit counts each
    // character with its low 7 bits only, as a line with a parity bit delivers them.
    static QByteArray BlockCheck(const QByteArray &Span, int CheckType, bool SevenBit);
    // A whole packet as written to the line, padding and end-of-line character included.
    static QByteArray BuildPacket(char Type, int Seq, const QByteArray &Data, const TKermitParams &Peer, bool SevenBit);
    // Reads one packet from NextByte (each byte masked to 7 bits): hunts for MARK, then takes the
    // length, sequence number, type, data and check. False when no packet came, when the packet is
    // cut short, when its length cannot hold its own check, or when the check does not match.
    static bool ReadPacket(const TByteSource &NextByte, int CheckType, bool SevenBit, TKermitPacket &Packet);
    // Decodes the data field of the calculator's answer to the send-init packet.
    static TKermitParams ParsePeerParams(const QByteArray &Data);

    // The data field of the send-init packet, from the own parameters.
    QByteArray BuildSendInit() const;

protected:
    bool SendPacket(char Type, const QByteArray &Data);
    bool ReceivePacket(TKermitPacket &Packet);
    // Reads the answer to the packet just sent: "Y" for it, or "N" for the next one. Data, when
    // given, receives the answer's data field.
    bool WaitAck(QByteArray *Data = nullptr);

private:
    void SendOrRaise(char Type, const QByteArray &Data);
    bool SevenBitChecks() const { return FLineSettings.Parity != 0; }

    int FSeq = -1;
    TKermitParams FOwn;
    TKermitParams FPeer;
};
