#include "u_Translate.h"

#include "u_ResourceStrings.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>
#include <QWidget>
#include <span>

namespace {
enum class TProp { Caption, Hint, ShortCut, Filter, Title, SubmenuName, ClearItemName, RemoveObsoleteName };

// One text of a window: the string, the component's name (none for the form itself) and the property.
struct TText {
    TResId Id;
    const char *Component;
    TProp Prop;
};

// The windows' texts, in the order they are applied.
constexpr TText FFormBeginTexts[] = {
    {TResId::sFFormBeginToolbarFileCaption, "ToolbarFile", TProp::Caption},
    {TResId::sFFormBeginOpenButtonHint, "OpenButton", TProp::Hint},
    {TResId::sFFormBeginSaveButtonHint, "SaveButton", TProp::Hint},
    {TResId::sFFormBeginUndoButtonHint, "UndoButton", TProp::Hint},
    {TResId::sFFormBeginRedoButtonHint, "RedoButton", TProp::Hint},
    {TResId::sFFormBeginUndo_Caption, "Undo", TProp::Caption},
    {TResId::sFFormBeginUndo_Hint, "Undo", TProp::Hint},
    {TResId::sFFormBeginUndo_ShortCut, "Undo", TProp::ShortCut},
    {TResId::sFFormBeginRedo_Caption, "Redo", TProp::Caption},
    {TResId::sFFormBeginRedo_Hint, "Redo", TProp::Hint},
    {TResId::sFFormBeginRedo_ShortCut, "Redo", TProp::ShortCut},
    {TResId::sFFormBeginCutButtonHint, "CutButton", TProp::Hint},
    {TResId::sFFormBeginCopyButtonHint, "CopyButton", TProp::Hint},
    {TResId::sFFormBeginPasteButtonHint, "PasteButton", TProp::Hint},
    {TResId::sFFormBeginMainMenu98Caption, "MainMenu98", TProp::Caption},
    {TResId::sFFormBeginToolbarStyleTgvCaption, "ToolbarStyleTgv", TProp::Caption},
    {TResId::sFFormBeginBoldButtonTgvHint, "BoldButtonTgv", TProp::Hint},
    {TResId::sFFormBeginItalic1ButtonTgvHint, "Italic1ButtonTgv", TProp::Hint},
    {TResId::sFFormBeginUnderlineButtonTgvHint, "UnderlineButtonTgv", TProp::Hint},
    {TResId::sFFormBeginInvertButtonTgvHint, "InvertButtonTgv", TProp::Hint},
    {TResId::sFFormBeginItalic2ButtonTgvHint, "Italic2ButtonTgv", TProp::Hint},
    {TResId::sFFormBeginToolbarStyleXVEdenCaption, "ToolbarStyleXVEden", TProp::Caption},
    {TResId::sFFormBeginBoldButtonXVEdenHint, "BoldButtonXVEden", TProp::Hint},
    {TResId::sFFormBeginInvertButtonXVEdenHint, "InvertButtonXVEden", TProp::Hint},
    {TResId::sFFormBeginUnderlinebuttonXVEdenHint, "UnderlinebuttonXVEden", TProp::Hint},
    {TResId::sFFormBeginItalic1ButtonEdenHint, "Italic1ButtonEden", TProp::Hint},
    {TResId::sFFormBeginToolbarjustifyCaption, "Toolbarjustify", TProp::Caption},
    {TResId::sFFormBeginLeftButtonHint, "LeftButton", TProp::Hint},
    {TResId::sFFormBeginCenterButtonHint, "CenterButton", TProp::Hint},
    {TResId::sFFormBeginRightButtonHint, "RightButton", TProp::Hint},
    {TResId::sFFormBeginToolbarRightEdgeCaption, "ToolbarRightEdge", TProp::Caption},
    {TResId::sFFormBeginRightEdge22ButtonHint, "RightEdge22Button", TProp::Hint},
    {TResId::sFFormBeginRightEdge33ButtonHint, "RightEdge33Button", TProp::Hint},
    {TResId::sFFormBeginRightEdgeEditHint, "RightEdgeEdit", TProp::Hint},
    {TResId::sFFormBeginToolbarCharsTgvCaption, "ToolbarCharsTgv", TProp::Caption},
    {TResId::sFFormBeginComboChangeTableFontTgvHint, "ComboChangeTableFontTgv", TProp::Hint},
    {TResId::sFFormBeginTableCharsHPTgvHint, "TableCharsHPTgv", TProp::Hint},
    {TResId::sFFormBeginToolbarcharsXVEdenCaption, "ToolbarcharsXVEden", TProp::Caption},
    {TResId::sFFormBeginTableCharsHPXVEdenHint, "TableCharsHPXVEden", TProp::Hint},
    {TResId::sFFormBeginFile_Caption, "File", TProp::Caption},
    {TResId::sFFormBeginNew_Caption, "New", TProp::Caption},
    {TResId::sFFormBeginNew_Hint, "New", TProp::Hint},
    {TResId::sFFormBeginNewXViewCaption, "NewXView", TProp::Caption},
    {TResId::sFFormBeginNewTGVCaption, "NewTGV", TProp::Caption},
    {TResId::sFFormBeginnewEdenCaption, "newEden", TProp::Caption},
    {TResId::sFFormBeginOpen_Caption, "Open", TProp::Caption},
    {TResId::sFFormBeginOpen_Hint, "Open", TProp::Hint},
    {TResId::sFFormBeginSave_Caption, "Save", TProp::Caption},
    {TResId::sFFormBeginSave_Hint, "Save", TProp::Hint},
    {TResId::sFFormBeginSaveAs_Caption, "SaveAs", TProp::Caption},
    {TResId::sFFormBeginSaveAs_Hint, "SaveAs", TProp::Hint},
    {TResId::sFFormBeginTransfer_Caption, "Transfer", TProp::Caption},
    {TResId::sFFormBeginTransfer_Hint, "Transfer", TProp::Hint},
    {TResId::sFFormBeginOptions_Caption, "Options", TProp::Caption},
    {TResId::sFFormBeginExit_Caption, "Exit", TProp::Caption},
    {TResId::sFFormBeginExit_Hint, "Exit", TProp::Hint},
    {TResId::sFFormBeginClose_Caption, "Close", TProp::Caption},
    {TResId::sFFormBeginClose_Hint, "Close", TProp::Hint},
    {TResId::sFFormBeginEdit_Caption, "Edit", TProp::Caption},
    {TResId::sFFormBeginCut_Caption, "Cut", TProp::Caption},
    {TResId::sFFormBeginCut_Hint, "Cut", TProp::Hint},
    {TResId::sFFormBeginCut_ShortCut, "Cut", TProp::ShortCut},
    {TResId::sFFormBeginCopy_Caption, "Copy", TProp::Caption},
    {TResId::sFFormBeginCopy_Hint, "Copy", TProp::Hint},
    {TResId::sFFormBeginCopy_ShortCut, "Copy", TProp::ShortCut},
    {TResId::sFFormBeginPaste_Caption, "Paste", TProp::Caption},
    {TResId::sFFormBeginPaste_Hint, "Paste", TProp::Hint},
    {TResId::sFFormBeginPaste_ShortCut, "Paste", TProp::ShortCut},
    {TResId::sFFormBeginSelectAll_Caption, "SelectAll", TProp::Caption},
    {TResId::sFFormBeginSelectAll_ShortCut, "SelectAll", TProp::ShortCut},
    {TResId::sFFormBeginTgv_Caption, "Tgv", TProp::Caption},
    {TResId::sFFormBeginInsertGrob_Caption, "InsertGrob", TProp::Caption},
    {TResId::sFFormBeginChangeFonts_Caption, "ChangeFonts", TProp::Caption},
    {TResId::sFFormBegin_ViewCaption, "View", TProp::Caption},
    {TResId::sFFormBegin_MaintoolbarCaption, "Maintoolbar", TProp::Caption},
    {TResId::sFFormBegin_AligntoolbarCaption, "Aligntoolbar", TProp::Caption},
    {TResId::sFFormBegin_CharstoolbarCaption, "Charstoolbar", TProp::Caption},
    {TResId::sFFormBegin_StyletoolbarCaption, "Styletoolbar", TProp::Caption},
    {TResId::sFFormBeginWindow_Caption, "Window", TProp::Caption},
    {TResId::sFFormBeginCascade_Caption, "Cascade", TProp::Caption},
    {TResId::sFFormBeginTile_Caption, "Tile", TProp::Caption},
    {TResId::sFFormBeginArrange_Caption, "Arrange", TProp::Caption},
    {TResId::sFFormBeginCloseAll_Caption, "CloseAll", TProp::Caption},
    {TResId::sFFormBeginCloseAll_Hint, "CloseAll", TProp::Hint},
    {TResId::sFFormBeginTabbedView_Caption, "TabbedView", TProp::Caption},
    {TResId::sFFormBeginTabbedView_Hint, "TabbedView", TProp::Hint},
    {TResId::sFFormBeginExportPicture_Caption, "ExportPicture", TProp::Caption},
    {TResId::sFFormBeginExportPicture_Hint, "ExportPicture", TProp::Hint},
    {TResId::sFFormBeginExportPdf_Caption, "ExportPdf", TProp::Caption},
    {TResId::sFFormBeginExportPdf_Hint, "ExportPdf", TProp::Hint},
    {TResId::sFFormBeginReceive_Caption, "Receive", TProp::Caption},
    {TResId::sFFormBeginReceive_Hint, "Receive", TProp::Hint},
    {TResId::sFFormBeginFind_Caption, "Find", TProp::Caption},
    {TResId::sFFormBeginFind_Hint, "Find", TProp::Hint},
    {TResId::sFFormBeginFind_ShortCut, "Find", TProp::ShortCut},
    {TResId::sFFormBeginReplace_Caption, "Replace", TProp::Caption},
    {TResId::sFFormBeginReplace_Hint, "Replace", TProp::Hint},
    {TResId::sFFormBeginReplace_ShortCut, "Replace", TProp::ShortCut},
    {TResId::sFFormBeginReflow_Caption, "Reflow", TProp::Caption},
    {TResId::sFFormBeginReflow_Hint, "Reflow", TProp::Hint},
    {TResId::sFFormBeginReflow_ShortCut, "Reflow", TProp::ShortCut},
    {TResId::sFFormBeginHelp_Caption, "Help", TProp::Caption},
    {TResId::sFFormBeginContents_Caption, "Contents", TProp::Caption},
    {TResId::sFFormBeginContents_Hint, "Contents", TProp::Hint},
    {TResId::sFFormBeginAbout_Caption, "About", TProp::Caption},
    {TResId::sFFormBeginAbout_Hint, "About", TProp::Hint},
    {TResId::sFFormBeginSaveDialogTgvFilter, "SaveDialogTgv", TProp::Filter},
    {TResId::sFFormBeginpopupmenuMaintoolbarCaption, "popupmenuMaintoolbar", TProp::Caption},
    {TResId::sFFormBeginpopupmenuAligntoolbarCaption, "popupmenuAligntoolbar", TProp::Caption},
    {TResId::sFFormBeginpopupmenucharstoolbarCaption, "popupmenucharstoolbar", TProp::Caption},
    {TResId::sFFormBeginpopupmenuStyletoolbarCaption, "popupmenuStyletoolbar", TProp::Caption},
    {TResId::sFFormBeginOpenGrobDialogFilter, "OpenGrobDialog", TProp::Filter},
    {TResId::sFFormBeginOpenGrobDialogTitle, "OpenGrobDialog", TProp::Title},
    {TResId::sFFormBeginMRUFileListSubmenuName, "MRUFileList", TProp::SubmenuName},
    {TResId::sFFormBeginMRUFileListClearItemName, "MRUFileList", TProp::ClearItemName},
    {TResId::sFFormBeginMRUFileListRemoveObsoleteName, "MRUFileList", TProp::RemoveObsoleteName},
    {TResId::sFFormBeginSaveDialogXVEdenFilter, "SaveDialogXVEden", TProp::Filter},
    {TResId::sFFormBeginOpenDialogFilter, "OpenDialog", TProp::Filter},
};


constexpr TText FAboutBoxTexts[] = {
    {TResId::sFAboutBoxCaption, nullptr, TProp::Caption},
    {TResId::sFAboutBoxOKButtonCaption, "OKButton", TProp::Caption},
    {TResId::sFAboutBoxAuthorCaption, "Author", TProp::Caption},
    {TResId::sFAboutBoxTranslatorCaption, "Translator", TProp::Caption},
    {TResId::sFAboutBoxCreditsCaption, "Credits", TProp::Caption},
};


constexpr TText FormMdiTgvTexts[] = {
    {TResId::sFormMdiTgvCut_Caption, "Cut", TProp::Caption},
    {TResId::sFormMdiTgvCut_ShortCut, "Cut", TProp::ShortCut},
    {TResId::sFormMdiTgvCopy_Caption, "Copy", TProp::Caption},
    {TResId::sFormMdiTgvCopy_ShortCut, "Copy", TProp::ShortCut},
    {TResId::sFormMdiTgvPaste_Caption, "Paste", TProp::Caption},
    {TResId::sFormMdiTgvPaste_ShortCut, "Paste", TProp::ShortCut},
    {TResId::sFormMdiTgvBold_Caption, "Bold", TProp::Caption},
    {TResId::sFormMdiTgvBold_ShortCut, "Bold", TProp::ShortCut},
    {TResId::sFormMdiTgvReverse_Caption, "Reverse", TProp::Caption},
    {TResId::sFormMdiTgvReverse_ShortCut, "Reverse", TProp::ShortCut},
    {TResId::sFormMdiTgvUnderline_Caption, "Underline", TProp::Caption},
    {TResId::sFormMdiTgvUnderline_ShortCut, "Underline", TProp::ShortCut},
    {TResId::sFormMdiTgvItalic_Caption, "Italic", TProp::Caption},
    {TResId::sFormMdiTgvItalic_ShortCut, "Italic", TProp::ShortCut},
    {TResId::sFormMdiTgvNormalFont_Caption, "NormalFont", TProp::Caption},
    {TResId::sFormMdiTgvNormalFont_ShortCut, "NormalFont", TProp::ShortCut},
    {TResId::sFormMdiTgvFont1_Caption, "Font1", TProp::Caption},
    {TResId::sFormMdiTgvFont1_ShortCut, "Font1", TProp::ShortCut},
    {TResId::sFormMdiTgvSuperscript_Caption, "Superscript", TProp::Caption},
    {TResId::sFormMdiTgvSuperscript_ShortCut, "Superscript", TProp::ShortCut},
    {TResId::sFormMdiTgvSubscript_Caption, "Subscript", TProp::Caption},
    {TResId::sFormMdiTgvSubscript_ShortCut, "Subscript", TProp::ShortCut},
    {TResId::sFormMdiTgvInsertGrob1Caption, "InsertGrob1", TProp::Caption},
};


constexpr TText FormMdiXViewTexts[] = {
    {TResId::sFormMdiXViewCut_Caption, "Cut", TProp::Caption},
    {TResId::sFormMdiXViewCut_ShortCut, "Cut", TProp::ShortCut},
    {TResId::sFormMdiXViewCopy_Caption, "Copy", TProp::Caption},
    {TResId::sFormMdiXViewCopy_ShortCut, "Copy", TProp::ShortCut},
    {TResId::sFormMdiXViewPaste_Caption, "Paste", TProp::Caption},
    {TResId::sFormMdiXViewPaste_ShortCut, "Paste", TProp::ShortCut},
    {TResId::sFormMdiXViewBold_Caption, "Bold", TProp::Caption},
    {TResId::sFormMdiXViewBold_ShortCut, "Bold", TProp::ShortCut},
    {TResId::sFormMdiXViewReverse_Caption, "Reverse", TProp::Caption},
    {TResId::sFormMdiXViewReverse_ShortCut, "Reverse", TProp::ShortCut},
    {TResId::sFormMdiXViewUnderline_Caption, "Underline", TProp::Caption},
    {TResId::sFormMdiXViewUnderline_ShortCut, "Underline", TProp::ShortCut},
};


constexpr TText FormMdiEdenTexts[] = {
    {TResId::sFormMdiEdenCut_Caption, "Cut", TProp::Caption},
    {TResId::sFormMdiEdenCut_ShortCut, "Cut", TProp::ShortCut},
    {TResId::sFormMdiEdenCopy_Caption, "Copy", TProp::Caption},
    {TResId::sFormMdiEdenCopy_ShortCut, "Copy", TProp::ShortCut},
    {TResId::sFormMdiEdenPaste_Caption, "Paste", TProp::Caption},
    {TResId::sFormMdiEdenPaste_ShortCut, "Paste", TProp::ShortCut},
    {TResId::sFormMdiEdenBold_Caption, "Bold", TProp::Caption},
    {TResId::sFormMdiEdenBold_ShortCut, "Bold", TProp::ShortCut},
    {TResId::sFormMdiEdenReverse_Caption, "Reverse", TProp::Caption},
    {TResId::sFormMdiEdenReverse_ShortCut, "Reverse", TProp::ShortCut},
    {TResId::sFormMdiEdenUnderline_Caption, "Underline", TProp::Caption},
    {TResId::sFormMdiEdenUnderline_ShortCut, "Underline", TProp::ShortCut},
    {TResId::sFormMdiEdenItalic_Caption, "Italic", TProp::Caption},
    {TResId::sFormMdiEdenItalic_ShortCut, "Italic", TProp::ShortCut},
};


constexpr TText FormMdiHP49Texts[] = {
    {TResId::sFormMdiHP49Cut_Caption, "Cut", TProp::Caption},
    {TResId::sFormMdiHP49Cut_ShortCut, "Cut", TProp::ShortCut},
    {TResId::sFormMdiHP49Copy_Caption, "Copy", TProp::Caption},
    {TResId::sFormMdiHP49Copy_ShortCut, "Copy", TProp::ShortCut},
    {TResId::sFormMdiHP49Paste_Caption, "Paste", TProp::Caption},
    {TResId::sFormMdiHP49Paste_ShortCut, "Paste", TProp::ShortCut},
    {TResId::sFormMdiHP49Bold_Caption, "Bold", TProp::Caption},
    {TResId::sFormMdiHP49Bold_ShortCut, "Bold", TProp::ShortCut},
    {TResId::sFormMdiHP49Reverse_Caption, "Reverse", TProp::Caption},
    {TResId::sFormMdiHP49Reverse_ShortCut, "Reverse", TProp::ShortCut},
    {TResId::sFormMdiHP49Underline_Caption, "Underline", TProp::Caption},
    {TResId::sFormMdiHP49Underline_ShortCut, "Underline", TProp::ShortCut},
    {TResId::sFormMdiHP49Italic_Caption, "Italic", TProp::Caption},
    {TResId::sFormMdiHP49Italic_ShortCut, "Italic", TProp::ShortCut},
};

// The dialog keeps its own title, "Quillo options", whatever table is in force, so its
// caption is not among its texts.
constexpr TText FQuilloOptionsTexts[] = {
    {TResId::sFQuilloOptionsLabel3Caption, "Label3", TProp::Caption},
    {TResId::sFQuilloOptionsLabel4Caption, "Label4", TProp::Caption},
    {TResId::sFQuilloOptionsOngletXViewCaption, "OngletXView", TProp::Caption},
    {TResId::sFQuilloOptionsXvLabelTabLengthCaption, "XvLabelTabLength", TProp::Caption},
    {TResId::sFQuilloOptionsXvLabelDefaultFontCaption, "XvLabelDefaultFont", TProp::Caption},
    {TResId::sFQuilloOptionsOngletTgvCaption, "OngletTgv", TProp::Caption},
    {TResId::sFQuilloOptionsTgvLabelTabLengthCaption, "TgvLabelTabLength", TProp::Caption},
    {TResId::sFQuilloOptionsTgvLabelNormalCaption, "TgvLabelNormal", TProp::Caption},
    {TResId::sFQuilloOptionsTgvLabelFnt1Caption, "TgvLabelFnt1", TProp::Caption},
    {TResId::sFQuilloOptionsTgvLabelMiniCaption, "TgvLabelMini", TProp::Caption},
    {TResId::sFQuilloOptionsOngletEdenCaption, "OngletEden", TProp::Caption},
    {TResId::sFQuilloOptionsEdenLabelTabLengthCaption, "EdenLabelTabLength", TProp::Caption},
    {TResId::sFQuilloOptionsEdenLabelDefaultFontCaption, "EdenLabelDefaultFont", TProp::Caption},
    {TResId::sFQuilloOptionsOKBtnCaption, "OKBtn", TProp::Caption},
    {TResId::sFQuilloOptionsCancelBtnCaption, "CancelBtn", TProp::Caption},
    {TResId::sFQuilloOptionsHelpBtnCaption, "HelpBtn", TProp::Caption},
};


constexpr TText FTGVFontChoiceTexts[] = {
    {TResId::sFTGVFontChoiceCaption, nullptr, TProp::Caption},
    {TResId::sFTGVFontChoiceLabel1Caption, "Label1", TProp::Caption},
    {TResId::sFTGVFontChoiceLabel2Caption, "Label2", TProp::Caption},
    {TResId::sFTGVFontChoiceLabel3Caption, "Label3", TProp::Caption},
    {TResId::sFTGVFontChoiceButtonOkCaption, "ButtonOk", TProp::Caption},
    {TResId::sFTGVFontChoiceButtonCancelCaption, "ButtonCancel", TProp::Caption},
};

// The dialog keeps its own title, "Transfer", whatever table is in force, so its
// caption is not among its texts.
constexpr TText FTransferFormTexts[] = {
    {TResId::sFTransferFormOngletInstructionsCaption, "OngletInstructions", TProp::Caption},
    {TResId::sFTransferFormlblLikeThisCaption, "lblLikeThis", TProp::Caption},
    {TResId::sFTransferFormLblDirCaption, "LblDir", TProp::Caption},
    {TResId::sFTransferFormlblPressCaption, "lblPress", TProp::Caption},
    {TResId::sFTransferFormlblThenCaption, "lblThen", TProp::Caption},
    {TResId::sFTransferFormlblPutServerCaption, "lblPutServer", TProp::Caption},
    {TResId::sFTransferFormlblyoucanNowCaption, "lblyoucanNow", TProp::Caption},
    {TResId::sFTransferFormlblNowSeeCaption, "lblNowSee", TProp::Caption},
    {TResId::sFTransferFormBtnNextCaption, "BtnNext", TProp::Caption},
    {TResId::sFTransferFormOngletTransferCaption, "OngletTransfer", TProp::Caption},
    {TResId::sFTransferFormLblCOMCaption, "LblCOM", TProp::Caption},
    {TResId::sFTransferFormlblSelectFilesCaption, "lblSelectFiles", TProp::Caption},
    {TResId::sFTransferFormbtnCancelCaption, "btnCancel", TProp::Caption},
    {TResId::sFTransferFormbtnTransferCaption, "btnTransfer", TProp::Caption},
    {TResId::sFTransferFormlblSpeed, "lblSpeed", TProp::Caption},
    {TResId::sTransferFormlblCalculator, "lblCalculator", TProp::Caption},
};


constexpr TText FTransferingFileTexts[] = {
    {TResId::sFTransferingFileCaption, nullptr, TProp::Caption},
    {TResId::sFTransferingFileLblFileCaption, "LblFile", TProp::Caption},
    {TResId::sFTransferingFilelblPacketCaption, "lblPacket", TProp::Caption},
    {TResId::sFTransferingFilelblOctesTransferesCaption, "lblOctesTransferes", TProp::Caption},
    {TResId::sFTransferingFilebtnCancelCaption, "btnCancel", TProp::Caption},
};
// The nearest descendant of that name: a breadth-first search, so that the window's own components
// come before those of any window it contains.
QObject *FindComponent(QObject *Form, const char *Name)
{
    if (!Name)
        return Form;
    const QString name = QString::fromLatin1(Name);
    QList<QObject *> level = Form->children();
    while (!level.isEmpty()) {
        QList<QObject *> next;
        for (QObject *object : level) {
            if (object->objectName() == name)
                return object;
            next += object->children();
        }
        level = std::move(next);
    }
    return nullptr;
}

QTabWidget *TabWidgetOf(QWidget *Page)
{
    auto *stack = qobject_cast<QStackedWidget *>(Page->parentWidget());
    auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(Page) >= 0 ? tabs : nullptr;
}

void SetCaption(QObject *Component, bool IsForm, const QString &Text)
{
    auto *widget = qobject_cast<QWidget *>(Component);
    if (IsForm && widget)
        widget->setWindowTitle(Text);
    else if (auto *action = qobject_cast<QAction *>(Component))
        action->setText(Text);
    else if (auto *menu = qobject_cast<QMenu *>(Component))
        menu->setTitle(Text);
    else if (auto *button = qobject_cast<QAbstractButton *>(Component))
        button->setText(Text);
    else if (auto *label = qobject_cast<QLabel *>(Component))
        label->setText(Text);
    else if (QTabWidget *tabs = widget ? TabWidgetOf(widget) : nullptr)
        tabs->setTabText(tabs->indexOf(widget), Text);
    else if (auto *group = qobject_cast<QGroupBox *>(Component))
        group->setTitle(Text);
    else if (widget)
        widget->setWindowTitle(Text);
    else
        Component->setProperty("text", Text);
}

void SetHint(QObject *Component, const QString &Text)
{
    if (auto *action = qobject_cast<QAction *>(Component)) {
        action->setToolTip(Text);
        action->setStatusTip(Text);
    } else if (auto *widget = qobject_cast<QWidget *>(Component)) {
        widget->setToolTip(Text);
        widget->setStatusTip(Text);
        // A submenu's item in its parent menu is its menu action: the status bar shows that one's tip.
        if (auto *menu = qobject_cast<QMenu *>(widget))
            menu->menuAction()->setStatusTip(Text);
    }
}

void SetShortCut(QObject *Component, const QString &Text)
{
    const QKeySequence keys = ShortCutFromText(Text);
    if (auto *action = qobject_cast<QAction *>(Component))
        action->setShortcut(keys);
    else if (auto *button = qobject_cast<QAbstractButton *>(Component))
        button->setShortcut(keys);
}

const char *DynamicPropertyName(TProp Prop)
{
    switch (Prop) {
    case TProp::Filter: return "Filter";
    case TProp::Title: return "Title";
    case TProp::SubmenuName: return "SubmenuName";
    case TProp::ClearItemName: return "ClearItemName";
    case TProp::RemoveObsoleteName: return "RemoveObsoleteName";
    default: return nullptr;
    }
}

void Apply(QObject *Form, std::span<const TText> Texts)
{
    if (!Form)
        return;
    for (const TText &text : Texts) {
        QObject *component = FindComponent(Form, text.Component);
        if (!component)
            continue;
        const QString value = ResString(text.Id);
        switch (text.Prop) {
        case TProp::Caption: SetCaption(component, component == Form, value); break;
        case TProp::Hint: SetHint(component, value); break;
        case TProp::ShortCut: SetShortCut(component, value); break;
        default: component->setProperty(DynamicPropertyName(text.Prop), value); break;
        }
    }
}
} // namespace

