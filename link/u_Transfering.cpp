#include "u_Transfering.h"

#include "u_CalculatorFile.h"
#include "u_CalculatorName.h"
#include "u_Errors.h"
#include "u_ResourceStrings.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <limits>

TFTransferingFile::TFTransferingFile(QWidget *Parent, TTranslateProc Translate)
    : QDialog(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FTransferingFile"));
    setModal(false);

    LblFile = new QLabel(this);
    LblFile->setObjectName(QStringLiteral("LblFile"));
    lblPacket = new QLabel(this);
    lblPacket->setObjectName(QStringLiteral("lblPacket"));
    lblOctesTransferes = new QLabel(this);
    lblOctesTransferes->setObjectName(QStringLiteral("lblOctesTransferes"));
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    connect(btnCancel, &QPushButton::clicked, this, &TFTransferingFile::btnCancelClick);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LblFile);
    layout->addWidget(lblPacket);
    layout->addWidget(lblOctesTransferes);
    layout->addWidget(ProgressBar);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel);
    buttons->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(320);

    ApplyBuiltInTexts();
    if (Translate)
        Translate(this);

    FKermit.OnPacket = [this](int Number) { ShowPacket(Number); };
    FKermit.OnProgress = [this](qint64 Position, bool &Cancel, qint64 Total) { ShowProgress(Position, Cancel, Total); };
    // While the engine waits for the calculator the window still repaints and its Cancel button
    // still works.
    FKermit.OnWait = [this](bool &Cancel) {
        QCoreApplication::processEvents();
        Cancel = FCancel;
    };
}

void TFTransferingFile::ApplyBuiltInTexts()
{
    setWindowTitle(ResString(TResId::sFTransferingFileCaption));
    LblFile->setText(ResString(TResId::sFTransferingFileLblFileCaption));
    lblPacket->setText(ResString(TResId::sFTransferingFilelblPacketCaption));
    lblOctesTransferes->setText(ResString(TResId::sFTransferingFilelblOctesTransferesCaption));
    btnCancel->setText(ResString(TResId::sFTransferingFilebtnCancelCaption));
}

void TFTransferingFile::showEvent(QShowEvent *Event)
{
    ResetLabels();
    ProgressBar->setValue(0);
    adjustSize();
    // Centred on the screen, whatever window opened it.
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    btnCancel->setFocus();
    QDialog::showEvent(Event);
    // Takes the keyboard, so that Escape reaches this window whichever window started the transfer.
    activateWindow();
}

void TFTransferingFile::closeEvent(QCloseEvent *Event)
{
    if (FFinished)
        return QDialog::closeEvent(Event);
    Event->ignore();
    btnCancelClick();
}

void TFTransferingFile::reject()
{
    btnCancelClick();
}

void TFTransferingFile::btnCancelClick()
{
    if (FFinished) {
        hide();
        return;
    }
    FCancel = true;
}

void TFTransferingFile::ShowFinished(int Files)
{
    FFinished = true;
    // With nothing selected the transfer only tried the link: "0 files sent" would read as a loss.
    const QString done = Files == 0   ? ResString(TResId::sNoFileSent)
                         : Files == 1 ? ResString(TResId::sOneFileSent)
                                      : ResString(TResId::sFilesSent).arg(Files);
    LblFile->setText(done);
    btnCancel->setText(ResString(TResId::sFTransferingFileBtnClose));
    btnCancel->setFocus();
}

void TFTransferingFile::ResetLabels()
{
    lblOctesTransferes->setText(ResString(TResId::sBytesTransferred));
    lblPacket->setText(ResString(TResId::sPacket));
}

void TFTransferingFile::Warn(const QString &Text)
{
    if (ShowWarning)
        ShowWarning(Text);
    else
        QMessageBox::warning(isVisible() ? this : parentWidget(), ResString(TResId::sAppTitle), Text);
}

void TFTransferingFile::ShowPacket(int Number)
{
    lblPacket->setText(ResString(TResId::sPacket) + QString::number(Number));
    QCoreApplication::processEvents();
}

