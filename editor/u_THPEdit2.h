#pragma once
// THPEdit2: the editor control every document window hosts. It holds one document — lines of
// calculator characters with one attribute byte each, pictures on lines of their own — the fonts
// it draws them with, the caret and selection, and the document's file identity, and it shows the
// document as the calculator would: every calculator pixel as 2 × 2 screen pixels.
//
// The document itself — lines, pictures, file identity, modified flag and undo history — is a
// THPDocument the editor owns; the editor is its view and controller. Implemented by concern:
//   document.cpp     font slots, notifications, the document's signals, position helpers
//   history.cpp      steps of the undo history around each command, undo and redo
//   painting.cpp     geometry, hit testing, painting (with TDocumentPainter), invalidation,
//                    scrolling, the caret
//   editing.cpp      insertion, line splitting and joining, deletion, tab
//   input.cpp        caret moves, selection, keyboard and mouse
//   styles.cpp       style and font commands
//   justify.cpp      the four justification commands
//   clipboard.cpp    copy, cut and paste with the attribute format
//   pictures.cpp     inserting and removing pictures
//   fileformats.cpp  "%%HP:" text files and TGV files
//
// For code inside the class (commands, file formats), the building blocks are:
//   - Insert a run of text with attributes: InsertAtCaret(text, attrs) (replaces the selection) or
//     InsertText(line, pos, attrs, text). attrs is one byte for all characters or one per
//     character; a byte 10 in text is a line break; codes the kind refuses are dropped and
//     attribute bits it cannot store are stripped. Call it once per run, never per character.
//   - Delete: DeleteRange(lineA, posA, posB, lineB) (refuses ranges touching a picture line),
//     DeleteSelection, DeletePictureLine.
//   - Put a picture on a line: slot = AddPicture(bitmap) FIRST (it raises EErrorLoading when the
//     table is full, before anything changed), then make room with InsertText of line feeds, then
//     SetPictureLine(line, slot).
//   - Change attributes: FDoc->SetAttrs.
//   - Every change goes through an operation of FDoc, never into the lines directly. A public
//     command opens a step (TEditStep step(this)) so that all it does is undone at once; the
//     modified flag follows the history. Notify the host of the typing attribute: SetCurrentAttr.
//   - The document reports every change of its lines with a signal; the editor lays out, moves
//     the pixels of the lines below and repaints what changed from those signals alone, so a
//     command never invalidates or lays out by hand. Caret and selection repaint themselves.
//   - Move the caret: MoveCaretTo(line, pos, updateAttr); select: SelectRange, ClearSelection.
//   - Walk positions: NextPos / PrevPos / ComparePos; read: CharAt, AttrAt, PictureOfLine.
//   - Messages for the user: Warn(text) (goes to OnWarning, or a warning box titled "Quillo").
#include "u_DocumentPainter.h"
#include "u_EditorAttrs.h"
#include "u_THPDocument.h"
#include "u_TGrob.h"
#include "u_TShared.h"
#include "u_TextSearch.h"

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class THPEdit2;

// Notifications the editor posts to its host window (the parent widget). A pending attribute or
// font notification is replaced by the newer one; every modified-flag change is delivered.
constexpr int HPM_ATTRCHANGED = 1224;     // argument: the new current attribute
constexpr int HPM_FONTSCHANGED = 1225;    // no argument
constexpr int HPM_MODIFIEDCHANGED = 1226; // no argument

class THPNotifyEvent : public QEvent {
public:
    THPNotifyEvent(int Type, int Arg) : QEvent(QEvent::Type(Type)), FArg(Arg) {}
    int Arg() const { return FArg; }

private:
    int FArg;
};

