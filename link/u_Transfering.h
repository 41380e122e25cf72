#pragma once
// The transfer's progress window. It owns the one Kermit engine and runs each step of a transfer —
// connect, send a file, disconnect — showing the file, the packet and the bytes sent, and offers a
// Cancel button. The engine's events repaint it and let pending window events through, also while
// it waits for the calculator, so a click on Cancel stops the transfer at once. Every failure is
// shown to the user and reported to the caller as false.
#include "u_Kermit.h"

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// Shows a failure to the user; the main window passes its warning box.
using TWarningProc = std::function<void(const QString &Text)>;
// Puts a window's texts from the string table (the program's translation procedures fit).
using TTranslateProc = void (*)(QObject *Form);

class TFTransferingFile : public QDialog {
    Q_OBJECT
public:
    // Without Translate the window takes the built-in texts of the string table.
    explicit TFTransferingFile(QWidget *Parent = nullptr, TTranslateProc Translate = nullptr);

    // Opens the port of "COM Port" (or the device at Device), sets Baud with 8 data bits, no
    // parity and one stop bit, and starts the connection.
    bool ConnectPort(int Port, int Baud);
    bool ConnectPort(const QString &Device, int Baud);
    // Sends the file at LocalPath under RemoteName, its header adapted in memory for Calculator
    // (0 HP48, 1 HP49; any other code sends the file as it is).
    bool SendDiskFile(const QString &LocalPath, const QByteArray &RemoteName, int Calculator);
    // Asks the calculator on Device for RemoteName and puts the files it sends in Files (one, but
    // a server that expands a pattern sends several). Failures, nothing sent among them, are shown
    // to the user; the port is let go either way.
    bool ReceiveFile(const QString &Device, int Baud, const QByteArray &RemoteName, QList<TReceivedFile> &Files);
    // Ends the connection; "Cannot deconnect !" when the calculator does not answer.
    bool DisconnectPort();

    // The engine's events.
    void ShowPacket(int Number);
    void ShowProgress(qint64 Position, bool &Cancel, qint64 Total);
    // The end of a transfer that went through: how many files went, and a Close button.
    void ShowFinished(int Files);
    bool Finished() const { return FFinished; }
    // The Cancel button: the exchange in progress stops at once and the calculator is told. After
    // the end it closes the window.
    void btnCancelClick();

    // When empty, failures go to a warning box titled with the program's name.
    TWarningProc ShowWarning;

    Tkermit &Kermit() { return FKermit; }

protected:
    void showEvent(QShowEvent *Event) override;
    // The window has no close box; closing it by other means, or Escape, asks to cancel.
    void closeEvent(QCloseEvent *Event) override;
    void reject() override;

private:
    void ApplyBuiltInTexts();
    void Warn(const QString &Text);
    void ResetLabels();
    // Readies the window for a new transfer.
    void Restart();
    // The bar counts in units small enough for its int range.
    int BarUnits(qint64 Bytes) const { return int(Bytes / FBarScale); }

    Tkermit FKermit;
    qint64 FTotal = 0;
    qint64 FBarScale = 1;
    bool FCancel = false;
    bool FFinished = false;

    QLabel *LblFile;
    QLabel *lblPacket;
    QLabel *lblOctesTransferes;
    QProgressBar *ProgressBar;
    QPushButton *btnCancel;
};
