#include "u_Kermit.h"

#include "u_ResourceStrings.h"
#include "u_Settings.h"

namespace {
constexpr uint8_t Mark = 0x01;
constexpr uint8_t QCtl = '#';
constexpr uint8_t QBin = '&';
// Kermit's LEN character cannot describe a longer packet.
constexpr int LongestPacket = 94;
// Longest encoding of one data byte: "&#" and the byte; a run adds its prefix and count.
constexpr int LongestEncoding = 3;
constexpr int LongestRunEncoding = 5;
// How long the hunt for the start of a packet may go on: a stray byte costs 1, a read that times
// out costs 10, so a silent line gives up after two read limits.
constexpr int MarkHuntBudget = 20;
constexpr int StrayByteCost = 1;
constexpr int SilenceCost = 10;
constexpr qint64 MaxRepeat = 94;

// Raised inside the engine when the caller asks to stop; the public operations turn it into an
// "E" packet and ETransferCancelled.
struct TStopRequest {};

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

// The text of an error packet, for the user.
QString ErrorPacketText(const QByteArray &Data, uint8_t QCtlPrefix, uint8_t QBinPrefix)
{
    QByteArray text;
    if (!Tkermit::DecodeData(Data, QCtlPrefix, QBinPrefix, 0, text))
        text = Data;
    return QString::fromLatin1(text).trimmed();
}

[[noreturn]] void RaiseCancelled()
{
    throw ETransferCancelled(ResString(TResId::sTransferCancelled));
}

// A printable character other than space that the protocol allows as a prefix.
bool IsPrefixChar(uint8_t c)
{
    return (c >= 33 && c <= 62) || (c >= 96 && c <= 126);
}
} // namespace

TKermitOptions KermitOptionsFromSettings()
{
    TKermitOptions o;
    if (!Settings)
        return o;
    using namespace SettingsKeys;
    const int check = Settings->ReadInteger(TransferSection, BlockCheck, DefaultBlockCheck);
    o.CheckType = check >= 1 && check <= 3 ? check : DefaultBlockCheck;
    const int tries = Settings->ReadInteger(TransferSection, Tries, DefaultTries);
    o.MaxTries = tries >= 1 && tries <= 100 ? tries : DefaultTries;
    o.RepeatCounts = Settings->ReadBool(TransferSection, RepeatCounts, DefaultRepeatCounts);
    return o;
}

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

int Tkermit::EncodedLength(uint8_t Value, uint8_t Rept)
{
    int n = 1;
    if (Value & 0x80) {
        ++n;
        Value &= 0x7F;
    }
    if (Value < 32 || Value == 127 || Value == QCtl || Value == QBin || (Rept && Value == Rept))
        ++n;
    return n;
}

void Tkermit::AppendEncodedByte(QByteArray &Out, uint8_t Value, uint8_t Rept)
{
    if (Value & 0x80) {
        Out.append(char(QBin));
        Value &= 0x7F;
    }
    if (Value < 32 || Value == 127) {
        Out.append(char(QCtl));
        Value = ctl(Value);
    } else if (Value == QCtl || Value == QBin || (Rept && Value == Rept)) {
        Out.append(char(QCtl));
    }
    Out.append(char(Value));
}

QByteArray Tkermit::EncodeByte(uint8_t Value, uint8_t Rept)
{
    QByteArray out;
    AppendEncodedByte(out, Value, Rept);
    return out;
}

