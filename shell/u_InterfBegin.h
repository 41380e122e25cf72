#pragma once
// TFFormBegin: the program's one top-level window. A document area holding the document windows,
// the menu bar, the dockable toolbars and character tables whose set follows the kind of the
// active document, and a two-panel status bar (file size; hints). It creates, opens, saves and
// closes documents, keeps the recent-files list and routes every command to the active editor.
//
// Implemented by concern:
//   u_InterfBegin.cpp          creation, menus, status bar, help, about box, drops, shutdown
//   u_InterfBeginFiles.cpp     document windows, open, save, close prompt, transfer, recent files
//   u_InterfBeginToolbars.cpp  toolbars and character tables, toolbar sets and their layouts
//   u_InterfBeginCommands.cpp  Edit and Tgv menus, style, alignment, right edge, font and table commands
//   u_InterfBeginPictures.cpp  pictures in (Insert Grob, the picture step) and out (Save Picture As, exports)
#include "u_THPEdit2.h"
#include "u_THPFontComboBox.h"
#include "u_TableCharsHP.h"

#include <QHash>
#include <QMainWindow>
#include <QMessageBox>
#include <array>
#include <functional>

class QAction;
class QDockWidget;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMenu;
class QTimer;
class QToolBar;
class TFileDialogRegistry;
class TFormMdiHP;
class TOpenDialogRegistry;
class THPOpenGrobDialog;
class THPSaveTgvDialog;
class THPSaveXVEdenDialog;
class TdfsMRUFileList;
class Tddemacroserver;
class TFAboutBox;
class TFPictureStep;
class TSaveDialogRegistry;
class TFQuilloOptions;
class TFTGVFontChoice;
class TFTransferForm;
class TFTransferingFile;
class TFReceiveForm;
struct TDocumentKind;
class THelpViewer;

class TFFormBegin : public QMainWindow {
    Q_OBJECT
public:
    explicit TFFormBegin(QWidget *Parent = nullptr);
    ~TFFormBegin() override;

    // ---- Documents
    // The active document window and its editor; null without one.
    TFormMdiHP *ActiveChild() const;
    THPEdit2 *ActiveEditor() const;
    // The open document windows, in creation order (windows that agreed to close are left out).
    QList<TFormMdiHP *> DocumentWindows() const;
    QString GetActiveTitle() const;
    void SetActiveTitle(const QString &Title);
    void FocusEditor();
    void ActivateChild(TFormMdiHP *Window);
    TFormMdiHP *CreateDocumentWindow(TEditor Kind);
    void OpenFile(const QString &FileName);
    void OpenWithDialog();
    bool SaveActive();
    // Kind, when given, is the file kind the dialog starts with.
    bool SaveActiveAs(const TDocumentKind *Kind = nullptr);
    bool QuerySaveActive();
    // File > Close: closes the active document window with the save prompt.
    void CloseActive();
    // Window > Close All: closes every document window in turn; the first refusal stops there.
    // True when none is left open.
    bool CloseAll();
    void TransferActive();
    // File > Receive from Calculator: asks for a variable and the kind to open it as, receives it,
    // opens it in a document window and offers to save it.
    void ReceiveDocument();
    void SetTabLength(TEditor Kind, int Value);
    void UpdateFileSize();
    // "Line n, Col m" of the active editor's caret.
    void UpdateCaretStatus();
    void ShowWarning(const QString &Text);
    // A passing note in the hints panel of the status bar.
    void ShowStatus(const QString &Text);
    // A request from the desktop: "open" with an existing file opens it, "activate" brings the window
    // forward, anything else is ignored.
    void systemmacro(const QString &Verb, const QString &Argument);
    // Window > Tabbed View: the documents as tabs of the document area, or as windows in it.
    void SetTabbedView(bool Tabbed);
    // Shows the window, out of its minimised state, above the others and with the focus.
    void BringToFront();
    // Takes the desktop's open requests from Server (which outlives the window) from now on.
    void Adoptsystem(Tddemacroserver &Server);
    void MRUFileListMRUItemClick(const QString &FileName);
    void FileDragDrop(const QStringList &Paths);
    int UntitledCount() const { return FUntitledCount; }

    // ---- Toolbars and command routing
    void ActiveFormChanged();
    void UpdateMenuItems();
    void SelectToolbarSet(int Set);
    void SaveToolbarLayout();
    void LoadToolbarLayout();
    int ToolbarSet() const { return FToolbarSet; }
    // The toolbars and tool windows of a set, in their order.
    const QList<QWidget *> &ToolbarsOfSet(int Set) const { return FToolbarSets.at(size_t(Set)); }
    // A toolbar may dock at the top or bottom only while lower than 250 pixels, at the left or right
    // only while narrower than 350.
    static bool DockTopbottomRequestDock(const QSize &BarSize) { return BarSize.height() < 250; }
    static bool DockLeftRightRequestDock(const QSize &BarSize) { return BarSize.width() < 350; }
    // The component name of the dock holding Bar, empty when it floats.
    QString DockName(QWidget *Bar) const;

