// File > Receive from calculator against C-Kermit in server mode standing for the calculator on
// "COM 1": the variable opens in a document window and goes to the save dialog; what cannot be
// received or opened is said, and no window is left behind.
#include "helper_KermitServer.h"
#include "shellfixture.h"
#include "u_DocumentKinds.h"
#include "u_ReceiveDocument.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {
// An XView document as the calculator sends it in binary mode: header, string prolog 02A2C and
// the length, five nibbles each, low nibble first, then the characters.
QByteArray BinaryString(const QByteArray &Chars)
{
    const int length = int(2 * Chars.size() + 5);
    return QByteArray("HPHP48-E\x2C\x2A") + char((length & 15) << 4) + char(length >> 4) + char(length >> 12) + Chars;
}
} // namespace

class TestReceiveDocument : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void receivedStringOpensAndIsSaved();
    void failuresOpenNothing_data();
    void failuresOpenNothing();
    void wrongKindIsOfferedAsTheKindItIs();
    void otherDeviceReachesTheCalculator();
    void offeredFileNameHasOneExtension();

private:
    // Runs File > Receive from calculator, answering its dialog with Name and the kind at Kind.
    void Receive(TShellFixture &F, const QString &Name, int Kind);
    TKermitServer FServer;
};

void TestReceiveDocument::initTestCase()
{
    QString error;
    QVERIFY2(FServer.Start(error), qPrintable(error));
    QVERIFY(FServer.PutServerFile("NOTE", BinaryString("Hi \x0BIthere\x0BI\nbye")));
    QVERIFY(FServer.PutServerFile("PAIR1", BinaryString("one")) && FServer.PutServerFile("PAIR2", BinaryString("two")));
    QVERIFY(FServer.PutServerFile("TEXT", "%%HP: T(1);\"Hi\"XV"));
    QVERIFY(FServer.PutServerFile("JUNK", QByteArray("HPHP48-E") + QByteArray(20, '\x55')));
    QVERIFY(FServer.PutServerFile("TG", "HPHP49-C" + QByteArray(5, '\0') + BinaryString("Tgv").mid(8)));
}

void TestReceiveDocument::Receive(TShellFixture &F, const QString &Name, int Kind)
{
    Settings->WriteString(SettingsKeys::TransferSection, SettingsKeys::DeviceValue(1), FServer.SenderDevice());
    Settings->WriteInteger(SettingsKeys::TransferSection, SettingsKeys::ComPort, 1);
    bool answered = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = F.Window->findChild<TFReceiveForm *>();
        if (!dialog)
            return;
        dialog->findChild<QLineEdit *>("edtName")->setText(Name);
        dialog->findChild<QComboBox *>("cmbKind")->setCurrentIndex(Kind);
        QTest::mouseClick(dialog->findChild<QPushButton *>("btnReceive"), Qt::LeftButton);
        answered = true;
    });
    F.Window->Receive_->trigger();
    QVERIFY(answered);
}

void TestReceiveDocument::receivedStringOpensAndIsSaved()
{
    TShellFixture f;
    TFFormBegin &w = f.Open();
    const QString path = f.Dir.filePath("NOTE.xv");
    f.DialogFiles << path;
    Receive(f, "NOTE", 2);
    QVERIFY2(f.Warnings.isEmpty(), qPrintable(f.Warnings.join('\n')));
    QCOMPARE(w.DocumentWindows().size(), 1);
    THPEdit2 *editor = w.ActiveEditor();
    QCOMPARE(w.GetActiveTitle(), path);
    QCOMPARE(editor->LineCount(), 2);
    QCOMPARE(editor->Line(0).CharsView().toByteArray(), QByteArray("Hi there"));
    QVERIFY(editor->AttrAt(0, 5) & stReverse);
    QVERIFY(!(editor->AttrAt(1, 1) & stReverse));
    QVERIFY(!editor->Modified());
    // Saved as the XView text the program writes, readable by any of its versions.
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().startsWith("%%HP: T(1);"));

    // A save dialog closed without saving leaves the document open and unsaved, under the
    // variable's name, which the next Save As offers again.
    Receive(f, "NOTE", 2);
    QCOMPARE(w.DocumentWindows().size(), 2);
    QVERIFY(w.ActiveEditor()->Modified());
    QVERIFY(w.ActiveEditor()->FileName().isEmpty());
    QCOMPARE(w.GetActiveTitle(), QString("NOTE.xv"));
    QVERIFY(!w.SaveActive());
    QCOMPARE(f.DialogsRun.last()->FileName(), QString("NOTE.xv"));

    // A pattern the server expands opens the first file, under its own name, and says so.
    Receive(f, "PAIR*", 2);
    QCOMPARE(f.Warnings, QStringList{"The calculator sent 2 files for PAIR*: only the first, PAIR1, is opened."});
    QCOMPARE(w.GetActiveTitle(), QString("PAIR1.xv"));
}

