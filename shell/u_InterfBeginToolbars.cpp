// Toolbars and character tables: what each holds, which set of them is shown for the kind of the
// active document, and how each set's layout is kept in the settings store.
#include "u_InterfBegin.h"

#include "u_Icons.h"
#include "u_MDIEden.h"
#include "u_MDIHP49.h"
#include "u_MDITgv.h"
#include "u_MDIXview.h"
#include "u_Settings.h"

#include <QAction>
#include <QCoreApplication>
#include <QDockWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpressionValidator>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int SetXView = 0;
constexpr int SetTgv = 1;
constexpr int SetEden = 2;
constexpr int SetHP49 = 3;
constexpr int SetNoDocument = 4;
constexpr int SetNone = 5;

struct TDockName {
    Qt::ToolBarArea ToolBar;
    Qt::DockWidgetArea Dock;
    const char *Name;
};
// The component names of the four docks around the document area.
constexpr TDockName Docks[] = {
    {Qt::TopToolBarArea, Qt::TopDockWidgetArea, "DockTop"},
    {Qt::BottomToolBarArea, Qt::BottomDockWidgetArea, "Dockbottom"},
    {Qt::LeftToolBarArea, Qt::LeftDockWidgetArea, "DockLeft"},
    {Qt::RightToolBarArea, Qt::RightDockWidgetArea, "DockRight"},
};

bool Horizontal(const char *DockName)
{
    return qstrcmp(DockName, "DockTop") == 0 || qstrcmp(DockName, "Dockbottom") == 0;
}

QString Section(QWidget *Bar, int Set)
{
    return Bar->objectName() + QString::number(Set);
}
} // namespace

QAction *TFFormBegin::ToolButton(QToolBar *Bar, const char *Name, const QIcon &Icon, void (TFFormBegin::*Slot)(),
                                 bool Checkable)
{
    auto *action = new QAction(Icon, QString(), this);
    action->setObjectName(QString::fromLatin1(Name));
    action->setCheckable(Checkable);
    // Without a slot the caller connects its own handler: a connection to a null slot would
    // crash the program at the first click.
    if (Slot)
        connect(action, &QAction::triggered, this, Slot);
    Bar->addAction(action);
    return action;
}

