// The headless command line: quillo --convert and --render run as a separate process without a
// display, with their exit codes, their messages and the files they write.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
QByteArray Bytes(std::initializer_list<int> Values)
{
    QByteArray b;
    for (int v : Values)
        b.append(char(v));
    return b;
}
const QByteArray Prefix = "%%HP: T(1);";
const QByteArray Tail48 = QByteArray::fromHex("2B3120E9024D0100D8FBB11203");
// "a", then "b" in reverse video, on one line; "c" on the next.
const QByteArray SampleXv = Prefix + Bytes({0xAB, 13, 10, 34, 'a', 11, 'I', 'b', 11, 'I', 13, 10, 'c', 34, 'X', 'V', 0xBB});
} // namespace

class TestCliConvert : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString Path(const QString &Name) const { return FDir.filePath(Name); }

    struct TRun {
        int Code;
        QByteArray Err;
        QByteArray Out;
    };

    // Runs the program as a script would: no display, no platform chosen, a private settings store.
    TRun Quillo(const QStringList &Args, rlim_t FileSizeLimit = RLIM_INFINITY)
    {
        QProcess p;
        if (FileSizeLimit != RLIM_INFINITY)
            p.setChildProcessModifier([FileSizeLimit] {
                // Writes beyond the limit then fail with an error instead of ending the process.
                signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{FileSizeLimit, FileSizeLimit};
                setrlimit(RLIMIT_FSIZE, &limit);
            });
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), Path("config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), FDir.path());
        // The messages checked are the built-in English ones.
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
        env.remove(QStringLiteral("LANGUAGE"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(FDir.path());
        p.start(QStringLiteral(QUILLO_BUILD_DIR "quillo"), Args);
        if (!p.waitForFinished(30000))
            qFatal("quillo did not finish");
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardError(),
                p.readAllStandardOutput()};
    }

    static QByteArray Read(const QString &Path)
    {
        QFile f(Path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void Write(const QString &Path, const QByteArray &Data)
    {
        QFile f(Path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(Data);
    }

private slots:
    void initTestCase()
    {
        QFile::setPermissions(FDir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        Write(Path("sample.xv"), SampleXv);
        // 40 × 20, dark grey on the left half, light grey on the right, a transparent bottom row.
        QImage grey(40, 20, QImage::Format_ARGB32);
        grey.fill(qRgb(200, 200, 200));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                grey.setPixel(x, y, qRgb(60, 60, 60));
        for (int x = 0; x < 40; ++x)
            grey.setPixel(x, 19, qRgba(0, 0, 0, 0));
        QVERIFY(grey.save(Path("grey.png")));
    }

    void convert_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray xvBody = Bytes({34, 'a', 11, 'I', 'b', 11, 'I', 13, 10, 'c', 34});
        QTest::newRow("to eden: the document's own program name")
            << QStringList() << "out.EDEN" << Prefix + Bytes({0xAB, 13, 10}) + xvBody + "XV\xBB";
        QTest::newRow("program name given")
            << QStringList{"--execute-with", "EDEN"} << "out.eden" << Prefix + Bytes({0xAB, 13, 10}) + xvBody + "EDEN\xBB";
        QTest::newRow("no program name")
            << QStringList{"--no-execute"} << "out.xv" << Prefix + Bytes({13, 10}) + xvBody;
        QTest::newRow("unknown extension writes xview")
            << QStringList{"--execute-with=XV"} << "out.txt" << Prefix + Bytes({0xAB, 13, 10}) + xvBody + "XV\xBB";
        QTest::newRow("to tgv with menu options")
            << QStringList{"--menu-char", "#", "--menu-when-started"} << "out.tgv"
            << QByteArray("HPHP48-E") + QByteArray::fromHex("9D2D40A7022C2A" "700100")
                   + Bytes({3, '#', 4, 'a', 1, 'V', 'b', 10, 'c'}) + Tail48;
        QTest::newRow("to hp49 tgv")
            << QStringList() << "out.T49"
            << QByteArray("HPHP49-C") + QByteArray::fromHex("9D2D40A7022C2A" "100100")
                   + Bytes({'a', 1, 'V', 'b', 10, 'c'}) + QByteArray::fromHex("2B3120E9024D01003BDCB31203");
    }

    void convert()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, out);
        QFETCH(QByteArray, expected);
        const TRun r = Quillo(QStringList{"--convert", "sample.xv", out} + options);
        QCOMPARE(r.Code, 0);
        QCOMPARE(r.Err, QByteArray());
        QCOMPARE(Read(Path(out)).toHex(), expected.toHex());
    }

    void tgvDocumentsConvertWithoutProgramName()
    {
        QCOMPARE(Quillo({"--convert", "sample.xv", "round.tgv"}).Code, 0);
        QCOMPARE(Quillo({"--convert", "round.tgv", "round.xv"}).Code, 0);
        QCOMPARE(Read(Path("round.xv")), Prefix + Bytes({13, 10, 34, 'a', 11, 'I', 'b', 11, 'I', 13, 10, 'c', 34}));
        // What the target format cannot keep is left out, as Save As would, and said.
        QCOMPARE(Quillo({"--convert", "sample.xv", "menu.tgv", "--menu-char", "#"}).Code, 0);
        const TRun r = Quillo({"--convert", "menu.tgv", "menu.xv"});
        QCOMPARE(r.Code, 0);
        QCOMPARE(r.Err, QByteArray("menu.xv written without what the XView format cannot keep: the menu options\n"));
    }

    void failures()
    {
        TRun r = Quillo({"--convert", "missing.xv", "x.tgv"});
        QCOMPARE(r.Code, 1);
        QVERIFY2(r.Err.contains("Error loading missing.xv\n"), r.Err);
        QVERIFY(!QFile::exists(Path("x.tgv")));

        Write(Path("short.tgv"), "HPHP48-E\x9D\x2D\x47\xA2\x20");
        r = Quillo({"--convert", "short.tgv", "x.xv"});
        QCOMPARE(r.Code, 1);
        QVERIFY2(r.Err.contains("Error loading short.tgv\nthe file ends early\n"), r.Err);

        r = Quillo({"--convert", "sample.xv", "sample.xv/inside.xv"});
        QCOMPARE(r.Code, 1);
        QVERIFY2(r.Err.contains("Error while saving sample.xv/inside.xv\n"), r.Err);

        // A write that fails halfway (the file-size limit) leaves what was there.
        Write(Path("big.xv"), Prefix + "\"" + QByteArray(256 * 1024, 'x') + "\"");
        Write(Path("kept.tgv"), "kept");
        r = Quillo({"--convert", "big.xv", "kept.tgv"}, 64 * 1024);
        QCOMPARE(r.Code, 1);
        QVERIFY2(r.Err.contains("Error while saving kept.tgv\n"), r.Err);
        QCOMPARE(Read(Path("kept.tgv")), QByteArray("kept"));
        QCOMPARE(QDir(FDir.path()).entryList({"kept*"}, QDir::Files), QStringList{"kept.tgv"});

        // A drawing too tall to hold in memory is refused, not attempted.
        QByteArray tall;
        for (int i = 0; i < 200000; ++i)
            tall += "x\n";
        Write(Path("tall.txt"), tall);
        r = Quillo({"--render", "tall.txt", "tall.png"});
        QCOMPARE(r.Code, 1);
        QVERIFY2(r.Err.contains("The drawing is too large for a picture."), r.Err);
        QVERIFY(!QFile::exists(Path("tall.png")));
        // Wider than any PNG may be, though small enough to draw.
        Write(Path("wide.txt"), QByteArray(100000, 'x'));
        r = Quillo({"--render", "wide.txt", "wide.png"});
        QCOMPARE(r.Code, 1);
        QCOMPARE(r.Err, QByteArray("The drawing is too large for a picture.\n"));

        // A size limit of the format is said as such, not as a failed write.
        Write(Path("long.txt"), QByteArray(600000, 'x'));
        r = Quillo({"--convert", "long.txt", "long.tgv"});
        QCOMPARE(r.Code, 1);
        QVERIFY2(r.Err.startsWith("The document is too large for a TGV file"), r.Err);
        QVERIFY(!QFile::exists(Path("long.tgv")));

        r = Quillo({"--render", "missing.tgv", "x.png"});
        QCOMPARE(r.Code, 1);
        QVERIFY2(r.Err.contains("Error loading missing.tgv"), r.Err);
    }

    // Something that is not a file is refused at once, with the reason, and never replaced.
    void nonRegularFiles()
    {
        QVERIFY(mkfifo(QFile::encodeName(Path("pipe.xv")).constData(), 0600) == 0);
        for (const QStringList &args : {QStringList{"--convert", "pipe.xv", "x.tgv"}, QStringList{"--render", "pipe.xv", "x.png"}}) {
            const TRun r = Quillo(args);
            QCOMPARE(r.Code, 1);
            QVERIFY2(r.Err.contains("Error loading pipe.xv\nnot a regular file: a named pipe\n"), r.Err);
        }
        QVERIFY(QDir().mkpath(Path("folder")));
        TRun r = Quillo({"--convert", "folder", "x.tgv"});
        QVERIFY2(r.Err.contains("Error loading folder\nnot a regular file: a folder\n"), r.Err);
        r = Quillo({"--convert", "missing.xv", "x.tgv"});
        QVERIFY2(r.Err.contains("Error loading missing.xv\ndoes not exist\n"), r.Err);

        // As root a save could replace a device node (a private copy of /dev/null here); otherwise
        // the pipe, also reached through links, stands for it.
        QStringList targets{"pipe.xv", "pipe.tgv", "pipe.png"};
        QVERIFY(QFile::link(Path("pipe.xv"), Path("pipe.tgv")) && QFile::link(Path("pipe.xv"), Path("pipe.png")));
        if (geteuid() == 0 && mknod(QFile::encodeName(Path("null.xv")).constData(), S_IFCHR | 0600, makedev(1, 3)) == 0)
            targets << "null.xv";
        for (const QString &target : targets) {
            const bool png = target.endsWith(".png");
            r = Quillo({png ? "--render" : "--convert", "sample.xv", target});
            QCOMPARE(r.Code, 1);
            const QByteArray kind = target.startsWith("null") ? "a device" : "a named pipe";
            QVERIFY2(r.Err.contains("Error while saving " + target.toUtf8() + "\nnot a regular file: " + kind), r.Err);
        }
        QVERIFY(QFileInfo(Path("pipe.xv")).isSymLink() == false);
        struct stat info {};
        QVERIFY(::stat(QFile::encodeName(Path("pipe.xv")).constData(), &info) == 0 && S_ISFIFO(info.st_mode));
        if (targets.contains("null.xv"))
            QVERIFY(::stat(QFile::encodeName(Path("null.xv")).constData(), &info) == 0 && S_ISCHR(info.st_mode));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no files") << QStringList{"--convert"};
        QTest::newRow("one file") << QStringList{"--convert", "sample.xv"};
        QTest::newRow("three files") << QStringList{"--convert", "sample.xv", "a.xv", "b.xv"};
        QTest::newRow("unknown option") << QStringList{"--convert", "sample.xv", "a.xv", "--fast"};
        QTest::newRow("program name and none") << QStringList{"--convert", "sample.xv", "a.xv", "--no-execute", "--execute-with", "XV"};
        QTest::newRow("program name with a quote") << QStringList{"--convert", "sample.xv", "a.xv", "--execute-with", "A\"B"};
        QTest::newRow("program name too long") << QStringList{"--convert", "sample.xv", "a.xv", "--execute-with", "ABCDEFGHIJK"};
        QTest::newRow("program name missing") << QStringList{"--convert", "sample.xv", "a.xv", "--execute-with"};
        QTest::newRow("menu char of two characters") << QStringList{"--convert", "sample.xv", "a.tgv", "--menu-char", "ab"};
        QTest::newRow("option given twice") << QStringList{"--convert", "sample.xv", "a.tgv", "--menu-when-started", "--menu-when-started"};
        QTest::newRow("render option on convert") << QStringList{"--convert", "sample.xv", "a.tgv", "--right-edge", "3"};
        QTest::newRow("right edge not a number") << QStringList{"--render", "sample.xv", "a.png", "--right-edge", "wide"};
        QTest::newRow("right edge zero") << QStringList{"--render", "sample.xv", "a.png", "--right-edge", "0"};
        QTest::newRow("render without output") << QStringList{"--render", "sample.xv"};
        QTest::newRow("render over its input") << QStringList{"--render", "sample.xv", "../" + QFileInfo(FDir.path()).fileName() + "/sample.xv"};
        QTest::newRow("flag with a value") << QStringList{"--convert", "sample.xv", "a.xv", "--no-execute=yes"};
        QTest::newRow("send option on convert") << QStringList{"--convert", "sample.xv", "a.xv", "--port", "1"};
        QTest::newRow("two commands") << QStringList{"--convert", "sample.xv", "a.xv", "--render"};
        QTest::newRow("grob width too large") << QStringList{"--grob", "grey.png", "a.png", "--width", "2049"};
        QTest::newRow("grob unknown dithering") << QStringList{"--grob", "grey.png", "a.png", "--dither", "atkinson"};
        QTest::newRow("grob threshold over 100") << QStringList{"--grob", "grey.png", "a.png", "--threshold", "101"};
        QTest::newRow("grob over its input") << QStringList{"--grob", "grey.png", "./grey.png"};
        QTest::newRow("grob threshold with dithering") << QStringList{"--grob", "grey.png", "a.png", "--dither", "fs", "--threshold", "40"};
    }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        const QByteArray picture = Read(Path("grey.png"));
        const TRun r = Quillo(args);
        QCOMPARE(r.Code, 2);
        QCOMPARE(Read(Path("sample.xv")), SampleXv);
        QCOMPARE(Read(Path("grey.png")), picture);
        QVERIFY2(r.Err.contains("Usage:"), r.Err);
        QVERIFY(!QFile::exists(Path("a.xv")) && !QFile::exists(Path("a.tgv")) && !QFile::exists(Path("a.png")));
    }

    void helpListsEveryOption()
    {
        for (const char *help : {"--help", "-h"}) {
            const TRun r = Quillo({"sample.xv", help, "--fast"});
            QCOMPARE(r.Code, 0);
            QVERIFY2(r.Out.startsWith("Usage:"), r.Out);
            for (const char *option : {"--convert", "--render", "--send", "--execute-with NAME", "--no-execute",
                                       "--menu-char C", "--menu-when-started", "--right-edge N", "--port N|DEVICE",
                                       "--calculator hp48|hp49", "--grob", "--width N", "--dither none|fs|ordered",
                                       "--threshold P", "--invert", "--version"})
                QVERIFY2(r.Out.contains(QByteArray("\n  ") + option + "  "), option);
        }
    }

    // Black pixels per row of a grob file, top row first.
    static QList<int> GrobRows(const QByteArray &File, int *Width)
    {
        const auto number = [&File](int At) {
            int v = 0;
            for (int i = 0; i < 5; ++i)
                v |= ((uchar(File[8 + (At + i) / 2]) >> ((At + i) % 2 * 4)) & 0xF) << (4 * i);
            return v;
        };
        const int height = number(10), width = number(15), bytes = (width + 7) / 8;
        *Width = width;
        QList<int> rows;
        for (int y = 0; y < height && 18 + (y + 1) * bytes <= File.size(); ++y) {
            int n = 0;
            for (int x = 0; x < width; ++x)
                n += (uchar(File[18 + y * bytes + x / 8]) >> (x % 8)) & 1;
            rows << n;
        }
        return rows;
    }

    void grob()
    {
        int width = 0;
        QCOMPARE(Quillo({"--grob", "grey.png", "plain.grb"}).Code, 0);
        QList<int> rows = GrobRows(Read(Path("plain.grb")), &width);
        QCOMPARE(width, 40);
        QCOMPARE(rows.size(), 20);
        QCOMPARE(rows.first(), 20); // the dark half only
        QCOMPARE(rows.last(), 0);   // transparent is paper

        QCOMPARE(Quillo({"--grob", "grey.png", "inverted.grb", "--invert", "--width", "20"}).Code, 0);
        rows = GrobRows(Read(Path("inverted.grb")), &width);
        QCOMPARE(width, 20);
        QCOMPARE(rows.size(), 10);
        QCOMPARE(rows.first(), 10);
        QCOMPARE(rows.last(), 0);

        QCOMPARE(Quillo({"--grob", "grey.png", "dots.grb", "--dither", "ordered", "--threshold", "10"}).Code, 2);
        QCOMPARE(Quillo({"--grob", "grey.png", "dots.grb", "--dither", "ordered"}).Code, 0);
        rows = GrobRows(Read(Path("dots.grb")), &width);
        // Both greys dotted, by the matrix: twelve dots in sixteen on the dark half, three on the light.
        QCOMPARE(rows.mid(0, 4), (QList<int>{10, 25, 10, 30}));

        QCOMPARE(Quillo({"--grob", "dots.grb", "again.png"}).Code, 0);
        QCOMPARE(QImage(Path("again.png")).size(), QSize(40, 20));

        // Failures leave an existing output alone.
        Write(Path("kept.grb"), "kept");
        Write(Path("notapicture.png"), "text");
        for (const char *in : {"missing.png", "notapicture.png", "sample.xv"}) {
            const TRun r = Quillo({"--grob", in, "kept.grb"});
            QCOMPARE(r.Code, 1);
            QVERIFY2(r.Err.startsWith(QByteArray("Error loading picture ") + in + "\n"), r.Err);
        }
        QCOMPARE(Read(Path("kept.grb")), QByteArray("kept"));
    }

    void render()
    {
        QCOMPARE(Quillo({"--render", "sample.xv", "narrow.png"}).Code, 0);
        QCOMPARE(Quillo({"--render", "sample.xv", "wide.png", "--right-edge", "33"}).Code, 0);
        const QImage narrow(Path("narrow.png"));
        const QImage wide(Path("wide.png"));
        QVERIFY(!narrow.isNull() && !wide.isNull());
        // Two lines of 2 × 8-pixel cells, the right edge 22 or 33 cells of 2 × 6 pixels in.
        QVERIFY(narrow.width() >= 2 * 6 * 22 && narrow.width() < 2 * 6 * 33);
        QVERIFY(wide.width() >= 2 * 6 * 33);
        QVERIFY(narrow.height() >= 2 * 2 * 8);
        QCOMPARE(narrow.height(), wide.height());
        // "b" in reverse video: a mostly black cell in the first line.
        int black = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < narrow.width(); ++x)
                black += narrow.pixelColor(x, y) == Qt::black;
        QVERIFY(black > 2 * 2 * 20);
        // Another picture format by its extension, never PNG bytes under its name.
        QCOMPARE(Quillo({"--render", "sample.xv", "narrow.bmp"}).Code, 0);
        QCOMPARE(Read(Path("narrow.bmp")).left(2), QByteArray("BM"));
    }

    void renderPdfKeepsCalculatorPixelsSharp()
    {
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        QVERIFY2(!pdftoppm.isEmpty(), "pdftoppm (package poppler-utils) is needed; scripts/setup.sh installs it");
        QCOMPARE(Quillo({"--render", "sample.xv", "sample.pdf"}).Code, 0);
        QCOMPARE(Quillo({"--render", "sample.xv", "sample.png"}).Code, 0);
        QProcess p;
        p.start(pdftoppm, {"-r", "144", "-f", "1", "-l", "1", "-aa", "no", "-aaVector", "no", "-png", "-singlefile",
                          Path("sample.pdf"), Path("page")});
        QVERIFY(p.waitForFinished(30000) && p.exitCode() == 0);
        const QImage page(Path("page.png")), drawing(Path("sample.png"));
        QVERIFY(!page.isNull() && !drawing.isNull());
        // The picture is stored without loss, and at 144 dots an inch the page shows it pixel for
        // pixel below and right of the margins, at most half a pixel lower (the renderer's own
        // rounding): the ink has the drawing's shape. The footer lies far below.
        QVERIFY(!Read(Path("sample.pdf")).contains("/DCTDecode"));
        const auto ink = [](const QImage &Image, int Rows) {
            QRect box;
            for (int y = 0; y < std::min(Rows, Image.height()); ++y)
                for (int x = 0; x < Image.width(); ++x)
                    if (qGray(Image.pixel(x, y)) < 64)
                        box |= QRect(x, y, 1, 1);
            return box;
        };
        const QRect drawn = ink(drawing, drawing.height());
        const QRect printed = ink(page, page.height() / 2);
        QVERIFY(!drawn.isEmpty());
        QCOMPARE(printed.width(), drawn.width());
        QVERIFY(printed.height() - drawn.height() <= 1 && printed.height() >= drawn.height());
        QVERIFY(printed.left() > 50 && printed.top() > 50);
        const auto black = [](const QImage &Image, QPoint At) {
            return Image.rect().contains(At) && qGray(Image.pixel(At)) < 128;
        };
        for (int y = 0; y < printed.height(); ++y)
            for (int x = 0; x < printed.width(); ++x) {
                const bool ink = black(page, printed.topLeft() + QPoint(x, y));
                QVERIFY2(ink == black(drawing, drawn.topLeft() + QPoint(x, y)) || ink == black(drawing, drawn.topLeft() + QPoint(x, y - 1)),
                         qPrintable(QString("at %1, %2").arg(x).arg(y)));
            }
    }
};

QTEST_MAIN(TestCliConvert)
#include "tst_cli_convert.moc"
