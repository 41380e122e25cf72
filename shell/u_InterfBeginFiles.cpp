// Documents: creating, opening, saving and closing them, the transfer prompt and the recent files.
#include "u_InterfBegin.h"

#include "u_Application.h"
#include "u_DialogsHP.h"
#include "u_DocumentKinds.h"
#include "u_Errors.h"
#include "u_FileChecks.h"
#include "u_FormatLoss.h"
#include "u_MDIEden.h"
#include "u_MDIHP49.h"
#include "u_MDITgv.h"
#include "u_MDIXview.h"
#include "u_MRUFileList.h"
#include "u_ResourceStrings.h"
#include "u_TransferDocument.h"
#include "u_Transfering.h"
#include "u_CalculatorName.h"
#include "u_ReceiveDocument.h"
#include "u_Translate.h"
#include "u_ddemacro.h"
#include "u_utils.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>

TFormMdiHP *TFFormBegin::ActiveChild() const
{
    auto *window = qobject_cast<TFormMdiHP *>(MdiArea->currentSubWindow());
    if (window && !window->Closing())
        return window;
    // The area forgets its current window while another top-level window is active; the last
    // one seen active still counts as long as it is open.
    return FWindows.contains(FLastActiveChild) && !FLastActiveChild->Closing() ? FLastActiveChild : nullptr;
}

THPEdit2 *TFFormBegin::ActiveEditor() const
{
    TFormMdiHP *window = ActiveChild();
    return window ? window->GetEditor() : nullptr;
}

QList<TFormMdiHP *> TFFormBegin::DocumentWindows() const
{
    QList<TFormMdiHP *> result;
    for (TFormMdiHP *window : FWindows)
        if (!window->Closing())
            result << window;
    return result;
}

QString TFFormBegin::GetActiveTitle() const
{
    TFormMdiHP *window = ActiveChild();
    return window ? window->GetTitle() : QString();
}

void TFFormBegin::SetActiveTitle(const QString &Title)
{
    if (TFormMdiHP *window = ActiveChild())
        window->SetTitle(Title);
}

void TFFormBegin::FocusEditor()
{
    if (THPEdit2 *editor = ActiveEditor())
        editor->setFocus();
}

void TFFormBegin::ActivateChild(TFormMdiHP *Window)
{
    if (Window && MdiArea->currentSubWindow() != Window)
        MdiArea->setActiveSubWindow(Window);
    // The toolbars follow at once, not only when the desktop reports the activation.
    ActiveFormChanged();
}

void TFFormBegin::NewDocument(TEditor Kind)
{
    CreateDocumentWindow(Kind);
    UpdateFileSize();
}

TFormMdiHP *TFFormBegin::CreateDocumentWindow(TEditor Kind)
{
    ++FUntitledCount;
    TFormMdiHP *window = nullptr;
    switch (Kind) {
    case TEditor::Tgv: window = new TFormMdiTgv(this); break;
    case TEditor::Eden: window = new TFormMdiEden(this); break;
    case TEditor::Hp49: window = new TFormMdiHP49(this); break;
    default: window = new TFormMdiXView(this); break;
    }
    FWindows << window;
    connect(window, &QObject::destroyed, this, [this, window] {
        FWindows.removeAll(window);
        if (FLastActiveChild == window)
            FLastActiveChild = nullptr;
        ActiveFormChanged();
    });
    MdiArea->addSubWindow(window);
    // A document takes the whole area, as a tab or as a maximised window, rather than a small corner.
    window->showMaximized();
    ActivateChild(window);
    try {
        window->FormCreate();
    } catch (...) {
        // A default font that cannot be read: the user is told, the window stays and works.
        ApplicationHandleException(std::current_exception());
    }
    SetActiveTitle(ResString(TResId::sUntitled) + QString::number(FUntitledCount) + QLatin1String(DocumentKindOf(Kind).Extension));
    window->GetEditor()->setFocus();
    return window;
}

