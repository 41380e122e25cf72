#include "u_TransferForm.h"

#include "u_CalculatorFile.h"
#include "u_CalculatorName.h"
#include "u_FileTypesByName.h"
#include "u_Kermit.h"
#include "u_ResourceStrings.h"
#include "u_Settings.h"
#include "u_TransferPictures.h"
#include "u_seriepack.h"
#include "u_utils.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
// The numbered ports "COM 1" to "COM 4" come first in the port list; the serial devices found on
// the machine follow them.
constexpr int NumberedPorts = 4;

// The remote names of the font files, by font slot: the calculator viewers look for these.
const char *const FontRemoteNames[] = {"FONT", "FONT1", "FONT2"};

QLabel *NewLabel(QWidget *Parent, const char *Name)
{
    auto *label = new QLabel(Parent);
    label->setObjectName(QLatin1String(Name));
    return label;
}

QLabel *NewPicture(QWidget *Parent, const char *Name, const QImage &Image)
{
    QLabel *label = NewLabel(Parent, Name);
    label->setPixmap(QPixmap::fromImage(Image));
    label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return label;
}

int StoredInteger(const QString &Name, int Default)
{
    return Settings ? Settings->ReadInteger(SettingsKeys::TransferSection, Name, Default) : Default;
}
} // namespace

void FillPortList(QComboBox *Combo)
{
    Combo->clear();
    for (int port = 1; port <= NumberedPorts; ++port)
        Combo->addItem(ResString(TResId::sComPortItem).arg(port));
    QStringList devices;
    for (const QString &device : FoundSerialDevices()) {
        const QString product = SerialDeviceProduct(device);
        Combo->addItem(product.isEmpty() ? device : device + QStringLiteral(" (") + product + ')', device);
        devices << device;
    }
    const QString other =
        Settings ? Settings->ReadString(SettingsKeys::TransferSection, SettingsKeys::OtherDevice, QString()) : QString();
    if (!other.isEmpty() && !devices.contains(other))
        Combo->addItem(other, other);
    Combo->addItem(ResString(TResId::sOtherDevice));
}

int StoredPortIndex(const QComboBox *Combo)
{
    const int port = StoredInteger(SettingsKeys::ComPort, SettingsKeys::DefaultComPort);
    if (port >= 1 && port <= NumberedPorts)
        return port - 1;
    if (port > NumberedPorts && Settings) {
        // A found device is chosen again by its name: the list changes with what is plugged in.
        const QString device = Settings->ReadString(SettingsKeys::TransferSection, SettingsKeys::ComPortDevice, QString());
        if (!device.isEmpty())
            return Combo->findData(device);
    }
    return -1;
}

QString PortItemDevice(const QComboBox *Combo, int Index)
{
    if (Index < 0 || Index >= Combo->count())
        return QString();
    if (Index < NumberedPorts)
        return PortDeviceName(Index + 1);
    return Combo->itemData(Index).toString();
}

void StorePortChoice(const QComboBox *Combo)
{
    if (!Settings)
        return;
    const int index = Combo->currentIndex();
    Settings->WriteInteger(SettingsKeys::TransferSection, SettingsKeys::ComPort, index + 1);
    if (index >= NumberedPorts)
        Settings->WriteString(SettingsKeys::TransferSection, SettingsKeys::ComPortDevice, PortItemDevice(Combo, index));
}

int ChoosePortItem(QComboBox *Combo, int Index, int Previous, const TPickDevice &Pick)
{
    // "Other device…" is the last item and, unlike a device, carries no path.
    const bool other = Index == Combo->count() - 1 && Index >= NumberedPorts && Combo->itemData(Index).isNull();
    if (!other)
        return Index;
    using namespace SettingsKeys;
    const QString device = Pick(Settings ? Settings->ReadString(TransferSection, OtherDevice, QString()) : QString());
    if (device.isEmpty()) {
        Combo->setCurrentIndex(Previous);
        return Previous;
    }
    if (Settings)
        Settings->WriteString(TransferSection, OtherDevice, device);
    FillPortList(Combo);
    Combo->setCurrentIndex(Combo->findData(device));
    return Combo->currentIndex();
}

