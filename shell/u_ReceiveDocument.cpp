#include "u_ReceiveDocument.h"

#include "u_CalculatorName.h"
#include "u_DocFormats.h"
#include "u_DocumentKinds.h"
#include "u_ReceivedFile.h"
#include "u_ResourceStrings.h"
#include "u_Settings.h"
#include "u_TransferForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// The kinds offered, in the order of the document kinds table, by the name the file dialogs use.
constexpr TResId KindNames[] = {TResId::sTgvHP48FileType, TResId::sTgvHP49FileType, TResId::sXViewFileType,
                                TResId::sEdenFileType, TResId::sHP49FileType};
static_assert(std::size(KindNames) == std::tuple_size_v<std::decay_t<decltype(DocumentKinds())>>);
using SettingsKeys::DefaultReceiveKind;
} // namespace

TFReceiveForm::TFReceiveForm(QWidget *Parent)
    : QDialog(Parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FReceiveForm"));
    setWindowTitle(ResString(TResId::sFReceiveFormCaption));
    lblName = new QLabel(ResString(TResId::sFReceiveFormlblName), this);
    edtName = new QLineEdit(this);
    edtName->setObjectName(QStringLiteral("edtName"));
    lblName->setBuddy(edtName);
    lblKind = new QLabel(ResString(TResId::sFReceiveFormlblKind), this);
    cmbKind = new QComboBox(this);
    cmbKind->setObjectName(QStringLiteral("cmbKind"));
    for (const TResId name : KindNames)
        cmbKind->addItem(ResString(name));
    lblKind->setBuddy(cmbKind);
    LblCOM = new QLabel(ResString(TResId::sFTransferFormLblCOMCaption), this);
    cmbPort = new QComboBox(this);
    cmbPort->setObjectName(QStringLiteral("cmbPort"));
    LblCOM->setBuddy(cmbPort);
    connect(cmbPort, &QComboBox::activated, this, [this](int Index) {
        FLastPortIndex = ChoosePortItem(cmbPort, Index, FLastPortIndex, PickDevice ? PickDevice : [this](const QString &Current) {
            return PickDeviceNode(this, Current);
        });
    });
    btnReceive = new QPushButton(ResString(TResId::sFReceiveFormbtnReceive), this);
    btnReceive->setObjectName(QStringLiteral("btnReceive"));
    btnReceive->setDefault(true);
    connect(btnReceive, &QPushButton::clicked, this, &TFReceiveForm::accept);
    btnCancel = new QPushButton(ResString(TResId::sFTransferFormbtnCancelCaption), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    connect(btnCancel, &QPushButton::clicked, this, &TFReceiveForm::reject);

    auto *fields = new QGridLayout;
    fields->addWidget(lblName, 0, 0);
    fields->addWidget(edtName, 0, 1);
    fields->addWidget(lblKind, 1, 0);
    fields->addWidget(cmbKind, 1, 1);
    fields->addWidget(LblCOM, 2, 0);
    fields->addWidget(cmbPort, 2, 1);
    fields->setColumnStretch(1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnReceive);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    setMinimumWidth(380);
}

void TFReceiveForm::showEvent(QShowEvent *Event)
{
    FillPortList(cmbPort);
    cmbPort->setCurrentIndex(StoredPortIndex(cmbPort));
    FLastPortIndex = cmbPort->currentIndex();
    const int kind = Settings ? Settings->ReadInteger(SettingsKeys::TransferSection, SettingsKeys::ReceiveKind, DefaultReceiveKind)
                              : DefaultReceiveKind;
    cmbKind->setCurrentIndex(kind >= 0 && kind < cmbKind->count() ? kind : DefaultReceiveKind);
    edtName->selectAll();
    edtName->setFocus();
    QDialog::showEvent(Event);
}

void TFReceiveForm::keyPressEvent(QKeyEvent *Event)
{
    if (Event->key() == Qt::Key_F1 && ShowHelp) {
        ShowHelp(HelpContext);
        return;
    }
    QDialog::keyPressEvent(Event);
}

void TFReceiveForm::Warn(const QString &Text)
{
    if (ShowWarning)
        ShowWarning(Text);
    else
        QMessageBox::warning(this, ResString(TResId::sAppTitle), Text);
}

const TDocumentKind &TFReceiveForm::Kind() const
{
    const int index = cmbKind->currentIndex();
    return DocumentKinds()[size_t(index >= 0 ? index : DefaultReceiveKind)];
}

QString TFReceiveForm::Device() const
{
    return PortItemDevice(cmbPort, cmbPort->currentIndex());
}

void TFReceiveForm::accept()
{
    // Names are asked for exactly as typed: a name the calculator cannot hold, or one that would
    // travel altered, is refused here rather than fetching some other variable.
    const QString typed = edtName->text().trimmed();
    if (typed.isEmpty()) {
        Warn(ResString(TResId::sReceiveNeedsName));
        edtName->setFocus();
        return;
    }
    QString problem;
    const QByteArray name = CalculatorName(typed, &problem);
    if (name.isEmpty()) {
        Warn(problem);
        edtName->setFocus();
        return;
    }
    FRemoteName = name;
    StorePortChoice(cmbPort);
    if (Settings)
        Settings->WriteInteger(SettingsKeys::TransferSection, SettingsKeys::ReceiveKind, cmbKind->currentIndex());
    QDialog::accept();
}

QString DocumentKindName(const TDocumentKind &Kind)
{
    return ResString(KindNames[size_t(&Kind - DocumentKinds().data())]);
}

QString ReceivedFileName(const QByteArray &RemoteName, const TDocumentKind &Kind)
{
    const QString name = SafeLocalName(RemoteName);
    const QLatin1String extension(Kind.Extension);
    return name.endsWith(extension, Qt::CaseInsensitive) ? name : name + extension;
}

TReceivedFit ReceivedKindFit(const QByteArray &Data, const TDocumentKind &Kind)
{
    const bool asTgv = Kind.Editor == TEditor::Tgv;
    // Text transfers carry no object type: they are tried as the kind asked for, except the
    // calculator's text form, which only ever holds a string.
    if (!HasCalcHeader(Data)) {
        if (asTgv && Data.startsWith(TextFormHeader))
            return {ResString(TResId::sReceivedStringNotTgv), &DocumentKindOf(TEditor::Xview)};
        return {};
    }
    if (IsCalcStringFile(Data)) {
        if (!asTgv)
            return {};
        return {ResString(TResId::sReceivedStringNotTgv), &DocumentKindOf(TEditor::Xview)};
    }
    if (!HoldsTgvString(Data))
        return {ResString(TResId::sReceivedNeitherKind)};
    if (asTgv)
        return {};
    const bool hp49 = Data.startsWith("HPHP49-");
    const auto &kinds = DocumentKinds();
    const auto tgv = std::find_if(kinds.begin(), kinds.end(), [hp49](const TDocumentKind &Each) {
        return Each.Editor == TEditor::Tgv && Each.Hp49Tgv == hp49;
    });
    return {ResString(TResId::sReceivedNotString), &*tgv};
}
