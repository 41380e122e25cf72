#include "u_seriepack.h"

#include "u_Errors.h"
#include "u_ResourceStrings.h"
#include "u_Settings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
[[noreturn]] void RaisePortHandleInvalid()
{
    throw EErrorCom(ResString(TResId::sPortHandleInvalid));
}

// The port cannot be taken: the message goes on to say why, so that the user can act on it (plug
// the adapter in, join the group that may use it, close the other program).
[[noreturn]] void RaisePortHandleInvalid(const QString &Why)
{
    throw EErrorCom(ResString(TResId::sPortHandleInvalid) + QLatin1Char('\n') + Why);
}

QString SystemReason(const QString &Device, int Error)
{
    if (Error == EBUSY)
        return ResString(TResId::sPortInUse).arg(Device);
    QString why = ResString(TResId::sPortCannotOpen).arg(Device, QString::fromLocal8Bit(std::strerror(Error)));
    if (Error == EACCES || Error == EPERM)
        why += QLatin1Char('\n') + ResString(TResId::sPortNoPermission).arg(Device);
    return why;
}

[[noreturn]] void RaisePortSettingsError()
{
    throw EErrorCom(ResString(TResId::sPortSettingsError));
}

struct TBaud {
    int Rate;
    speed_t Code;
};

constexpr TBaud BaudTable[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000},
};

bool BaudCode(int Rate, speed_t &Code)
{
    for (const TBaud &b : BaudTable)
        if (b.Rate == Rate) {
            Code = b.Code;
            return true;
        }
    return false;
}

int BaudRate(speed_t Code)
{
    for (const TBaud &b : BaudTable)
        if (b.Code == Code)
            return b.Rate;
    return 0;
}

// The named fields as the system describes them in Tio.
TLineSettings DescribeLine(const termios &Tio)
{
    TLineSettings s;
    s.Os = Tio;
    s.BaudRate = BaudRate(cfgetospeed(&Tio));
    switch (Tio.c_cflag & CSIZE) {
    case CS5: s.ByteSize = 5; break;
    case CS6: s.ByteSize = 6; break;
    case CS7: s.ByteSize = 7; break;
    default: s.ByteSize = 8; break;
    }
    if (!(Tio.c_cflag & PARENB))
        s.Parity = 0;
    else if (Tio.c_cflag & CMSPAR)
        s.Parity = (Tio.c_cflag & PARODD) ? 3 : 4;
    else
        s.Parity = (Tio.c_cflag & PARODD) ? 1 : 2;
    s.StopBits = (Tio.c_cflag & CSTOPB) ? 2 : 0;
    s.ParityCheck = (Tio.c_iflag & INPCK) != 0;
    s.OutX = (Tio.c_iflag & IXON) != 0;
    s.InX = (Tio.c_iflag & IXOFF) != 0;
    return s;
}

// What a raw byte channel needs from a terminal device: no echo, no line editing, no character
// translation in either direction, no signals, and no dependence on modem lines a three-wire cable
// does not have. Speed, byte size, parity and stop bits stay as the system had them.
void MakeRaw(termios &Tio)
{
    Tio.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | IMAXBEL);
    Tio.c_oflag &= ~tcflag_t(OPOST);
    Tio.c_lflag &= ~tcflag_t(ECHO | ECHONL | ECHOE | ECHOK | ICANON | ISIG | IEXTEN);
    Tio.c_cflag |= CLOCAL | CREAD;
    // With the descriptor non-blocking, a read with nothing there fails with EAGAIN and a read of
    // 0 bytes then means the line has hung up.
    Tio.c_cc[VMIN] = 1;
    Tio.c_cc[VTIME] = 0;
}

// The system's form of Settings; false when the system has no way to express it.
bool ComposeLine(const TLineSettings &Settings, termios &Tio)
{
    Tio = Settings.Os;
    MakeRaw(Tio);
    speed_t speed;
    if (!BaudCode(Settings.BaudRate, speed) || cfsetispeed(&Tio, speed) != 0 || cfsetospeed(&Tio, speed) != 0)
        return false;

    Tio.c_cflag &= ~tcflag_t(CSIZE);
    switch (Settings.ByteSize) {
    case 5: Tio.c_cflag |= CS5; break;
    case 6: Tio.c_cflag |= CS6; break;
    case 7: Tio.c_cflag |= CS7; break;
    case 8: Tio.c_cflag |= CS8; break;
    default: return false;
    }

    Tio.c_cflag &= ~tcflag_t(PARENB | PARODD | CMSPAR);
    switch (Settings.Parity) {
    case 0: break;
    case 1: Tio.c_cflag |= PARENB | PARODD; break;
    case 2: Tio.c_cflag |= PARENB; break;
    case 3: Tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: Tio.c_cflag |= PARENB | CMSPAR; break;
    default: return false;
    }

    // One and a half stop bits have no equivalent on this system.
    if (Settings.StopBits == 0)
        Tio.c_cflag &= ~tcflag_t(CSTOPB);
    else if (Settings.StopBits == 2)
        Tio.c_cflag |= CSTOPB;
    else
        return false;

    auto setFlag = [&Tio](tcflag_t flag, bool on) {
        if (on)
            Tio.c_iflag |= flag;
        else
            Tio.c_iflag &= ~flag;
    };
    setFlag(INPCK, Settings.ParityCheck);
    setFlag(IXON, Settings.OutX);
    setFlag(IXOFF, Settings.InX);
    return true;
}