QString PickDeviceNode(QWidget *Parent, const QString &Current)
{
    TFileTypesByName fileTypes;
    QFileDialog dialog(Parent, ResString(TResId::sOtherDeviceTitle),
                       Current.isEmpty() ? QStringLiteral("/dev") : QFileInfo(Current).path());
    // Device nodes are not regular files; the non-native dialog lists them.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&fileTypes);
    dialog.setFilter(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // A device has no size or type worth showing ("-1 bytes", "Unknown"): names only.
    dialog.setViewMode(QFileDialog::List);
    if (!Current.isEmpty())
        dialog.selectFile(Current);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        return dialog.selectedFiles().first();
    return QString();
}

TFTransferForm::TFTransferForm(QWidget *Parent, TTranslateProc Translate, TTranslateProc TranslateProgress)
    : QDialog(Parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      FTranslateProgress(TranslateProgress)
{
    setObjectName(QStringLiteral("FTransferForm"));
    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->tabBar()->setAttribute(Qt::WA_Hover);
    OngletInstructions = BuildInstructionsPage();
    OngletTransfer = BuildTransferPage();
    PageControl->addTab(OngletInstructions, QString());
    PageControl->addTab(OngletTransfer, QString());
    PageControl->setCurrentWidget(OngletTransfer);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ApplyBuiltInTexts();
    if (Translate)
        Translate(this);
    // The dialog keeps its own title whatever table is in force.
    setWindowTitle(ResDefaultString(TResId::sFTransferFormCaption));
}

QWidget *TFTransferForm::BuildInstructionsPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("OngletInstructions"));
    lblLikeThis = NewLabel(page, "lblLikeThis");
    ImgTransfer = NewPicture(page, "ImgTransfer", TransferSettingsPicture());
    LblDir = NewLabel(page, "LblDir");
    ImgTransferDir = NewPicture(page, "ImgTransferDir", DirectoryLinePicture());
    lblPress = NewLabel(page, "lblPress");
    imgToucheVerte = NewPicture(page, "imgToucheVerte", RightShiftKeyPicture());
    lblThen = NewLabel(page, "lblThen");
    ImgSwap = NewPicture(page, "ImgSwap", RightArrowKeyPicture());
    lblPutServer = NewLabel(page, "lblPutServer");
    lblNowSee = NewLabel(page, "lblNowSee");
    ImgAwaiting = NewPicture(page, "ImgAwaiting", AwaitingServerPicture());
    lblyoucanNow = NewLabel(page, "lblyoucanNow");
    BtnNext = new QPushButton(page);
    BtnNext->setObjectName(QStringLiteral("BtnNext"));
    BtnNext->setAutoDefault(false);
    connect(BtnNext, &QPushButton::clicked, this, &TFTransferForm::BtnNextClick);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(lblLikeThis);
    layout->addWidget(ImgTransfer, 0, Qt::AlignHCenter);
    layout->addSpacing(6);
    layout->addWidget(LblDir);
    layout->addWidget(ImgTransferDir, 0, Qt::AlignHCenter);
    layout->addSpacing(6);
    auto *press = new QHBoxLayout;
    press->addWidget(lblPress);
    press->addWidget(imgToucheVerte);
    press->addWidget(lblThen);
    press->addWidget(ImgSwap);
    press->addWidget(lblPutServer);
    press->addStretch();
    layout->addLayout(press);
    layout->addSpacing(6);
    layout->addWidget(lblNowSee);
    layout->addWidget(ImgAwaiting, 0, Qt::AlignHCenter);
    layout->addSpacing(6);
    auto *next = new QHBoxLayout;
    next->addWidget(lblyoucanNow);
    next->addStretch();
    next->addWidget(BtnNext);
    layout->addLayout(next);
    return page;
}

