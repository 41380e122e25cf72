#include "u_InterfBegin.h"

#include "u_About.h"
#include "u_DialogsHP.h"
#include "u_HelpViewer.h"
#include "u_Icons.h"
#include "u_MDIHP.h"
#include "u_MRUFileList.h"
#include "u_Options.h"
#include "u_PictureStep.h"
#include "u_SaveDialogRegistry.h"
#include "u_ResourceStrings.h"
#include "u_Settings.h"
#include "u_Translate.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

namespace {
// Help topics of the two menus that have one of their own.
constexpr int HelpFileMenu = 27;
constexpr int HelpEditMenu = 24;
constexpr int HelpGrobDialog = 15;
constexpr int HelpTgvSaveDialog = 16;
} // namespace

TFFormBegin::TFFormBegin(QWidget *Parent) : QMainWindow(Parent)
{
    setObjectName(QStringLiteral("FFormBegin"));
    setWindowIcon(ProgramIcon());
    setAcceptDrops(true);
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);

    OnWarning = [this](const QString &Text) {
        QMessageBox box(QMessageBox::Warning, ResString(TResId::sAppTitle), Text, QMessageBox::Ok, this);
        box.exec();
    };
    OnQuestion = [this](const QString &Text, QMessageBox::StandardButtons Buttons) {
        QMessageBox box(QMessageBox::Question, ResString(TResId::sAppTitle), Text, Buttons, this);
        return QMessageBox::StandardButton(box.exec());
    };
    OnExecuteDialog = [](TFileDialogRegistry &Dialog) { return Dialog.Execute(); };
    OnPictureStep = [](TFPictureStep &Step, const QImage &Source) { return Step.Execute(Source); };

    MdiArea = new QMdiArea(this);
    MdiArea->setObjectName(QStringLiteral("MdiArea"));
    MdiArea->setBackground(QColor(0x8c, 0x94, 0x9e));
    MdiArea->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    setCentralWidget(MdiArea);

    OpenDialog = new TOpenDialogRegistry(this);
    OpenDialog->setObjectName(QStringLiteral("OpenDialog"));
    SaveDialogXVEden = new THPSaveXVEdenDialog(this);
    SaveDialogXVEden->setObjectName(QStringLiteral("SaveDialogXVEden"));
    SaveDialogTgv = new THPSaveTgvDialog(this);
    SaveDialogTgv->setObjectName(QStringLiteral("SaveDialogTgv"));
    OpenGrobDialog = new THPOpenGrobDialog(this);
    OpenGrobDialog->setObjectName(QStringLiteral("OpenGrobDialog"));
    SavePictureDialog = new TSaveDialogRegistry(this);
    SavePictureDialog->setObjectName(QStringLiteral("SavePictureDialog"));
    SavePictureDialog->setWindowTitle(ResString(TResId::sSavePictureDialogTitle));
    SavePictureDialog->SetFilter(ResString(TResId::sSavePictureDialogFilter));
    SavePictureDialog->SetDefaultExt(QStringLiteral("grb"));
    const auto exportDialog = [this](const char *Name, TResId Title, TResId Filter, const char *Ext) {
        auto *dialog = new TSaveDialogRegistry(this);
        dialog->setObjectName(QString::fromLatin1(Name));
        dialog->setWindowTitle(ResString(Title));
        dialog->SetFilter(ResString(Filter));
        dialog->SetDefaultExt(QString::fromLatin1(Ext));
        auto *line = new QCheckBox(ResString(TResId::sExportRightEdgeLine), dialog);
        line->setObjectName(QStringLiteral("RightEdgeLine"));
        line->setChecked(true);
        if (auto *grid = qobject_cast<QGridLayout *>(dialog->layout()))
            grid->addWidget(line, grid->rowCount(), 0, 1, -1);
        return dialog;
    };
    ExportPictureDialog = exportDialog("ExportPictureDialog", TResId::sExportPictureDialogTitle,
                                       TResId::sExportPictureDialogFilter, "png");
    ExportPdfDialog = exportDialog("ExportPdfDialog", TResId::sExportPdfDialogTitle, TResId::sExportPdfDialogFilter, "pdf");
    for (TFileDialogRegistry *dialog : std::initializer_list<TFileDialogRegistry *>{
             OpenDialog, SaveDialogXVEden, SaveDialogTgv, OpenGrobDialog, SavePictureDialog, ExportPictureDialog, ExportPdfDialog}) {
        dialog->SetKeyPath(SettingsKeys::RootKeyPath);
        dialog->SetvalueName(SettingsKeys::OpenSavePath);
        dialog->ShowHelp = [this](int Context) { ShowHelpContext(Context); };
    }
    OpenGrobDialog->HelpContext = HelpGrobDialog;
    SaveDialogTgv->HelpContext = HelpTgvSaveDialog;

    CreateMenus();
    CreateToolbars();
    CreateStatusBar();
    FormCreate();
}