bool SameLine(const termios &A, const termios &B)
{
    const tcflag_t shape = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    return (A.c_cflag & shape) == (B.c_cflag & shape) && cfgetospeed(&A) == cfgetospeed(&B)
        && (A.c_iflag & (INPCK | IXON | IXOFF)) == (B.c_iflag & (INPCK | IXON | IXOFF));
}

// Milliseconds left until Deadline; never negative.
int RemainingMs(const QElapsedTimer &Clock, qint64 Deadline)
{
    const qint64 left = Deadline - Clock.elapsed();
    return left > 0 ? int(qMin<qint64>(left, INT32_MAX)) : 0;
}
} // namespace

QString PortDeviceName(int Port)
{
    const QString value = SettingsKeys::DeviceValue(Port);
    if (Settings && Settings->ValueExists(SettingsKeys::TransferSection, value))
        return Settings->ReadString(SettingsKeys::TransferSection, value, QString());
    return QStringLiteral("/dev/ttyS%1").arg(Port - 1);
}

QStringList FoundSerialDevices()
{
    const QDir dev(QStringLiteral("/dev"));
    QStringList names = dev.entryList({QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")},
                                      QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    // ttyUSB10 comes after ttyUSB9.
    auto key = [](const QString &Name) {
        qsizetype digits = Name.size();
        while (digits > 0 && Name.at(digits - 1).isDigit())
            --digits;
        return std::make_pair(Name.left(digits), Name.mid(digits).toInt());
    };
    std::sort(names.begin(), names.end(), [&key](const QString &A, const QString &B) { return key(A) < key(B); });
    for (QString &name : names)
        name.prepend(QStringLiteral("/dev/"));
    return names;
}

QString SerialDeviceProduct(const QString &Device, const QString &SysRoot)
{
    const QString name = QFileInfo(Device).fileName();
    if (name.isEmpty())
        return QString();
    // The tty's device is the adapter's interface (or its serial port); the USB device that
    // names the product is one or two levels up.
    QString dir = QFileInfo(SysRoot + QStringLiteral("/class/tty/") + name + QStringLiteral("/device")).canonicalFilePath();
    const QString root = QFileInfo(SysRoot).canonicalFilePath();
    for (int level = 0; level < 4 && !dir.isEmpty() && dir != root && dir.startsWith(root); ++level) {
        QFile product(dir + QStringLiteral("/product"));
        if (product.open(QIODevice::ReadOnly))
            return QString::fromUtf8(product.read(256)).simplified();
        dir = QFileInfo(dir).path();
    }
    return QString();
}

Tseriepack::Tseriepack() = default;

Tseriepack::~Tseriepack()
{
    Close();
}

void Tseriepack::Open(const QString &Device)
{
    Close();

    // The lock comes first, so that not even opening the device disturbs a program that holds it.
    QString holder;
    if (!FLock.Acquire(Device, holder))
        RaisePortHandleInvalid(holder.isEmpty() ? ResString(TResId::sPortInUse).arg(Device) : holder);
    const QByteArray path = QFile::encodeName(Device);
    int fd = path.isEmpty() ? -1 : ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        FLock.Release();
        if (path.isEmpty())
            RaisePortHandleInvalid();
        RaisePortHandleInvalid(SystemReason(Device, error));
    }
    const auto refuse = [&](const QString &Why) {
        ::close(fd);
        FLock.Release();
        RaisePortHandleInvalid(Why);
    };

    // Exclusive: the tty refuses further opens, and the advisory lock tells programs that honour
    // it (and a second Quillo) that the line is taken.
    termios tio;
    if (tcgetattr(fd, &tio) != 0)
        refuse(ResString(TResId::sPortNotSerial).arg(Device));
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0)
        refuse(ResString(TResId::sPortInUse).arg(Device));
    MakeRaw(tio);
    if (tcsetattr(fd, TCSANOW, &tio) != 0 || tcgetattr(fd, &tio) != 0) {
        const int error = errno;
        ioctl(fd, TIOCNXCL);
        refuse(SystemReason(Device, error));
    }

    FHandle = fd;
    FLineSettings = DescribeLine(tio);
    // Until time limits are set, a read answers at once with whatever is there and a write has
    // the usual limit: no call on a fresh port can block for good.
    FTimeouts = TTimeouts{TTimeouts::MaxLimit, 0, 0, 50, 2000};
    FInput.clear();
    FInputPos = 0;
    FLineGone = false;
}

void Tseriepack::Close()
{
    FLock.Release();
    if (FHandle < 0)
        return;
    ioctl(FHandle, TIOCNXCL);
    ::close(FHandle);
    FHandle = -1;
    FInput.clear();
    FInputPos = 0;
}

