#pragma once
// The sending half of the Kermit file-transfer protocol, reduced to what a calculator waiting in
// Kermit server mode needs: the send-init exchange, files as F, D... Z packets, and the break. A
// packet whose answer is lost, garbled or refused goes out again, up to a number of tries. It never
// receives files; the only packets it reads are acknowledgements. Everything runs on the caller's
// thread; three events let the caller show progress, keep its windows alive and ask to stop.
#include "u_Errors.h"
#include "u_seriepack.h"

#include <QByteArray>
#include <cstdint>
#include <functional>

// The speed transfers run at: what both calculators' Kermit settings screens propose.
constexpr int CalculatorBaud = 9600;

// Raised when the caller asks to stop, from a progress report or while waiting for an answer.
class ETransferCancelled : public EError { using EError::EError; };

// What the user may choose about the protocol (the "transfer" settings).
struct TKermitOptions {
    int CheckType = 3;        // block check offered in the send-init packet: 1, 2 or 3
    int MaxTries = 10;        // times one packet goes out before the transfer fails
    bool RepeatCounts = true; // offer to send runs of equal bytes as a count and one byte
};
// The options as the settings hold them, out-of-range values replaced by the defaults.
TKermitOptions KermitOptionsFromSettings();

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
    uint8_t Rept = 0;  // repeat-count prefix; 0 when not offered or not agreed
};

// A file as the peer sent it: the name it gave and the bytes.
struct TReceivedFile {
    QByteArray Name;
    QByteArray Data;
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
    // Called at least every WaitSliceMs while the engine waits for the line, and after every
    // answer; setting Cancel stops the exchange at once.
    using TWaitEvent = std::function<void(bool &Cancel)>;
    static constexpr int WaitSliceMs = 50;
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
    // force for the rest of the connection. Raises ETransferCancelled when the caller stops it.
    bool Connect();
    // Added to the caller's failure text when a conversation could not start: a line saying what
    // to check when not one good packet came back, else empty (the calculator answered, and said
    // no).
    QString NoAnswerHint() const;
    // Sends one file held in memory under RemoteName. Raises EErrorTransmission "Error while
    // receiving packet" when a packet is not acknowledged within the tries or the calculator
    // reports an error (a second line gives its words, or what to check), and ETransferCancelled
    // "Transfer cancelled" when the caller asks to stop; a cancelled file is ended with an "E"
    // packet so that the calculator drops what it received. The connection can then only start
    // again.
    void SendFile(const QByteArray &RemoteName, const char *Buffer, qint64 Size);
    void SendFile(const QByteArray &RemoteName, const QByteArray &Data)
    {
        SendFile(RemoteName, Data.constData(), Data.size());
    }
    // The break exchange: true when the calculator acknowledged it. Raises ETransferCancelled
    // when the caller stops it.
    bool Disconnect();

    // Asks the server for RemoteName (an "R" packet) and receives what it sends, up to its break
    // packet: usually one file, none when it sends nothing. Progress reports give the bytes
    // received so far with a Total of -1 (the size is not known beforehand). Raises
    // EErrorTransmission when a packet does not come within the tries or the server refuses, with
    // its reason, and ETransferCancelled when the caller stops; a stopped transfer is ended with
    // an "E" packet. Needs no Connect: the server's own send-init starts the exchange.
    QList<TReceivedFile> GetFiles(const QByteArray &RemoteName);

    TPacketEvent OnPacket;
    TProgressEvent OnProgress;
    TWaitEvent OnWait;
    // Read by the next Connect.
    TKermitOptions Options;

    const TKermitParams &OwnParams() const { return FOwn; }
    const TKermitParams &PeerParams() const { return FPeer; }
    int CheckType() const { return FPeer.CheckType; }
    int PacketCounter() const { return FSeq; }