TFFormBegin::~TFFormBegin()
{
    // The document windows go after this window's own members; their history must not call back.
    disconnect(FHistoryConnection);
    FormDestroy();
}

QAction *TFFormBegin::NewAction(const char *Name, void (TFFormBegin::*Slot)())
{
    // Main-window actions are direct children of the window, so a search by name finds them
    // before the document windows' items of the same name.
    auto *action = new QAction(this);
    action->setObjectName(QString::fromLatin1(Name));
    if (Slot)
        connect(action, &QAction::triggered, this, Slot);
    return action;
}

void TFFormBegin::CreateMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu98"));

    File_ = bar->addMenu(QString());
    File_->setObjectName(QStringLiteral("File"));
    New_ = File_->addMenu(QString());
    New_->setObjectName(QStringLiteral("New"));
    New_->setIcon(Glyph(TGlyph::New));
    NewXView = NewAction("NewXView", nullptr);
    NewTGV = NewAction("NewTGV", nullptr);
    newEden = NewAction("newEden", nullptr);
    NewHP49 = NewAction("NewHP49", nullptr);
    const std::pair<QAction *, TEditor> kinds[] = {
        {NewXView, TEditor::Xview}, {NewTGV, TEditor::Tgv}, {newEden, TEditor::Eden}, {NewHP49, TEditor::Hp49}};
    for (const auto &[action, kind] : kinds) {
        action->setIcon(DocumentIcon(kind));
        connect(action, &QAction::triggered, this, [this, kind = kind] { NewDocument(kind); });
        New_->addAction(action);
    }
    Open_ = NewAction("Open", &TFFormBegin::OpenWithDialog);
    Open_->setIcon(Glyph(TGlyph::Open));
    // The desktop's usual keys for opening and saving; no calculator character needs them.
    Open_->setShortcut(QKeySequence::Open);
    Save_ = NewAction("Save", nullptr);
    connect(Save_, &QAction::triggered, this, [this] { SaveActive(); });
    Save_->setIcon(Glyph(TGlyph::Save));
    Save_->setShortcut(QKeySequence::Save);
    SaveAs_ = NewAction("SaveAs", nullptr);
    connect(SaveAs_, &QAction::triggered, this, [this] { SaveActiveAs(); });
    ExportPicture_ = NewAction("ExportPicture", nullptr);
    connect(ExportPicture_, &QAction::triggered, this, [this] { ExportActive(false); });
    ExportPdf_ = NewAction("ExportPdf", nullptr);
    connect(ExportPdf_, &QAction::triggered, this, [this] { ExportActive(true); });
    Close_ = NewAction("Close", &TFFormBegin::CloseActive);
    // Ctrl+W as on this desktop, Ctrl+F4 as on the one the program first came from.
    Close_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::CTRL | Qt::Key_F4)});
    Transfer_ = NewAction("Transfer", &TFFormBegin::TransferActive);
    Transfer_->setIcon(Glyph(TGlyph::Transfer));
    Receive_ = NewAction("Receive", &TFFormBegin::ReceiveDocument);
    Options_ = NewAction("Options", &TFFormBegin::Options_Click);
    Exit_ = NewAction("Exit", nullptr);
    Exit_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(Exit_, &QAction::triggered, this, &QWidget::close);
    File_->addActions({Open_, Save_, SaveAs_, ExportPicture_, ExportPdf_, Close_});
    File_->addSeparator();
    File_->addActions({Transfer_, Receive_, Options_});
    ExitSeparator = File_->addSeparator();
    File_->addAction(Exit_);
    File_->installEventFilter(this);

    Edit_ = bar->addMenu(QString());
    Edit_->setObjectName(QStringLiteral("Edit"));
    Undo_ = NewAction("Undo", &TFFormBegin::Undo_Click);
    Undo_->setIcon(Glyph(TGlyph::Undo));
    Redo_ = NewAction("Redo", &TFFormBegin::Redo_Click);
    Redo_->setIcon(Glyph(TGlyph::Redo));
    Cut_ = NewAction("Cut", &TFFormBegin::Cut_Click);
    Cut_->setIcon(Glyph(TGlyph::Cut));
    Copy_ = NewAction("Copy", &TFFormBegin::Copy_Click);
    Copy_->setIcon(Glyph(TGlyph::Copy));
    Paste_ = NewAction("Paste", &TFFormBegin::Paste_Click);
    Paste_->setIcon(Glyph(TGlyph::Paste));
    SelectAll_ = NewAction("SelectAll", &TFFormBegin::SelectAll_Click);
    Edit_->addActions({Undo_, Redo_});
    Edit_->addSeparator();
    Edit_->addActions({Cut_, Copy_, Paste_});
    Edit_->addSeparator();
    Edit_->addAction(SelectAll_);
    Find_ = NewAction("Find", nullptr);
    connect(Find_, &QAction::triggered, this, [this] {
        if (TFormMdiHP *child = ActiveChild())
            child->OpenFindBar(false);
    });
    Replace_ = NewAction("Replace", nullptr);
    connect(Replace_, &QAction::triggered, this, [this] {
        if (TFormMdiHP *child = ActiveChild())
            child->OpenFindBar(true);
    });
    Reflow_ = NewAction("Reflow", nullptr);
    connect(Reflow_, &QAction::triggered, this, [this] {
        if (THPEdit2 *editor = ActiveEditor())
            editor->ReflowParagraph();
    });
    Edit_->addSeparator();
    Edit_->addActions({Find_, Replace_});
    Edit_->addSeparator();
    Edit_->addAction(Reflow_);
    // F3 and Shift+F3 search again wherever the focus is in the document window.
    for (const bool backward : {false, true}) {
        auto *again = new QAction(this);
        again->setObjectName(backward ? QStringLiteral("FindPreviousKey") : QStringLiteral("FindNextKey"));
        again->setShortcut(backward ? QKeySequence(Qt::SHIFT | Qt::Key_F3) : QKeySequence(Qt::Key_F3));
        connect(again, &QAction::triggered, this, [this, backward] {
            if (TFormMdiHP *child = ActiveChild())
                child->FindAgain(backward);
        });
        addAction(again);
    }
    // The desktop's other key for redo, beside the one the string table gives.
    auto *redoAlt = new QAction(this);
    redoAlt->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    connect(redoAlt, &QAction::triggered, this, &TFFormBegin::Redo_Click);
    addAction(redoAlt);
    connect(Edit_, &QMenu::aboutToShow, this, &TFFormBegin::Edit_Click);
    // Closed, the items stay enabled so that their shortcuts reach the commands, which check the
    // active editor again before they act.
    connect(Edit_, &QMenu::aboutToHide, this, [this] {
        for (QAction *item : {Undo_, Redo_, Cut_, Copy_, Paste_, SelectAll_, Find_, Replace_, Reflow_})
            item->setEnabled(true);
    });
    Edit_->installEventFilter(this);

    Tgv_ = bar->addMenu(QString());
    Tgv_->setObjectName(QStringLiteral("Tgv"));
    InsertGrob_ = NewAction("InsertGrob", &TFFormBegin::InsertGrob_Click);
    InsertGrob_->setIcon(Glyph(TGlyph::Picture));
    ChangeFonts_ = NewAction("ChangeFonts", &TFFormBegin::ChangeFonts_Click);
    Tgv_->addActions({InsertGrob_, ChangeFonts_});
    Tgv_->menuAction()->setVisible(false);

    View_ = bar->addMenu(QString());
    View_->setObjectName(QStringLiteral("View"));
    Maintoolbar = NewAction("Maintoolbar", &TFFormBegin::menuMaintoolbarClick);
    Aligntoolbar = NewAction("Aligntoolbar", &TFFormBegin::menuAligntoolbarClick);
    Charstoolbar = NewAction("Charstoolbar", &TFFormBegin::menucharstoolbarClick);
    Styletoolbar = NewAction("Styletoolbar", &TFFormBegin::menuStyletoolbarClick);
    View_->addActions({Maintoolbar, Aligntoolbar, Charstoolbar, Styletoolbar});
    connect(View_, &QMenu::aboutToShow, this, &TFFormBegin::updateToolbarsmenus);

    PopupToolbars = new QMenu(this);
    PopupToolbars->setObjectName(QStringLiteral("PopupToolbars"));
    popupmenuMaintoolbar = NewAction("popupmenuMaintoolbar", &TFFormBegin::menuMaintoolbarClick);
    popupmenuAligntoolbar = NewAction("popupmenuAligntoolbar", &TFFormBegin::menuAligntoolbarClick);
    popupmenucharstoolbar = NewAction("popupmenucharstoolbar", &TFFormBegin::menucharstoolbarClick);
    popupmenuStyletoolbar = NewAction("popupmenuStyletoolbar", &TFFormBegin::menuStyletoolbarClick);
    PopupToolbars->addActions({popupmenuMaintoolbar, popupmenuAligntoolbar, popupmenucharstoolbar, popupmenuStyletoolbar});
    for (QAction *item : {Maintoolbar, Aligntoolbar, Charstoolbar, Styletoolbar, popupmenuMaintoolbar,
                          popupmenuAligntoolbar, popupmenucharstoolbar, popupmenuStyletoolbar})
        item->setCheckable(true);
    connect(PopupToolbars, &QMenu::aboutToShow, this, &TFFormBegin::updateToolbarsmenus);

    Window_ = bar->addMenu(QString());
    Window_->setObjectName(QStringLiteral("Window"));
    Cascade_ = NewAction("Cascade", nullptr);
    connect(Cascade_, &QAction::triggered, MdiArea, &QMdiArea::cascadeSubWindows);
    Tile_ = NewAction("Tile", nullptr);
    connect(Tile_, &QAction::triggered, MdiArea, &QMdiArea::tileSubWindows);
    Arrange_ = NewAction("Arrange", nullptr);
    // Minimised document windows line up along the bottom of the document area.
    connect(Arrange_, &QAction::triggered, this, [this] {
        int x = 0;
        for (QMdiSubWindow *w : MdiArea->subWindowList())
            if (w->isMinimized()) {
                w->move(x, MdiArea->viewport()->height() - w->height());
                x += w->width();
            }
    });
    TabbedView_ = NewAction("TabbedView", nullptr);
    TabbedView_->setCheckable(true);
    connect(TabbedView_, &QAction::toggled, this, &TFFormBegin::SetTabbedView);
    CloseAll_ = NewAction("CloseAll", nullptr);
    connect(CloseAll_, &QAction::triggered, this, [this] { CloseAll(); });
    connect(Window_, &QMenu::aboutToShow, this, &TFFormBegin::WindowMenuAboutToShow);
    WindowMenuAboutToShow();

    Help_ = bar->addMenu(QString());
    Help_->setObjectName(QStringLiteral("Help"));
    Contents_ = NewAction("Contents", nullptr);
    Contents_->setIcon(Glyph(TGlyph::Help));
    connect(Contents_, &QAction::triggered, this, [this] { ShowHelpContext(0); });
    About_ = NewAction("About", &TFFormBegin::About_Click);
    Help_->addAction(Contents_);
    Help_->addSeparator();
    Help_->addAction(About_);

    // F1 opens the topic of what the user is working in.
    auto *help = new QAction(this);
    help->setShortcut(QKeySequence::HelpContents);
    connect(help, &QAction::triggered, this, [this] {
        ShowHelpContext(ActiveChild() ? ActiveChild()->HelpContext() : 0);
    });
    addAction(help);

    MRUFileList = new TdfsMRUFileList(this, File_, ExitSeparator);
    MRUFileList->setObjectName(QStringLiteral("MRUFileList"));
    MRUFileList->OnMRUItemClick = [this](const QString &FileName) { MRUFileListMRUItemClick(FileName); };
}

