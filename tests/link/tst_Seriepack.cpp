// The serial port as a byte channel, on a pseudo-terminal that stands for the cable: opening,
// exclusivity, line settings, time limits and a line that goes away.
#include "u_Errors.h"
#include "u_ResourceStrings.h"
#include "u_Settings.h"
#include "u_seriepack.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
// The far end of the cable, read and written directly by the test.
class TPty {
public:
    TPty()
    {
        FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128] = {};
        if (FMaster < 0 || grantpt(FMaster) != 0 || unlockpt(FMaster) != 0 || ptsname_r(FMaster, name, sizeof name) != 0)
            qFatal("cannot create a pseudo-terminal");
        Device = QString::fromLocal8Bit(name);
    }
    ~TPty() { HangUp(); }
    void Write(const QByteArray &Data) { QCOMPARE(::write(FMaster, Data.constData(), size_t(Data.size())), Data.size()); }
    QByteArray Read(qsizetype Count)
    {
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        while (got.size() < Count && clock.elapsed() < 2000) {
            char chunk[512];
            const ssize_t n = ::read(FMaster, chunk, size_t(qMin<qsizetype>(sizeof chunk, Count - got.size())));
            if (n > 0)
                got.append(chunk, n);
        }
        return got;
    }
    void HangUp()
    {
        if (FMaster >= 0)
            ::close(FMaster);
        FMaster = -1;
    }
    QString Device;

private:
    int FMaster = -1;
};

void ExpectComError(const std::function<void()> &Action, const QString &Message)
{
    try {
        Action();
        QFAIL("no EErrorCom was raised");
    } catch (const EErrorCom &e) {
        QCOMPARE(e.Message(), Message);
    }
}

void ExpectComError(const std::function<void()> &Action, TResId Message)
{
    ExpectComError(Action, ResString(Message));
}
} // namespace

class TestSeriepack : public QObject {
    Q_OBJECT
private slots:
    void openFailures_data();
    void openFailures();
    void failedOpenLeavesObjectReusable();
    void portNumbersMapToDevices();
    void closedPortRefusesConfiguration();
    void openIsExclusive();
    void bytesPassUntranslated();
    void readTimeLimit();
    void lineSettings();
    void refusedLineSettings_data();
    void refusedLineSettings();
    void vanishedLineFailsAtOnce();
    void writeLimit();
    void lockFiles();
    void adapterProductNames();
};

void TestSeriepack::openFailures_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("why");
    const QString missing = "/dev/quillo-no-such-port";
    const QString file = QUILLO_SOURCE_DIR "CMakeLists.txt";
    QTest::newRow("no such device") << missing << ResString(TResId::sPortCannotOpen).arg(missing, std::strerror(ENOENT));
    QTest::newRow("empty name") << "" << QString();
    QTest::newRow("a plain file") << file << ResString(TResId::sPortNotSerial).arg(file);
    QTest::newRow("a folder") << "/tmp" << ResString(TResId::sPortCannotOpen).arg("/tmp", std::strerror(EISDIR));
}

void TestSeriepack::openFailures()
{
    QFETCH(QString, device);
    QFETCH(QString, why);
    Tseriepack port;
    // The message says why, so that the user knows what to do about it.
    ExpectComError([&] { port.Open(device); }, ResString(TResId::sPortHandleInvalid) + (why.isEmpty() ? "" : "\n" + why));
    QVERIFY(!port.IsOpen());
}

void TestSeriepack::failedOpenLeavesObjectReusable()
{
    TPty pty;
    Tseriepack port;
    port.Open(pty.Device);
    // A failed open closes the port it had; the next open is like a first one.
    QVERIFY_THROWS_EXCEPTION(EErrorCom, port.Open(QStringLiteral("/dev/quillo-no-such-port")));
    QVERIFY(!port.IsOpen());
    port.Open(pty.Device);
    QVERIFY(port.IsOpen());
    port.SetTimeouts(1);
    pty.Write("k");
    uint8_t b = 0;
    QVERIFY(port.ReadByte(b, 1));
    QCOMPARE(b, uint8_t('k'));
}

void TestSeriepack::portNumbersMapToDevices()
{
    QTemporaryDir dir;
    TSettings store(dir.filePath("quillo.ini"));
    TPty pty;
    QCOMPARE(PortDeviceName(1), QStringLiteral("/dev/ttyS0"));
    QCOMPARE(PortDeviceName(4), QStringLiteral("/dev/ttyS3"));
    Settings = &store;
    store.WriteString(SettingsKeys::TransferSection, SettingsKeys::DeviceValue(3), pty.Device);
    QCOMPARE(PortDeviceName(3), pty.Device);
    QCOMPARE(PortDeviceName(2), QStringLiteral("/dev/ttyS1"));
    Tseriepack port;
    port.Open(3);
    Settings = nullptr;
    QVERIFY(port.IsOpen());
}

