// The transfer dialog and its progress window driven as a user drives them, against C-Kermit in
// server mode on a pseudo-terminal pair that stands for "COM 1": what arrives, under which names,
// and what the user is told when something goes wrong.
#include "helper_KermitServer.h"
#include "helper_ScriptedPeer.h"
#include "helper_TgvDocument.h"
#include "u_CalculatorFile.h"
#include "u_ResourceStrings.h"
#include "u_Settings.h"
#include "u_TransferForm.h"
#include "u_utils.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <sys/stat.h>

namespace {
QByteArray FontFile(const QString &Name)
{
    QFile f(AppDir + "fonts/" + Name + ".fnt");
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList Items(const QListWidget *List)
{
    QStringList texts;
    for (int i = 0; i < List->count(); ++i)
        texts << List->item(i)->text() + (List->item(i)->isSelected() ? " *" : "");
    return texts;
}
} // namespace

class TestTransferForm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void fileListFollowsTheDocumentKind_data();
    void fileListFollowsTheDocumentKind();
    void storedChoicesShownAtShowing_data();
    void storedChoicesShownAtShowing();
    void pagesAndTexts();
    void instructionPicturesShowCalculatorText();

    void tgvDocumentAndFontsReachHP49();
    void withoutCalculatorTheHeaderStays();
    void noFileSelectedStillConnectsAndDisconnects();
    void portFailuresAreShown_data();
    void portFailuresAreShown();
    void calculatorFailures_data();
    void calculatorFailures();
    void aPipeIsRefusedBeforeConnecting();
    void cancelDuringLargeFileSkipsTheRest();
    void progressLabels();
    void receiveCancelledAtOnce();
    void otherDeviceIsPickedAndRemembered();

private:
    // A dialog shown for Document, with failures recorded instead of shown in boxes.
    std::unique_ptr<TFTransferForm> NewForm(const TTransferDocument &Document);
    TTransferDocument Document(const QString &Name, const QByteArray &Bytes, TTransferFonts Fonts);
    template <class T>
    static T *Find(QObject *Form, const char *Name)
    {
        return Form->findChild<T *>(QLatin1String(Name));
    }

    QTemporaryDir FDir;
    std::unique_ptr<TSettings> FSettings;
    TKermitServer FServer;
    QStringList FWarnings;
};

void TestTransferForm::initTestCase()
{
    AppDir = QUILLO_BUILD_DIR;
    QVERIFY(FDir.isValid());
    QVERIFY2(!FontFile("tgvnormal").isEmpty(), "the bundled fonts are not built");
    QString error;
    QVERIFY2(FServer.Start(error), qPrintable(error));
}

void TestTransferForm::init()
{
    // A fresh private store for every case, with COM 1 on the test cable.
    FSettings.reset();
    QFile::remove(FDir.filePath("quillo.ini"));
    FSettings = std::make_unique<TSettings>(FDir.filePath("quillo.ini"));
    Settings = FSettings.get();
    Settings->WriteString(SettingsKeys::TransferSection, SettingsKeys::DeviceValue(1), FServer.SenderDevice());
    FWarnings.clear();
    QDir received(FServer.ReceiveFolder());
    for (const QString &name : received.entryList(QDir::Files))
        received.remove(name);
}

void TestTransferForm::cleanupTestCase()
{
    Settings = nullptr;
}

std::unique_ptr<TFTransferForm> TestTransferForm::NewForm(const TTransferDocument &Document)
{
    auto form = std::make_unique<TFTransferForm>();
    form->ShowWarning = [this](const QString &Text) { FWarnings << Text; };
    form->SetDocument(Document);
    form->show();
    return form;
}

TTransferDocument TestTransferForm::Document(const QString &Name, const QByteArray &Bytes, TTransferFonts Fonts)
{
    TTransferDocument doc;
    doc.Title = FDir.filePath(Name);
    QFile f(doc.Title);
    if (f.open(QIODevice::WriteOnly))
        f.write(Bytes);
    doc.Fonts = Fonts;
    doc.FontNames = {"tgvnormal", "tgvfnt1", "tgvmini"};
    if (Fonts == TTransferFonts::One)
        doc.FontNames = {"XVDefault", "", ""};
    doc.SubDirFont = "fonts/";
    return doc;
}