void TFFormBegin::WindowMenuAboutToShow()
{
    Window_->clear();
    Window_->addActions({Cascade_, Tile_, Arrange_, TabbedView_, CloseAll_});
    const QList<TFormMdiHP *> windows = DocumentWindows();
    if (!windows.isEmpty())
        Window_->addSeparator();
    int number = 0;
    for (TFormMdiHP *window : windows) {
        ++number;
        QString title = window->windowTitle();
        title.replace(QLatin1Char('&'), QLatin1String("&&"));
        const QString caption = number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(title) : title;
        QAction *item = Window_->addAction(caption);
        item->setCheckable(true);
        item->setChecked(window == ActiveChild());
        connect(item, &QAction::triggered, this, [this, window] {
            if (DocumentWindows().contains(window))
                ActivateChild(window);
        });
    }
}

void TFFormBegin::CreateStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    StatusPanel0 = new QLabel(bar);
    StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel0->setFixedWidth(150);
    StatusPanel0->setFrameShape(QFrame::StyledPanel);
    StatusPanel0->setFrameShadow(QFrame::Sunken);
    StatusPanel1 = new QLabel(bar);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    StatusPanel1->setFrameShape(QFrame::StyledPanel);
    StatusPanel1->setFrameShadow(QFrame::Sunken);
    StatusPanelCaret = new QLabel(bar);
    StatusPanelCaret->setObjectName(QStringLiteral("StatusPanelCaret"));
    StatusPanelCaret->setFrameShape(QFrame::StyledPanel);
    StatusPanelCaret->setFrameShadow(QFrame::Sunken);
    StatusPanelCaret->setMinimumWidth(StatusPanelCaret->fontMetrics().horizontalAdvance(ResString(TResId::sCaretPosition).arg(99999).arg(999)) + 8);
    bar->addWidget(StatusPanel0);
    bar->addWidget(StatusPanelCaret);
    bar->addWidget(StatusPanel1, 1);
}