    void updateToolbarsmenus();
    void Edit_Click();
    void InsertGrob_Click();
    // Image as the calculator picture to insert: a black-and-white picture as it stands, any other
    // through the picture step. Null when the user cancels the step.
    QImage PictureToCalculator(const QImage &Image);
    // Asks where to and writes Picture as a grob file or a PNG image, reporting a failure.
    void SavePicture(const QImage &Picture);
    // File > Export as Picture / Export as PDF: the active document drawn as the editor shows it.
    void ExportActive(bool Pdf);
    void ChangeFonts_Click();
    void Options_Click();
    void ShowHelpContext(int Context);
    void About_Click();

    // ---- Prompts, replaceable so that scripts and tests can answer them
    // The warning box (title "Quillo", OK, exclamation icon).
    std::function<void(const QString &Text)> OnWarning;
    // A question box titled "Quillo" with the given buttons; returns the button chosen.
    std::function<QMessageBox::StandardButton(const QString &Text, QMessageBox::StandardButtons Buttons)> OnQuestion;
    // Runs a file dialog; true when the user confirmed a file.
    std::function<bool(TFileDialogRegistry &Dialog)> OnExecuteDialog;
    // Runs the picture step on Source; true when the user confirmed a picture.
    std::function<bool(TFPictureStep &Step, const QImage &Source)> OnPictureStep;
    // Replaces the transfer dialog for the active document, which is saved by then.
    std::function<void()> OnTransfer;

    // ---- Components (named as the string table names them)
    QMdiArea *MdiArea = nullptr;
    QLabel *StatusPanel0 = nullptr; // file size
    QLabel *StatusPanel1 = nullptr; // hints
    QLabel *StatusPanelCaret = nullptr; // the caret's line and column
    TdfsMRUFileList *MRUFileList = nullptr;
    TOpenDialogRegistry *OpenDialog = nullptr;
    THPSaveXVEdenDialog *SaveDialogXVEden = nullptr;
    THPSaveTgvDialog *SaveDialogTgv = nullptr;
    THPOpenGrobDialog *OpenGrobDialog = nullptr;
    TSaveDialogRegistry *SavePictureDialog = nullptr;
    // Each with a "RightEdgeLine" check box: whether the export draws the right-edge line.
    TSaveDialogRegistry *ExportPictureDialog = nullptr;
    TSaveDialogRegistry *ExportPdfDialog = nullptr;
    TFPictureStep *PictureStep = nullptr; // created at first use

    QMenu *File_ = nullptr, *New_ = nullptr, *Edit_ = nullptr, *Tgv_ = nullptr, *View_ = nullptr, *Window_ = nullptr, *Help_ = nullptr;
    QAction *NewXView = nullptr, *NewTGV = nullptr, *newEden = nullptr, *NewHP49 = nullptr;
    QAction *ExportPicture_ = nullptr, *ExportPdf_ = nullptr;
    QAction *Open_ = nullptr, *Save_ = nullptr, *SaveAs_ = nullptr, *Close_ = nullptr, *Transfer_ = nullptr, *Receive_ = nullptr, *Options_ = nullptr, *Exit_ = nullptr, *ExitSeparator = nullptr;
    QAction *Undo_ = nullptr, *Redo_ = nullptr, *Cut_ = nullptr, *Copy_ = nullptr, *Paste_ = nullptr, *SelectAll_ = nullptr;
    QAction *Find_ = nullptr, *Replace_ = nullptr, *Reflow_ = nullptr;
    QAction *InsertGrob_ = nullptr, *ChangeFonts_ = nullptr;
    QAction *Maintoolbar = nullptr, *Aligntoolbar = nullptr, *Charstoolbar = nullptr, *Styletoolbar = nullptr;
    QAction *Cascade_ = nullptr, *Tile_ = nullptr, *Arrange_ = nullptr, *TabbedView_ = nullptr, *CloseAll_ = nullptr, *Contents_ = nullptr, *About_ = nullptr;
    QMenu *PopupToolbars = nullptr;
    QAction *popupmenuMaintoolbar = nullptr, *popupmenuAligntoolbar = nullptr, *popupmenucharstoolbar = nullptr, *popupmenuStyletoolbar = nullptr;