void TFFormBegin::OpenFile(const QString &FileName)
{
    const QString fullPath = QFileInfo(FileName).absoluteFilePath();
    // A file already open is brought forward rather than opened twice; two windows on one file
    // would overwrite each other's saves.
    for (TFormMdiHP *window : DocumentWindows())
        if (!window->GetEditor()->FileName().isEmpty() && SameFile(window->GetEditor()->FileName(), fullPath)) {
            ActivateChild(window);
            StatusPanel1->setText(ResString(TResId::sFileActivated).arg(window->GetEditor()->FileName()));
            return;
        }

    TFormMdiHP *window = CreateDocumentWindow(DocumentKindOfFile(FileName).Editor);
    THPEdit2 *editor = window->GetEditor();
    try {
        LoadDocumentFile(*editor, FileName);
    } catch (const EErrorLoading &e) {
        // Whatever part of the file was read is dropped without a question. The name still goes
        // into the recent files, as for any window that closes, so the user can try it again.
        if (editor->FileName().isEmpty())
            editor->SetFileName(fullPath);
        window->CloseDiscarding();
        ShowWarning(LoadingFailureText(FileName, e));
        return;
    }
    SetActiveTitle(editor->FileName());
    UpdateFileSize();
}

bool TFFormBegin::ExecuteDialog(TFileDialogRegistry &Dialog)
{
    return OnExecuteDialog(Dialog);
}

void TFFormBegin::OpenWithDialog()
{
    OpenDialog->SetFileName(QString());
    if (ExecuteDialog(*OpenDialog))
        OpenFile(OpenDialog->FileName());
}

bool TFFormBegin::ConfirmLoss(THPEdit2 *Editor, const QString &FileName, bool &Lossy)
{
    const TEditor format = DocumentKindOfFile(FileName).Editor;
    const TFormatLoss loss = FormatLoss(*Editor->Document(), format);
    Lossy = loss.Any();
    return !Lossy || OnQuestion(LossQuestion(loss, format), QMessageBox::Yes | QMessageBox::Cancel) == QMessageBox::Yes;
}

bool TFFormBegin::SaveEditor(THPEdit2 *Editor, const QString &FileName, const QString &ExecuteWith)
{
    try {
        SaveDocumentFile(*Editor->Document(), FileName, ExecuteWith);
    } catch (const EErrorSaving &e) {
        ShowWarning(SavingFailureText(FileName, e));
        return false;
    }
    return true;
}

bool TFFormBegin::SaveActive()
{
    THPEdit2 *editor = ActiveEditor();
    if (!editor)
        return false;
    if (editor->FileName().isEmpty())
        return SaveActiveAs();
    bool lossy = false;
    if (!ConfirmLoss(editor, editor->FileName(), lossy))
        return false;
    if (!SaveEditor(editor, editor->FileName(), editor->ExecuteWith()))
        return false;
    UpdateFileSize();
    return true;
}