void TFFormBegin::ApplyTexts()
{
    TranslateFFormBegin(this);
    // The file dialogs take their filters and title by themselves; the recent-files list takes its
    // texts from what the translation left on it.
    auto text = [](QObject *Component, const char *Property) { return Component->property(Property).toString(); };
    MRUFileList->SetSubmenuName(text(MRUFileList, "SubmenuName"));
    MRUFileList->SetClearItemName(text(MRUFileList, "ClearItemName"));
    MRUFileList->SetRemoveObsoleteName(text(MRUFileList, "RemoveObsoleteName"));
    // The HP49 kind came after the table's menu texts; its item has a message of its own.
    NewHP49->setText(ResString(TResId::sFFormBeginNewHP49Caption));
}

void TFFormBegin::FormCreate()
{
    ApplyTexts();
    FUntitledCount = 0;
    FToolbarSet = 5;

    using namespace SettingsKeys;
    const int height = Settings->ReadInteger(WindowSection, Height, DefaultHeight);
    const int width = Settings->ReadInteger(WindowSection, Width, DefaultWidth);
    resize(qMax(width, 320), qMax(height, 240));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    // After the size and place: moving a window takes it out of the maximised state.
    const int state = Settings->ReadInteger(WindowSection, WindowState, DefaultWindowState);
    if (state == 2)
        setWindowState(Qt::WindowMaximized);
    else if (state == 1)
        setWindowState(Qt::WindowMinimized);
    setWindowTitle(ResString(TResId::sAppVersion));
    TabbedView_->setChecked(Settings->ReadBool(WindowSection, TabbedView, DefaultTabbedView));

    connect(MdiArea, &QMdiArea::subWindowActivated, this, [this] { ActiveFormChanged(); });
    ComboFontsXVEden->Kinds = {gfkNormal};
    if (FontList)
        ComboFontsXVEden->SetFonts(*FontList);
    MRUFileList->Load();
    ActiveFormChanged();
    // A resize or a window-state change is written half a second after the last one.
    FSettingsTimer = new QTimer(this);
    FSettingsTimer->setSingleShot(true);
    FSettingsTimer->setInterval(500);
    connect(FSettingsTimer, &QTimer::timeout, this, &TFFormBegin::WriteWindowSettings);
}