qint64 Tkermit::EncodePiece(const char *Data, qint64 Size, uint8_t Rept, QByteArray &Piece)
{
    Piece.clear();
    qint64 run = 1;
    if (Rept)
        while (run < Size && run < MaxRepeat && Data[run] == Data[0])
            ++run;
    // A count costs the prefix and one character. It pays from 4 plain bytes, from 3 prefixed ones
    // (a picture's short runs of zeros) and from 2 with both prefixes (its short runs of black).
    const int plain = EncodedLength(uint8_t(Data[0]), Rept);
    if (run * plain > 2 + plain) {
        Piece.append(char(Rept));
        Piece.append(char(tochar(int(run))));
    } else {
        run = 1;
    }
    AppendEncodedByte(Piece, uint8_t(Data[0]), Rept);
    return run;
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

bool Tkermit::ReadPacket(const TByteSource &NextByte, int CheckType, bool SevenBit, TKermitPacket &Packet,
                         bool EightBitData)
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
    // once instead of waiting out the rest of it. A MARK inside it (never part of a packet's
    // contents) means this one lost bytes and the next one starts there.
    const uint8_t dataMask = EightBitData && !SevenBit ? 0xFF : 0x7F;
    QByteArray span;
    QByteArray check;
    for (bool restart = true; restart;) {
        restart = false;
        span.clear();
        check.clear();
        int count = 0;
        const auto take = [&](QByteArray &Into, uint8_t Mask) {
            if (!NextByte(b))
                return false;
            if (uint8_t(b & dataMask) == Mark) {
                restart = true;
                return false;
            }
            Into.append(char(b & Mask));
            return true;
        };
        for (int i = 0; i < 3 && !restart; ++i)
            if (!take(span, 0x7F) && !restart)
                return false;
        if (restart)
            continue;
        count = unchar(uint8_t(span.at(0))) - 2 - CheckType;
        if (count < 0)
            return false;
        for (int i = 0; i < count && !restart; ++i)
            if (!take(span, dataMask) && !restart)
                return false;
        for (int i = 0; i < CheckType && !restart; ++i)
            if (!take(check, 0x7F) && !restart)
                return false;
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
    if (n > 8 && IsPrefixChar(at(8)))
        p.Rept = at(8);

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
    if (FOwn.Rept)
        d.append(char(FOwn.Rept));
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

void Tkermit::CheckCancel()
{
    bool cancel = false;
    if (OnWait)
        OnWait(cancel);
    if (cancel)
        throw TStopRequest{};
}

bool Tkermit::ReceivePacket(TKermitPacket &Packet, const QDeadlineTimer &Deadline, bool EightBitData)
{
    // The wait is cut into short slices so that the caller keeps its window alive and can stop
    // the transfer while the calculator is silent.
    auto next = [this, &Deadline](uint8_t &b) {
        for (;;) {
            if (Deadline.hasExpired() || LineGone())
                return false;
            QDeadlineTimer slice(WaitSliceMs);
            if (Deadline.deadline() < slice.deadline())
                slice = Deadline;
            if (ReadByteBefore(b, slice))
                return true;
            CheckCancel();
        }
    };
    const bool good = ReadPacket(next, FPeer.CheckType, SevenBitChecks(), Packet, EightBitData);
    FHeard = FHeard || good;
    return good;
}

Tkermit::TAnswer Tkermit::WaitAnswer(QByteArray *Data)
{
    // One read limit for the whole answer: at 9600 baud an answer takes a few milliseconds, so
    // a silence this long means the packet or its answer was lost.
    const QDeadlineTimer deadline(qint64(FOwn.Time) * 1000);
    for (;;) {
        TKermitPacket packet;
        const bool good = ReceivePacket(packet, deadline);
        CheckCancel();
        if (!good)
            return TAnswer::Again;
        const int seq = FSeq % 64;
        if ((packet.Type == 'Y' && packet.Seq == seq) || (packet.Type == 'N' && packet.Seq == (FSeq + 1) % 64)) {
            if (Data)
                *Data = packet.Data;
            return TAnswer::Acknowledged;
        }
        if (packet.Type == 'E') {
            FRefusal = ErrorPacketText(packet.Data, FPeer.QCtl, FPeer.QBin);
            return TAnswer::Refused;
        }
        // The answer to the previous packet arriving twice (its first copy was late) says
        // nothing about this one.
        if (packet.Type == 'Y' && packet.Seq == (FSeq + 63) % 64)
            continue;
        return TAnswer::Again;
    }
}

bool Tkermit::Exchange(char Type, const QByteArray &Data, QByteArray *Answer)
{
    ++FSeq;
    FRefusal.clear();
    const QByteArray packet = BuildPacket(Type, FSeq % 64, Data, FPeer, SevenBitChecks());
    for (int attempt = 0; attempt < FMaxTries; ++attempt) {
        // What is still waiting after a bad answer is more of the same (copies the calculator
        // sent while ours was late, noise): it must not use up the tries of the copy sent now.
        if (attempt > 0)
            DiscardInput();
        WriteBytes(packet);
        if (OnPacket)
            OnPacket(FSeq);
        switch (WaitAnswer(Answer)) {
        case TAnswer::Acknowledged: return true;
        case TAnswer::Refused: return false;
        case TAnswer::Again: break;
        }
        // A calculator that is gone will not answer another copy either.
        if (LineGone())
            return false;
    }
    return false;
}

void Tkermit::SendErrorPacket()
{
    QByteArray text;
    for (char c : ResString(TResId::sTransferCancelled).toLatin1())
        AppendEncodedByte(text, uint8_t(c), FPeer.Rept);
    SendPacket('E', text);
}

void Tkermit::BeginConversation()
{
    // Whatever the line delivered before (a late answer from an abandoned transfer) would be taken
    // for the answer to the first packet.
    DiscardInput();
    FMaxTries = qMax(1, Options.MaxTries);
    // The first packet goes with the one-character check and a carriage return at its end, as
    // every Kermit reads it before anything is agreed.
    FPeer.CheckType = 1;
    FPeer.Eol = 13;
    FPeer.NPad = 0;
    FPeer.Rept = 0;
    FHeard = false;
}

QString Tkermit::NoAnswerHint() const
{
    return FHeard ? QString() : QLatin1Char('\n') + ResString(TResId::sNoAnswerHint);
}

QString Tkermit::SilenceHint() const
{
    // Silence from the start is a link that was never there; later it is one that failed.
    return QLatin1Char('\n') + ResString(FHeard ? TResId::sAnswersStoppedHint : TResId::sNoAnswerHint);
}

bool Tkermit::Connect()
{
    BeginConversation();
    FSeq = -1;
    FOwn.CheckType = Options.CheckType >= 1 && Options.CheckType <= 3 ? Options.CheckType : 1;
    FOwn.QBin = QBin;
    FOwn.Rept = Options.RepeatCounts ? '~' : 0;

    QByteArray answer;
    try {
        if (!Exchange('S', BuildSendInit(), &answer))
            return false;
    } catch (const TStopRequest &) {
        SendErrorPacket();
        RaiseCancelled();
    }
    FPeer = ParsePeerParams(answer);
    // Runs go as counts only when both sides name the same prefix.
    if (!FOwn.Rept || FPeer.Rept != FOwn.Rept || FPeer.MaxL < 2 + FPeer.CheckType + LongestRunEncoding)
        FPeer.Rept = 0;
    return true;
}

void Tkermit::ExchangeOrRaise(char Type, const QByteArray &Data)
{
    if (Exchange(Type, Data))
        return;
    // Under the usual first line, the calculator's own words when it gave some (out of memory, a
    // name it rejects), else what to check.
    const QString detail =
        FRefusal.isEmpty() ? SilenceHint() : QLatin1Char('\n') + ResString(TResId::sPeerRefused).arg(FRefusal);
    throw EErrorTransmission(ResString(TResId::sErrorReceivingPacket) + detail);
}

void Tkermit::SendFile(const QByteArray &RemoteName, const char *Buffer, qint64 Size)
{
    try {
        SendFileData(RemoteName, Buffer, Size);
    } catch (const TStopRequest &) {
        // The calculator drops the partial file and is ready for the next transfer at once.
        SendErrorPacket();
        RaiseCancelled();
    }
}

void Tkermit::SendFileData(const QByteArray &RemoteName, const char *Buffer, qint64 Size)
{
    const int room = FPeer.MaxL - 2 - FPeer.CheckType;
    // The name travels encoded like the data, so that control characters, characters with the
    // high bit and the prefix characters themselves arrive as they are. One too long for a packet
    // is refused rather than cut: the calculator would store the file under another name.
    QByteArray name;
    for (char c : RemoteName)
        AppendEncodedByte(name, uint8_t(c), FPeer.Rept);
    if (name.size() > room)
        throw EErrorTransmission(ResString(TResId::sNameTooLong).arg(QString::fromLatin1(RemoteName)));
    ExchangeOrRaise('F', name);

    bool cancel = false;
    auto report = [this, &cancel, Size](qint64 Position) {
        if (OnProgress)
            OnProgress(Position, cancel, Size);
        if (cancel)
            throw TStopRequest{};
    };
    report(0);

    QByteArray data;
    data.reserve(room);
    QByteArray piece;
    for (qint64 i = 0; i < Size;) {
        const qint64 taken = EncodePiece(Buffer + i, Size - i, FPeer.Rept, piece);
        // An encoded byte or run never straddles two packets.
        if (data.size() + piece.size() > room) {
            ExchangeOrRaise('D', data);
            data.clear();
            report(i + 1);
        }
        data.append(piece);
        i += taken;
    }
    if (!data.isEmpty()) {
        ExchangeOrRaise('D', data);
        report(Size);
    }
    ExchangeOrRaise('Z', QByteArray());
}

bool Tkermit::Disconnect()
{
    try {
        return Exchange('B', QByteArray());
    } catch (const TStopRequest &) {
        SendErrorPacket();
        RaiseCancelled();
    }
}

// The receiving half: asking a server for a file and taking the files it sends.

namespace {
// More than any calculator's memory holds: a peer that never stops sending is cut off here.
constexpr qint64 LongestReceivedFile = 64 * 1024 * 1024;
} // namespace

bool Tkermit::DecodeData(const QByteArray &Data, uint8_t QCtl, uint8_t QBin, uint8_t Rept, QByteArray &Out)
{
    const qsizetype n = Data.size();
    qsizetype i = 0;
    auto next = [&Data, &i]() { return uint8_t(Data.at(i++)); };
    while (i < n) {
        uint8_t c = next();
        int count = 1;
        if (Rept && c == Rept) {
            if (i + 1 >= n)
                return false;
            count = unchar(next());
            c = next();
        }
        uint8_t high = 0;
        if (QBin && c == QBin) {
            if (i >= n)
                return false;
            high = 0x80;
            c = next();
        }
        if (c == QCtl) {
            if (i >= n)
                return false;
            c = next();
            // A quoted control character travels as ctl of it; a quoted prefix stands for itself.
            const uint8_t low = c & 0x7F;
            if ((low >= 64 && low <= 95) || low == 63)
                c = ctl(c);
        }
        Out.append(qsizetype(count), char(c | high));
    }
    return true;
}

// The answer to the sender's send-init packet: the parameters it proposed that this side takes,
// its own for the rest. Prefixing and repeat counts are agreed as the protocol has it.
QByteArray Tkermit::AgreeToSendInit(const QByteArray &Data)
{
    FPeer = ParsePeerParams(Data);
    const uint8_t theirBin = Data.size() > 6 ? uint8_t(Data.at(6)) : uint8_t('N');
    uint8_t ourBin;
    if (IsPrefixChar(theirBin)) {
        FPeer.QBin = theirBin;
        ourBin = 'Y';
    } else if (theirBin == 'Y') {
        FPeer.QBin = QBin;
        ourBin = QBin;
    } else {
        // The bytes come with their eighth bit as it is.
        FPeer.QBin = 0;
        ourBin = 'N';
    }
    if (!IsPrefixChar(FPeer.QCtl))
        FPeer.QCtl = QCtl;
    const int wanted = Options.CheckType >= 1 && Options.CheckType <= 3 ? Options.CheckType : 1;
    const int offered = Data.size() > 7 ? Data.at(7) - '0' : 1;
    FPeer.CheckType = offered == wanted ? wanted : 1;
    const uint8_t theirRept = Data.size() > 8 ? uint8_t(Data.at(8)) : 0;
    FPeer.Rept = Options.RepeatCounts && IsPrefixChar(theirRept) && theirRept != FPeer.QCtl && theirRept != FPeer.QBin
        ? theirRept
        : 0;

    QByteArray d;
    d.append(char(tochar(FOwn.MaxL)));
    d.append(char(tochar(FOwn.Time)));
    d.append(char(tochar(0)));
    d.append(char(ctl(0)));
    d.append(char(tochar(FOwn.Eol)));
    d.append(char(QCtl));
    d.append(char(ourBin));
    d.append(char('0' + FPeer.CheckType));
    d.append(char(FPeer.Rept ? FPeer.Rept : ' '));
    return d;
}

QList<TReceivedFile> Tkermit::GetFiles(const QByteArray &RemoteName)
{
    try {
        return ReceiveFiles(RemoteName);
    } catch (const TStopRequest &) {
        SendErrorPacket();
        RaiseCancelled();
    }
}

QList<TReceivedFile> Tkermit::ReceiveFiles(const QByteArray &RemoteName)
{
    // The request goes out as the first packet of a conversation.
    FPeer = ParsePeerParams(QByteArray());
    FPeer.QBin = 0;
    BeginConversation();
    QByteArray name;
    for (char c : RemoteName)
        AppendEncodedByte(name, uint8_t(c), 0);
    if (name.size() > LongestPacket - 5)
        throw EErrorTransmission(ResString(TResId::sNameTooLong).arg(QString::fromLatin1(RemoteName)));

    // What answers the request is the send-init packet of the transfer, or an error packet saying
    // why not. When no good answer comes, the send-init is asked for again with a refusal of
    // packet 0: a server already sending would take a second request for a wrong packet and give
    // up. Every third try repeats the request itself, in case that was what got lost.
    const QByteArray request = BuildPacket('R', 0, name, FPeer, SevenBitChecks());
    const QByteArray again = BuildPacket('N', 0, QByteArray(), FPeer, SevenBitChecks());
    TKermitPacket packet;
    int tries = 0;
    for (;;) {
        if (++tries > FMaxTries || LineGone())
            throw EErrorTransmission(ResString(TResId::sErrorReceivingPacket) + SilenceHint());
        WriteBytes(tries % 3 == 1 ? request : again);
        if (OnPacket)
            OnPacket(0);
        const QDeadlineTimer deadline(qint64(FOwn.Time) * 1000);
        if (!ReceivePacket(packet, deadline, true))
            continue;
        if (packet.Type == 'E')
            throw EErrorTransmission(ResString(TResId::sPeerRefused).arg(ErrorPacketText(packet.Data, '#', 0)));
        if (packet.Type == 'S')
            break;
    }

    FSeq = 0;
    const QByteArray initData = packet.Data;
    // The answer to the send-init goes with the one-character check; everything after it with
    // the agreed one.
    const QByteArray ackData = AgreeToSendInit(initData);
    TKermitParams framing = FPeer;
    framing.CheckType = 1;
    const QByteArray initAnswer = BuildPacket('Y', 0, ackData, framing, SevenBitChecks());
    // The answer to the last packet taken, sent again when the sender repeats that packet: its
    // first copy was lost. A refusal never takes its place, as a sender that missed the answer
    // may not take a refusal of the next packet for it.
    QByteArray lastAnswer = initAnswer;
    WriteBytes(lastAnswer);

    QList<TReceivedFile> files;
    TReceivedFile current;
    bool inFile = false;
    int expected = 1;
    tries = 0;
    // Packets are counted as sending counts them, on past the 64 sequence numbers; a refusal
    // reports the count again.
    int taken = 0;
    auto send = [this](char Type, int Seq, int Count) {
        const QByteArray packet = BuildPacket(Type, Seq, QByteArray(), FPeer, SevenBitChecks());
        WriteBytes(packet);
        if (OnPacket)
            OnPacket(Count);
        return packet;
    };
    auto answer = [&](int Seq) { lastAnswer = send('Y', Seq, ++taken); };
    auto refuse = [&](int Seq) { send('N', Seq, taken); };
    // After a bad or repeated packet, what is already waiting is more of the same (copies the
    // sender made while our answer was late, noise): one answer serves for all of it, and it
    // costs one try, not one each.
    auto answerAgain = [&](const std::function<void()> &Answer) {
        if (++tries > FMaxTries || LineGone())
            throw EErrorTransmission(ResString(TResId::sErrorReceivingPacket) + SilenceHint());
        DiscardInput();
        Answer();
    };
    for (;;) {
        const QDeadlineTimer deadline(qint64(FOwn.Time) * 1000);
        const bool good = ReceivePacket(packet, deadline, true);
        CheckCancel();
        if (!good || (packet.Seq != expected && packet.Seq != (expected + 63) % 64)) {
            // Until the first packet after it arrives, the sender may still be waiting for the
            // answer to its send-init (sent again with the one-character check, which reads as
            // garbled now): a refusal of packet 1 would pass for that answer, without parameters.
            answerAgain([&] {
                if (lastAnswer == initAnswer)
                    WriteBytes(initAnswer);
                else
                    refuse(expected);
            });
            continue;
        }
        if (packet.Seq != expected) {
            // Our answer to the previous packet was lost; the sender repeats that packet.
            answerAgain([&] { WriteBytes(lastAnswer); });
            continue;
        }
        switch (packet.Type) {
        case 'F':
            current = TReceivedFile();
            if (!DecodeData(packet.Data, FPeer.QCtl, FPeer.QBin, 0, current.Name))
                current.Name = packet.Data;
            inFile = true;
            if (OnProgress) {
                bool cancel = false;
                OnProgress(0, cancel, -1);
                if (cancel)
                    throw TStopRequest{};
            }
            answer(expected);
            break;
        case 'D': {
            QByteArray piece;
            if (!inFile || !DecodeData(packet.Data, FPeer.QCtl, FPeer.QBin, FPeer.Rept, piece)) {
                answerAgain([&] { refuse(expected); });
                continue;
            }
            current.Data.append(piece);
            if (current.Data.size() > LongestReceivedFile)
                throw EErrorTransmission(ResString(TResId::sReceivedTooLarge));
            bool cancel = false;
            if (OnProgress)
                OnProgress(current.Data.size(), cancel, -1);
            if (cancel)
                throw TStopRequest{};
            answer(expected);
            break;
        }
        case 'Z':
            // "D" in the data: the sender abandoned this file.
            if (inFile && packet.Data != "D")
                files.append(current);
            inFile = false;
            answer(expected);
            break;
        case 'B':
            answer(expected);
            return files;
        case 'E':
            throw EErrorTransmission(
                ResString(TResId::sPeerRefused).arg(ErrorPacketText(packet.Data, FPeer.QCtl, FPeer.QBin)));
        default:
            // Attributes, a text header and anything else this side has no use for are taken as
            // they come.
            answer(expected);
            break;
        }
        tries = 0;
        expected = (expected + 1) % 64;
    }
}