class THPEdit2 : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int PictureSlotCount = 255;
    static constexpr uint8_t MenuCharNone = 42; // '*': the TGV document has no menu character
    static constexpr int Zoom = 2;
    // The private clipboard format beside plain text: one attribute byte per text byte.
    static const QString ClipboardFormat;

    // Builds an empty document of kind Kind. A missing font leaves its slot empty here (it draws
    // blank cells); the host's own NewDocument, after it set the kind and fonts, reports it.
    explicit THPEdit2(QWidget *Parent = nullptr, TEditor Kind = TEditor::Tgv);
    ~THPEdit2() override;

    // ---- Properties
    int TabLength() const { return FTabLength; }
    void SetTabLength(int Value) { FTabLength = Value; } // below 1 acts as 1
    TEditor Editor() const { return FDoc->Kind(); }
    // Stores the kind; fonts and filters follow at the next NewDocument.
    void SetEditor(TEditor Value) { FDoc->SetKind(Value); }
    THPDocument *Document() const { return FDoc; }
    int RightEdge() const { return FRightEdge; }
    // Stores, repaints the whole control and calls OnRightEdgeChanged, also when unchanged.
    void SetRightEdge(int Value);
    QString SubDirFont() const { return FDoc->Fonts().Folder(); }
    // Font folder relative to AppDir; a separator is appended when missing ("fonts" → "fonts/").
    void SetSubDirFont(const QString &Value) { FDoc->SetFontFolder(Value); }
    std::function<void()> OnRightEdgeChanged;
    // Shows a message to the user; unset, a warning box titled "Quillo" shows it.
    std::function<void(const QString &)> OnWarning;
    // Shows a passing note (the status bar's); unset, the note is dropped.
    std::function<void(const QString &)> OnStatus;
    // Turns a pasted image into the calculator picture to insert, or gives a null image when the
    // user cancels. Unset, an image goes in with every pixel that is not white turned black.
    std::function<QImage(const QImage &)> OnPictureToCalculator;

    QString DefaultFontXView() const { return FDefaultFontXView; }
    void SetDefaultFontXView(const QString &V) { FDefaultFontXView = V; }
    QString DefaultFontTgvNormal() const { return FDefaultFontTgvNormal; }
    void SetDefaultFontTgvNormal(const QString &V) { FDefaultFontTgvNormal = V; }
    QString DefaultFontTgvFont1() const { return FDefaultFontTgvFont1; }
    void SetDefaultFontTgvFont1(const QString &V) { FDefaultFontTgvFont1 = V; }
    QString DefaultFontTgvMini() const { return FDefaultFontTgvMini; }
    void SetDefaultFontTgvMini(const QString &V) { FDefaultFontTgvMini = V; }
    QString DefaultFontEden() const { return FDefaultFontEden; }
    void SetDefaultFontEden(const QString &V) { FDefaultFontEden = V; }
    QString DefaultFontStandard() const { return FDefaultFontStandard; }
    void SetDefaultFontStandard(const QString &V) { FDefaultFontStandard = V; }
    QString DefaultFontHp49() const { return FDefaultFontHp49; }
    void SetDefaultFontHp49(const QString &V) { FDefaultFontHp49 = V; }

    // ---- Document lifecycle
    // Resets to one empty line of the current kind with its fonts. The document is always reset;
    // a font file that cannot be read leaves its slot empty and its EFileError is raised at the end.
    virtual void NewDocument();
    // Destroys every line and every picture, leaving one empty line and no history.
    virtual void ClearDocument();

    // ---- Fonts
    // Loads the three slots (slot 3 follows slot 2) and notifies the host; every slot is tried,
    // then the first failure is raised.
    void SetFonts(const QString &Name0, const QString &Name1, const QString &Name2);
    // Nothing when Name is the slot's name already. A file that cannot be read leaves the slot
    // empty (blank cells) and raises EFileError.
    void SetFont(int Index, const QString &Name) { FDoc->SetFont(Index, Name); }
    void ReleaseFont(int Index) { FDoc->ReleaseFont(Index); }
    QString FontNames(int Index) const { return FDoc->Fonts().Name(Index); }
    TGrob *FontGrob(int Index) const { return FDoc->Fonts().Grob(Index); }
    // The glyph table for the attribute's font slot and style, built on first use and kept. Never
    // null: an empty slot gives a font without a strip, which draws nothing.
    TGrobFont *StyledFont(uint8_t Attr) const { return FDoc->Fonts().Styled(Attr); }

    // ---- Document access
    int LineCount() const { return FDoc->LineCount(); }
    // Read it only: every change goes through an operation of Document(). Valid until the
    // document changes.
    const TALine &Line(int I) const { return FDoc->Line(I); }
    int LineLength(int I) const { return FDoc->LineLength(I); }
    // Position Pos (1-based) of line I; the line end n + 1 reads 10, and its attribute 0.
    uint8_t CharAt(int I, int Pos) const;
    uint8_t AttrAt(int I, int Pos) const;
    TPictureHP *PictureOfLine(int I) const;
    QImage PictureBitmap(int I) const;
    TPictureHP *Picture(int Slot) const { return FDoc->Picture(Slot); }
    // How many lines show the picture of Slot (and insertions that reserved it).
    int PictureUses(int Slot) const { return FDoc->PictureUses(Slot); }
    // The slot of a picture identical pixel for pixel (one more use), else the first empty
    // slot with a new picture. Raises EErrorLoading, changing nothing, when all 255 slots hold
    // other pictures.
    int AddPicture(const QImage &Bitmap) { return FDoc->AddPicture(Bitmap); }
    void ReleasePicture(int Slot) { FDoc->ReleasePicture(Slot); }
    // Makes line I the picture line of Slot (whose use it takes over).
    void SetPictureLine(int I, int Slot);

    QString FileName() const { return FDoc->Identity().FileName; }
    void SetFileName(const QString &Name); // stored as a full path; empty clears it
    qint64 FileSize() const { return FDoc->Identity().FileSize; }
    void SetFileSize(qint64 Value) { FDoc->Identity().FileSize = Value; }
    bool Modified() const { return FDoc->Modified(); }
    // False makes the present state the saved one (the history's clean state).
    void SetModified(bool Value) { FDoc->SetModified(Value); }
    QString ExecuteWith() const { return FDoc->Identity().ExecuteWith; }
    void SetExecuteWith(const QString &Value) { FDoc->Identity().ExecuteWith = Value; }
    uint8_t MenuChar() const { return FDoc->Identity().MenuChar; }
    void SetMenuChar(uint8_t Value) { FDoc->Identity().MenuChar = Value; }
    bool MenuWhenStarted() const { return FDoc->Identity().MenuWhenStarted; }
    void SetMenuWhenStarted(bool Value) { FDoc->Identity().MenuWhenStarted = Value; }

    // ---- Undo and redo
    bool CanUndo() const { return FDoc->History().canUndo(); }
    bool CanRedo() const { return FDoc->History().canRedo(); }
    // A step that cannot be put back is reported through Warn and changes nothing.
    void Undo();
    void Redo();
    // Tgv > Change Fonts: SetFonts as a step of the history.
    void ChangeFonts(const QString &Name0, const QString &Name1, const QString &Name2);
    uint8_t CurrentAttr() const { return FCurrentAttr; }
    virtual void SetCurrentAttr(uint8_t Value);
    virtual void ToggleCurrentAttr(uint8_t Value);

    // ---- Caret and selection
    int CaretLine() const { return FCaretLine; }
    int CaretCol() const { return FCaretCol; }
    int AnchorLine() const { return FAnchorLine; }
    int AnchorCol() const { return FAnchorCol; }
    bool Selected() const { return FSelected; }
    int SelStartLine() const { return FSelStartLine; }
    int SelStartCol() const { return FSelStartCol; }
    int SelEndLine() const { return FSelEndLine; }
    int SelEndCol() const { return FSelEndCol; }
    bool ExtendSelection() const { return FExtendSelection; }
    void SetExtendSelection(bool Value) { FExtendSelection = Value; }
    bool HasFocus() const { return FHasFocus; }

    // 1 when (L1, C1) comes after (L2, C2), -1 before, 0 equal.
    static int ComparePos(int L1, int C1, int L2, int C2);
    // The next / previous position; false at the document's end / start.
    bool NextPos(int &L, int &C) const;
    bool PrevPos(int &L, int &C) const;

    // Pos -1 is the line's end position. CaretMoved follows when the caret's place changed.
    void MoveCaretTo(int Line, int Pos, bool UpdateAttr);
    void MoveChars(int Delta);
    void MoveLines(int Delta);
    void MovePageUp();
    void MovePageDown();
    // From (LineA, PosA) to the position before (LineB, PosB); LineB -1 is the last line, PosB -1
    // the end position of LineB.
    void SelectRange(int LineA, int PosA, int PosB, int LineB);
    void SelectAll() { SelectRange(0, 1, -1, -1); }
    void ClearSelection();
    // The attribute bits every selected character shares (0 without a selection).
    uint8_t CommonAttr() const;
    // Selects the word under or before Pos on Line, as a double-click does.
    void SelectWordAt(int Line, int Pos);
    // Selects Line with its line break, as a triple click does.
    void SelectLineAt(int Line);
    // Ctrl+Left / Ctrl+Right: to the start of the current or previous word (-1), or of the next
    // word (1).
    void MoveWord(int Direction);
    // Ctrl+Backspace / Ctrl+Delete: deletes to where MoveWord would go, or the selection.
    void DeleteWord(int Direction);

    // ---- Editing
    virtual void InsertText(int Line, int Pos, const QByteArray &Attrs, const QByteArray &Text);
    void InsertAtCaret(const QByteArray &Text, const QByteArray &Attrs);
    void InsertAt(int Line, int Pos, const QByteArray &Attrs, const QByteArray &Text);
    virtual void SplitLine(int Line, int Pos);
    // PosB -1 is the last character of LineB. Ranges touching a picture line are not deleted.
    void DeleteRange(int LineA, int PosA, int PosB, int LineB);
    void DeleteChars(int Line, int Pos, int Count);
    virtual void JoinLines(int Line);
    void DeleteSelection();
    void DeleteForward();
    void DeleteBackward();
    void InsertTab();

    // ---- Styles, justification, clipboard, pictures
    void ToggleStyle(uint8_t Value);
    // Applies a style or font value to every selected character.
    virtual void ApplyStyleTo(uint8_t Value);
    void Justify(int Mode); // 0 centre, 1 left, 2 right, 3 break at the right edge
    // Joins the selected lines, or the caret's paragraph (up to an empty line or a picture), and
    // breaks them again at the last plain space within the right edge; one step.
    void ReflowParagraph();
    // The paragraph holding Line: the text lines around it up to an empty line or a picture.
    bool ParagraphAt(int Line, int &First, int &Last) const;
    void TrimLine(int Line);
    virtual void CenterLine(int Line);
    virtual void RightAlignLine(int Line);
    // Returns whether the line was split.
    bool BreakAtRightEdge(int Line);
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    bool CanPaste() const;
    // A picture from Bitmap, or from the bitmap file FileName when Bitmap is null; Line and Pos -1
    // mean the caret. TGV documents only. Raises EErrorLoading before changing anything.
    void InsertPicture(int Line, int Pos, const QString &FileName, const QImage &Bitmap = QImage());
    void InsertGrobFile(int Line, int Pos, const QString &FileName);
    void DeletePictureLine(int Line);

    // ---- Find and replace (patterns and replacements in calculator codes)
    // Selects the next match after the selection (Backward: the one before it), going round at the
    // document's end; false when there is none. Wrapped tells whether the search went round.
    bool FindNext(const QByteArray &Pattern, TSearchOptions Options, bool Backward, bool *Wrapped = nullptr);
    // Whether the selection is exactly one match.
    bool SelectionMatches(const QByteArray &Pattern, TSearchOptions Options) const;
    // Replaces the selected match, if it is one, then finds the next; false when none is left.
    bool ReplaceNext(const QByteArray &Pattern, const QByteArray &With, TSearchOptions Options, bool *Wrapped = nullptr);
    // Replaces every match as one step of the history; returns how many.
    int ReplaceAll(const QByteArray &Pattern, const QByteArray &With, TSearchOptions Options);

    // ---- Files (each returns the bytes read or written, also kept as FileSize)
    qint64 LoadText(const QString &FileName, TEditor Kind);
    qint64 LoadTgv(const QString &FileName);
    // Data as a file of this editor's kind reads; the document keeps no file name.
    qint64 LoadData(const QByteArray &Data);
    qint64 SaveText(const QString &FileName, TEditor Kind, const QString &ExecuteWith);
    qint64 SaveTgv(const QString &FileName, bool Hp49);

    // ---- Layout and painting
    int ScrollX() const { return FScrollX; }
    int ScrollY() const { return FScrollY; }
    int ViewWidth() const { return FViewWidth; }
    int ViewHeight() const { return FViewHeight; }
    int TopLine() const { return FTopLine; }
    int BottomLine() const { return FBottomLine; }
    void ComputeViewSize();
    // Document y of line I's top edge; LineTop(LineCount()) is the bottom of the last line.
    int LineTop(int I) const { return FTops[size_t(I)]; }
    // Lays out the lines from From again; the document's signals keep the layout otherwise.
    void RecomputeTops(int From);
    void UpdateVisibleLines();
    // (x, top) of a position in document coordinates.
    QPoint CaretPos(int Line, int Pos) const;
    virtual int NextX(int X, int Line, int Pos) const;
    virtual int CharWidth(int Line, int Pos);
    virtual int LineHeight(int Line) const;
    int LineAtY(int Y) const;
    int ColumnAtX(int Line, int X) const;
    // Document x of the right-edge line.
    int RightEdgeX() const { return Zoom * FCellWidth * FRightEdge + 1; }
    // From..To on Line (-1: first / last character) and ranges over lines (-1: the visible lines,
    // the first position, the end of LineB).
    void InvalidateLinePart(int Line, int From, int To);
    void InvalidateRange(int LineA, int PosA, int PosB, int LineB);
    // From (Line, Pos) to the end of that line, or to the end of the view when ToViewEnd.
    void InvalidateFrom(int Line, int Pos, bool ToViewEnd);
    // Lines First..Last across the whole view.
    void InvalidateLines(int First, int Last);
    void InvalidateAll();
    // After a change that moved every line below document y OldBottom by Dy: their pixels on
    // screen move with them instead of being drawn again.
    void ShiftViewBelow(int OldBottom, int Dy);
    void ScrollBy(int Dx, int Dy);
    void ScrollToLine(int I);
    void ScrollPageUp();
    void ScrollPageDown();
    void ScrollToCaret();
    // The whole document drawn as the editor draws it (no caret, no selection), at least as wide
    // as the right edge. Raises EErrorSaving when the drawing would be too large to hold.
    QImage RenderDocument();

    void Warn(const QString &Text);