void TFFormBegin::FormDestroy()
{
    if (FDestroyed)
        return;
    FDestroyed = true;
    SaveToolbarLayout();
    disconnect(MdiArea, nullptr, this, nullptr);
    // The document windows go down with the window; nothing may call back into it meanwhile.
    for (TFormMdiHP *window : std::as_const(FWindows))
        disconnect(window, nullptr, this, nullptr);
    FSettingsTimer->stop();
    WriteWindowSettings();
}

void TFFormBegin::SetTabbedView(bool Tabbed)
{
    MdiArea->setViewMode(Tabbed ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
    if (Tabbed) {
        MdiArea->setDocumentMode(true);
        MdiArea->setTabsClosable(true);
        MdiArea->setTabsMovable(true);
    } else if (QMdiSubWindow *active = MdiArea->activeSubWindow()) {
        // Back in window view the documents keep filling the area until the user arranges them.
        active->showMaximized();
    }
    // Arranging windows means nothing while they are tabs.
    for (QAction *arrange : {Cascade_, Tile_, Arrange_})
        arrange->setEnabled(!Tabbed);
    if (TabbedView_->isChecked() != Tabbed)
        TabbedView_->setChecked(Tabbed);
    Settings->WriteBool(SettingsKeys::WindowSection, SettingsKeys::TabbedView, Tabbed);
}

void TFFormBegin::WriteWindowSettings()
{
    using namespace SettingsKeys;
    // The normal size is kept even while maximised, so that the window comes back to it.
    const QRect normal = (isMaximized() || isMinimized()) ? normalGeometry() : geometry();
    Settings->WriteInteger(WindowSection, Height, normal.height());
    Settings->WriteInteger(WindowSection, Width, normal.width());
    Settings->WriteInteger(WindowSection, WindowState, isMaximized() ? 2 : isMinimized() ? 1 : 0);
    SaveToolbarLayout();
    MRUFileList->Save();
    Settings->Flush();
}

void TFFormBegin::ScheduleSettingsWrite()
{
    // Only once the window is set up: its first size and place come from the settings.
    if (FSettingsTimer && !FDestroyed)
        FSettingsTimer->start();
}

void TFFormBegin::resizeEvent(QResizeEvent *Event)
{
    QMainWindow::resizeEvent(Event);
    ScheduleSettingsWrite();
}

void TFFormBegin::moveEvent(QMoveEvent *Event)
{
    QMainWindow::moveEvent(Event);
    ScheduleSettingsWrite();
}

void TFFormBegin::changeEvent(QEvent *Event)
{
    QMainWindow::changeEvent(Event);
    if (Event->type() == QEvent::WindowStateChange)
        ScheduleSettingsWrite();
}

void TFFormBegin::closeEvent(QCloseEvent *Event)
{
    // Every document is asked in turn; the first refusal keeps the program running.
    if (!CloseAll()) {
        Event->ignore();
        return;
    }
    // Measured now, while the toolbars are still on screen; written again as the window goes.
    SaveToolbarLayout();
    Event->accept();
}

bool TFFormBegin::event(QEvent *Event)
{
    // Hints of menu items and buttons go to the second status panel.
    if (Event->type() == QEvent::StatusTip) {
        StatusPanel1->setText(static_cast<QStatusTipEvent *>(Event)->tip());
        return true;
    }
    return QMainWindow::event(Event);
}

bool TFFormBegin::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(Event)->key() == Qt::Key_F1
        && (Watched == File_ || Watched == Edit_)) {
        static_cast<QMenu *>(Watched)->close();
        ShowHelpContext(Watched == File_ ? HelpFileMenu : HelpEditMenu);
        return true;
    }
    if (Watched == RightEdgeEdit && Event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(Event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            RightEdgeEditEnter();
            return true;
        }
        // Only digits and Backspace edit the box; keys that type nothing (arrows, Home, ...) and
        // control combinations still work as in any edit box.
        const QString text = key->text();
        const bool typesSomething = !text.isEmpty() && text.at(0).isPrint();
        if (typesSomething && !(key->modifiers() & Qt::ControlModifier) && !(text.size() == 1 && text.at(0).isDigit()))
            return true;
    }
    if (Event->type() == QEvent::Resize && (Watched == ToolbarCharsTgv || Watched == ToolbarcharsXVEden))
        UpdateDockRules(static_cast<QWidget *>(Watched));
    // A toolbar or tool window moved, resized, shown or hidden is written with the window's settings,
    // so that a crash loses no layout.
    const QEvent::Type type = Event->type();
    if ((type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show || type == QEvent::Hide)
        && (qobject_cast<QToolBar *>(Watched) || qobject_cast<QDockWidget *>(Watched)))
        ScheduleSettingsWrite();
    return QMainWindow::eventFilter(Watched, Event);
}

