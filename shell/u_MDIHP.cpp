#include "u_MDIHP.h"

#include "u_DocumentKinds.h"
#include "u_FindBar.h"
#include "u_Icons.h"
#include "u_InterfBegin.h"
#include "u_MRUFileList.h"
#include "u_ResourceStrings.h"
#include "u_Settings.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

namespace {
// Holds the editor above the find bar. The editor tells its parent about changes; the pane hands
// those notifications on to the document window.
class TDocumentPane : public QWidget {
public:
    using QWidget::QWidget;

protected:
    bool event(QEvent *Event) override
    {
        const int type = int(Event->type());
        if ((type == HPM_ATTRCHANGED || type == HPM_FONTSCHANGED || type == HPM_MODIFIEDCHANGED) && parentWidget())
            return QCoreApplication::sendEvent(parentWidget(), Event);
        return QWidget::event(Event);
    }
};
} // namespace

TFormMdiHP::TFormMdiHP(TFFormBegin *MainWindow, TEditor Kind, const QString &EditorName)
    : QMdiSubWindow(nullptr), FMain(MainWindow), FEditor(new THPEdit2(nullptr, Kind))
{
    setAttribute(Qt::WA_DeleteOnClose);
    FEditor->setObjectName(EditorName);
    FEditor->SetSubDirFont(QStringLiteral("fonts"));
    auto *pane = new TDocumentPane;
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(FEditor, 1);
    FindBar = new TFindBar(FEditor, pane);
    layout->addWidget(FindBar);
    pane->setFocusProxy(FEditor);
    setWidget(pane); // the editor's notifications come to this window through the pane
    setWindowIcon(DocumentIcon(Kind));
    setMinimumSize(220, 140);
    resize(560, 340);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    connect(PopupMenu, &QMenu::aboutToShow, this, &TFormMdiHP::PopupMenuPopup);
    FEditor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FEditor, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &Pos) {
                FPopupPoint = Pos;
                PopupMenu->popup(FEditor->mapToGlobal(Pos));
            });
    FEditor->installEventFilter(this);
    FEditor->OnStatus = [this](const QString &Text) { FMain->ShowStatus(Text); };
    connect(FEditor, &THPEdit2::CaretMoved, this, [this] {
        if (FMain->ActiveChild() == this)
            FMain->UpdateCaretStatus();
    });

    Cut = PopupMenu->addAction(QString());
    Cut->setObjectName(QStringLiteral("Cut"));
    connect(Cut, &QAction::triggered, this, [this] { FEditor->CutToClipboard(); });
    Copy = PopupMenu->addAction(QString());
    Copy->setObjectName(QStringLiteral("Copy"));
    connect(Copy, &QAction::triggered, this, [this] { FEditor->CopyToClipboard(); });
    Paste = PopupMenu->addAction(QString());
    Paste->setObjectName(QStringLiteral("Paste"));
    connect(Paste, &QAction::triggered, this, [this] { FEditor->PasteFromClipboard(); });
    PopupMenu->addSeparator();
    Bold = AddItem("Bold", stBold);
    Reverse = AddItem("Reverse", stReverse);
    Underline = AddItem("Underline", stUnderline);
    // The main window's File > Close owns the close keys; the window's own menu keeping them too
    // would make both keys ambiguous, and neither would act.
    if (QMenu *system = systemMenu())
        for (QAction *item : system->actions())
            for (const QKeySequence &key : QKeySequence::keyBindings(QKeySequence::Close))
                if (item->shortcuts().contains(key))
                    item->setShortcuts({});
    for (QAction *item : {Cut, Copy, Paste}) {
        item->setShortcutContext(Qt::WidgetShortcut);
        item->setShortcutVisibleInContextMenu(true);
    }
}

QAction *TFormMdiHP::AddItem(const char *Name, uint8_t StyleValue)
{
    QAction *item = PopupMenu->addAction(QString());
    item->setObjectName(QString::fromLatin1(Name));
    // The menu shows the shortcut; the key itself is caught in eventFilter while the editor has
    // the focus, so it never competes with the main menu's shortcut of the same key.
    item->setShortcutContext(Qt::WidgetShortcut);
    item->setShortcutVisibleInContextMenu(true);
    connect(item, &QAction::triggered, this, [this, StyleValue] { FEditor->ToggleStyle(StyleValue); });
    return item;
}