void TestTransferForm::fileListFollowsTheDocumentKind_data()
{
    QTest::addColumn<int>("fonts");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("TGV: the document and its three fonts")
        << int(TTransferFonts::Three)
        << QStringList{"Current File (LETTER.TGV) *", "Normal Font (tgvnormal)", "Font1 (tgvfnt1)",
                       "superscript/subscript Font (tgvmini)"};
    QTest::newRow("XView or Eden: the document and its font")
        << int(TTransferFonts::One) << QStringList{"Current File (LETTER.TGV) *", "Font (XVDefault)"};
    QTest::newRow("HP49: the document only") << int(TTransferFonts::None) << QStringList{"Current File (LETTER.TGV) *"};
}

void TestTransferForm::fileListFollowsTheDocumentKind()
{
    QFETCH(int, fonts);
    QFETCH(QStringList, items);
    auto form = NewForm(Document("LETTER.TGV", TgvDocument(), TTransferFonts(fonts)));
    QCOMPARE(Items(Find<QListWidget>(form.get(), "ListBoxFiles")), items);

    // Each showing lists the document it is shown for.
    form->hide();
    form->SetDocument(Document("NOTE.HP49", "x", TTransferFonts::None));
    form->show();
    QCOMPARE(Items(Find<QListWidget>(form.get(), "ListBoxFiles")), QStringList{"Current File (NOTE.HP49) *"});
}

void TestTransferForm::storedChoicesShownAtShowing_data()
{
    QTest::addColumn<QString>("comPort");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<QString>("calculator");
    QTest::addColumn<int>("portIndex");
    QTest::addColumn<int>("calculatorIndex");
    QTest::newRow("empty store") << QString() << QString() << QString() << 0 << 0;
    QTest::newRow("COM 4, HP49") << "4" << "0" << "1" << 3 << 1;
    QTest::newRow("speed 1 still shows 9600") << "2" << "1" << "0" << 1 << 0;
    QTest::newRow("port 0 and calculator 2: no selection") << "0" << "0" << "2" << -1 << -1;
    QTest::newRow("port beyond the list, calculator -1") << "99" << "0" << "-1" << -1 << -1;
    QTest::newRow("not numbers: the defaults") << "COM1" << "fast" << "HP49" << 0 << 0;
}

void TestTransferForm::storedChoicesShownAtShowing()
{
    QFETCH(QString, comPort);
    QFETCH(QString, speed);
    QFETCH(QString, calculator);
    QFETCH(int, portIndex);
    QFETCH(int, calculatorIndex);
    if (!comPort.isNull()) {
        Settings->WriteString(SettingsKeys::TransferSection, SettingsKeys::ComPort, comPort);
        Settings->WriteString(SettingsKeys::TransferSection, SettingsKeys::Speed, speed);
        Settings->WriteString(SettingsKeys::TransferSection, SettingsKeys::Calculator, calculator);
    }
    auto form = NewForm(Document("LETTER.TGV", TgvDocument(), TTransferFonts::None));
    auto *port = Find<QComboBox>(form.get(), "cmbPort");
    QVERIFY(port->count() >= 4);
    QCOMPARE(port->itemText(0), QString("COM 1"));
    QCOMPARE(port->itemText(3), QString("COM 4"));
    QCOMPARE(port->currentIndex(), portIndex);
    QCOMPARE(Find<QComboBox>(form.get(), "cmbCalculator")->currentIndex(), calculatorIndex);
    auto *speedList = Find<QComboBox>(form.get(), "cmbSpeed");
    QCOMPARE(speedList->currentText(), QString("9600"));
    QVERIFY(!speedList->isEnabled());
}