void TFFormBegin::dragEnterEvent(QDragEnterEvent *Event)
{
    if (Event->mimeData()->hasUrls())
        Event->acceptProposedAction();
}

void TFFormBegin::dropEvent(QDropEvent *Event)
{
    QStringList paths;
    for (const QUrl &url : Event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    Event->acceptProposedAction();
    FileDragDrop(paths);
}

void TFFormBegin::FileDragDrop(const QStringList &Paths)
{
    for (const QString &path : Paths)
        OpenFile(path);
}

void TFFormBegin::ShowWarning(const QString &Text)
{
    OnWarning(Text);
}

void TFFormBegin::ShowStatus(const QString &Text)
{
    StatusPanel1->setText(Text);
}

void TFFormBegin::ShowHelpContext(int Context)
{
    if (!FHelpViewer)
        FHelpViewer = new THelpViewer(this);
    FHelpViewer->ShowContext(Context);
}

void TFFormBegin::About_Click()
{
    if (!FAboutBox)
        FAboutBox = new TFAboutBox(this);
    FAboutBox->exec();
}

void TFFormBegin::Options_Click()
{
    if (!FOptions) {
        FOptions = new TFQuilloOptions(this);
        FOptions->SetTabLength = [this](TEditor Kind, int Value) { SetTabLength(Kind, Value); };
        FOptions->ShowHelp = [this](int Context) { ShowHelpContext(Context); };
        FOptions->ShowWarning = [this](const QString &Text) { ShowWarning(Text); };
    }
    FOptions->Execute(ActiveEditor());
}