QWidget *TFTransferForm::BuildTransferPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("OngletTransfer"));
    LblCOM = NewLabel(page, "LblCOM");
    cmbPort = new QComboBox(page);
    cmbPort->setObjectName(QStringLiteral("cmbPort"));
    connect(cmbPort, &QComboBox::activated, this, &TFTransferForm::PortActivated);
    lblSpeed = NewLabel(page, "lblSpeed");
    cmbSpeed = new QComboBox(page);
    cmbSpeed->setObjectName(QStringLiteral("cmbSpeed"));
    cmbSpeed->addItems({QStringLiteral("9600"), QStringLiteral("15360")});
    // Both calculators' Kermit runs at 9600 baud over the cable; the list only shows it.
    cmbSpeed->setEnabled(false);
    lblCalculator = NewLabel(page, "lblCalculator");
    cmbCalculator = new QComboBox(page);
    cmbCalculator->setObjectName(QStringLiteral("cmbCalculator"));
    cmbCalculator->addItems({QStringLiteral("HP48"), QStringLiteral("HP49")});
    lblSelectFiles = NewLabel(page, "lblSelectFiles");
    ListBoxFiles = new QListWidget(page);
    ListBoxFiles->setObjectName(QStringLiteral("ListBoxFiles"));
    ListBoxFiles->setSelectionMode(QAbstractItemView::MultiSelection);
    btnTransfer = new QPushButton(page);
    btnTransfer->setObjectName(QStringLiteral("btnTransfer"));
    btnTransfer->setDefault(true);
    connect(btnTransfer, &QPushButton::clicked, this, &TFTransferForm::btnTransferClick);
    btnCancel = new QPushButton(page);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    connect(btnCancel, &QPushButton::clicked, this, &TFTransferForm::reject);

    auto *fields = new QGridLayout;
    fields->addWidget(LblCOM, 0, 0);
    fields->addWidget(cmbPort, 0, 1);
    fields->addWidget(lblSpeed, 1, 0);
    fields->addWidget(cmbSpeed, 1, 1);
    fields->addWidget(lblCalculator, 2, 0);
    fields->addWidget(cmbCalculator, 2, 1);
    fields->setColumnStretch(1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnTransfer);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(fields);
    layout->addSpacing(6);
    layout->addWidget(lblSelectFiles);
    layout->addWidget(ListBoxFiles, 1);
    layout->addLayout(buttons);
    return page;
}

void TFTransferForm::ApplyBuiltInTexts()
{
    PageControl->setTabText(PageControl->indexOf(OngletInstructions),
                            ResString(TResId::sFTransferFormOngletInstructionsCaption));
    PageControl->setTabText(PageControl->indexOf(OngletTransfer), ResString(TResId::sFTransferFormOngletTransferCaption));
    lblLikeThis->setText(ResString(TResId::sFTransferFormlblLikeThisCaption));
    LblDir->setText(ResString(TResId::sFTransferFormLblDirCaption));
    lblPress->setText(ResString(TResId::sFTransferFormlblPressCaption));
    lblThen->setText(ResString(TResId::sFTransferFormlblThenCaption));
    lblPutServer->setText(ResString(TResId::sFTransferFormlblPutServerCaption));
    lblyoucanNow->setText(ResString(TResId::sFTransferFormlblyoucanNowCaption));
    lblNowSee->setText(ResString(TResId::sFTransferFormlblNowSeeCaption));
    BtnNext->setText(ResString(TResId::sFTransferFormBtnNextCaption));
    LblCOM->setText(ResString(TResId::sFTransferFormLblCOMCaption));
    lblSelectFiles->setText(ResString(TResId::sFTransferFormlblSelectFilesCaption));
    btnCancel->setText(ResString(TResId::sFTransferFormbtnCancelCaption));
    btnTransfer->setText(ResString(TResId::sFTransferFormbtnTransferCaption));
    lblSpeed->setText(ResString(TResId::sFTransferFormlblSpeed));
    lblCalculator->setText(ResString(TResId::sTransferFormlblCalculator));
}

int TFTransferForm::Execute(const TTransferDocument &Document)
{
    SetDocument(Document);
    return exec();
}

void TFTransferForm::showEvent(QShowEvent *Event)
{
    FormShow();
    QDialog::showEvent(Event);
}

void TFTransferForm::FormShow()
{
    FillPortList(cmbPort);
    const int portIndex = StoredPortIndex(cmbPort);
    cmbPort->setCurrentIndex(portIndex);
    FLastPortIndex = portIndex;

    const int calculator = StoredInteger(SettingsKeys::Calculator, SettingsKeys::DefaultCalculator);
    cmbCalculator->setCurrentIndex(calculator >= 0 && calculator < cmbCalculator->count() ? calculator : -1);
    // Whatever "speed" holds, the line runs at 9600 baud.
    cmbSpeed->setCurrentIndex(0);
    FillFiles();
}

void TFTransferForm::PortActivated(int Index)
{
    if (FTransferring) {
        FLastPortIndex = Index;
        return;
    }
    FLastPortIndex = ChoosePortItem(cmbPort, Index, FLastPortIndex, PickDevice ? PickDevice : [this](const QString &Current) {
        return PickDeviceNode(this, Current);
    });
}

