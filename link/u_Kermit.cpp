#include "u_Kermit.h"

#include "u_ResourceStrings.h"

namespace {
constexpr uint8_t Mark = 0x01;
constexpr uint8_t QCtl = '#';
constexpr uint8_t QBin = '&';
// Kermit's LEN character cannot describe a longer packet.
constexpr int LongestPacket = 94;
// Longest encoding of one data byte: "&#" and the byte.
constexpr int LongestEncoding = 3;
// How long the hunt for the start of a packet may go on: a stray byte costs 1, a read that times
// out costs 10, so a silent line gives up after two read limits.
constexpr int MarkHuntBudget = 20;
constexpr int StrayByteCost = 1;
constexpr int SilenceCost = 10;
// The whole of one answer, from the start of the hunt to its last check character, arrives within
// two read limits and a second: a silent line still gives up after two read limits, a real answer
// at 9600 baud takes a tenth of a second, and a peer that drips bytes cannot hold the transfer.
constexpr int AnswerReadLimits = 2;
constexpr int AnswerMarginMs = 1000;

constexpr uint8_t tochar(int x) { return uint8_t(x + 32); }
constexpr int unchar(uint8_t c) { return uint8_t(c - 32); }
constexpr uint8_t ctl(uint8_t c) { return c ^ 64; }

// What the calculator's answer leaves out takes these values.
TKermitParams PeerDefaults()
{
    TKermitParams p;
    p.MaxL = 94;
    p.Time = 10;
    p.NPad = 0;
    p.PadC = 12;
    p.Eol = 12;
    p.QCtl = 12;
    p.QBin = 12;
    p.CheckType = 1;
    return p;
}

uint16_t Crc16(const QByteArray &Span, bool SevenBit)
{
    unsigned crc = 0;
    for (char ch : Span) {
        const unsigned c = uint8_t(ch) & (SevenBit ? 0x7Fu : 0xFFu);
        crc = (crc >> 4) ^ (((crc ^ c) & 0x0F) * 0x1081);
        crc = (crc >> 4) ^ (((crc ^ (c >> 4)) & 0x0F) * 0x1081);
    }
    return uint16_t(crc);
}

[[noreturn]] void RaiseReceiveError()
{
    throw EErrorTransmission(ResString(TResId::sErrorReceivingPacket));
}
} // namespace

Tkermit::Tkermit()
{
    FOwn.MaxL = 94;
    FOwn.Time = 2;
    FOwn.NPad = 0;
    FOwn.PadC = 0;
    FOwn.Eol = 13;
    FOwn.QCtl = QCtl;
    FOwn.QBin = QBin;
    FOwn.CheckType = 1;
    FPeer = PeerDefaults();
}

void Tkermit::Open(const QString &Device)
{
    Tseriepack::Open(Device);
    SetTimeouts(FOwn.Time);
}

void Tkermit::SetLineSettings(int Baud, int Parity, int ByteSize, int StopBits)
{
    TLineSettings s = FLineSettings;
    s.BaudRate = Baud;
    s.Parity = Parity;
    s.ByteSize = ByteSize;
    s.StopBits = StopBits;
    s.ParityCheck = Parity != 0;
    s.OutX = false;
    s.InX = false;
    ApplyLineSettings(s);
}

int Tkermit::EncodedLength(uint8_t Value)
{
    int n = 1;
    if (Value & 0x80) {
        ++n;
        Value &= 0x7F;
    }
    if (Value < 32 || Value == 127 || Value == QCtl || Value == QBin)
        ++n;
    return n;
}

void Tkermit::AppendEncodedByte(QByteArray &Out, uint8_t Value)
{
    if (Value & 0x80) {
        Out.append(char(QBin));
        Value &= 0x7F;
    }
    if (Value < 32 || Value == 127) {
        Out.append(char(QCtl));
        Value = ctl(Value);
    } else if (Value == QCtl || Value == QBin) {
        Out.append(char(QCtl));
    }
    Out.append(char(Value));
}

