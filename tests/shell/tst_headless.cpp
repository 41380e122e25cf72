// --convert and --render run inside a program that has no QApplication at all: creating any widget
// there would end the test, so passing proves the headless path needs none. The rendered picture
// is the editor's drawing of the document.
#include "u_DocumentFiles.h"
#include "u_DocumentLines.h"
#include "u_DocumentPainter.h"
#include "u_CommandLine.h"
#include "u_Headless.h"
#include "u_Settings.h"
#include "u_utils.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

class TestHeadless : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString Path(const QString &Name) const { return FDir.filePath(Name); }

private slots:
    void initTestCase()
    {
        QVERIFY(!QCoreApplication::instance()->inherits("QApplication"));
        AppDir = QStringLiteral(QUILLO_BUILD_DIR);
        Settings = new TSettings(Path("settings.ini"));
        // A TGV document with a picture and styled text: what a plain QGuiApplication must convert.
        QImage picture(9, 4, QImage::Format_RGB32);
        picture.fill(Qt::white);
        picture.setPixel(2, 1, qRgb(0, 0, 0));
        THPDocument doc(TEditor::Tgv);
        TReadDocument read;
        read.Text = TLargeBuffer("ab\ncd");
        read.Attrs = TLargeBuffer(QByteArrayView("\x01\x21\0\x04\x80", 5));
        read.Bitmaps = {picture};
        read.Pictures = {{3, 0}};
        TLineVector lines;
        TPictureTable pictures;
        BuildDocumentLines(std::move(read), TEditor::Tgv, lines, pictures);
        doc.Reset(std::move(lines), std::move(pictures), TFileIdentity());
        SaveTgvDocument(doc, Path("in.tgv"), false);
    }
    void cleanupTestCase()
    {
        delete Settings;
        Settings = nullptr;
    }

    void convertAndRenderNeedNoWidget()
    {
        const QString exe = QStringLiteral("quillo");
        QCOMPARE(RunConvert(ParseCommandLine({exe, "--convert", Path("in.tgv"), Path("out.xv")})), 0);
        QFile xv(Path("out.xv"));
        QVERIFY(xv.open(QIODevice::ReadOnly));
        QVERIFY(xv.readAll().startsWith("%%HP: T(1);"));
        QCOMPARE(RunConvert(ParseCommandLine({exe, "--convert", Path("in.tgv"), Path("again.tgv")})), 0);
        QFile in(Path("in.tgv")), again(Path("again.tgv"));
        QVERIFY(in.open(QIODevice::ReadOnly) && again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), in.readAll());

        QCOMPARE(RunRender(ParseCommandLine({exe, "--render", Path("in.tgv"), Path("out.png"), "--right-edge", "5"})), 0);
        THPDocument doc(TEditor::Tgv);
        doc.SetFontFolder("fonts");
        doc.SetFonts({"tgvnormal", "tgvfnt1", "tgvmini"});
        LoadDocument(doc, Path("in.tgv"));
        const QImage shown(Path("out.png"));
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), TDocumentPainter(doc).Render(5));
        // Rows cut across lines, as a page of a long PDF is drawn, are that part of the whole drawing.
        const QImage whole = shown.convertToFormat(QImage::Format_RGB32);
        QCOMPARE(TDocumentPainter(doc).RenderRows(5, true, whole.width(), 9, whole.height() - 2),
                 whole.copy(0, 9, whole.width(), whole.height() - 11));
        QCOMPARE(RunRender(ParseCommandLine({exe, "--render", Path("missing.tgv"), Path("x.png")})), 1);
    }
};

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    TestHeadless test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_headless.moc"
