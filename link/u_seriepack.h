#pragma once
// One serial line as a blocking byte channel: open a port exclusively, apply line settings and time
// limits, write a string of bytes, read single bytes with a time limit. No protocol knowledge here;
// the Kermit sender builds on it.
#include "u_PortLock.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <termios.h>

// The line settings of an open port. The named fields are the ones the program changes; Os keeps
// every other setting exactly as the system reported it when the port was opened.
struct TLineSettings {
    int BaudRate = 0;
    int ByteSize = 8;
    int Parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int StopBits = 0; // 0 one, 1 one and a half, 2 two
    bool ParityCheck = false;
    bool OutX = false; // XON/XOFF flow control of what we send
    bool InX = false;  // XON/XOFF flow control of what we receive
    termios Os{};
};

// Time limits in milliseconds, read as a serial driver reads them. ReadInterval =
// ReadTotalMultiplier = MaxLimit with a ReadTotalConstant between 1 and MaxLimit - 1: a read
// returns as soon as one byte is there, or empty after ReadTotalConstant. ReadInterval = MaxLimit
// with the other two 0: a read returns at once with what is there. All three 0: a read waits for a
// byte without limit. Otherwise a read of one byte waits at most ReadTotalMultiplier +
// ReadTotalConstant. A write may take WriteTotalMultiplier per byte plus WriteTotalConstant, without
// limit when both are 0.
struct TTimeouts {
    static constexpr uint32_t MaxLimit = 0xFFFFFFFFu;
    uint32_t ReadInterval = 0;
    uint32_t ReadTotalMultiplier = 0;
    uint32_t ReadTotalConstant = 0;
    uint32_t WriteTotalMultiplier = 0;
    uint32_t WriteTotalConstant = 0;
};

// The device that stands for "COM n": the setting transfer/Device<n> when it is present, else
// /dev/ttyS<n-1>.
QString PortDeviceName(int Port);
// The serial devices present on this machine beyond the numbered ports: USB adapters and
// communication-class devices (/dev/ttyUSB*, /dev/ttyACM*), in name and number order.
QStringList FoundSerialDevices();
// The product name a USB adapter reports for Device, from the kernel's device tree under SysRoot;
// empty when there is none (a built-in port, or no such device).
QString SerialDeviceProduct(const QString &Device, const QString &SysRoot = QStringLiteral("/sys"));

class Tseriepack {
public:
    Tseriepack();
    virtual ~Tseriepack();
    Tseriepack(const Tseriepack &) = delete;
    Tseriepack &operator=(const Tseriepack &) = delete;

    // Opens the device of port number Port ("COM n").
    void Open(int Port) { Open(PortDeviceName(Port)); }
    // Opens a serial device by its path, for reading and writing, exclusively, as a raw byte
    // channel, and holds the line's lock file while it is open. An open port is closed first.
    // Raises EErrorCom "Port Handle invalid" when the device cannot be opened, is not a terminal
    // device or is held by another program; a second line then names that program when the lock
    // file tells.
    virtual void Open(const QString &Device);
    void Close();
    bool IsOpen() const { return FHandle >= 0; }

    // Settings normally starts as a copy of LineSettings() with some fields changed; whatever it
    // holds, the line stays a raw byte channel. Raises EErrorCom "Port Handle invalid" with no port
    // open, "Port Settings Error" when the system refuses Settings (the settings in force then stay
    // as they were).
    void ApplyLineSettings(const TLineSettings &Settings);
    const TLineSettings &LineSettings() const { return FLineSettings; }

    // A read returns as soon as a byte is there, or empty after Seconds; a write takes at most
    // 50 ms per byte plus 2 s.
    void SetTimeouts(int Seconds);
    void ApplyTimeouts(const TTimeouts &Timeouts);
    const TTimeouts &Timeouts() const { return FTimeouts; }

    // Writes the first Count bytes of Data; returns how many went out (0 without a port, or when the
    // line refuses them or the write limit runs out).
    int WriteBytes(const char *Data, int Count);
    int WriteBytes(const QByteArray &Data) { return WriteBytes(Data.constData(), int(Data.size())); }
    // Tries up to Attempts times to read one byte, each attempt within the read limit. Buffer is
    // left unchanged when nothing arrives. A line that has gone away fails every attempt at once.
    bool ReadByte(uint8_t &Buffer, int Attempts);
    // One attempt within the read limit that never waits past Deadline: a peer that answers slowly
    // cannot stretch a wait made of many reads.
    bool ReadByteBefore(uint8_t &Buffer, const QDeadlineTimer &Deadline);
    // Drops whatever the line has delivered and nobody has read yet.
    void DiscardInput();
    // Whether the far end has gone (the device was unplugged or the other side closed): no byte
    // will come any more, so waiting for one is pointless.
    bool LineGone() const { return FLineGone; }

protected:
    int FHandle = -1;
    TLineSettings FLineSettings;
    TTimeouts FTimeouts;

private:
    // One read of the system may bring several bytes; they wait here for the next ReadByte.
    bool FillInput(int WaitMs);
    int ReadWaitMs() const;
    QByteArray FInput;
    qsizetype FInputPos = 0;
    TPortLock FLock;
    bool FLineGone = false;
};
