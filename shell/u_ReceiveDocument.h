#pragma once
// File > Receive from Calculator: the dialog that asks which variable to fetch, what kind of
// document to open it as and on which port, and the check that what came can open as that kind.
#include "u_TransferForm.h"
#include "u_Transfering.h"

#include <QByteArray>
#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct TDocumentKind;

class TFReceiveForm : public QDialog {
    Q_OBJECT
public:
    // Its help is the transfer page's.
    static constexpr int HelpContext = 10;

    explicit TFReceiveForm(QWidget *Parent = nullptr);

    // After the dialog was accepted: the variable's name in calculator codes, the kind chosen and
    // the device of the port chosen.
    QByteArray RemoteName() const { return FRemoteName; }
    const TDocumentKind &Kind() const;
    QString Device() const;

    // Refusals of what was typed; when empty, a warning box titled with the program's name.
    TWarningProc ShowWarning;
    std::function<void(int Context)> ShowHelp;
    // Asks for a device path for "Other device…"; when empty, PickDeviceNode.
    TPickDevice PickDevice;

    // Receive: the name must be one the calculator can be asked for; the choices are remembered.
    void accept() override;

protected:
    void showEvent(QShowEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;

private:
    void Warn(const QString &Text);

    QByteArray FRemoteName;
    QLabel *lblName;
    QLineEdit *edtName;
    QLabel *lblKind;
    QComboBox *cmbKind;
    QLabel *LblCOM;
    QComboBox *cmbPort;
    int FLastPortIndex = -1;
    QPushButton *btnReceive;
    QPushButton *btnCancel;
};

// The name a kind goes by in the dialogs ("XView File", …).
QString DocumentKindName(const TDocumentKind &Kind);
// The file name first offered for a received document: the variable's name made safe for a file,
// with the kind's extension unless the name already ends with it ("NOTES.XV" stays as it is).
QString ReceivedFileName(const QByteArray &RemoteName, const TDocumentKind &Kind);
// Whether what the calculator sent can open as a document of the kind asked for. When it cannot,
// Problem says why, and Instead is the kind it can open as (a string as XView, a TGV document as
// TGV for the calculator its header names), or null when it is neither.
struct TReceivedFit {
    QString Problem;
    const TDocumentKind *Instead = nullptr;
};
TReceivedFit ReceivedKindFit(const QByteArray &Data, const TDocumentKind &Kind);