    // The packet rules themselves, without a line.
    // File data as it travels: "&" in front of a byte with its high bit set, "#" in front of a
    // control character (sent as ctl of it) and in front of a literal "#" or "&".
    // With a repeat prefix agreed (Rept not 0), that prefix is quoted like "#" and "&".
    static QByteArray EncodeByte(uint8_t Value, uint8_t Rept = 0);
    static int EncodedLength(uint8_t Value, uint8_t Rept = 0);
    static void AppendEncodedByte(QByteArray &Out, uint8_t Value, uint8_t Rept = 0);
    // The next piece of data as it travels, starting at Data[0] of Size bytes: a run of up to 94
    // equal bytes as the repeat prefix, tochar of the count and the encoded byte when Rept is
    // agreed and that is shorter, else one encoded byte. Returns how many bytes the piece stands for.
    static qint64 EncodePiece(const char *Data, qint64 Size, uint8_t Rept, QByteArray &Piece);
    // The check over Span (the characters from LEN to the end of DATA); SevenBit counts each
    // character with its low 7 bits only, as a line with a parity bit delivers them.
    static QByteArray BlockCheck(const QByteArray &Span, int CheckType, bool SevenBit);
    // A whole packet as written to the line, padding and end-of-line character included.
    static QByteArray BuildPacket(char Type, int Seq, const QByteArray &Data, const TKermitParams &Peer, bool SevenBit);
    // Reads one packet from NextByte (each byte masked to 7 bits): hunts for MARK, then takes the
    // length, sequence number, type, data and check. False when no packet came, when the packet is
    // cut short, when its length cannot hold its own check, or when the check does not match.
    // With EightBitData the data bytes keep their eighth bit (files received without eighth-bit
    // prefixing).
    static bool ReadPacket(const TByteSource &NextByte, int CheckType, bool SevenBit, TKermitPacket &Packet,
                           bool EightBitData = false);
    // File data as it arrived, back to bytes: the reverse of the encoding, with the sender's
    // control prefix QCtl, its eighth-bit prefix QBin and its repeat prefix Rept (0 for none).
    // False when the data end inside a prefixed byte; Out then holds what came before.
    static bool DecodeData(const QByteArray &Data, uint8_t QCtl, uint8_t QBin, uint8_t Rept, QByteArray &Out);
    // Decodes the data field of the calculator's answer to the send-init packet.
    static TKermitParams ParsePeerParams(const QByteArray &Data);

    // The data field of the send-init packet, from the own parameters.
    QByteArray BuildSendInit() const;

protected:
    // Writes the next packet once.
    bool SendPacket(char Type, const QByteArray &Data);
    // Reads one packet, waiting at most until Deadline.
    bool ReceivePacket(TKermitPacket &Packet, const QDeadlineTimer &Deadline, bool EightBitData = false);
    // Writes the next packet and waits for its answer, writing it again after a silence, a garbled
    // answer or a refusal, up to Options.MaxTries times. True on "Y" for it or "N" for the next
    // one, whose data go to Data when given; false when the tries run out or the calculator sends
    // an error packet.
    bool Exchange(char Type, const QByteArray &Data, QByteArray *Answer = nullptr);

private:
    enum class TAnswer { Acknowledged, Again, Refused };
    TAnswer WaitAnswer(QByteArray *Data);
    void ExchangeOrRaise(char Type, const QByteArray &Data);
    void SendFileData(const QByteArray &RemoteName, const char *Buffer, qint64 Size);
    QList<TReceivedFile> ReceiveFiles(const QByteArray &RemoteName);
    // Readies the line and the framing for the first packet of a conversation.
    void BeginConversation();
    // Takes the sender's send-init data and returns this side's answer to it.
    QByteArray AgreeToSendInit(const QByteArray &Data);
    // Asks the caller whether to stop; raises the internal stop request when it says so.
    void CheckCancel();
    // Tells the calculator that the transfer is abandoned.
    void SendErrorPacket();
    // The line added to "Error while receiving packet" when the answers ran out: for a calculator
    // never heard, or for one that fell silent or whose answers came damaged.
    QString SilenceHint() const;
    bool SevenBitChecks() const { return FLineSettings.Parity != 0; }

    int FSeq = -1;
    int FMaxTries = 10;
    // Whether a whole packet has come back since the conversation began.
    bool FHeard = false;
    // What the calculator's error packet said in answer to the last packet sent; empty otherwise.
    QString FRefusal;
    TKermitParams FOwn;
    TKermitParams FPeer;
};