QByteArray Tkermit::EncodeByte(uint8_t Value)
{
    QByteArray out;
    AppendEncodedByte(out, Value);
    return out;
}

QByteArray Tkermit::BlockCheck(const QByteArray &Span, int CheckType, bool SevenBit)
{
    QByteArray check;
    if (CheckType == 3) {
        const uint16_t crc = Crc16(Span, SevenBit);
        check.append(char(tochar((crc >> 12) & 0x0F)));
        check.append(char(tochar((crc >> 6) & 0x3F)));
        check.append(char(tochar(crc & 0x3F)));
        return check;
    }
    unsigned sum = 0;
    for (char ch : Span)
        sum += uint8_t(ch) & (SevenBit ? 0x7Fu : 0xFFu);
    sum &= 0x0FFF;
    if (CheckType == 2) {
        check.append(char(tochar((sum >> 6) & 0x3F)));
        check.append(char(tochar(sum & 0x3F)));
    } else {
        check.append(char(tochar((sum + ((sum & 0xC0) >> 6)) & 0x3F)));
    }
    return check;
}

QByteArray Tkermit::BuildPacket(char Type, int Seq, const QByteArray &Data, const TKermitParams &Peer, bool SevenBit)
{
    QByteArray span;
    span.reserve(Data.size() + 3);
    span.append(char(tochar(int(Data.size()) + 2 + Peer.CheckType)));
    span.append(char(tochar(Seq % 64)));
    span.append(Type);
    span.append(Data);

    QByteArray packet(Peer.NPad, char(Peer.PadC));
    packet.reserve(Peer.NPad + span.size() + 6);
    packet.append(char(Mark));
    packet.append(span);
    packet.append(BlockCheck(span, Peer.CheckType, SevenBit));
    packet.append(char(Peer.Eol));
    return packet;
}

bool Tkermit::ReadPacket(const TByteSource &NextByte, int CheckType, bool SevenBit, TKermitPacket &Packet)
{
    uint8_t b = 0;
    int budget = MarkHuntBudget;
    for (;;) {
        if (!NextByte(b))
            budget -= SilenceCost;
        else if ((b & 0x7F) == Mark)
            break;
        else
            budget -= StrayByteCost;
        if (budget <= 0)
            return false;
    }

    // From here on every byte belongs to the packet: one that does not come fails the packet at
    // once instead of waiting out the rest of it.
    QByteArray span;
    for (int i = 0; i < 3; ++i) {
        if (!NextByte(b))
            return false;
        span.append(char(b & 0x7F));
    }
    const int count = unchar(uint8_t(span.at(0))) - 2 - CheckType;
    if (count < 0)
        return false;
    for (int i = 0; i < count; ++i) {
        if (!NextByte(b))
            return false;
        span.append(char(b & 0x7F));
    }
    QByteArray check;
    for (int i = 0; i < CheckType; ++i) {
        if (!NextByte(b))
            return false;
        check.append(char(b & 0x7F));
    }

    Packet.Seq = unchar(uint8_t(span.at(1)));
    Packet.Type = span.at(2);
    Packet.Data = span.mid(3);
    return check == BlockCheck(span, CheckType, SevenBit);
}

TKermitParams Tkermit::ParsePeerParams(const QByteArray &Data)
{
    TKermitParams p = PeerDefaults();
    const qsizetype n = Data.size();
    auto at = [&Data](int i) { return uint8_t(Data.at(i)); };
    if (n > 0)
        p.MaxL = unchar(at(0));
    if (n > 1)
        p.Time = unchar(at(1));
    if (n > 2)
        p.NPad = unchar(at(2));
    if (n > 3)
        p.PadC = ctl(at(3));
    if (n > 4)
        p.Eol = uint8_t(unchar(at(4)));
    if (n > 5)
        p.QCtl = at(5);
    if (n > 6)
        p.QBin = at(6);
    if (n > 7)
        p.CheckType = at(7) - '0';

    // Answers this side cannot honour fall back to what every Kermit understands: an unknown
    // check type to type 1, a packet length the LEN character cannot express or too short to
    // carry one encoded byte to 94.
    if (p.CheckType < 1 || p.CheckType > 3)
        p.CheckType = 1;
    if (p.MaxL > LongestPacket || p.MaxL < 2 + p.CheckType + LongestEncoding)
        p.MaxL = LongestPacket;
    return p;
}