QKeySequence ShortCutFromText(const QString &Text)
{
    QStringList parts = Text.trimmed().split(u'+');
    if (parts.isEmpty() || parts.last().trimmed().isEmpty())
        return QKeySequence();
    // Key names some tables use where the key-sequence parser knows another.
    static const QHash<QString, QString> aliases = {
        {QStringLiteral("bksp"), QStringLiteral("Backspace")}, {QStringLiteral("pgdn"), QStringLiteral("PgDown")},
        {QStringLiteral("enter"), QStringLiteral("Return")},
    };
    QString &key = parts.last();
    key = aliases.value(key.trimmed().toLower(), key.trimmed());
    const QKeySequence keys = QKeySequence::fromString(parts.join(u'+'), QKeySequence::PortableText);
    if (keys.count() != 1 || keys[0].key() == Qt::Key_unknown || keys[0].key() == 0)
        return QKeySequence();
    return keys;
}

void TranslateFFormBegin(QObject *Form) { Apply(Form, FFormBeginTexts); }
void TranslateFAboutBox(QObject *Form) { Apply(Form, FAboutBoxTexts); }
void TranslateFormMdiTgv(QObject *Form) { Apply(Form, FormMdiTgvTexts); }
void TranslateFormMdiXView(QObject *Form) { Apply(Form, FormMdiXViewTexts); }
void TranslateFormMdiEden(QObject *Form) { Apply(Form, FormMdiEdenTexts); }
void TranslateFormMdiHP49(QObject *Form) { Apply(Form, FormMdiHP49Texts); }
void TranslateFQuilloOptions(QObject *Form) { Apply(Form, FQuilloOptionsTexts); }
void TranslateFTGVFontChoice(QObject *Form) { Apply(Form, FTGVFontChoiceTexts); }
void TranslateFTransferForm(QObject *Form) { Apply(Form, FTransferFormTexts); }
void TranslateFTransferingFile(QObject *Form) { Apply(Form, FTransferingFileTexts); }