void TestTransferForm::pagesAndTexts()
{
    auto form = NewForm(Document("LETTER.TGV", TgvDocument(), TTransferFonts::None));
    QCOMPARE(form->windowTitle(), QString("Transfer"));
    auto *pages = Find<QTabWidget>(form.get(), "PageControl");
    QCOMPARE(pages->currentWidget()->objectName(), QString("OngletTransfer"));
    QCOMPARE(pages->tabText(0), QString("Instructions"));
    QCOMPARE(Find<QLabel>(form.get(), "lblNowSee")->text(), QString("You should  now see :"));
    QCOMPARE(Find<QPushButton>(form.get(), "btnTransfer")->text(), QString("&Transfer files"));
    QVERIFY(Find<QPushButton>(form.get(), "btnTransfer")->isDefault());

    // The page last shown stays for the next showing; Next leads to the transfer page.
    pages->setCurrentIndex(0);
    form->hide();
    form->show();
    QCOMPARE(pages->currentWidget()->objectName(), QString("OngletInstructions"));
    QTest::mouseClick(Find<QPushButton>(form.get(), "BtnNext"), Qt::LeftButton);
    QCOMPARE(pages->currentWidget()->objectName(), QString("OngletTransfer"));

    // Help topic 10 on F1.
    int topic = 0;
    form->ShowHelp = [&topic](int Context) { topic = Context; };
    QTest::keyClick(form.get(), Qt::Key_F1);
    QCOMPARE(topic, 10);
}

void TestTransferForm::instructionPicturesShowCalculatorText()
{
    auto form = NewForm(Document("LETTER.TGV", TgvDocument(), TTransferFonts::None));
    for (const char *name : {"ImgTransfer", "ImgTransferDir", "imgToucheVerte", "ImgSwap", "ImgAwaiting"})
        QVERIFY2(!Find<QLabel>(form.get(), name)->pixmap().isNull(), name);

    // The screens are the calculator's 131 × 64 pixels at twice their size, and carry text.
    const QImage screen = Find<QLabel>(form.get(), "ImgAwaiting")->pixmap().toImage();
    QCOMPARE(screen.size(), QSize(262, 128));
    const QRgb background = screen.pixel(screen.width() - 1, screen.height() - 1);
    int ink = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < screen.width(); ++x)
            ink += screen.pixel(x, y) != background;
    QVERIFY2(ink > 200, "the first line of the server screen is blank");
}

void TestTransferForm::tgvDocumentAndFontsReachHP49()
{
    const QByteArray document = TgvDocument();
    QVERIFY(document.startsWith("HPHP48-E"));
    auto form = NewForm(Document("LETTER.TGV", document, TTransferFonts::Three));
    Find<QComboBox>(form.get(), "cmbCalculator")->setCurrentIndex(1);
    auto *files = Find<QListWidget>(form.get(), "ListBoxFiles");
    for (int i = 1; i < files->count(); ++i)
        files->item(i)->setSelected(true);

    QTest::mouseClick(Find<QPushButton>(form.get(), "btnTransfer"), Qt::LeftButton);

    QCOMPARE(FWarnings, QStringList());
    const QByteArray received = FServer.Received("LETTER.TGV");
    QVERIFY(received.startsWith("HPHP49-X"));
    QCOMPARE(received, AdaptCalculatorHeader(document, CalculatorHP49));
    QCOMPARE(FServer.Received("FONT"), AdaptCalculatorHeader(FontFile("tgvnormal"), CalculatorHP49));
    QCOMPARE(FServer.Received("FONT1"), AdaptCalculatorHeader(FontFile("tgvfnt1"), CalculatorHP49));
    QCOMPARE(FServer.Received("FONT2"), AdaptCalculatorHeader(FontFile("tgvmini"), CalculatorHP49));

    // The choices are kept for the next transfer, and the dialog stays open.
    QCOMPARE(Settings->ReadInteger(SettingsKeys::TransferSection, SettingsKeys::ComPort, 0), 1);
    QCOMPARE(Settings->ReadInteger(SettingsKeys::TransferSection, SettingsKeys::Calculator, 0), 1);
    QCOMPARE(Settings->ReadInteger(SettingsKeys::TransferSection, SettingsKeys::Speed, -1), 0);
    QVERIFY(form->isVisible());
    // The progress window says the transfer went through and waits to be closed.
    TFTransferingFile *progress = form->TransferingFile();
    QVERIFY(progress->isVisible());
    QCOMPARE(Find<QLabel>(progress, "LblFile")->text(), ResString(TResId::sFilesSent).arg(4));
    QVERIFY(!progress->Kermit().IsOpen());
    QTest::mouseClick(Find<QPushButton>(progress, "btnCancel"), Qt::LeftButton);
    QVERIFY(!progress->isVisible());
}