void TFTransferForm::FillFiles()
{
    ListBoxFiles->clear();
    auto item = [](const QString &What, const QString &Name) { return What + QStringLiteral(" (") + Name + ')'; };
    ListBoxFiles->addItem(item(ResString(TResId::sCurrentFile), QFileInfo(FDocument.Title).fileName()));
    if (FDocument.Fonts == TTransferFonts::Three) {
        ListBoxFiles->addItem(item(ResString(TResId::sCurrentNormalFontTgv), FDocument.FontNames[0]));
        ListBoxFiles->addItem(item(ResString(TResId::sCurrentFont1Tgv), FDocument.FontNames[1]));
        ListBoxFiles->addItem(item(ResString(TResId::sCurrentSuperSubscriptFontTgv), FDocument.FontNames[2]));
    } else if (FDocument.Fonts == TTransferFonts::One) {
        ListBoxFiles->addItem(item(ResString(TResId::sCurrentFontXVEden), FDocument.FontNames[0]));
    }
    ListBoxFiles->item(0)->setSelected(true);
}

QString TFTransferForm::SelectedDevice() const
{
    return PortItemDevice(cmbPort, cmbPort->currentIndex());
}

void TFTransferForm::BtnNextClick()
{
    PageControl->setCurrentWidget(OngletTransfer);
}

void TFTransferForm::SetControlsEnabled(bool Enabled)
{
    // The dialog stays visible under the progress window, but nothing in it may start a second
    // transfer on the one engine or close it while a file is going out.
    PageControl->setEnabled(Enabled);
}

void TFTransferForm::reject()
{
    if (FTransferring)
        return;
    QDialog::reject();
}

void TFTransferForm::keyPressEvent(QKeyEvent *Event)
{
    if (Event->key() == Qt::Key_F1 && ShowHelp) {
        ShowHelp(HelpContext);
        return;
    }
    QDialog::keyPressEvent(Event);
}

void TFTransferForm::btnTransferClick()
{
    if (FTransferring)
        return;
    StorePortChoice(cmbPort);
    if (Settings) {
        Settings->WriteInteger(SettingsKeys::TransferSection, SettingsKeys::Speed, cmbSpeed->currentIndex());
        Settings->WriteInteger(SettingsKeys::TransferSection, SettingsKeys::Calculator, cmbCalculator->currentIndex());
    }

    // The files to send, in list order, each with the name it gets on the calculator.
    QList<std::pair<QString, QByteArray>> files;
    QString nameProblem;
    if (ListBoxFiles->item(0)->isSelected())
        files.append({FDocument.Title, CalculatorName(QFileInfo(FDocument.Title).fileName(), &nameProblem)});
    for (int i = 1; i < ListBoxFiles->count(); ++i)
        if (ListBoxFiles->item(i)->isSelected())
            files.append({AppDir + FDocument.SubDirFont + FDocument.FontNames[size_t(i - 1)] + QStringLiteral(".fnt"),
                          FontRemoteNames[i - 1]});
    // A file that cannot go, or would arrive under another name, is refused before the
    // calculator is disturbed.
    for (const auto &file : std::as_const(files))
        if (const QString problem = file.second.isEmpty() ? nameProblem : CalculatorFileProblem(file.first);
            !problem.isEmpty()) {
            if (ShowWarning)
                ShowWarning(problem);
            else
                QMessageBox::warning(this, ResString(TResId::sAppTitle), problem);
            return;
        }

    if (!FTransferingFile)
        FTransferingFile = new TFTransferingFile(this, FTranslateProgress);
    TFTransferingFile *progress = FTransferingFile;
    progress->ShowWarning = ShowWarning;
    progress->show();
    FTransferring = true;
    SetControlsEnabled(false);
    bool sent = false;
    const auto finish = qScopeGuard([this, progress, &sent] {
        // A transfer that went through says so and waits to be closed; any other ends at once,
        // after its message.
        if (!sent)
            progress->hide();
        // The line is free again at once: for receiving, and for other programs, which the lock
        // would otherwise keep out until Quillo ends.
        progress->Kermit().Close();
        FTransferring = false;
        SetControlsEnabled(true);
    });

    const int baud = cmbSpeed->currentText().toInt();
    if (!progress->ConnectPort(SelectedDevice(), baud))
        return;
    // Without a model chosen the files go out as they were saved.
    const int calculator = cmbCalculator->currentIndex();
    for (const auto &file : std::as_const(files))
        if (!progress->SendDiskFile(file.first, file.second, calculator))
            return;
    if (progress->DisconnectPort()) {
        progress->ShowFinished(int(files.size()));
        sent = true;
    }
}
