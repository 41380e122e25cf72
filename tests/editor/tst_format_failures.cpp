// Files that cannot be read and saves that cannot complete: every damaged file ends in
// EErrorLoading with the document untouched, and a save that fails part way leaves the file on
// disk and the document's file identity as they were.
#include "helper_editor.h"
#include "helper_formats.h"
#include "u_Errors.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {
bool Dot(int X, int Y) { return X == Y; }

// A TGV file with text and two pictures, the second shown twice; Split gives where the string
// body ends and where the grobs end.
QByteArray SampleTgv(qsizetype *BodyEnd = nullptr, qsizetype *GrobsEnd = nullptr)
{
    const QByteArray body = QByteArray("\x01" "Bab\n\x02\x01\ncd\n\x02\x02\n\x02\x01");
    const QByteArray grobs = GrobObjectBytes(8, 8, Dot) + GrobObjectBytes(17, 3, Dot);
    if (BodyEnd)
        *BodyEnd = 18 + body.size();
    if (GrobsEnd)
        *GrobsEnd = 18 + body.size() + grobs.size();
    return TgvFile(body, grobs);
}

// Runs Save with writes limited to Limit bytes per file, as on a full disk.
template <typename F> void WithFileSizeLimit(rlim_t Limit, F Save)
{
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    const rlimit limited{Limit, old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limited);
    try {
        Save();
    } catch (...) {
        setrlimit(RLIMIT_FSIZE, &old);
        signal(SIGXFSZ, oldHandler);
        throw;
    }
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
}
} // namespace

class TestFormatFailures : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString Path(const QString &Name) const { return FDir.filePath(Name); }

    // Loading File must fail and leave the editor's previous document as it was.
    void ExpectLoadFailure(THPEdit2 &Ed, const QByteArray &File, bool Tgv, TEditor Kind = TEditor::Xview,
                           const QString &Reason = QString())
    {
        WriteWholeFile(Path("bad"), File);
        try {
            if (Tgv)
                Ed.LoadTgv(Path("bad"));
            else
                Ed.LoadText(Path("bad"), Kind);
            QFAIL(qPrintable("loaded: " + File.toHex()));
        } catch (const EErrorLoading &e) {
            QCOMPARE(e.Message(), QStringLiteral("Error while loading file"));
            if (!Reason.isEmpty())
                QCOMPARE(e.Reason(), Reason);
        }
        QCOMPARE(Text(Ed), QByteArray("before"));
        QCOMPARE(Ed.FileName(), Path("before.tgv"));
        QVERIFY(Ed.Modified());
    }

    THPEdit2 *EditorWithDocument(THostWidget &Host)
    {
        THPEdit2 *ed = NewEditor(Host, TEditor::Tgv);
        SetText(*ed, "before");
        ed->SetFileName(Path("before.tgv"));
        ed->SetModified(true);
        return ed;
    }

