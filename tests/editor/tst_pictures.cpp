// Pictures in TGV documents: where an inserted picture goes, sharing, picture files, removal and
// the full picture table.
#include "helper_editor.h"
#include "u_Errors.h"
#include "u_ResourceStrings.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {
// Differs from every other Index: the index's bits along the top row.
QImage Numbered(int Index, QRgb Ink = qRgb(0, 0, 0))
{
    QImage image(10, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int b = 0; b < 10; ++b)
        if (Index >> b & 1)
            image.setPixel(b, 0, Ink);
    image.setPixel(0, 3, Ink);
    return image;
}
} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void placement_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("pos");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("end of a text line") << QByteArray("abc") << 4 << QByteArray("abc\n\x02\n");
        QTest::newRow("inside a text line") << QByteArray("abc") << 2 << QByteArray("a\n\x02\nbc");
        QTest::newRow("empty line") << QByteArray() << 1 << QByteArray("\x02");
    }

    void placement()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, pos);
        QFETCH(QByteArray, expected);
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, text);
        ed->MoveCaretTo(0, pos, true);
        ed->InsertPicture(-1, -1, QString(), Numbered(5));
        QCOMPARE(Text(*ed), expected);
        const int line = text.isEmpty() ? 0 : 1;
        QCOMPARE(ed->PictureBitmap(line), Numbered(5));
        QCOMPARE(ed->CaretLine(), line); // the caret stands after the picture
        QCOMPARE(ed->CaretCol(), 2);
    }

    void identicalPicturesShareOneSlot()
    {
        QTemporaryDir dir;
        auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
        grob->AssignBitmap(Numbered(7));
        QFile f(dir.filePath("pic.grb"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(grob->FileBytes()) > 0);
        f.close();
        // Any colour but white is ink, and transparent is the white paper.
        QImage red = Numbered(7, qRgb(200, 0, 0)).convertToFormat(QImage::Format_ARGB32);
        red.setPixel(9, 3, qRgba(0, 0, 0, 0));

        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        ed->InsertPicture(-1, -1, QString(), Numbered(7));
        ed->InsertPicture(-1, -1, QString(), red);
        ed->InsertGrobFile(-1, -1, f.fileName());
        QCOMPARE(Text(*ed), QByteArray("\x02\n\x02\n\x02\n\n"));
        QCOMPARE(ed->PictureUses(1), 3);
        QVERIFY(!ed->Picture(2));

        ed->DeletePictureLine(0); // the other lines keep the picture; the line stays, empty
        QCOMPARE(Text(*ed), QByteArray("\n\x02\n\x02\n\n"));
        QCOMPARE(ed->PictureUses(1), 2);
        QCOMPARE(ed->LineTop(1), ed->LineTop(0) + ed->LineHeight(0));
        ed->InsertText(4, 1, QByteArray(1, 0), "t");
        ed->DeletePictureLine(4); // a text line is never emptied here
        QCOMPARE(ed->LineLength(4), 1);
    }

    void unreadableFilesChangeNothing_data()
    {
        QTest::addColumn<bool>("grob");
        QTest::addColumn<QByteArray>("content"); // "<pipe>": a named pipe
        QTest::addColumn<QString>("reason");      // how it begins
        QTest::newRow("missing bitmap") << false << QByteArray() << "does not exist";
        QTest::newRow("not a bitmap") << false << QByteArray("hello") << "cannot be read: ";
        QTest::newRow("missing grob") << true << QByteArray() << "does not exist";
        QTest::newRow("bitmap that is a pipe") << false << QByteArray("<pipe>") << "not a regular file: a named pipe";
        QTest::newRow("grob that is a pipe") << true << QByteArray("<pipe>") << "not a regular file: a named pipe";
        // A grob file whose prolog says string: its size fields would still make a picture.
        auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
        grob->AssignBitmap(Numbered(3));
        QByteArray string = grob->FileBytes();
        string[8] = '\x2c';
        string[9] = '\x2a';
        QTest::newRow("string object as grob") << true << string << "not a calculator object";
        // libpng has remarks of its own about a cut file; only the program's message may show.
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && Numbered(5).save(&buffer, "PNG"));
        QTest::newRow("cut png") << false << png.left(png.size() - 20) << "cannot be read: ";
        // One row too many for the picture's length field.
        QImage huge(8 * 1024, 512, QImage::Format_Mono);
        huge.fill(1);
        QByteArray bmp;
        QBuffer hugeBuffer(&bmp);
        QVERIFY(hugeBuffer.open(QIODevice::WriteOnly) && huge.save(&hugeBuffer, "BMP"));
        QTest::newRow("bitmap too large for a picture") << false << bmp << "too large for a calculator picture";
    }

    void unreadableFilesChangeNothing()
    {
        QFETCH(bool, grob);
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QFile f(dir.filePath("bad"));
        if (content == "<pipe>")
            QVERIFY(mkfifo(QFile::encodeName(f.fileName()).constData(), 0600) == 0);
        else
            QVERIFY(content.isEmpty() || (f.open(QIODevice::WriteOnly) && f.write(content) > 0));
        f.close();
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "abc");
        ed->SetModified(false);
        static QStringList messages;
        messages.clear();
        const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &M) { messages << M; });
        try {
            grob ? ed->InsertGrobFile(-1, -1, f.fileName()) : ed->InsertPicture(-1, -1, f.fileName());
            qInstallMessageHandler(previous);
            QFAIL("accepted");
        } catch (const EErrorLoading &e) {
            qInstallMessageHandler(previous);
            QCOMPARE(e.Message(), ResString(TResId::sErrorWhileLoadingFile));
            QVERIFY2(e.Reason().startsWith(reason), qPrintable(e.Reason()));
        }
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
        QCOMPARE(Text(*ed), QByteArray("abc"));
        QVERIFY(!ed->Modified() && !ed->Picture(1));
    }

    void a256thDistinctPictureIsRefused()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        for (int i = 1; i <= THPEdit2::PictureSlotCount; ++i)
            ed->InsertPicture(-1, -1, QString(), Numbered(i));
        const QByteArray before = Text(*ed);
        const int caret = ed->CaretLine();
        QVERIFY_THROWS_EXCEPTION(EErrorLoading, ed->InsertPicture(-1, -1, QString(), Numbered(256)));
        QCOMPARE(Text(*ed), before);
        QCOMPARE(ed->CaretLine(), caret);
        ed->InsertPicture(-1, -1, QString(), Numbered(17)); // one the table holds still goes in
        QCOMPARE(ed->PictureUses(17), 2);
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
