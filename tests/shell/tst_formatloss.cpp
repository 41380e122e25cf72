// What each file format cannot keep of a document, and the question that names it.
#include "u_DocumentKinds.h"
#include "u_FormatLoss.h"
#include "u_THPEdit2.h"
#include "u_utils.h"

#include <QtTest>

class TestFormatLoss : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { AppDir = QStringLiteral(QUILLO_BUILD_DIR); }

    void lossNamesWhatTheFormatDrops_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("attrs");
        QTest::addColumn<int>("pictures");
        QTest::addColumn<bool>("menu");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("question");
        const int tgv = int(TEditor::Tgv);
        const QByteArray plain("ab");
        QTest::newRow("bold and reverse fit every format") << tgv << plain << QByteArray("\x01\x04") << 0 << false << "a.hp49" << "";
        QTest::newRow("pictures and superscript in XView")
            << tgv << plain << QByteArray("\x40\x00", 2) << 2 << false << "a.xv"
            << "The XView format cannot keep: 2 pictures, superscript text. Save anyway?";
        QTest::newRow("italic kept by Eden") << tgv << plain << QByteArray("\x08\x08") << 0 << false << "a.EDEN" << "";
        QTest::newRow("italic lost by XView") << tgv << plain << QByteArray("\x08\x00", 2) << 0 << false << "a.txt"
                                              << "The XView format cannot keep: italic text. Save anyway?";
        QTest::newRow("fonts, backslant and menu in HP49")
            << tgv << plain << QByteArray("\x20\x90") << 1 << true << "a.hp49"
            << "The HP49 format cannot keep: 1 picture, font 1 text, subscript text, backslant text, the menu options. Save anyway?";
        QTest::newRow("TGV keeps all of that") << tgv << plain << QByteArray("\x20\x90") << 3 << true << "a.T49" << "";
        QTest::newRow("quotes have no place in a text form")
            << tgv << QByteArray("\"x\"") << QByteArray(3, 0) << 0 << false << "a.eden"
            << "The Eden format cannot keep: 2 characters it cannot store. Save anyway?";
        QTest::newRow("code 1 has no place in TGV") << int(TEditor::Xview) << QByteArray("\x01y") << QByteArray(2, 0) << 0
                                                    << false << "a.tgv"
                                                    << "The TGV format cannot keep: 1 character it cannot store. Save anyway?";
    }
    void lossNamesWhatTheFormatDrops()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, attrs);
        QFETCH(int, pictures);
        QFETCH(bool, menu);
        QFETCH(QString, file);
        QFETCH(QString, question);
        THPEdit2 editor(nullptr, TEditor(kind));
        editor.InsertAtCaret(text, attrs);
        for (int i = 0; i < pictures; ++i) {
            QImage image(8 + i, 4, QImage::Format_RGB32);
            image.fill(Qt::black);
            editor.InsertPicture(-1, -1, QString(), image);
        }
        editor.SetMenuWhenStarted(menu);
        const TEditor format = DocumentKindOfFile(file).Editor;
        const TFormatLoss loss = FormatLoss(*editor.Document(), format);
        QCOMPARE(loss.Any(), !question.isEmpty());
        if (loss.Any())
            QCOMPARE(LossQuestion(loss, format), question);
    }
};

QTEST_MAIN(TestFormatLoss)
#include "tst_formatloss.moc"