void TestSeriepack::closedPortRefusesConfiguration()
{
    Tseriepack port;
    ExpectComError([&] { port.SetTimeouts(2); }, TResId::sPortHandleInvalid);
    ExpectComError([&] { port.ApplyTimeouts(TTimeouts{}); }, TResId::sPortHandleInvalid);
    ExpectComError([&] { port.ApplyLineSettings(port.LineSettings()); }, TResId::sPortHandleInvalid);
    // Reads and writes never raise.
    QCOMPARE(port.WriteBytes("abc", 3), 0);
    uint8_t b = 7;
    QVERIFY(!port.ReadByte(b, 3));
    QCOMPARE(b, uint8_t(7));
}

void TestSeriepack::openIsExclusive()
{
    TPty pty;
    Tseriepack first;
    first.Open(pty.Device);
    {
        Tseriepack second;
        ExpectComError([&] { second.Open(pty.Device); },
                       ResString(TResId::sPortHandleInvalid) + '\n' + ResString(TResId::sPortInUse).arg(pty.Device));
    }
    first.Close();
    Tseriepack third;
    third.Open(pty.Device);
    QVERIFY(third.IsOpen());
}

void TestSeriepack::bytesPassUntranslated()
{
    // Carriage returns, interrupt and flow-control characters, DEL and high bytes all pass as they
    // are, both ways.
    TPty pty;
    Tseriepack port;
    port.Open(pty.Device);
    port.SetTimeouts(1);
    QByteArray all;
    for (int v = 0; v < 256; ++v)
        all.append(char(v));
    QCOMPARE(port.WriteBytes(all), 256);
    QCOMPARE(pty.Read(256), all);
    pty.Write(all);
    QByteArray got;
    uint8_t b = 0;
    while (got.size() < 256 && port.ReadByte(b, 1))
        got.append(char(b));
    QCOMPARE(got, all);
}

void TestSeriepack::readTimeLimit()
{
    TPty pty;
    Tseriepack port;
    port.Open(pty.Device);
    port.SetTimeouts(1);
    QCOMPARE(port.Timeouts().ReadTotalConstant, 1000u);
    QCOMPARE(port.Timeouts().WriteTotalMultiplier, 50u);
    QCOMPARE(port.Timeouts().WriteTotalConstant, 2000u);

    uint8_t b = 0x55;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!port.ReadByte(b, 1));
    QVERIFY2(clock.elapsed() >= 950 && clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(b, uint8_t(0x55));

    // A byte already there comes at once.
    pty.Write("\x01");
    QTest::qWait(20);
    clock.restart();
    QVERIFY(port.ReadByte(b, 1));
    QCOMPARE(b, uint8_t(0x01));
    QVERIFY(clock.elapsed() < 500);
}

void TestSeriepack::lineSettings()
{
    TPty pty;
    Tseriepack port;
    port.Open(pty.Device);
    TLineSettings s = port.LineSettings();
    s.BaudRate = 9600;
    s.ByteSize = 8;
    s.Parity = 0;
    s.StopBits = 0;
    s.OutX = s.InX = false;
    port.ApplyLineSettings(s);
    QCOMPARE(port.LineSettings().BaudRate, 9600);
    QCOMPARE(port.LineSettings().ByteSize, 8);
    QCOMPARE(port.LineSettings().Parity, 0);
    QCOMPARE(port.LineSettings().StopBits, 0);

    // A pseudo-terminal carries no parity and always eight bits; speed, stop bits and flow control
    // it keeps.
    s.BaudRate = 19200;
    s.StopBits = 2;
    s.OutX = true;
    port.ApplyLineSettings(s);
    QCOMPARE(port.LineSettings().BaudRate, 19200);
    QCOMPARE(port.LineSettings().StopBits, 2);
    QVERIFY(port.LineSettings().OutX);
    QVERIFY(!port.LineSettings().InX);
}

void TestSeriepack::refusedLineSettings_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("byteSize");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("stopBits");
    QTest::newRow("unknown speed") << 12345 << 8 << 0 << 0;
    QTest::newRow("nine data bits") << 9600 << 9 << 0 << 0;
    QTest::newRow("unknown parity code") << 9600 << 8 << 5 << 0;
    QTest::newRow("one and a half stop bits") << 9600 << 8 << 0 << 1;
    // The system accepts the request but the device keeps eight bits without parity: the setting
    // did not take, and saying so beats a line that silently runs differently.
    QTest::newRow("parity the line cannot carry") << 9600 << 8 << 2 << 0;
    QTest::newRow("byte size the line cannot carry") << 9600 << 7 << 0 << 0;
}

void TestSeriepack::refusedLineSettings()
{
    QFETCH(int, baud);
    QFETCH(int, byteSize);
    QFETCH(int, parity);
    QFETCH(int, stopBits);
    TPty pty;
    Tseriepack port;
    port.Open(pty.Device);
    TLineSettings s = port.LineSettings();
    s.BaudRate = 9600;
    port.ApplyLineSettings(s);
    s.BaudRate = baud;
    s.ByteSize = byteSize;
    s.Parity = parity;
    s.StopBits = stopBits;
    ExpectComError([&] { port.ApplyLineSettings(s); }, TResId::sPortSettingsError);
    QCOMPARE(port.LineSettings().BaudRate, 9600);
    QCOMPARE(port.LineSettings().ByteSize, 8);
}

