#pragma once
// The calculator's side of a serial cable, played by the test: a pseudo-terminal whose far end the
// sender opens like a serial device, and a thread that reads the sender's packets and answers each
// one as a script says.
#include "u_Kermit.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

struct TPeerReply {
    QByteArray Bytes;    // written back as they are (nothing: the peer stays silent)
    bool HangUp = false; // the peer closes its end after writing Bytes
    int DripMs = 0;      // Bytes go out one at a time, this many milliseconds apart
};

class TScriptedPeer {
public:
    // Script is called on the peer's thread for every complete packet, with its index from 0.
    using TScript = std::function<TPeerReply(const TKermitPacket &Packet, int Index)>;

    explicit TScriptedPeer(TScript Script);
    ~TScriptedPeer();
    TScriptedPeer(const TScriptedPeer &) = delete;
    TScriptedPeer &operator=(const TScriptedPeer &) = delete;

    // The device the sender opens.
    QString DevicePath() const { return FSlavePath; }
    // Every byte received so far, and the packets found in them.
    QByteArray Received() const;
    QList<TKermitPacket> Packets() const;
    // Whether every packet so far carried the right block check.
    bool ChecksGood() const;
    // Waits until Count packets have arrived or Ms have passed.
    bool WaitForPackets(int Count, int Ms) const;

    // A calculator that acknowledges everything, answering the send-init packet with Params.
    static TScript Acknowledging(const QByteArray &Params = "~* @-#Y1", int CheckType = 1);
    // A packet as the peer writes it, with the sender's initial framing (no padding, CR).
    static QByteArray Packet(char Type, int Seq, const QByteArray &Data = {}, int CheckType = 1);

private:
    void Run();
    void TakePackets();
    void Write(const TPeerReply &Reply);

    int FMaster = -1;
    QString FSlavePath;
    TScript FScript;
    std::atomic<bool> FStop{false};
    mutable std::mutex FLock;
    QByteArray FReceived;
    qsizetype FParsed = 0;
    QList<TKermitPacket> FPackets;
    bool FChecksGood = true;
    std::atomic<int> FCheckType{1};
    std::thread FThread;
};