    QToolBar *ToolbarFile = nullptr;
    QAction *OpenButton = nullptr, *SaveButton = nullptr, *UndoButton = nullptr, *RedoButton = nullptr, *CutButton = nullptr, *CopyButton = nullptr, *PasteButton = nullptr;
    QToolBar *ToolbarStyleTgv = nullptr;
    QAction *BoldButtonTgv = nullptr, *InvertButtonTgv = nullptr, *Italic1ButtonTgv = nullptr, *Italic2ButtonTgv = nullptr, *UnderlineButtonTgv = nullptr;
    THPFontComboBox *ComboChangeFontTgv = nullptr;
    QToolBar *ToolbarStyleXVEden = nullptr;
    THPFontComboBox *ComboFontsXVEden = nullptr;
    QAction *ComboFontsXVEdenAction = nullptr, *BoldButtonXVEden = nullptr, *InvertButtonXVEden = nullptr, *UnderlinebuttonXVEden = nullptr, *Italic1ButtonEden = nullptr;
    QToolBar *Toolbarjustify = nullptr;
    QAction *LeftButton = nullptr, *CenterButton = nullptr, *RightButton = nullptr, *JustifyButton = nullptr;
    QToolBar *ToolbarRightEdge = nullptr;
    QAction *RightEdge22Button = nullptr, *RightEdge33Button = nullptr;
    QLineEdit *RightEdgeEdit = nullptr;
    QDockWidget *ToolbarCharsTgv = nullptr;
    THPFontComboBox *ComboChangeTableFontTgv = nullptr;
    TTableCharsHP *TableCharsHPTgv = nullptr;
    QDockWidget *ToolbarcharsXVEden = nullptr;
    TTableCharsHP *TableCharsHPXVEden = nullptr;

protected:
    void closeEvent(QCloseEvent *Event) override;
    void resizeEvent(QResizeEvent *Event) override;
    void moveEvent(QMoveEvent *Event) override;
    void changeEvent(QEvent *Event) override;
    bool event(QEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    void dragEnterEvent(QDragEnterEvent *Event) override;
    void dropEvent(QDropEvent *Event) override;
    QMenu *createPopupMenu() override;

private:
    void FormCreate();
    void FormDestroy();
    void CreateMenus();
    void CreateToolbars();
    void CreateStatusBar();
    void ApplyTexts();
    QAction *NewAction(const char *Name, void (TFFormBegin::*Slot)());
    QAction *ToolButton(QToolBar *Bar, const char *Name, const QIcon &Icon, void (TFFormBegin::*Slot)(), bool Checkable = false);
    void WindowMenuAboutToShow();
    void NewDocument(TEditor Kind);
    bool SaveEditor(THPEdit2 *Editor, const QString &FileName, const QString &ExecuteWith);
    // Asks before writing Editor's document in a format that cannot keep all of it. False when
    // the user declines; Lossy tells whether anything will be dropped.
    bool ConfirmLoss(THPEdit2 *Editor, const QString &FileName, bool &Lossy);
    // Writes the window settings and the recent files a moment after they last changed, so that a
    // program that never reaches a clean exit keeps them.
    void ScheduleSettingsWrite();
    void WriteWindowSettings();
    bool ExecuteDialog(TFileDialogRegistry &Dialog);
    void ReadLayoutOf(QWidget *Bar, int Set);
    void WriteLayoutOf(QWidget *Bar, int Set);
    // Where a toolbar or tool window was last placed, for the values that cannot be measured while
    // it is hidden.
    struct TBarPlace {
        int Row = 0;
        int Pos = 0;
        QPoint Float;
        QSize Size;
    };
    // Docks the bars, given with their dock's name and sorted by dock, row and position.
    void PlaceToolbars(const QList<QPair<QWidget *, QString>> &Bars);
    void UpdateDockRules(QWidget *Bar);
    void ToggleToolbar(QAction *PopupItem, QWidget *Bar);
    bool EditItemEnabled(QAction *Item);

    // Commands of the Edit menu, the buttons and the character tables
    void Cut_Click();
    void Copy_Click();
    void Paste_Click();
    void Undo_Click();
    void Redo_Click();
    // The undo and redo buttons follow the history of the active document.
    void UpdateUndoButtons();
    QMetaObject::Connection FHistoryConnection;
    void SelectAll_Click();
    void BoldButtonClick();
    void InvertButtonClick();
    void UnderlineButtonClick();
    void Italic1ButtonClick();
    void Italic2ButtonClick();
    void LeftButtonClick();
    void CenterButtonClick();
    void RightButtonClick();
    void Justify22Columns();
    void RightEdge22ButtonClick();
    void RightEdge33ButtonClick();
    void RightEdgeEditEnter();
    void ComboFontsChangeXV();
    void ComboChangeFontTgvClick();
    void ComboTableFontTgvClick();
    // A character picked from a table goes into the find bar's field that has the focus, if any;
    // true when it did.
    bool InsertCharInFindBar(int Code);
    void InsertCharXV(int Code);
    void TableCharsHPTgvCellSelected(int Code);
    void TableCharsOverCell(int Code);
    void menuMaintoolbarClick();
    void menuAligntoolbarClick();
    void menucharstoolbarClick();
    void menuStyletoolbarClick();

    int FUntitledCount = 0;
    std::array<QList<QWidget *>, 6> FToolbarSets;
    int FToolbarSet = 5;
    TFormMdiHP *FLastActiveChild = nullptr;
    QList<TFormMdiHP *> FWindows;
    QHash<QWidget *, TBarPlace> FPlaces;
    TFAboutBox *FAboutBox = nullptr;
    TFQuilloOptions *FOptions = nullptr;
    TFTGVFontChoice *FFontChoice = nullptr;
    TFTransferForm *FTransferForm = nullptr;
    TFReceiveForm *FReceiveForm = nullptr;
    TFTransferingFile *FReceiveProgress = nullptr;
    THelpViewer *FHelpViewer = nullptr;
    bool FDestroyed = false;
    QTimer *FSettingsTimer = nullptr;
};