void TestTransferForm::withoutCalculatorTheHeaderStays()
{
    Settings->WriteInteger(SettingsKeys::TransferSection, SettingsKeys::Calculator, 5);
    const QByteArray document = TgvDocument();
    auto form = NewForm(Document("PLAIN.TGV", document, TTransferFonts::Three));
    QCOMPARE(Find<QComboBox>(form.get(), "cmbCalculator")->currentIndex(), -1);
    QTest::mouseClick(Find<QPushButton>(form.get(), "btnTransfer"), Qt::LeftButton);
    QCOMPARE(FWarnings, QStringList());
    QCOMPARE(FServer.Received("PLAIN.TGV"), document);
}

void TestTransferForm::noFileSelectedStillConnectsAndDisconnects()
{
    auto form = NewForm(Document("LETTER.TGV", TgvDocument(), TTransferFonts::Three));
    Find<QListWidget>(form.get(), "ListBoxFiles")->clearSelection();
    form->btnTransferClick();
    QCOMPARE(FWarnings, QStringList());
    // The send-init packet (0) and the break packet (1), nothing between.
    QCOMPARE(form->TransferingFile()->Kermit().PacketCounter(), 1);
    QCOMPARE(Find<QLabel>(form->TransferingFile(), "LblFile")->text(), ResString(TResId::sNoFileSent));
    QCOMPARE(QDir(FServer.ReceiveFolder()).entryList(QDir::Files), QStringList());
}

void TestTransferForm::portFailuresAreShown_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("portIndex");
    QTest::newRow("COM 1 is not there") << FDir.filePath("no-such-tty") << 0;
    QTest::newRow("COM 1 is not a serial line") << QString(QUILLO_SOURCE_DIR "CMakeLists.txt") << 0;
    QTest::newRow("no port chosen") << FServer.SenderDevice() << -1;
}

void TestTransferForm::portFailuresAreShown()
{
    QFETCH(QString, device);
    QFETCH(int, portIndex);
    Settings->WriteString(SettingsKeys::TransferSection, SettingsKeys::DeviceValue(1), device);
    auto form = NewForm(Document("LETTER.TGV", TgvDocument(), TTransferFonts::None));
    Find<QComboBox>(form.get(), "cmbPort")->setCurrentIndex(portIndex);
    form->btnTransferClick();
    // The reason that follows is the port's own.
    QCOMPARE(FWarnings.size(), 1);
    QVERIFY2(FWarnings.first().startsWith("Port Handle invalid"), qPrintable(FWarnings.first()));
    QVERIFY(form->isVisible());
    QVERIFY(!form->TransferingFile()->isVisible());
    QCOMPARE(Settings->ReadInteger(SettingsKeys::TransferSection, SettingsKeys::ComPort, -1), portIndex + 1);
}

void TestTransferForm::calculatorFailures_data()
{
    QTest::addColumn<char>("failingType");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("packetTypes");
    QTest::newRow("refuses the connection") << 'S' << "Cannot connect to HP" << "S";
    QTest::newRow("refuses a data packet") << 'D' << "Error while receiving packet\nThe calculator refused: refused" << "SFD";
    QTest::newRow("never answers the break") << 'B' << "Cannot deconnect !" << "SFDZFDZBB";
}

void TestTransferForm::calculatorFailures()
{
    QFETCH(char, failingType);
    QFETCH(QString, message);
    QFETCH(QString, packetTypes);
    // A calculator that answers every packet but one kind: that one gets an error packet, or, for
    // the break, silence.
    TScriptedPeer peer([failingType](const TKermitPacket &Packet, int Index) {
        if (Packet.Type != failingType)
            return TScriptedPeer::Acknowledging()(Packet, Index);
        if (Packet.Type == 'B')
            return TPeerReply{};
        return TPeerReply{TScriptedPeer::Packet('E', Packet.Seq, "refused")};
    });
    Settings->WriteString(SettingsKeys::TransferSection, SettingsKeys::DeviceValue(2), peer.DevicePath());
    Settings->WriteInteger(SettingsKeys::TransferSection, SettingsKeys::ComPort, 2);
    Settings->WriteInteger(SettingsKeys::TransferSection, SettingsKeys::Tries, 2);
    auto form = NewForm(Document("NOTE.HP49", "%%HP: T(3)A(R)F(.);\n\"x\"", TTransferFonts::One));
    Find<QListWidget>(form.get(), "ListBoxFiles")->item(1)->setSelected(true);
    form->btnTransferClick();

    QCOMPARE(FWarnings, QStringList{message});
    QVERIFY(!form->TransferingFile()->isVisible());
    QVERIFY(form->isVisible());
    // Nothing goes out after a failure: no further file, no break packet; the silent break is
    // tried twice, as the settings say. (A run of data packets counts as one here.)
    QString types;
    for (const TKermitPacket &p : peer.Packets())
        if (!types.endsWith(QChar(p.Type)) || p.Type != 'D')
            types += QChar(p.Type);
    QCOMPARE(types, packetTypes);
}