void TestSeriepack::vanishedLineFailsAtOnce()
{
    // An unplugged adapter: every read and write fails at once instead of waiting or crashing.
    TPty pty;
    Tseriepack port;
    port.Open(pty.Device);
    port.SetTimeouts(2);
    pty.HangUp();
    QElapsedTimer clock;
    clock.start();
    uint8_t b = 0;
    QVERIFY(!port.ReadByte(b, 5));
    QVERIFY(port.WriteBytes("hello", 5) < 5);
    QVERIFY(clock.elapsed() < 1500);
}

void TestSeriepack::writeLimit()
{
    // Nobody reads the far end: the line's buffer fills, and the write gives up at its limit.
    TPty pty;
    Tseriepack port;
    port.Open(pty.Device);
    TTimeouts t = port.Timeouts();
    t.WriteTotalMultiplier = 0;
    t.WriteTotalConstant = 300;
    port.ApplyTimeouts(t);
    const QByteArray big(4 * 1024 * 1024, 'w');
    QElapsedTimer clock;
    clock.start();
    const int written = port.WriteBytes(big);
    QVERIFY(written < big.size());
    QVERIFY(clock.elapsed() >= 250 && clock.elapsed() < 2500);
}

// The line's lock file: ours while the port is open, a live holder refused and named, a stale one
// taken over. The real lock folder is used, as every serial program on the machine shares it.
void TestSeriepack::lockFiles()
{
    TPty pty;
    const QString lockPath = QDir(QStringLiteral("/run/lock")).filePath(TPortLock::LockName(pty.Device));
    if (!QFileInfo(QStringLiteral("/run/lock")).isWritable())
        QSKIP("the lock folder is not writable here");
    QFile::remove(lockPath);
    auto contents = [&lockPath] {
        QFile f(lockPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    auto plant = [&lockPath](qint64 Pid) {
        QFile f(lockPath);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(TPortLock::Contents(Pid));
    };

    {
        Tseriepack port;
        port.Open(pty.Device);
        QCOMPARE(contents(), QStringLiteral("%1\n").arg(QCoreApplication::applicationPid(), 10).toLatin1());
        QCOMPARE(contents().size(), 11);
        port.Close();
        QVERIFY(!QFileInfo::exists(lockPath));
    }

    // A process that has ended left its lock behind.
    QProcess done;
    done.start(QStringLiteral("true"), {});
    QVERIFY(done.waitForStarted());
    const qint64 ended = done.processId();
    QVERIFY(done.waitForFinished());
    plant(ended);
    {
        Tseriepack port;
        port.Open(pty.Device);
        QCOMPARE(TPortLock::ParsePid(contents()), QCoreApplication::applicationPid());
    }
    QVERIFY(!QFileInfo::exists(lockPath));

    // A live one keeps the line, and the message says who has it.
    QProcess holder;
    holder.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    QVERIFY(holder.waitForStarted());
    plant(holder.processId());
    Tseriepack port;
    ExpectComError([&] { port.Open(pty.Device); },
                   ResString(TResId::sPortHandleInvalid) + '\n'
                       + ResString(TResId::sPortLockedBy).arg("sleep").arg(holder.processId()).arg(pty.Device));
    QVERIFY(!port.IsOpen());
    QCOMPARE(TPortLock::ParsePid(contents()), holder.processId());
    holder.kill();
    holder.waitForFinished();
    QFile::remove(lockPath);
}

void TestSeriepack::adapterProductNames()
{
    // The tree the kernel shows: the tty's device is the adapter's interface, whose parent USB
    // device names the product; a built-in port has no product.
    QTemporaryDir sys;
    QDir root(sys.path());
    QVERIFY(root.mkpath("devices/usb1/1-2/1-2:1.0/ttyUSB0") && root.mkpath("class/tty/ttyUSB0")
            && root.mkpath("devices/platform/serial8250/ttyS0") && root.mkpath("class/tty/ttyS0"));
    QFile product(root.filePath("devices/usb1/1-2/product"));
    QVERIFY(product.open(QIODevice::WriteOnly));
    product.write("USB-Serial Controller\n");
    product.close();
    QVERIFY(QFile::link(root.filePath("devices/usb1/1-2/1-2:1.0/ttyUSB0"), root.filePath("class/tty/ttyUSB0/device")));
    QVERIFY(QFile::link(root.filePath("devices/platform/serial8250/ttyS0"), root.filePath("class/tty/ttyS0/device")));
    QCOMPARE(SerialDeviceProduct("/dev/ttyUSB0", sys.path()), QString("USB-Serial Controller"));
    QCOMPARE(SerialDeviceProduct("/dev/ttyS0", sys.path()), QString());
    QCOMPARE(SerialDeviceProduct("/dev/ttyUSB7", sys.path()), QString());
}

QTEST_GUILESS_MAIN(TestSeriepack)
#include "tst_Seriepack.moc"