QByteArray Tkermit::BuildSendInit() const
{
    QByteArray d;
    d.append(char(tochar(FOwn.MaxL)));
    d.append(char(tochar(FOwn.Time)));
    d.append(char(tochar(FOwn.NPad)));
    d.append(char(ctl(FOwn.PadC)));
    d.append(char(tochar(FOwn.Eol)));
    d.append(char(FOwn.QCtl));
    d.append(char(FOwn.QBin));
    d.append(char('0' + FOwn.CheckType));
    return d;
}

bool Tkermit::SendPacket(char Type, const QByteArray &Data)
{
    ++FSeq;
    const QByteArray packet = BuildPacket(Type, FSeq % 64, Data, FPeer, SevenBitChecks());
    const bool written = WriteBytes(packet) == packet.size();
    if (OnPacket)
        OnPacket(FSeq);
    return written;
}

bool Tkermit::ReceivePacket(TKermitPacket &Packet)
{
    const QDeadlineTimer deadline(AnswerReadLimits * qint64(FOwn.Time) * 1000 + AnswerMarginMs);
    return ReadPacket([this, &deadline](uint8_t &b) { return ReadByteBefore(b, deadline); }, FPeer.CheckType,
                      SevenBitChecks(), Packet);
}

bool Tkermit::WaitAck(QByteArray *Data)
{
    TKermitPacket packet;
    if (!ReceivePacket(packet))
        return false;
    const bool acknowledged = (packet.Type == 'Y' && packet.Seq == FSeq % 64)
        || (packet.Type == 'N' && packet.Seq == (FSeq + 1) % 64);
    if (acknowledged && Data)
        *Data = packet.Data;
    return acknowledged;
}

bool Tkermit::Connect()
{
    // Whatever the line delivered before this exchange (a late answer from an abandoned transfer)
    // would be taken for the answer to the send-init packet.
    DiscardInput();
    FSeq = -1;
    FOwn.CheckType = 1;
    FOwn.QBin = QBin;
    FPeer.CheckType = 1;
    FPeer.Eol = 13;
    FPeer.NPad = 0;

    SendPacket('S', BuildSendInit());
    QByteArray answer;
    if (!WaitAck(&answer))
        return false;
    FPeer = ParsePeerParams(answer);
    return true;
}

void Tkermit::SendOrRaise(char Type, const QByteArray &Data)
{
    SendPacket(Type, Data);
    if (!WaitAck())
        RaiseReceiveError();
}

void Tkermit::SendFile(const QByteArray &RemoteName, const char *Buffer, qint64 Size)
{
    // The file name travels as it is; one too long for a packet would make its LEN character
    // meaningless, so it is cut to what one packet holds.
    const int room = FPeer.MaxL - 2 - FPeer.CheckType;
    SendOrRaise('F', RemoteName.left(room));

    bool cancel = false;
    if (OnProgress)
        OnProgress(0, cancel, Size);

    QByteArray data;
    data.reserve(room);
    for (qint64 i = 0; i < Size; ++i) {
        const uint8_t value = uint8_t(Buffer[i]);
        // An encoded byte never straddles two packets.
        if (data.size() + EncodedLength(value) > room) {
            SendOrRaise('D', data);
            data.clear();
            if (OnProgress)
                OnProgress(i + 1, cancel, Size);
            if (cancel)
                throw ETransferCancelled(ResString(TResId::sTransferCancelled));
        }
        AppendEncodedByte(data, value);
    }
    if (!data.isEmpty()) {
        SendOrRaise('D', data);
        if (OnProgress)
            OnProgress(Size, cancel, Size);
    }
    SendOrRaise('Z', QByteArray());
}

bool Tkermit::Disconnect()
{
    SendPacket('B', QByteArray());
    return WaitAck();
}