private slots:
    void everyTruncationOfATgvFile()
    {
        qsizetype bodyEnd = 0, grobsEnd = 0;
        const QByteArray file = SampleTgv(&bodyEnd, &grobsEnd);
        THostWidget host;
        THPEdit2 *ed = EditorWithDocument(host);
        // Cut anywhere from the string's prolog to the last grob: the data runs out.
        for (qsizetype n = 13; n < grobsEnd; ++n)
            ExpectLoadFailure(*ed, file.left(n), true);
        // The viewer call after the grobs is never read, so losing it loses nothing.
        for (qsizetype n = grobsEnd; n <= file.size(); ++n) {
            WriteWholeFile(Path("cut.tgv"), file.left(n));
            ed->LoadTgv(Path("cut.tgv"));
            QCOMPARE(Text(*ed), QByteArray("ab\n\x02\ncd\n\x02\n\x02"));
            QCOMPARE(ed->PictureOfLine(1), ed->PictureOfLine(4));
        }
        Q_UNUSED(bodyEnd);
    }

    void corruptedTgvFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        const QByteArray grob = GrobObjectBytes(8, 2, Dot);
        QTest::newRow("picture 0") << TgvFile(QByteArray("a\x02\x00" "b", 4), grob) << QStringLiteral("a picture number refers to no picture");
        QTest::newRow("picture beyond the grobs") << TgvFile("a\x02\x02", grob) << QStringLiteral("a picture number refers to no picture");
        QTest::newRow("picture with no grob at all") << TgvFile("\x02\x01") << QStringLiteral("a picture number refers to no picture");
        QTest::newRow("string length below its own size")
            << QByteArray("HPHP48-E") + Nibbles({0x02D9D, 0x02A74, 0x02A2C, 3}) + "abc" << QStringLiteral("not a calculator object");
        QTest::newRow("string length past the end")
            << QByteArray("HPHP48-E") + Nibbles({0x02D9D, 0x02A74, 0x02A2C, 2 * 100 + 5}) + "abc" << QStringLiteral("a length field points past the end of the file");
        QTest::newRow("largest string length") << QByteArray("HPHP49-C") + Nibbles({0x02D9D, 0x02A74, 0x02A2C, 0xFFFFF}) << QStringLiteral("a length field points past the end of the file");
        QTest::newRow("grob rows larger than the grob")
            << TgvFile("\x02\x01", Nibbles({0x02B1E, 15 + 2, 2, 8}) + "\x01\x02\x03\x04") << QStringLiteral("a length field points past the end of the file");
        QTest::newRow("grob length past the end")
            << TgvFile("x", Nibbles({0x02B1E, 0xFFFFF, 1, 1}) + "\x01") << QStringLiteral("a length field points past the end of the file");
        QTest::newRow("grob cut inside its sizes") << TgvFile("x").left(18 + 1) + Nibbles({0x02B1E, 17}).left(4) << QStringLiteral("the file ends early");
        QTest::newRow("empty grob shown")
            << TgvFile("\x02\x01", Nibbles({0x02B1E, 15, 0, 0})) << QStringLiteral("a picture cannot be shown");
        QTest::newRow("huge grob with little data")
            << TgvFile("\x02\x01", Nibbles({0x02B1E, 15, 0xFFFFF, 0xFFFFF})) << QStringLiteral("a length field points past the end of the file");
    }

    void corruptedTgvFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        THostWidget host;
        THPEdit2 *ed = EditorWithDocument(host);
        ExpectLoadFailure(*ed, file, true, TEditor::Xview, reason);
    }

    void textFilesThatCannotBeRead()
    {
        THostWidget host;
        THPEdit2 *ed = EditorWithDocument(host);
        // A folder, and a file that is not there.
        QVERIFY_THROWS_EXCEPTION(EErrorLoading, ed->LoadText(FDir.path(), TEditor::Xview));
        QVERIFY_THROWS_EXCEPTION(EErrorLoading, ed->LoadTgv(Path("nothing.tgv")));
        QCOMPARE(Text(*ed), QByteArray("before"));
    }

    void saveThatFailsHalfway_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("text form") << "doc.xv";
        QTest::newRow("tgv") << "doc.tgv";
    }

    void saveThatFailsHalfway()
    {
        QFETCH(QString, name);
        const bool tgv = name.endsWith("tgv");
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Tgv);
        SetText(*ed, "old");
        const QString file = Path(name);
        const qint64 oldSize = tgv ? ed->SaveTgv(file, false) : ed->SaveText(file, TEditor::Xview, "XV");
        const QByteArray oldBytes = ReadWholeFile(file);

        // Large enough that text forms are written in several pieces, the failing one not the first.
        SetText(*ed, QByteArray(3 << 20, 'n'));
        ed->SetExecuteWith("EDEN");
        QVERIFY(ed->Modified());
        WithFileSizeLimit(3 << 19, [&] {
            QVERIFY_THROWS_EXCEPTION(EErrorSaving, tgv ? ed->SaveTgv(Path("other.tgv"), false)
                                                       : ed->SaveText(Path("other.xv"), TEditor::Xview, "XV"));
            QVERIFY_THROWS_EXCEPTION(EErrorSaving, tgv ? ed->SaveTgv(file, false) : ed->SaveText(file, TEditor::Xview, "XV"));
        });
        QCOMPARE(ReadWholeFile(file), oldBytes);
        QVERIFY(ed->Modified());
        QCOMPARE(ed->FileName(), file);
        QCOMPARE(ed->FileSize(), oldSize);
        QCOMPARE(ed->ExecuteWith(), QStringLiteral("EDEN"));
        // No half-written file stays behind, under the target's name or any other.
        QCOMPARE(QDir(FDir.path()).entryList({"other*", name + "*"}, QDir::Files), QStringList{name});

        // With room again the same save goes through.
        QVERIFY(ed->SaveText(file, TEditor::Xview, "XV") > 200 * 1024);
        QVERIFY(!ed->Modified());
    }

    void saveWhereNoFileCanBe()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Tgv);
        SetText(*ed, "x");
        try {
            ed->SaveText(Path("no/such/folder.xv"), TEditor::Xview, "");
            QFAIL("saved into a missing folder");
        } catch (const EErrorSaving &e) {
            QCOMPARE(e.Message(), QStringLiteral("Error while saving file"));
        }
        QVERIFY_THROWS_EXCEPTION(EErrorSaving, ed->SaveTgv(FDir.path(), true));
        QVERIFY(ed->Modified());
        QVERIFY(ed->FileName().isEmpty());
        QCOMPARE(ed->FileSize(), 0);
    }
};

QTEST_MAIN(TestFormatFailures)
#include "tst_format_failures.moc"