void TestTransferForm::aPipeIsRefusedBeforeConnecting()
{
    TScriptedPeer peer(TScriptedPeer::Acknowledging());
    Settings->WriteString(SettingsKeys::TransferSection, SettingsKeys::DeviceValue(1), peer.DevicePath());
    const TTransferDocument doc = Document("PIPE.XV", "", TTransferFonts::One);
    QFile::remove(doc.Title);
    QVERIFY(::mkfifo(QFile::encodeName(doc.Title).constData(), 0600) == 0);
    auto form = NewForm(doc);
    form->btnTransferClick();
    QFile::remove(doc.Title);
    QCOMPARE(FWarnings, QStringList{ResString(TResId::sCannotOpenFile).arg(doc.Title) + '\n' + ResString(TResId::sNotRegularPipe)});
    QTest::qWait(50);
    QCOMPARE(peer.Packets().size(), 0);
}

void TestTransferForm::cancelDuringLargeFileSkipsTheRest()
{
    // A server of its own: the cancelled file leaves it in the middle of a reception.
    TKermitServer server;
    QString error;
    QVERIFY2(server.Start(error), qPrintable(error));
    Settings->WriteString(SettingsKeys::TransferSection, SettingsKeys::DeviceValue(1), server.SenderDevice());

    QByteArray large(300 * 1024, Qt::Uninitialized);
    QRandomGenerator random(8);
    for (char &c : large)
        c = char(random.bounded(256));
    auto form = NewForm(Document("LARGE.TGV", large, TTransferFonts::Three));
    auto *files = Find<QListWidget>(form.get(), "ListBoxFiles");
    for (int i = 1; i < files->count(); ++i)
        files->item(i)->setSelected(true);

    // The user presses Cancel once some bytes have gone.
    int counterAtCancel = -1;
    QString bytesLabel;
    QTimer user;
    user.setInterval(0);
    connect(&user, &QTimer::timeout, this, [&] {
        TFTransferingFile *progress = form->TransferingFile();
        if (!progress || !progress->isVisible() || Find<QProgressBar>(progress, "ProgressBar")->value() <= 0)
            return;
        user.stop();
        bytesLabel = Find<QLabel>(progress, "lblOctesTransferes")->text();
        QTest::mouseClick(Find<QPushButton>(progress, "btnCancel"), Qt::LeftButton);
    });
    form->ShowWarning = [&](const QString &Text) {
        FWarnings << Text;
        counterAtCancel = form->TransferingFile()->Kermit().PacketCounter();
    };
    user.start();
    QTest::mouseClick(Find<QPushButton>(form.get(), "btnTransfer"), Qt::LeftButton);

    QCOMPARE(FWarnings, QStringList{"Transfer cancelled"});
    QVERIFY2(QRegularExpression("^Bytes transferred :\\d+/307200$").match(bytesLabel).hasMatch(), qPrintable(bytesLabel));
    QVERIFY(!form->TransferingFile()->isVisible());
    QVERIFY(form->isVisible());
    // Nothing went out after the cancelled file: no font file, no break packet.
    QCOMPARE(form->TransferingFile()->Kermit().PacketCounter(), counterAtCancel);
    QVERIFY(server.Received("FONT").isNull());
    QVERIFY(Find<QTabWidget>(form.get(), "PageControl")->isEnabled());
    QVERIFY(!form->TransferingFile()->Kermit().IsOpen());
}

