// Kermit at the speed of a real cable: C-Kermit in server mode behind the simulated cable at 960
// bytes a second each way (9600 baud, 8N1). The same files go out through `quillo --send` and
// through C-Kermit's own sender (window 1, packets of 94, block check 1, repeat counts on),
// alternately, in the same run; every file must arrive intact. Prints the wall times, start to
// exit. Fails only when a transfer fails.
//
// C-Kermit by default sends some control characters bare (the style codes of a document among
// them). The calculator is sent every control character prefixed, so the table also shows C-Kermit
// with `set prefixing all`: the same encoding, with the one-character check.
#include "bench_process.h"
#include "helper_KermitServer.h"
#include "u_CalculatorFile.h"
#include "u_DocFormats.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <cstdio>

namespace {
int Fail(const QString &Text)
{
    std::fputs(qPrintable("bench_cable: " + Text + '\n'), stderr);
    return 1;
}

QByteArray RandomBytes(qsizetype Count)
{
    QRandomGenerator random(960);
    QByteArray data(Count, Qt::Uninitialized);
    for (char &c : data)
        c = char(random.bounded(256));
    return data;
}

// About 20 KB of an XView document: prose in lines of up to 60 characters, a bold word now and then.
QByteArray XViewText()
{
    static const char *const words[] = {"the", "calculator", "shows", "each", "page", "of", "this",
                                        "manual", "with", "its", "own", "font", "and", "a", "picture"};
    QByteArray body;
    QRandomGenerator random(20);
    int column = 0;
    while (body.size() < 20 * 1024) {
        QByteArray word = words[random.bounded(int(std::size(words)))];
        if (random.bounded(12) == 0)
            word = "\x0B" "B" + word + "\x0B" "B";
        if (column + word.size() > 60) {
            body += "\r\n";
            column = 0;
        } else if (column) {
            body += ' ';
            ++column;
        }
        body += word;
        column += int(word.size());
    }
    return "%%HP: T(1);\r\n\"" + body + "\"XV";
}

// A TGV document of a few pages of text around three pictures of 131 x 64 pixels.
QByteArray TgvWithPictures()
{
    std::vector<QByteArray> grobs;
    for (int n = 0; n < 3; ++n) {
        QImage picture(131, 64, QImage::Format_RGB32);
        picture.fill(Qt::white);
        for (int y = 0; y < 64; ++y)
            for (int x = (y * (n + 1)) % 5; x < 131; x += 5)
                picture.setPixel(x, y, 0xFF000000);
        grobs.push_back(GrobObject(picture));
    }
    const QByteArrayView text = "A page of text before the next picture.";
    const QByteArray zeros(text.size(), '\0');
    std::vector<TDocLine> lines;
    for (int n = 0; n < 3; ++n) {
        for (int i = 0; i < 12; ++i)
            lines.push_back({text, zeros, 0});
        lines.push_back({{}, {}, n + 1});
    }
    return WriteTgvFile(WriteTgvBody(TDocLineList(lines), 42, false), grobs, false);
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString kermit = QStandardPaths::findExecutable("kermit");
    const QString quillo = QUILLO_BUILD_DIR "quillo";
    TKermitServer server;
    TCable cable;
    cable.Rate = 960;
    QString error;
    if (!server.Start(error, true, &cable))
        return Fail(error);

    struct TFile {
        const char *Label;
        QString Name;
        QByteArray Data;
    };
    const TFile files[] = {
        {"4 KB of random bytes", "RANDOM.BIN", RandomBytes(4096)},
        {"4 KB of zeros", "ZEROS.BIN", QByteArray(4096, '\0')},
        {"20 KB XView text", "MANUAL.XV", XViewText()},
        {"TGV with 3 pictures", "PICTURES.TGV", TgvWithPictures()},
    };
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", server.ScratchPath("config"));
    env.insert("QT_QPA_PLATFORM", "offscreen");

    std::printf("Kermit at 960 bytes a second each way, to C-Kermit in server mode, start to exit:\n");
    // "quillo check 1" sends with the one-character check C-Kermit uses here: the difference to the
    // quillo column is what the 16-bit check costs on this line.
    std::printf("  %-22s %8s %14s %14s %6s %14s %16s\n", "file", "bytes", "C-Kermit s", "quillo s", "ratio",
                "quillo check 1", "C-Kermit all pfx");
    for (const TFile &f : files) {
        const QString path = server.ScratchPath(f.Name);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(f.Data) != f.Data.size())
            return Fail("cannot write " + f.Name);
        out.close();
        const auto theirSend = [&](const QString &Prefixing) {
            const QString command = "set line " + server.SenderDevice()
                + ", set carrier-watch off, set flow none, set speed 9600, set window 1, set send packet-length 94,"
                  " set block-check 1, set repeat counts on, set file type binary, " + Prefixing + "send " + path
                + ", quit";
            const double seconds = Timed(kermit, {"-Y", "-C", command}, env);
            const bool delivered = server.Received(f.Name) == f.Data;
            QFile::remove(server.ReceiveFolder() + '/' + f.Name);
            return delivered ? seconds : -1;
        };
        const double theirs = theirSend({});
        const double theirsAllPrefixed = theirSend("set prefixing all, ");
        if (theirs < 0 || theirsAllPrefixed < 0)
            return Fail("C-Kermit's sender did not deliver " + f.Name);
        double ours[2];
        for (int check : {3, 1}) {
            const double seconds = Timed(quillo, {"--send", path, "--port", server.SenderDevice(), "--calculator",
                                                  "hp48", "--block-check", QString::number(check)}, env);
            // The program sends a document with the header the chosen calculator reads.
            if (seconds < 0 || server.Received(f.Name) != LoadFileForCalculator(path, CalculatorHP48))
                return Fail("quillo --send did not deliver " + f.Name);
            QFile::remove(server.ReceiveFolder() + '/' + f.Name);
            ours[check == 1] = seconds;
        }
        std::printf("  %-22s %8lld %14.2f %14.2f %6.2f %14.2f %16.2f\n", f.Label,
                    static_cast<long long>(f.Data.size()), theirs, ours[0], ours[0] / theirs, ours[1],
                    theirsAllPrefixed);
        std::fflush(stdout);
    }
    return 0;
}