void TestReceiveDocument::failuresOpenNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("warning");
    QTest::newRow("no such variable") << "NOPE" << 2 << "The calculator refused";
    QTest::newRow("neither kind, asked as text") << "JUNK" << 3 << "cannot be opened as Eden File:\nit is neither";
    QTest::newRow("neither kind, asked as TGV") << "JUNK" << 0 << "cannot be opened as Tgv HP48 File:\nit is neither";
}

void TestReceiveDocument::failuresOpenNothing()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(QString, warning);
    TShellFixture f;
    TFFormBegin &w = f.Open();
    Receive(f, name, kind);
    QCOMPARE(f.Warnings.size(), 1);
    QVERIFY2(f.Warnings.first().contains(warning), qPrintable(f.Warnings.first()));
    QVERIFY(w.DocumentWindows().isEmpty());
    QVERIFY(f.DialogsRun.isEmpty());
}

void TestReceiveDocument::wrongKindIsOfferedAsTheKindItIs()
{
    const struct { const char *Name; int Kind; const char *Question, *Offered; } cases[] = {
        {"NOTE", 0, "it is a string, not a TGV document\n\nOpen it as XView File instead?", "NOTE.xv"},
        {"TG", 2, "it is a TGV document, not a string\n\nOpen it as Tgv HP49 File instead?", "TG.t49"},
        {"TEXT", 1, "it is a string, not a TGV document\n\nOpen it as XView File instead?", "TEXT.xv"}};
    for (const auto &c : cases) {
        TShellFixture f;
        TFFormBegin &w = f.Open();
        f.Answers << QMessageBox::No << QMessageBox::Yes;
        Receive(f, c.Name, c.Kind);
        QVERIFY(w.DocumentWindows().isEmpty());
        Receive(f, c.Name, c.Kind);
        QVERIFY2(f.Questions.value(0).endsWith(c.Question), qPrintable(f.Questions.value(0)));
        QCOMPARE(w.DocumentWindows().size(), 1);
        QCOMPARE(f.DialogsRun[0]->FileName(), QString(c.Offered));
    }
}

void TestReceiveDocument::otherDeviceReachesTheCalculator()
{
    TShellFixture f;
    TFFormBegin &w = f.Open();
    Settings->WriteString(SettingsKeys::TransferSection, SettingsKeys::DeviceValue(1), f.Dir.filePath("no-such-tty"));
    Settings->WriteInteger(SettingsKeys::TransferSection, SettingsKeys::ComPort, 1);
    f.DialogFiles << f.Dir.filePath("OTHER.xv");
    QTimer::singleShot(0, this, [&] {
        auto *dialog = w.findChild<TFReceiveForm *>();
        QVERIFY(dialog);
        dialog->PickDevice = [&](const QString &) { return FServer.SenderDevice(); };
        dialog->findChild<QLineEdit *>("edtName")->setText("NOTE");
        dialog->findChild<QComboBox *>("cmbKind")->setCurrentIndex(2);
        auto *port = dialog->findChild<QComboBox *>("cmbPort");
        const int other = port->count() - 1;
        port->setCurrentIndex(other);
        emit port->activated(other);
        QCOMPARE(port->currentData().toString(), FServer.SenderDevice());
        QTest::mouseClick(dialog->findChild<QPushButton *>("btnReceive"), Qt::LeftButton);
    });
    w.Receive_->trigger();
    QVERIFY2(f.Warnings.isEmpty(), qPrintable(f.Warnings.join('\n')));
    QCOMPARE(w.DocumentWindows().size(), 1);
}

void TestReceiveDocument::offeredFileNameHasOneExtension()
{
    const TDocumentKind &xview = DocumentKinds()[2];
    QCOMPARE(ReceivedFileName("NOTE", xview), QString("NOTE.xv"));
    QCOMPARE(ReceivedFileName("NOTE.XV", xview), QString("NOTE.XV"));
    QCOMPARE(ReceivedFileName("MANUAL.TGV", xview), QString("MANUAL.TGV.xv"));
}

QTEST_MAIN(TestReceiveDocument)
#include "tst_ReceiveDocument.moc"