void TestTransferForm::receiveCancelledAtOnce()
{
    // A calculator that never answers the request: Escape in the progress window ends the wait at
    // once and tells the calculator, and the port is let go.
    TScriptedPeer peer([](const TKermitPacket &, int) { return TPeerReply{}; });
    TFTransferingFile progress;
    QStringList warnings;
    progress.ShowWarning = [&](const QString &Text) { warnings << Text; };
    progress.show();
    QElapsedTimer clock;
    qint64 pressedAt = -1;
    QTimer::singleShot(300, &progress, [&] {
        pressedAt = clock.elapsed();
        QTest::keyClick(&progress, Qt::Key_Escape);
    });
    clock.start();
    QList<TReceivedFile> files;
    QVERIFY(!progress.ReceiveFile(peer.DevicePath(), CalculatorBaud, "DOC", files));
    QVERIFY(pressedAt >= 0);
    QVERIFY2(clock.elapsed() - pressedAt < 300, qPrintable(QString::number(clock.elapsed() - pressedAt)));
    QCOMPARE(warnings, QStringList{"Transfer cancelled"});
    QVERIFY(peer.WaitForPackets(2, 2000));
    QCOMPARE(peer.Packets().first().Type, 'R');
    QCOMPARE(peer.Packets().last().Type, 'E');
    QVERIFY(!progress.Kermit().IsOpen());
}

void TestTransferForm::progressLabels()
{
    TFTransferingFile progress;
    auto *bytes = Find<QLabel>(&progress, "lblOctesTransferes");
    QCOMPARE(progress.windowTitle(), QString("Transfering files to HP..."));
    QCOMPARE(bytes->text(), QString("Bytes transfered :"));
    progress.show();
    QCOMPARE(bytes->text(), QString("Bytes transferred :"));
    QCOMPARE(Find<QLabel>(&progress, "lblPacket")->text(), QString("Packet :"));

    bool cancel = true;
    progress.ShowProgress(92, cancel, 500);
    QCOMPARE(bytes->text(), QString("Bytes transferred :92/500"));
    QVERIFY(!cancel);
    QCOMPARE(Find<QProgressBar>(&progress, "ProgressBar")->maximum(), 500);
    progress.ShowPacket(17);
    QCOMPARE(Find<QLabel>(&progress, "lblPacket")->text(), QString("Packet :17"));

    // Escape or closing the window asks to cancel rather than hiding it mid-transfer.
    QTest::keyClick(&progress, Qt::Key_Escape);
    QVERIFY(progress.isVisible());
    progress.ShowProgress(100, cancel, 500);
    QVERIFY(cancel);
}

void TestTransferForm::otherDeviceIsPickedAndRemembered()
{
    // COM 1 leads nowhere; the cable is reached through "Other device…".
    Settings->WriteString(SettingsKeys::TransferSection, SettingsKeys::DeviceValue(1), FDir.filePath("no-such-tty"));
    auto form = NewForm(Document("OTHER.XV", "%%HP: T(3);\r\n\"x\"", TTransferFonts::None));
    auto *port = Find<QComboBox>(form.get(), "cmbPort");
    const int other = port->count() - 1;
    QCOMPARE(port->itemText(other), ResString(TResId::sOtherDevice));

    // Giving up keeps the port chosen before.
    form->PickDevice = [](const QString &) { return QString(); };
    port->setCurrentIndex(other);
    emit port->activated(other);
    QCOMPARE(port->currentIndex(), 0);

    QString offered = "unset";
    form->PickDevice = [&](const QString &Current) {
        offered = Current;
        return FServer.SenderDevice();
    };
    port->setCurrentIndex(other);
    emit port->activated(other);
    QCOMPARE(offered, QString());
    QCOMPARE(port->currentData().toString(), FServer.SenderDevice());
    form->btnTransferClick();
    QCOMPARE(FWarnings, QStringList());
    QVERIFY(!FServer.Received("OTHER.XV").isNull());

    // The next showing offers it again, chosen, and the picker starts from it.
    form->hide();
    form->show();
    QCOMPARE(port->currentData().toString(), FServer.SenderDevice());
    QCOMPARE(port->itemText(port->count() - 1), ResString(TResId::sOtherDevice));
    port->setCurrentIndex(port->count() - 1);
    emit port->activated(port->count() - 1);
    QCOMPARE(offered, FServer.SenderDevice());
}

QTEST_MAIN(TestTransferForm)
#include "tst_TransferForm.moc"