void TFFormBegin::CreateToolbars()
{
    auto newBar = [this](const char *Name) {
        auto *bar = new QToolBar(this);
        bar->setObjectName(QString::fromLatin1(Name));
        bar->setIconSize(QSize(20, 20));
        bar->installEventFilter(this);
        return bar;
    };

    ToolbarFile = newBar("ToolbarFile");
    OpenButton = ToolButton(ToolbarFile, "OpenButton", Glyph(TGlyph::Open), &TFFormBegin::OpenWithDialog);
    SaveButton = ToolButton(ToolbarFile, "SaveButton", Glyph(TGlyph::Save), nullptr);
    connect(SaveButton, &QAction::triggered, this, [this] { SaveActive(); });
    ToolbarFile->addSeparator();
    UndoButton = ToolButton(ToolbarFile, "UndoButton", Glyph(TGlyph::Undo), nullptr);
    connect(UndoButton, &QAction::triggered, this, [this] { if (THPEdit2 *e = ActiveEditor()) e->Undo(); });
    RedoButton = ToolButton(ToolbarFile, "RedoButton", Glyph(TGlyph::Redo), nullptr);
    connect(RedoButton, &QAction::triggered, this, [this] { if (THPEdit2 *e = ActiveEditor()) e->Redo(); });
    ToolbarFile->addSeparator();
    // The buttons act on the active editor directly; they are disabled while there is none.
    CutButton = ToolButton(ToolbarFile, "CutButton", Glyph(TGlyph::Cut), nullptr);
    connect(CutButton, &QAction::triggered, this, [this] { if (THPEdit2 *e = ActiveEditor()) e->CutToClipboard(); });
    CopyButton = ToolButton(ToolbarFile, "CopyButton", Glyph(TGlyph::Copy), nullptr);
    connect(CopyButton, &QAction::triggered, this, [this] { if (THPEdit2 *e = ActiveEditor()) e->CopyToClipboard(); });
    PasteButton = ToolButton(ToolbarFile, "PasteButton", Glyph(TGlyph::Paste), nullptr);
    connect(PasteButton, &QAction::triggered, this, [this] { if (THPEdit2 *e = ActiveEditor()) e->PasteFromClipboard(); });

    ToolbarStyleTgv = newBar("ToolbarStyleTgv");
    ToolbarStyleTgv->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    BoldButtonTgv = ToolButton(ToolbarStyleTgv, "BoldButtonTgv", Glyph(TGlyph::Bold), &TFFormBegin::BoldButtonClick, true);
    InvertButtonTgv = ToolButton(ToolbarStyleTgv, "InvertButtonTgv", Glyph(TGlyph::Reverse), &TFFormBegin::InvertButtonClick, true);
    Italic1ButtonTgv = ToolButton(ToolbarStyleTgv, "Italic1ButtonTgv", Glyph(TGlyph::Italic), &TFFormBegin::Italic1ButtonClick, true);
    Italic2ButtonTgv = ToolButton(ToolbarStyleTgv, "Italic2ButtonTgv", Glyph(TGlyph::Backslant), &TFFormBegin::Italic2ButtonClick, true);
    UnderlineButtonTgv = ToolButton(ToolbarStyleTgv, "UnderlineButtonTgv", Glyph(TGlyph::Underline), &TFFormBegin::UnderlineButtonClick, true);
    ToolbarStyleTgv->addSeparator();
    ComboChangeFontTgv = new THPFontComboBox(ToolbarStyleTgv);
    ComboChangeFontTgv->setObjectName(QStringLiteral("ComboChangeFontTgv"));
    ComboChangeFontTgv->setMinimumWidth(150);
    ComboChangeFontTgv->setFocusPolicy(Qt::NoFocus);
    connect(ComboChangeFontTgv, &THPFontComboBox::Change, this, &TFFormBegin::ComboChangeFontTgvClick);
    ToolbarStyleTgv->addWidget(ComboChangeFontTgv);

    ToolbarStyleXVEden = newBar("ToolbarStyleXVEden");
    ToolbarStyleXVEden->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    ComboFontsXVEden = new THPFontComboBox(ToolbarStyleXVEden);
    ComboFontsXVEden->setObjectName(QStringLiteral("ComboFontsXVEden"));
    ComboFontsXVEden->setMinimumWidth(170);
    ComboFontsXVEden->setFocusPolicy(Qt::NoFocus);
    connect(ComboFontsXVEden, &THPFontComboBox::Change, this, &TFFormBegin::ComboFontsChangeXV);
    ComboFontsXVEdenAction = ToolbarStyleXVEden->addWidget(ComboFontsXVEden);
    ToolbarStyleXVEden->addSeparator();
    BoldButtonXVEden = ToolButton(ToolbarStyleXVEden, "BoldButtonXVEden", Glyph(TGlyph::Bold), &TFFormBegin::BoldButtonClick, true);
    InvertButtonXVEden = ToolButton(ToolbarStyleXVEden, "InvertButtonXVEden", Glyph(TGlyph::Reverse), &TFFormBegin::InvertButtonClick, true);
    UnderlinebuttonXVEden = ToolButton(ToolbarStyleXVEden, "UnderlinebuttonXVEden", Glyph(TGlyph::Underline), &TFFormBegin::UnderlineButtonClick, true);
    Italic1ButtonEden = ToolButton(ToolbarStyleXVEden, "Italic1ButtonEden", Glyph(TGlyph::Italic), &TFFormBegin::Italic1ButtonClick, true);

    Toolbarjustify = newBar("Toolbarjustify");
    LeftButton = ToolButton(Toolbarjustify, "LeftButton", Glyph(TGlyph::AlignLeft), &TFFormBegin::LeftButtonClick);
    CenterButton = ToolButton(Toolbarjustify, "CenterButton", Glyph(TGlyph::AlignCenter), &TFFormBegin::CenterButtonClick);
    RightButton = ToolButton(Toolbarjustify, "RightButton", Glyph(TGlyph::AlignRight), &TFFormBegin::RightButtonClick);
    JustifyButton = ToolButton(Toolbarjustify, "JustifyButton", Glyph(TGlyph::Justify), &TFFormBegin::Justify22Columns);

    ToolbarRightEdge = newBar("ToolbarRightEdge");
    RightEdge22Button = ToolButton(ToolbarRightEdge, "RightEdge22Button", Glyph(TGlyph::Edge22), &TFFormBegin::RightEdge22ButtonClick);
    RightEdge33Button = ToolButton(ToolbarRightEdge, "RightEdge33Button", Glyph(TGlyph::Edge33), &TFFormBegin::RightEdge33ButtonClick);
    RightEdgeEdit = new QLineEdit(QStringLiteral("22"), ToolbarRightEdge);
    RightEdgeEdit->setObjectName(QStringLiteral("RightEdgeEdit"));
    RightEdgeEdit->setMaxLength(2);
    RightEdgeEdit->setFixedWidth(RightEdgeEdit->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 14);
    RightEdgeEdit->setAlignment(Qt::AlignRight);
    // Digits only, also when text is pasted in.
    RightEdgeEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), RightEdgeEdit));
    RightEdgeEdit->installEventFilter(this);
    ToolbarRightEdge->addWidget(RightEdgeEdit);

    addToolBar(Qt::TopToolBarArea, ToolbarFile);
    addToolBar(Qt::TopToolBarArea, ToolbarStyleTgv);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, ToolbarStyleXVEden);
    addToolBar(Qt::TopToolBarArea, Toolbarjustify);
    addToolBar(Qt::TopToolBarArea, ToolbarRightEdge);
    FPlaces[ToolbarFile] = {1, 0, {}, {}};
    FPlaces[ToolbarStyleTgv] = {1, 173, {}, {}};
    FPlaces[ToolbarStyleXVEden] = {2, 0, {}, {}};
    FPlaces[Toolbarjustify] = {2, 327, {}, {}};
    FPlaces[ToolbarRightEdge] = {2, 453, {}, {}};

    auto newToolWindow = [this](const char *Name) {
        auto *dock = new QDockWidget(this);
        dock->setObjectName(QString::fromLatin1(Name));
        dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
        dock->installEventFilter(this);
        return dock;
    };
    ToolbarCharsTgv = newToolWindow("ToolbarCharsTgv");
    auto *tgvPanel = new QWidget(ToolbarCharsTgv);
    auto *tgvLayout = new QVBoxLayout(tgvPanel);
    tgvLayout->setContentsMargins(4, 4, 4, 4);
    tgvLayout->setSpacing(4);
    ComboChangeTableFontTgv = new THPFontComboBox(tgvPanel);
    ComboChangeTableFontTgv->setObjectName(QStringLiteral("ComboChangeTableFontTgv"));
    ComboChangeTableFontTgv->setFocusPolicy(Qt::NoFocus);
    connect(ComboChangeTableFontTgv, &THPFontComboBox::Change, this, &TFFormBegin::ComboTableFontTgvClick);
    TableCharsHPTgv = new TTableCharsHP(tgvPanel);
    TableCharsHPTgv->setObjectName(QStringLiteral("TableCharsHPTgv"));
    TableCharsHPTgv->OnCellSelected = [this](int Code) { TableCharsHPTgvCellSelected(Code); };
    TableCharsHPTgv->OnOverCell = [this](int Code) { TableCharsOverCell(Code); };
    tgvLayout->addWidget(ComboChangeTableFontTgv);
    tgvLayout->addWidget(TableCharsHPTgv, 1);
    ToolbarCharsTgv->setWidget(tgvPanel);

    ToolbarcharsXVEden = newToolWindow("ToolbarcharsXVEden");
    TableCharsHPXVEden = new TTableCharsHP(ToolbarcharsXVEden);
    TableCharsHPXVEden->setObjectName(QStringLiteral("TableCharsHPXVEden"));
    TableCharsHPXVEden->setMinimumSize(128, 68);
    TableCharsHPXVEden->OnCellSelected = [this](int Code) { InsertCharXV(Code); };
    TableCharsHPXVEden->OnOverCell = [this](int Code) { TableCharsOverCell(Code); };
    ToolbarcharsXVEden->setWidget(TableCharsHPXVEden);
    for (TTableCharsHP *table : {TableCharsHPTgv, TableCharsHPXVEden}) {
        table->SetPlages(QStringLiteral("0-255"));
        table->SetWidthItem(12);
        table->SetHeightItem(16);
    }
    addDockWidget(Qt::RightDockWidgetArea, ToolbarcharsXVEden);
    addDockWidget(Qt::RightDockWidgetArea, ToolbarCharsTgv);
    FPlaces[ToolbarcharsXVEden] = {0, 0, {}, {}};
    FPlaces[ToolbarCharsTgv] = {1, 0, {}, {}};

    // Every toolbar starts hidden: the sets decide what is shown.
    const QList<QWidget *> all = {ToolbarFile, ToolbarStyleTgv, ToolbarStyleXVEden, Toolbarjustify,
                                  ToolbarRightEdge, ToolbarCharsTgv, ToolbarcharsXVEden};
    for (QWidget *bar : all) {
        bar->hide();
        UpdateDockRules(bar);
    }
    FToolbarSets[SetXView] = {ToolbarFile, ToolbarStyleXVEden, Toolbarjustify, ToolbarcharsXVEden, ToolbarRightEdge};
    FToolbarSets[SetTgv] = {ToolbarFile, ToolbarStyleTgv, Toolbarjustify, ToolbarCharsTgv, ToolbarRightEdge};
    FToolbarSets[SetEden] = FToolbarSets[SetXView];
    FToolbarSets[SetHP49] = FToolbarSets[SetXView];
    FToolbarSets[SetNoDocument] = {ToolbarFile};
}

