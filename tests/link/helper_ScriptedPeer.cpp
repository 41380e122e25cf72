#include "helper_ScriptedPeer.h"

#include <QElapsedTimer>
#include <QThread>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

TScriptedPeer::TScriptedPeer(TScript Script) : FScript(std::move(Script))
{
    FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (FMaster < 0 || grantpt(FMaster) != 0 || unlockpt(FMaster) != 0 || ptsname_r(FMaster, name, sizeof name) != 0)
        qFatal("cannot create a pseudo-terminal");
    FSlavePath = QString::fromLocal8Bit(name);
    FThread = std::thread([this] { Run(); });
}

TScriptedPeer::~TScriptedPeer()
{
    FStop = true;
    FThread.join();
    if (FMaster >= 0)
        ::close(FMaster);
}

QByteArray TScriptedPeer::Received() const
{
    std::lock_guard<std::mutex> hold(FLock);
    return FReceived;
}

bool TScriptedPeer::ChecksGood() const
{
    std::lock_guard<std::mutex> hold(FLock);
    return FChecksGood;
}

QList<TKermitPacket> TScriptedPeer::Packets() const
{
    std::lock_guard<std::mutex> hold(FLock);
    return FPackets;
}

bool TScriptedPeer::WaitForPackets(int Count, int Ms) const
{
    QElapsedTimer clock;
    clock.start();
    while (Packets().size() < Count) {
        if (clock.elapsed() > Ms)
            return false;
        QThread::msleep(5);
    }
    return true;
}

QByteArray TScriptedPeer::Packet(char Type, int Seq, const QByteArray &Data, int CheckType)
{
    TKermitParams framing;
    framing.NPad = 0;
    framing.Eol = 13;
    framing.CheckType = CheckType;
    return Tkermit::BuildPacket(Type, Seq, Data, framing, false);
}

TScriptedPeer::TScript TScriptedPeer::Acknowledging(const QByteArray &Params, int CheckType)
{
    return [Params, CheckType](const TKermitPacket &p, int) {
        if (p.Type == 'S')
            return TPeerReply{Packet('Y', p.Seq, Params, 1)};
        return TPeerReply{Packet('Y', p.Seq, {}, CheckType)};
    };
}

namespace {
Tkermit::TByteSource BytesOf(const QByteArray &Data)
{
    return [Data, pos = qsizetype(0)](uint8_t &b) mutable {
        if (pos >= Data.size())
            return false;
        b = uint8_t(Data.at(pos++));
        return true;
    };
}
} // namespace

// Splits what has arrived into packets: MARK, then LEN says how many characters follow; padding
// and end-of-line characters between packets are skipped.
void TScriptedPeer::TakePackets()
{
    for (;;) {
        TKermitPacket packet;
        int index = 0;
        {
            std::lock_guard<std::mutex> hold(FLock);
            const qsizetype mark = FReceived.indexOf('\x01', FParsed);
            if (mark < 0 || mark + 2 > FReceived.size())
                return;
            const int len = uint8_t(FReceived.at(mark + 1)) - 32;
            if (mark + 2 + len > FReceived.size())
                return;
            const int checkType = FCheckType;
            if (len < 2 + checkType) {
                FParsed = mark + 1;
                FChecksGood = false;
                continue;
            }
            packet.Seq = uint8_t(FReceived.at(mark + 2)) - 32;
            packet.Type = FReceived.at(mark + 3);
            packet.Data = FReceived.mid(mark + 4, len - 2 - checkType);
            const QByteArray span = FReceived.mid(mark + 1, len + 1 - checkType);
            const QByteArray check = FReceived.mid(mark + 2 + len - checkType, checkType);
            if (check != Tkermit::BlockCheck(span, checkType, false))
                FChecksGood = false;
            FParsed = mark + 2 + len;
            index = int(FPackets.size());
            FPackets.append(packet);
        }
        const TPeerReply reply = FScript(packet, index);
        // Once the send-init exchange is answered, later packets carry the check type answered.
        TKermitPacket answer;
        if (packet.Type == 'S' && Tkermit::ReadPacket(BytesOf(reply.Bytes), 1, false, answer) && answer.Data.size() >= 8) {
            const int type = answer.Data.at(7) - '0';
            FCheckType = type >= 1 && type <= 3 ? type : 1;
        }
        Write(reply);
        if (reply.HangUp) {
            ::close(FMaster);
            FMaster = -1;
            return;
        }
    }
}

void TScriptedPeer::Write(const TPeerReply &Reply)
{
    const qsizetype step = Reply.DripMs > 0 ? 1 : Reply.Bytes.size();
    for (qsizetype at = 0; at < Reply.Bytes.size() && !FStop; at += step) {
        if (::write(FMaster, Reply.Bytes.constData() + at, size_t(qMin(step, Reply.Bytes.size() - at))) < 0)
            qWarning("peer cannot write");
        QElapsedTimer pause;
        pause.start();
        while (Reply.DripMs > 0 && pause.elapsed() < Reply.DripMs && !FStop)
            QThread::msleep(10);
    }
}

void TScriptedPeer::Run()
{
    while (!FStop && FMaster >= 0) {
        pollfd p{FMaster, POLLIN, 0};
        const int ready = ::poll(&p, 1, 20);
        if (ready <= 0)
            continue;
        if (!(p.revents & POLLIN)) {
            // No one has the far end open yet, or any more.
            QThread::msleep(5);
            continue;
        }
        char chunk[4096];
        const ssize_t n = ::read(FMaster, chunk, sizeof chunk);
        if (n <= 0) {
            QThread::msleep(5);
            continue;
        }
        {
            std::lock_guard<std::mutex> hold(FLock);
            FReceived.append(chunk, n);
        }
        TakePackets();
    }
}