void TFormMdiHP::OpenFindBar(bool Replace)
{
    FindBar->Open(Replace);
}

void TFormMdiHP::FindAgain(bool Backward)
{
    if (FindBar->FindEdit->text().isEmpty())
        FindBar->Open(false);
    else
        FindBar->FindNext(Backward);
}

void TFormMdiHP::SetTitle(const QString &Title)
{
    FTitle = Title;
    UpdateCaption();
}

void TFormMdiHP::UpdateCaption()
{
    setWindowTitle(FEditor->Modified() ? FTitle + QLatin1Char('*') : FTitle);
}

void TFormMdiHP::FormCreate()
{
    ApplyTexts();
    ApplyKindSettings(*FEditor, ReadKindSettings(FEditor->Editor()));
    FEditor->NewDocument();
}

void TFormMdiHP::RightEdgeChanged()
{
    FMain->RightEdgeEdit->setText(QString::number(FEditor->RightEdge()));
    Settings->WriteInteger(QLatin1String(DocumentKindOf(FEditor->Editor()).SettingsSection), SettingsKeys::RightEdge, FEditor->RightEdge());
}

void TFormMdiHP::PopupMenuPopup()
{
    Paste->setEnabled(FEditor->CanPaste());
    Cut->setEnabled(FEditor->Selected());
    Copy->setEnabled(FEditor->Selected());
}

void TFormMdiHP::AttrChanged(uint8_t Attr)
{
    FMain->BoldButtonXVEden->setChecked(Attr & stBold);
    FMain->InvertButtonXVEden->setChecked(Attr & stReverse);
    FMain->UnderlinebuttonXVEden->setChecked(Attr & stUnderline);
}

void TFormMdiHP::FontsChanged()
{
    FMain->TableCharsHPXVEden->SetFont(FEditor->StyledFont(0), FEditor->FontNames(0));
    FMain->ComboFontsXVEden->SelectFont(FEditor->FontNames(0));
}

bool TFormMdiHP::event(QEvent *Event)
{
    switch (int(Event->type())) {
    case HPM_ATTRCHANGED:
        // Only the active document drives the toolbars; the others catch up when activated.
        if (FMain->ActiveChild() == this)
            AttrChanged(uint8_t(static_cast<THPNotifyEvent *>(Event)->Arg()));
        return true;
    case HPM_FONTSCHANGED:
        if (FMain->ActiveChild() == this)
            FontsChanged();
        return true;
    case HPM_MODIFIEDCHANGED:
        UpdateCaption();
        return true;
    default:
        return QMdiSubWindow::event(Event);
    }
}

QAction *TFormMdiHP::ShortcutItem(QKeyEvent *Key) const
{
    if (Key->modifiers() == Qt::NoModifier || Key->key() == 0)
        return nullptr;
    const QKeySequence pressed(QKeyCombination(Key->modifiers() & ~Qt::KeypadModifier, Qt::Key(Key->key())));
    for (QAction *item : PopupMenu->actions())
        if (!item->isSeparator() && item->isVisible() && !item->shortcut().isEmpty() && item->shortcut() == pressed)
            return item;
    return nullptr;
}

bool TFormMdiHP::eventFilter(QObject *Watched, QEvent *Event)
{
    // The context menu's shortcuts act while the editor has the focus and come before the main
    // menu's. An item disabled when the menu last opened lets its key go on to the main menu.
    if (Watched == FEditor && (Event->type() == QEvent::ShortcutOverride || Event->type() == QEvent::KeyPress)) {
        QAction *item = ShortcutItem(static_cast<QKeyEvent *>(Event));
        if (item && item->isEnabled()) {
            Event->accept();
            if (Event->type() == QEvent::KeyPress)
                item->trigger();
            return true;
        }
    }
    return QMdiSubWindow::eventFilter(Watched, Event);
}

void TFormMdiHP::CloseDiscarding()
{
    FDiscard = true;
    close();
}

void TFormMdiHP::closeEvent(QCloseEvent *Event)
{
    if (!FDiscard) {
        FMain->ActivateChild(this);
        if (!FMain->QuerySaveActive()) {
            Event->ignore();
            return;
        }
    }
    FClosing = true;
    if (!FEditor->FileName().isEmpty())
        FMain->MRUFileList->AddItem(FEditor->FileName());
    QMdiSubWindow::closeEvent(Event);
}