QString TFFormBegin::DockName(QWidget *Bar) const
{
    if (auto *toolbar = qobject_cast<QToolBar *>(Bar)) {
        if (toolbar->isFloating())
            return QString();
        for (const TDockName &dock : Docks)
            if (toolBarArea(toolbar) == dock.ToolBar)
                return QString::fromLatin1(dock.Name);
    } else if (auto *window = qobject_cast<QDockWidget *>(Bar)) {
        if (window->isFloating())
            return QString();
        for (const TDockName &dock : Docks)
            if (dockWidgetArea(window) == dock.Dock)
                return QString::fromLatin1(dock.Name);
    }
    return QString();
}

void TFFormBegin::UpdateDockRules(QWidget *Bar)
{
    // Tool windows follow their size; the style toolbars keep to the top and bottom whatever it is.
    auto *window = qobject_cast<QDockWidget *>(Bar);
    if (!window)
        return;
    Qt::DockWidgetAreas areas;
    if (DockTopbottomRequestDock(Bar->size()))
        areas |= Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea;
    if (DockLeftRightRequestDock(Bar->size()))
        areas |= Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea;
    window->setAllowedAreas(areas);
}

void TFFormBegin::ActiveFormChanged()
{
    TFormMdiHP *active = ActiveChild();
    if (active != FLastActiveChild || FToolbarSet == SetNone) {
        FLastActiveChild = active;
        UpdateMenuItems();
    }
}