bool TFFormBegin::SaveActiveAs(const TDocumentKind *Kind)
{
    THPEdit2 *editor = ActiveEditor();
    if (!editor)
        return false;
    const QString proposed = editor->FileName().isEmpty() ? ActiveChild()->ProposedName
                                                          : QFileInfo(editor->FileName()).fileName();
    QString chosen;
    QString executeWith;
    // The TGV dialog's options reach the document only with a save that goes ahead.
    const uint8_t keptMenuChar = editor->MenuChar();
    const bool keptMenuWhenStarted = editor->MenuWhenStarted();
    if (editor->Editor() != TEditor::Tgv) {
        const TDocumentKind &kind = Kind ? *Kind : DocumentKindOf(editor->Editor());
        SaveDialogXVEden->SetwillExecute(!editor->ExecuteWith().isEmpty());
        SaveDialogXVEden->SetexecuteWith(editor->ExecuteWith().isEmpty() ? DefaultExecuteWith(kind.Editor) : editor->ExecuteWith());
        SaveDialogXVEden->SetDefaultExt(QLatin1String(kind.Extension));
        SaveDialogXVEden->SetFilterIndex(kind.FilterIndex);
        SaveDialogXVEden->SetFileName(proposed);
        SaveDialogXVEden->setOption(QFileDialog::DontConfirmOverwrite, false);
        if (!ExecuteDialog(*SaveDialogXVEden))
            return false;
        chosen = SaveDialogXVEden->FileName();
        executeWith = SaveDialogXVEden->willExecute() ? SaveDialogXVEden->executeWith() : QString();
    } else {
        SaveDialogTgv->SetMenuChar(editor->MenuChar());
        SaveDialogTgv->SetMenuWhenStarted(editor->MenuWhenStarted());
        if (Kind) {
            SaveDialogTgv->SetDefaultExt(QLatin1String(Kind->Extension));
            SaveDialogTgv->SetFilterIndex(Kind->FilterIndex);
        }
        SaveDialogTgv->SetFileName(proposed);
        SaveDialogTgv->setOption(QFileDialog::DontConfirmOverwrite, false);
        if (!ExecuteDialog(*SaveDialogTgv))
            return false;
        editor->SetMenuChar(SaveDialogTgv->MenuChar());
        editor->SetMenuWhenStarted(SaveDialogTgv->MenuWhenStarted());
        chosen = SaveDialogTgv->FileName();
    }
    bool lossy = false;
    if (!ConfirmLoss(editor, chosen, lossy)) {
        editor->SetMenuChar(keptMenuChar);
        editor->SetMenuWhenStarted(keptMenuWhenStarted);
        return false;
    }
    // A file that could not take the whole document is an export: the window stays with the file
    // (or the untitled document) that still holds everything, and so do its unsaved changes.
    const QString keptName = editor->FileName();
    const qint64 keptSize = editor->FileSize();
    const bool keptModified = editor->Modified();
    const QString keptExecuteWith = editor->ExecuteWith();
    if (!SaveEditor(editor, chosen, executeWith))
        return false;
    if (lossy) {
        editor->SetFileName(keptName);
        editor->SetFileSize(keptSize);
        editor->SetExecuteWith(keptExecuteWith);
        editor->SetModified(keptModified);
        StatusPanel1->setText(ResString(TResId::sExportedCopy).arg(QFileInfo(chosen).absoluteFilePath(), GetActiveTitle()));
    } else {
        SetActiveTitle(editor->FileName());
    }
    UpdateFileSize();
    return true;
}