void TFTransferingFile::ShowProgress(qint64 Position, bool &Cancel, qint64 Total)
{
    if (Total < 0) {
        ProgressBar->setRange(0, 0);
        FTotal = Total;
        lblOctesTransferes->setText(ResString(TResId::sBytesTransferred) + QString::number(Position));
        QCoreApplication::processEvents();
        Cancel = FCancel;
        return;
    }
    if (Total != FTotal) {
        FTotal = Total;
        FBarScale = FTotal / std::numeric_limits<int>::max() + 1;
        // An empty file still shows an empty bar rather than the busy indicator of a 0..0 range.
        ProgressBar->setRange(0, std::max(1, BarUnits(FTotal)));
    }
    lblOctesTransferes->setText(ResString(TResId::sBytesTransferred) + QString::number(Position) + '/'
                                + QString::number(FTotal));
    ProgressBar->setValue(BarUnits(Position));
    QCoreApplication::processEvents();
    Cancel = FCancel;
}

bool TFTransferingFile::ConnectPort(int Port, int Baud)
{
    // No port chosen opens nothing, which fails like a port that is not there.
    return ConnectPort(Port >= 1 ? PortDeviceName(Port) : QString(), Baud);
}

void TFTransferingFile::Restart()
{
    FCancel = false;
    if (FFinished) {
        FFinished = false;
        btnCancel->setText(ResString(TResId::sFTransferingFilebtnCancelCaption));
    }
}

bool TFTransferingFile::ConnectPort(const QString &Device, int Baud)
{
    Restart();
    try {
        FKermit.Options = KermitOptionsFromSettings();
        FKermit.Open(Device);
        FKermit.SetLineSettings(Baud, 0, 8, 0);
        if (!FKermit.Connect())
            throw EError(ResString(TResId::sCannotConnect) + FKermit.NoAnswerHint());
    } catch (const EError &e) {
        Warn(e.Message());
        return false;
    }
    return true;
}

bool TFTransferingFile::SendDiskFile(const QString &LocalPath, const QByteArray &RemoteName, int Calculator)
{
    ResetLabels();
    ProgressBar->setValue(0);
    FCancel = false;
    LblFile->setText(ResString(TResId::sFile) + CalculatorNameText(RemoteName));
    try {
        const QByteArray data = LoadFileForCalculator(LocalPath, Calculator);
        FKermit.SendFile(RemoteName, data);
    } catch (const EError &e) {
        Warn(e.Message());
        return false;
    }
    return true;
}

bool TFTransferingFile::DisconnectPort()
{
    try {
        if (FKermit.Disconnect())
            return true;
        Warn(ResString(TResId::sCannotDeConnect));
    } catch (const EError &e) {
        Warn(e.Message());
    }
    return false;
}

bool TFTransferingFile::ReceiveFile(const QString &Device, int Baud, const QByteArray &RemoteName,
                                    QList<TReceivedFile> &Files)
{
    Restart();
    ResetLabels();
    // Nothing tells the size of what the calculator will send: the bar only shows that the
    // transfer is alive, from the request on.
    ProgressBar->setRange(0, 0);
    FTotal = -1;
    LblFile->setText(ResString(TResId::sFile) + CalculatorNameText(RemoteName));
    bool received = false;
    try {
        FKermit.Options = KermitOptionsFromSettings();
        FKermit.Open(Device);
        FKermit.SetLineSettings(Baud, 0, 8, 0);
        // The server starts the exchange with its own send-init: no connection step first.
        Files = FKermit.GetFiles(RemoteName);
        if (Files.isEmpty())
            throw EErrorTransmission(ResString(TResId::sNothingReceived).arg(CalculatorNameText(RemoteName)));
        received = true;
    } catch (const EError &e) {
        Warn(e.Message());
    }
    // The line is free again for other programs (and for the calculator's own use) at once.
    FKermit.Close();
    return received;
}