void TFFormBegin::UpdateUndoButtons()
{
    disconnect(FHistoryConnection);
    THPEdit2 *editor = ActiveEditor();
    UndoButton->setEnabled(editor && editor->CanUndo());
    RedoButton->setEnabled(editor && editor->CanRedo());
    if (editor)
        FHistoryConnection = connect(&editor->Document()->History(), &QUndoStack::indexChanged, this,
                                     [this] { UpdateUndoButtons(); });
}

void TFFormBegin::UpdateMenuItems()
{
    const bool anyDocument = !DocumentWindows().isEmpty();
    for (QAction *item : {SaveButton, CutButton, CopyButton, PasteButton, Save_, SaveAs_, ExportPicture_, ExportPdf_, Close_, CloseAll_, Transfer_})
        item->setEnabled(anyDocument);

    TFormMdiHP *active = ActiveChild();
    int set = SetNoDocument;
    if (qobject_cast<TFormMdiXView *>(active))
        set = SetXView;
    else if (qobject_cast<TFormMdiTgv *>(active))
        set = SetTgv;
    else if (qobject_cast<TFormMdiEden *>(active))
        set = SetEden;
    else if (qobject_cast<TFormMdiHP49 *>(active))
        set = SetHP49;
    SelectToolbarSet(set);
    Tgv_->menuAction()->setVisible(set == SetTgv);
    UpdateUndoButtons();

    if (THPEdit2 *editor = ActiveEditor()) {
        RightEdgeEdit->setText(QString::number(editor->RightEdge()));
        // The window refreshes the tables and combos, and the style buttons, from its editor.
        QCoreApplication::removePostedEvents(active, HPM_FONTSCHANGED);
        QCoreApplication::postEvent(active, new THPNotifyEvent(HPM_FONTSCHANGED, 0));
        QCoreApplication::removePostedEvents(active, HPM_ATTRCHANGED);
        QCoreApplication::postEvent(active, new THPNotifyEvent(HPM_ATTRCHANGED, editor->CurrentAttr()));
    }
    UpdateFileSize();
    UpdateCaretStatus();
}