bool TFFormBegin::QuerySaveActive()
{
    THPEdit2 *editor = ActiveEditor();
    if (!editor || !editor->Modified())
        return true;
    QString text = ResString(TResId::ssavechanges);
    text.replace(QLatin1String("%s"), GetActiveTitle());
    switch (OnQuestion(text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes: return SaveActive();
    case QMessageBox::No: return true;
    default: return false;
    }
}

void TFFormBegin::CloseActive()
{
    if (TFormMdiHP *window = ActiveChild())
        window->close();
}

bool TFFormBegin::CloseAll()
{
    for (TFormMdiHP *window : DocumentWindows())
        if (!window->close())
            return false;
    return true;
}

void TFFormBegin::TransferActive()
{
    THPEdit2 *editor = ActiveEditor();
    if (!editor)
        return;
    if (editor->Modified() || editor->FileName().isEmpty()) {
        QString text = ResString(TResId::sTransferNeedsSaving);
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        if (OnQuestion(text, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
        if (!SaveActive())
            return;
    }
    // The transfer dialog, shown modally, sends the saved file and the fonts it uses.
    if (OnTransfer) {
        OnTransfer();
        return;
    }
    if (!FTransferForm) {
        FTransferForm = new TFTransferForm(this, &TranslateFTransferForm, &TranslateFTransferingFile);
        FTransferForm->ShowWarning = [this](const QString &Text) { ShowWarning(Text); };
        FTransferForm->ShowHelp = [this](int Context) { ShowHelpContext(Context); };
    }
    FTransferForm->Execute(TransferDocumentOf(*editor, GetActiveTitle()));
}

void TFFormBegin::ReceiveDocument()
{
    if (!FReceiveForm) {
        FReceiveForm = new TFReceiveForm(this);
        FReceiveForm->ShowWarning = [this](const QString &Text) { ShowWarning(Text); };
        FReceiveForm->ShowHelp = [this](int Context) { ShowHelpContext(Context); };
    }
    if (FReceiveForm->exec() != QDialog::Accepted)
        return;
    const QByteArray asked = FReceiveForm->RemoteName();
    const TDocumentKind &kind = FReceiveForm->Kind();

    if (!FReceiveProgress) {
        FReceiveProgress = new TFTransferingFile(this, &TranslateFTransferingFile);
        FReceiveProgress->setWindowTitle(ResString(TResId::sFReceivingFileCaption));
        FReceiveProgress->ShowWarning = [this](const QString &Text) { ShowWarning(Text); };
        // The receive runs while the windows stay painted: a menu command started meanwhile (Open,
        // another receive, quitting) would hold up the transfer until the calculator gives up.
        FReceiveProgress->setWindowModality(Qt::ApplicationModal);
    }
    QList<TReceivedFile> files;
    FReceiveProgress->show();
    const bool received = FReceiveProgress->ReceiveFile(FReceiveForm->Device(), CalculatorBaud, asked, files);
    FReceiveProgress->hide();
    if (!received)
        return;
    // One document opens. A server that expanded a pattern into several files is told about, and
    // the window goes by the name of the file it holds, not by the pattern.
    const QByteArray name = files.first().Name.isEmpty() ? asked : files.first().Name;
    const QByteArray data = files.first().Data;
    if (files.size() > 1)
        ShowWarning(ResString(TResId::sReceivedSeveral)
                        .arg(CalculatorNameText(asked), QString::number(files.size()), CalculatorNameText(name)));

    // The variable stays on the calculator whatever happens here, so a refusal loses nothing. What
    // arrived as the wrong kind is offered as the kind it is, sparing the user a second transfer.
    const auto cannotOpen = [&](const TDocumentKind &As) {
        return ResString(TResId::sReceivedNotOpenable).arg(CalculatorNameText(name), DocumentKindName(As));
    };
    const TDocumentKind *openAs = &kind;
    if (const TReceivedFit fit = ReceivedKindFit(data, kind); !fit.Problem.isEmpty()) {
        const QString why = cannotOpen(kind) + '\n' + fit.Problem;
        if (!fit.Instead) {
            ShowWarning(why);
            return;
        }
        const QString offer = ResString(TResId::sReceivedOpenInstead).arg(DocumentKindName(*fit.Instead));
        if (OnQuestion(why + "\n\n" + offer, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
        openAs = fit.Instead;
    }
    TFormMdiHP *window = CreateDocumentWindow(openAs->Editor);
    THPEdit2 *editor = window->GetEditor();
    try {
        editor->LoadData(data);
    } catch (const EErrorLoading &e) {
        window->CloseDiscarding();
        ShowWarning(cannotOpen(*openAs) + '\n' + e.Reason());
        return;
    }
    // Not on disk yet: until it is saved, closing the window asks first, and the window goes by
    // the variable's name, which every later Save As offers.
    editor->SetModified(true);
    window->ProposedName = ReceivedFileName(name, *openAs);
    SetActiveTitle(window->ProposedName);
    UpdateFileSize();
    SaveActiveAs(openAs);
}

void TFFormBegin::SetTabLength(TEditor Kind, int Value)
{
    for (TFormMdiHP *window : DocumentWindows())
        if (window->GetEditor()->Editor() == Kind)
            window->GetEditor()->SetTabLength(Value);
}

void TFFormBegin::UpdateFileSize()
{
    THPEdit2 *editor = ActiveEditor();
    StatusPanel0->setText(editor ? ResString(TResId::sFileSize) + QString::number(editor->FileSize()) : QString());
}

void TFFormBegin::UpdateCaretStatus()
{
    THPEdit2 *editor = ActiveEditor();
    StatusPanelCaret->setText(editor ? ResString(TResId::sCaretPosition).arg(editor->CaretLine() + 1).arg(editor->CaretCol()) : QString());
}

void TFFormBegin::systemmacro(const QString &Verb, const QString &Argument)
{
    // A name that is not there is passed over; anything else that is not a file is refused with the reason.
    if (Verb == QLatin1String("open") && QFileInfo::exists(Argument))
        OpenFile(Argument);
    else if (Verb == QLatin1String("activate"))
        BringToFront();
}

void TFFormBegin::BringToFront()
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void TFFormBegin::Adoptsystem(Tddemacroserver &Server)
{
    connect(&Server, &Tddemacroserver::Onmacro, this, &TFFormBegin::systemmacro);
}

void TFFormBegin::MRUFileListMRUItemClick(const QString &FileName)
{
    MRUFileList->RemoveItem(FileName);
    OpenFile(FileName);
}