signals:
    // The caret stands at another line or column (both 0-based line, 1-based column).
    void CaretMoved(int Line, int Col);

public:
    void Note(const QString &Text);
    // Tells the user how many characters had no calculator code and how many this kind of
    // document cannot hold, and so were left out (nothing for none).
    void NoteLeftOut(int NoEquivalent, int NotAllowed = 0);

protected:
    // Draws Line into the back buffer the paint event set up.
    void PaintLine(int Line);
    virtual void AddFirstLine();

    void paintEvent(QPaintEvent *Event) override;
    void resizeEvent(QResizeEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;
    void mouseDoubleClickEvent(QMouseEvent *Event) override;
    void wheelEvent(QWheelEvent *Event) override;
    void focusInEvent(QFocusEvent *Event) override;
    void focusOutEvent(QFocusEvent *Event) override;
    void scrollContentsBy(int Dx, int Dy) override;
    bool event(QEvent *Event) override;
    void inputMethodEvent(QInputMethodEvent *Event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery Query) const override;

private:
    void Loaded();
    void PostNotify(int Type, int Arg);
    void UpdateSelection();
    void UpdateCurrentAttr();
    void PlaceCaret();
    void InvalidateCaret();
    void CaretBlink();
    void VerticalAction(int Action);
    // The horizontal bar follows the widest line, once the current event is done.
    void ScheduleHorizontalBar();
    void UpdateHorizontalBar();
    QTimer FHorizontalTimer;
    // Wheel turns too small to scroll a pixel yet, in eighths of a degree times pixels a notch.
    QPoint FWheelRemainder;
    int FReportedLine = -1;
    int FReportedCol = -1;
    int BlankCellWidth() const { return Zoom * FCellWidth; }
    bool RangeHasPicture(int LineA, int LineB) const;
    // A selection that holds a picture with other lines cannot go: a picture goes only when it is
    // selected alone. Says so in the status bar and returns true when the selection is one of those.
    bool RefuseStuckSelection();
    bool PictureSelectedAlone() const;
    void HandleKey(QKeyEvent *Event);
    // The replacement as the kind stores it, all in attribute Attr.
    QByteArray Replacement(const QByteArray &With, uint8_t Attr, QByteArray &Attrs) const;
    // Calculator codes of typed text through the calculator's character set, CR becoming a line
    // feed; characters without a code are left out and counted in LeftOut.
    static QByteArray TypedCodes(const QString &Text, int *LeftOut);

    // Inserts typed codes at the caret as one typing step; codes the kind refuses are left out,
    // and when none is left nothing changes and a note says why.
    void TypeCodes(const QByteArray &Codes);
    void NextWordPos(int &L, int &C) const;
    void PrevWordPos(int &L, int &C) const;
    QRect DocToScreen(const QRect &R) const { return R.translated(-FScrollX, -FScrollY); }

    // Document
    THPDocument *FDoc;                            // a child object
    TDocumentPainter FPainter;                    // draws the document's lines
    int FTabLength = 4;
    int FRightEdge = 22;

    // Fonts
    QString FDefaultFontXView = QStringLiteral("XVDefault");
    QString FDefaultFontTgvNormal = QStringLiteral("tgvnormal");
    QString FDefaultFontTgvFont1 = QStringLiteral("tgvfnt1");
    QString FDefaultFontTgvMini = QStringLiteral("tgvmini");
    QString FDefaultFontEden = QStringLiteral("XVDefault");
    QString FDefaultFontStandard = QStringLiteral("XVDefault");
    QString FDefaultFontHp49 = QStringLiteral("XVDefault");

    // Caret and selection
    int FCaretLine = 0;
    int FCaretCol = 1;
    int FAnchorLine = 0;
    int FAnchorCol = 1;
    int FSelStartLine = 0;
    int FSelStartCol = 1;
    int FSelEndLine = 0;
    int FSelEndCol = 1;
    bool FSelected = false;
    bool FExtendSelection = false;
    uint8_t FCurrentAttr = 0;

    // Steps of the history: the commands that are running, and whether the one that opened the
    // step types characters.
    friend class TEditStep;
    int FStepDepth = 0;
    TCaretState CaretState() const;
    void RestoreCaret(const TCaretState &Caret);
    void LinesReplaced(int First, int OldCount, int NewCount);
    // The layout and the screen follow the document: OldCount lines from First became NewCount.
    void Relayout(int First, int OldCount, int NewCount);

    // Geometry and view: the top of every line and, last, the bottom of the document; empty until
    // the first layout.
    std::vector<int> FTops;
    uint8_t FCellWidth = 6;
    uint8_t FCellHeight = 8;
    int FLeftMargin = 3;
    int FTopMargin = 3;
    int FScrollX = 0;
    int FScrollY = 0;
    int FViewWidth = 0;
    int FViewHeight = 0;
    int FViewRight = 0;
    int FViewBottom = 0;
    int FTopLine = 0;
    int FBottomLine = 0;
    bool FHasFocus = false;
    bool FSyncingScrollBar = false;

    // Painting: the back buffer the paint event draws into.
    QImage FBackBuffer;

    // A drag held outside the view keeps selecting and scrolling.
    QTimer FDragTimer;
    // A click soon after a double-click makes a triple click.
    QElapsedTimer FClickTimer;
    QPoint FDoubleClickPoint;
    QPoint FDragPoint; // viewport coordinates
    void DragTo(QPoint Point);

    // Caret blinking
    QTimer FCaretTimer;
    bool FCaretShown = false;
    QRect FCaretRect; // document coordinates of the caret as last placed
};

// Makes everything a command does between its construction and its end one step of the history;
// commands called by a command join the step of the outer one.
class TEditStep {
public:
    explicit TEditStep(THPEdit2 *Ed, bool Typing = false);
    ~TEditStep();
    TEditStep(const TEditStep &) = delete;
    TEditStep &operator=(const TEditStep &) = delete;

private:
    THPEdit2 *FEd;
    bool FTyping;
};