void TFFormBegin::SelectToolbarSet(int Set)
{
    if (Set == FToolbarSet)
        return;
    SaveToolbarLayout();
    if (FToolbarSet != SetNone)
        for (QWidget *bar : FToolbarSets[size_t(FToolbarSet)])
            bar->hide();
    FToolbarSet = Set;
    Italic1ButtonEden->setVisible(Set == SetEden || Set == SetHP49);
    ComboFontsXVEdenAction->setVisible(Set == SetXView || Set == SetEden);
    LoadToolbarLayout();
}

void TFFormBegin::WriteLayoutOf(QWidget *Bar, int Set)
{
    using namespace SettingsKeys;
    TBarPlace &place = FPlaces[Bar];
    const QString dock = DockName(Bar);
    // Rows and positions can only be measured while the toolbar is on screen.
    if (Bar->isVisible() && !dock.isEmpty()) {
        const bool horizontal = Horizontal(dock.toLatin1().constData());
        QList<int> lines;
        for (QWidget *other : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if ((qobject_cast<QToolBar *>(other) || qobject_cast<QDockWidget *>(other)) && other->isVisible()
                && DockName(other) == dock && (qobject_cast<QToolBar *>(other) != nullptr) == (qobject_cast<QToolBar *>(Bar) != nullptr)) {
                const int line = horizontal ? other->y() : other->x();
                if (!lines.contains(line))
                    lines << line;
            }
        std::sort(lines.begin(), lines.end());
        // The menu bar is row 0 of the top dock.
        const int first = dock == QLatin1String("DockTop") && qobject_cast<QToolBar *>(Bar) ? 1 : 0;
        place.Row = first + int(lines.indexOf(horizontal ? Bar->y() : Bar->x()));
        place.Pos = horizontal ? Bar->x() : Bar->y();
    }
    if (Bar->isVisible()) {
        place.Size = Bar->size();
        if (dock.isEmpty())
            place.Float = Bar->pos();
    }
    const QString section = Section(Bar, Set);
    Settings->WriteString(section, DockedTo, dock);
    Settings->WriteInteger(section, DockRow, place.Row);
    Settings->WriteInteger(section, DockPos, place.Pos);
    Settings->WriteInteger(section, FloatLeft, place.Float.x());
    Settings->WriteInteger(section, FloatTop, place.Float.y());
    const QSize size = place.Size.isValid() ? place.Size : Bar->size();
    Settings->WriteInteger(section, ToolbarHeight, size.height());
    Settings->WriteInteger(section, ToolbarWidth, size.width());
    Settings->WriteBool(section, Visible, !Bar->isHidden());
}

void TFFormBegin::SaveToolbarLayout()
{
    if (FToolbarSet == SetNone)
        return;
    for (QWidget *bar : FToolbarSets[size_t(FToolbarSet)])
        WriteLayoutOf(bar, FToolbarSet);
}

void TFFormBegin::LoadToolbarLayout()
{
    if (FToolbarSet == SetNone)
        return;
    using namespace SettingsKeys;
    const QList<QWidget *> &bars = FToolbarSets[size_t(FToolbarSet)];
    QList<QPair<QWidget *, QString>> docked;
    QList<QWidget *> shown;
    for (QWidget *bar : bars) {
        const QString section = Section(bar, FToolbarSet);
        TBarPlace &place = FPlaces[bar];
        QString dock = Settings->ReadString(section, DockedTo, DockName(bar));
        place.Row = Settings->ReadInteger(section, DockRow, place.Row);
        place.Pos = Settings->ReadInteger(section, DockPos, place.Pos);
        place.Float.setX(Settings->ReadInteger(section, FloatLeft, place.Float.x()));
        place.Float.setY(Settings->ReadInteger(section, FloatTop, place.Float.y()));
        const QSize size = place.Size.isValid() ? place.Size : bar->sizeHint();
        place.Size = QSize(Settings->ReadInteger(section, ToolbarWidth, size.width()),
                           Settings->ReadInteger(section, ToolbarHeight, size.height()));
        bool known = false;
        for (const TDockName &d : Docks)
            known = known || dock == QLatin1String(d.Name);
        if (known) {
            docked << qMakePair(bar, dock);
        } else {
            // No dock of that name: the toolbar floats where it was left.
            if (auto *window = qobject_cast<QDockWidget *>(bar)) {
                window->setFloating(true);
            } else if (auto *toolbar = qobject_cast<QToolBar *>(bar)) {
                toolbar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
            }
            bar->move(place.Float);
            bar->resize(place.Size);
        }
        if (Settings->ReadBool(section, Visible, DefaultToolbarVisible))
            shown << bar;
    }
    // In each dock, row by row and left to right, so that re-adding them rebuilds the rows.
    std::stable_sort(docked.begin(), docked.end(), [this](const auto &a, const auto &b) {
        const TBarPlace &pa = FPlaces[a.first], &pb = FPlaces[b.first];
        return a.second != b.second ? a.second < b.second : pa.Row != pb.Row ? pa.Row < pb.Row : pa.Pos < pb.Pos;
    });
    PlaceToolbars(docked);
    for (QWidget *bar : bars)
        bar->setVisible(shown.contains(bar));
}

void TFFormBegin::PlaceToolbars(const QList<QPair<QWidget *, QString>> &Bars)
{
    // Bars come sorted by dock, row and position: re-adding them in that order, with a break
    // wherever a new row starts, rebuilds each dock's rows.
    QString lastDock;
    int lastRow = -1;
    for (const auto &[bar, dock] : Bars) {
        const TDockName *target = &Docks[0];
        for (const TDockName &d : Docks)
            if (dock == QLatin1String(d.Name))
                target = &d;
        const int row = FPlaces[bar].Row;
        if (auto *toolbar = qobject_cast<QToolBar *>(bar)) {
            if (toolbar->isFloating())
                toolbar->setWindowFlags(Qt::Widget);
            if (toolBarBreak(toolbar))
                removeToolBarBreak(toolbar);
            removeToolBar(toolbar);
            if (dock != lastDock || row != lastRow)
                addToolBarBreak(target->ToolBar);
            addToolBar(target->ToolBar, toolbar);
        } else if (auto *window = qobject_cast<QDockWidget *>(bar)) {
            window->setFloating(false);
            addDockWidget(target->Dock, window);
        }
        lastDock = dock;
        lastRow = row;
    }
}

QMenu *TFFormBegin::createPopupMenu()
{
    updateToolbarsmenus();
    auto *menu = new QMenu(this);
    menu->addActions(PopupToolbars->actions());
    return menu;
}

void TFFormBegin::updateToolbarsmenus()
{
    const THPEdit2 *editor = ActiveEditor();
    const bool tgv = editor && editor->Editor() == TEditor::Tgv;
    popupmenuMaintoolbar->setChecked(!ToolbarFile->isHidden());
    popupmenuMaintoolbar->setVisible(true);
    for (QAction *item : {popupmenuAligntoolbar, popupmenucharstoolbar, popupmenuStyletoolbar})
        item->setVisible(editor != nullptr);
    if (editor) {
        popupmenuAligntoolbar->setChecked(!Toolbarjustify->isHidden());
        popupmenucharstoolbar->setChecked(!(tgv ? static_cast<QWidget *>(ToolbarCharsTgv) : ToolbarcharsXVEden)->isHidden());
        popupmenuStyletoolbar->setChecked(!(tgv ? ToolbarStyleTgv : ToolbarStyleXVEden)->isHidden());
    }
    const std::pair<QAction *, QAction *> pairs[] = {{Maintoolbar, popupmenuMaintoolbar},
                                                     {Aligntoolbar, popupmenuAligntoolbar},
                                                     {Charstoolbar, popupmenucharstoolbar},
                                                     {Styletoolbar, popupmenuStyletoolbar}};
    for (const auto &[viewItem, popupItem] : pairs) {
        viewItem->setChecked(popupItem->isChecked());
        viewItem->setVisible(popupItem->isVisible());
    }
}

void TFFormBegin::ToggleToolbar(QAction *, QWidget *Bar)
{
    Bar->setVisible(Bar->isHidden());
}

void TFFormBegin::menuMaintoolbarClick()
{
    ToggleToolbar(popupmenuMaintoolbar, ToolbarFile);
}

void TFFormBegin::menuAligntoolbarClick()
{
    if (ActiveEditor())
        ToggleToolbar(popupmenuAligntoolbar, Toolbarjustify);
}

void TFFormBegin::menucharstoolbarClick()
{
    if (const THPEdit2 *editor = ActiveEditor())
        ToggleToolbar(popupmenucharstoolbar, editor->Editor() == TEditor::Tgv ? static_cast<QWidget *>(ToolbarCharsTgv)
                                                                             : ToolbarcharsXVEden);
}

void TFFormBegin::menuStyletoolbarClick()
{
    if (const THPEdit2 *editor = ActiveEditor())
        ToggleToolbar(popupmenuStyletoolbar, editor->Editor() == TEditor::Tgv ? ToolbarStyleTgv : ToolbarStyleXVEden);
}