void Tseriepack::ApplyLineSettings(const TLineSettings &Settings)
{
    if (FHandle < 0)
        RaisePortHandleInvalid();
    termios wanted;
    if (!ComposeLine(Settings, wanted))
        RaisePortSettingsError();
    // The system reports success when it took any part of the request, so the result is read
    // back; a partial change is undone.
    termios got;
    if (tcsetattr(FHandle, TCSANOW, &wanted) != 0 || tcgetattr(FHandle, &got) != 0 || !SameLine(wanted, got)) {
        tcsetattr(FHandle, TCSANOW, &FLineSettings.Os);
        RaisePortSettingsError();
    }
    FLineSettings = DescribeLine(got);
}

void Tseriepack::SetTimeouts(int Seconds)
{
    if (FHandle < 0)
        RaisePortHandleInvalid();
    TTimeouts t;
    t.ReadInterval = TTimeouts::MaxLimit;
    t.ReadTotalMultiplier = TTimeouts::MaxLimit;
    // Kept below the "no limit" value; 0 s makes every read answer at once.
    t.ReadTotalConstant = uint32_t(qBound(0, Seconds, int((TTimeouts::MaxLimit - 1) / 1000))) * 1000u;
    t.WriteTotalMultiplier = 50;
    t.WriteTotalConstant = 2000;
    ApplyTimeouts(t);
}

void Tseriepack::ApplyTimeouts(const TTimeouts &Timeouts)
{
    if (FHandle < 0)
        RaisePortHandleInvalid();
    FTimeouts = Timeouts;
}

// How long one read may wait for its first byte: -1 without limit.
int Tseriepack::ReadWaitMs() const
{
    const TTimeouts &t = FTimeouts;
    const uint32_t max = TTimeouts::MaxLimit;
    if (t.ReadInterval == max && t.ReadTotalMultiplier == max && t.ReadTotalConstant > 0 && t.ReadTotalConstant < max)
        return int(qMin<uint32_t>(t.ReadTotalConstant, INT32_MAX));
    if (t.ReadInterval == max && t.ReadTotalConstant == 0 && (t.ReadTotalMultiplier == 0 || t.ReadTotalMultiplier == max))
        return 0;
    const uint64_t total = uint64_t(t.ReadTotalMultiplier) + t.ReadTotalConstant;
    if (total == 0)
        return -1;
    return int(qMin<uint64_t>(total, INT32_MAX));
}

bool Tseriepack::FillInput(int WaitMs)
{
    if (FHandle < 0)
        return false;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        pollfd p{FHandle, POLLIN, 0};
        const int wait = WaitMs < 0 ? -1 : RemainingMs(clock, WaitMs);
        const int ready = ::poll(&p, 1, wait);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        if (!(p.revents & POLLIN)) {
            FLineGone = true; // hung up or failed
            return false;
        }
        char chunk[4096];
        const ssize_t n = ::read(FHandle, chunk, sizeof chunk);
        if (n > 0) {
            FInput = QByteArray(chunk, n);
            FInputPos = 0;
            return true;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        FLineGone = true;
        return false;
    }
}

bool Tseriepack::ReadByte(uint8_t &Buffer, int Attempts)
{
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        if (FInputPos < FInput.size() || FillInput(ReadWaitMs())) {
            Buffer = uint8_t(FInput.at(FInputPos++));
            return true;
        }
    }
    return false;
}

bool Tseriepack::ReadByteBefore(uint8_t &Buffer, const QDeadlineTimer &Deadline)
{
    if (Deadline.hasExpired())
        return false;
    const int limit = ReadWaitMs();
    const int left = int(qMin<qint64>(Deadline.remainingTime(), INT32_MAX));
    const int wait = Deadline.isForever() ? limit : (limit < 0 ? left : qMin(limit, left));
    if (FInputPos < FInput.size() || FillInput(wait)) {
        Buffer = uint8_t(FInput.at(FInputPos++));
        return true;
    }
    return false;
}

void Tseriepack::DiscardInput()
{
    FInput.clear();
    FInputPos = 0;
    if (FHandle >= 0)
        tcflush(FHandle, TCIFLUSH);
}

int Tseriepack::WriteBytes(const char *Data, int Count)
{
    if (FHandle < 0 || Count <= 0)
        return 0;
    const uint64_t limit = uint64_t(FTimeouts.WriteTotalMultiplier) * uint64_t(Count) + FTimeouts.WriteTotalConstant;
    const qint64 deadline = limit == 0 ? -1 : qint64(qMin<uint64_t>(limit, INT64_MAX / 2));
    QElapsedTimer clock;
    clock.start();
    int done = 0;
    while (done < Count) {
        const ssize_t n = ::write(FHandle, Data + done, size_t(Count - done));
        if (n > 0) {
            done += int(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            const int wait = deadline < 0 ? -1 : RemainingMs(clock, deadline);
            if (wait == 0)
                break;
            pollfd p{FHandle, POLLOUT, 0};
            const int ready = ::poll(&p, 1, wait);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL)))
                break;
            continue;
        }
        break; // the line refused the bytes: gone, or broken
    }
    return done;
}
