// The caret and the selection, and how keys and the mouse move and edit them.
#include "u_THPEdit2.h"

#include "u_CalcCharset.h"
#include "u_Errors.h"
#include "u_ResourceStrings.h"

#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyleHints>
#include <QWheelEvent>
#include <algorithm>

// ---- Caret and selection

void THPEdit2::MoveCaretTo(int Line, int Pos, bool UpdateAttr)
{
    if (FTops.empty())
        return;
    Line = std::clamp(Line, 0, LineCount() - 1);
    const int end = LineLength(Line) + 1;
    Pos = Pos == -1 ? end : std::clamp(Pos, 1, end);
    FCaretLine = Line;
    FCaretCol = Pos;
    ScrollToCaret();
    PlaceCaret();
    UpdateSelection();
    if (UpdateAttr)
        UpdateCurrentAttr();
    if (FCaretLine != FReportedLine || FCaretCol != FReportedCol) {
        FReportedLine = FCaretLine;
        FReportedCol = FCaretCol;
        emit CaretMoved(FCaretLine, FCaretCol);
    }
}

void THPEdit2::UpdateSelection()
{
    if (FExtendSelection && ComparePos(FCaretLine, FCaretCol, FAnchorLine, FAnchorCol) != 0) {
        int sl = FCaretLine, sc = FCaretCol, el = FAnchorLine, ec = FAnchorCol;
        if (ComparePos(sl, sc, el, ec) > 0) {
            std::swap(sl, el);
            std::swap(sc, ec);
        }
        PrevPos(el, ec);
        if (!FSelected) {
            FSelected = true;
            FSelStartLine = sl;
            FSelStartCol = sc;
            FSelEndLine = el;
            FSelEndCol = ec;
            InvalidateRange(sl, sc, ec, el);
            return;
        }
        // Only the positions that entered or left the selection are painted again.
        auto invalidateBetween = [this](int L1, int C1, int L2, int C2) {
            if (ComparePos(L1, C1, L2, C2) == 0)
                return;
            if (ComparePos(L1, C1, L2, C2) > 0) {
                std::swap(L1, L2);
                std::swap(C1, C2);
            }
            InvalidateRange(L1, C1, C2, L2);
        };
        invalidateBetween(FSelStartLine, FSelStartCol, sl, sc);
        invalidateBetween(FSelEndLine, FSelEndCol, el, ec);
        FSelStartLine = sl;
        FSelStartCol = sc;
        FSelEndLine = el;
        FSelEndCol = ec;
        return;
    }
    if (FSelected)
        InvalidateRange(FSelStartLine, FSelStartCol, FSelEndCol, FSelEndLine);
    FAnchorLine = FCaretLine;
    FAnchorCol = FCaretCol;
    FSelected = false;
}

void THPEdit2::UpdateCurrentAttr()
{
    if (FSelected)
        SetCurrentAttr(CommonAttr());
    else
        // Typing continues the style of the character before the caret.
        SetCurrentAttr(AttrAt(FCaretLine, FCaretCol == 1 ? 1 : FCaretCol - 1));
}

uint8_t THPEdit2::CommonAttr() const
{
    if (!FSelected)
        return 0;
    uint8_t r = 0xFF;
    for (int l = FSelStartLine; l <= FSelEndLine && r; ++l) {
        const int n = LineLength(l);
        const int from = l == FSelStartLine ? FSelStartCol : 1;
        const int to = std::min(l == FSelEndLine ? FSelEndCol : n + 1, n); // line ends do not count
        for (int p = from; p <= to; ++p)
            r &= AttrAt(l, p); // a picture reads 0 and clears every bit
    }
    return r == 0xFF ? 0 : r;
}

void THPEdit2::ClearSelection()
{
    FExtendSelection = false;
    if (FSelected)
        MoveCaretTo(FCaretLine, FCaretCol, true);
}

void THPEdit2::MoveChars(int Delta)
{
    int l = FCaretLine, c = FCaretCol;
    for (int i = 0; i < -Delta && PrevPos(l, c); ++i) {
    }
    for (int i = 0; i < Delta && NextPos(l, c); ++i) {
    }
    MoveCaretTo(l, c, true);
}

void THPEdit2::MoveLines(int Delta)
{
    const int target = std::clamp(FCaretLine + Delta, 0, LineCount() - 1);
    const int x = CaretPos(FCaretLine, FCaretCol).x();
    MoveCaretTo(target, ColumnAtX(target, x), true);
}

void THPEdit2::MovePageUp()
{
    const int x = CaretPos(FCaretLine, FCaretCol).x();
    ScrollPageUp();
    MoveCaretTo(FTopLine, ColumnAtX(FTopLine, x), true);
}

void THPEdit2::MovePageDown()
{
    const int x = CaretPos(FCaretLine, FCaretCol).x();
    ScrollPageDown();
    MoveCaretTo(FTopLine, ColumnAtX(FTopLine, x), true);
}

void THPEdit2::SelectRange(int LineA, int PosA, int PosB, int LineB)
{
    if (LineB == -1)
        LineB = LineCount() - 1;
    LineB = std::clamp(LineB, 0, LineCount() - 1);
    if (PosB == -1)
        PosB = LineLength(LineB) + 1;
    FExtendSelection = false;
    MoveCaretTo(LineA, PosA, false);
    FExtendSelection = true;
    MoveCaretTo(LineB, PosB, true);
}

void THPEdit2::SelectWordAt(int Line, int Pos)
{
    Line = std::clamp(Line, 0, LineCount() - 1);
    Pos = std::clamp(Pos, 1, LineLength(Line) + 1);
    int n = Pos;
    while (n > 1 && CharAt(Line, n) == CharSpace)
        --n;
    int b = n;
    if (CharAt(Line, n) != CharSpace)
        while (b > 1 && CharAt(Line, b - 1) != CharSpace)
            --b;
    const int end = LineLength(Line) + 1;
    int d = b;
    while (d < end && CharAt(Line, d) != CharSpace)
        ++d;
    FExtendSelection = false;
    MoveCaretTo(Line, b, true);
    FExtendSelection = true;
    MoveCaretTo(Line, d, true);
}

void THPEdit2::SelectLineAt(int Line)
{
    Line = std::clamp(Line, 0, LineCount() - 1);
    // The line break goes with the line, so that cutting a selected line removes it whole.
    if (Line + 1 < LineCount())
        SelectRange(Line, 1, 1, Line + 1);
    else
        SelectRange(Line, 1, -1, Line);
}

// Words are what a double-click selects: runs of characters between spaces and line ends.
void THPEdit2::NextWordPos(int &L, int &C) const
{
    const int end = LineLength(L) + 1;
    if (C >= end) {
        if (!NextPos(L, C))
            return;
    } else {
        while (C < end && CharAt(L, C) != CharSpace)
            ++C;
    }
    const int lineEnd = LineLength(L) + 1;
    while (C < lineEnd && CharAt(L, C) == CharSpace)
        ++C;
}

void THPEdit2::PrevWordPos(int &L, int &C) const
{
    auto isGap = [this](int Line, int Pos) {
        const uint8_t ch = CharAt(Line, Pos);
        return ch == CharSpace || ch == CharLineFeed;
    };
    int l = L, c = C;
    // Back over the gap before the caret (spaces and line breaks), then over the word.
    while (PrevPos(l, c) && isGap(l, c)) {
        L = l;
        C = c;
    }
    l = L;
    c = C;
    while (PrevPos(l, c) && !isGap(l, c)) {
        L = l;
        C = c;
    }
}

void THPEdit2::MoveWord(int Direction)
{
    int l = FCaretLine, c = FCaretCol;
    if (Direction < 0)
        PrevWordPos(l, c);
    else
        NextWordPos(l, c);
    MoveCaretTo(l, c, true);
}

void THPEdit2::DeleteWord(int Direction)
{
    if (FSelected) {
        DeleteSelection();
        return;
    }
    int l = FCaretLine, c = FCaretCol;
    if (Direction < 0)
        PrevWordPos(l, c);
    else
        NextWordPos(l, c);
    int fromL = FCaretLine, fromC = FCaretCol, toL = l, toC = c;
    if (ComparePos(fromL, fromC, toL, toC) > 0) {
        std::swap(fromL, toL);
        std::swap(fromC, toC);
    }
    if (ComparePos(fromL, fromC, toL, toC) == 0 || !PrevPos(toL, toC))
        return;
    DeleteRange(fromL, fromC, toC, toL);
}

// ---- Keyboard

bool THPEdit2::event(QEvent *Event)
{
    // Tab edits here; it must not move the focus to the next control.
    if (Event->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(Event);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            keyPressEvent(k);
            return true;
        }
    }
    return QAbstractScrollArea::event(Event);
}

void THPEdit2::keyPressEvent(QKeyEvent *Event)
{
    try {
        HandleKey(Event);
    } catch (const EError &e) {
        // A key never lets an error escape into the event loop; the user sees why it failed.
        Warn(e.Message());
    }
}

void THPEdit2::HandleKey(QKeyEvent *Event)
{
    const Qt::KeyboardModifiers mods = Event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const int key = Event->key();
    FExtendSelection = shift;
    Event->accept();

    // Characters typed one after the other make one step; any other key ends it.
    static constexpr int EditingKeys[] = {Qt::Key_Backspace, Qt::Key_Tab,    Qt::Key_Backtab, Qt::Key_PageUp,
                                          Qt::Key_PageDown,  Qt::Key_End,    Qt::Key_Home,    Qt::Key_Left,
                                          Qt::Key_Up,        Qt::Key_Right,  Qt::Key_Down,    Qt::Key_Delete,
                                          Qt::Key_Return,    Qt::Key_Enter,  Qt::Key_Insert};
    if (ctrl || std::find(std::begin(EditingKeys), std::end(EditingKeys), key) != std::end(EditingKeys))
        FDoc->BreakMerge();

    if (ctrl && key == Qt::Key_Z && !shift)
        Undo();
    else if (ctrl && (key == Qt::Key_Y || (key == Qt::Key_Z && shift)))
        Redo();
    else if (ctrl && (key == Qt::Key_Insert || key == Qt::Key_C))
        CopyToClipboard();
    else if (shift && key == Qt::Key_Insert)
        PasteFromClipboard();
    else if (ctrl && key == Qt::Key_V)
        PasteFromClipboard();
    else if (shift && key == Qt::Key_Delete)
        CutToClipboard();
    else if (ctrl && key == Qt::Key_X)
        CutToClipboard();
    else if (ctrl && key == Qt::Key_Home)
        MoveCaretTo(0, 1, true);
    else if (ctrl && key == Qt::Key_End)
        MoveCaretTo(LineCount() - 1, -1, true);
    else if (ctrl && key == Qt::Key_Left)
        MoveWord(-1);
    else if (ctrl && key == Qt::Key_Right)
        MoveWord(1);
    else if (ctrl && key == Qt::Key_Backspace)
        DeleteWord(-1);
    else if (ctrl && key == Qt::Key_Delete)
        DeleteWord(1);
    else if (key == Qt::Key_Backspace) {
        if (FSelected)
            DeleteSelection();
        else
            DeleteBackward();
    }
    else if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        InsertTab();
    else if (key == Qt::Key_PageUp)
        MovePageUp();
    else if (key == Qt::Key_PageDown)
        MovePageDown();
    else if (key == Qt::Key_End)
        MoveCaretTo(FCaretLine, -1, true);
    else if (key == Qt::Key_Home)
        MoveCaretTo(FCaretLine, 1, true);
    else if (key == Qt::Key_Left)
        MoveChars(-1);
    else if (key == Qt::Key_Up)
        MoveLines(-1);
    else if (key == Qt::Key_Right)
        MoveChars(1);
    else if (key == Qt::Key_Down)
        MoveLines(1);
    else if (key == Qt::Key_Delete) {
        if (FSelected)
            DeleteSelection();
        else
            DeleteForward();
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        InsertAtCaret(QByteArray(1, char(CharLineFeed)), QByteArray(1, char(FCurrentAttr)));
    } else {
        // A character: Latin-1 text is the calculator code of the same value. Ctrl or Alt
        // combinations are commands (Ctrl+Alt together is AltGr on some keyboards), and Escape is
        // no character, so none of them inserts anything.
        const QString text = Event->text();
        const bool alt = mods & Qt::AltModifier;
        if (text.isEmpty() || ctrl != alt || (mods & Qt::MetaModifier) || key == Qt::Key_Escape) {
            Event->ignore();
            return;
        }
        int leftOut = 0;
        const QByteArray codes = TypedCodes(text, &leftOut);
        NoteLeftOut(leftOut);
        if (codes.isEmpty()) {
            Event->ignore();
            return;
        }
        TypeCodes(codes);
    }
}

void THPEdit2::TypeCodes(const QByteArray &Codes)
{
    QByteArray kept;
    for (char ch : Codes)
        if (IsCharAllowed(uint8_t(ch), FDoc->Kind()) || uint8_t(ch) == CharLineFeed)
            kept.append(ch);
    // Nothing this kind can store: the document and the selection stay as they are.
    if (kept.isEmpty()) {
        Note(ResString(TResId::sCharNotAllowed));
        return;
    }
    TEditStep step(this, true);
    // Typing over a selection takes its style. Deleting it moved the style on to the character
    // before the selection, and the next letters typed must not switch to that one.
    const bool replacing = FSelected;
    const uint8_t attr = FCurrentAttr;
    InsertAtCaret(kept, QByteArray(1, char(attr)));
    if (replacing)
        SetCurrentAttr(attr);
}

QByteArray THPEdit2::TypedCodes(const QString &Text, int *LeftOut)
{
    // Backspace and Tab arrive as keys; Escape is no character.
    QString typed = Text;
    typed.remove(QChar(8)).remove(QChar(9)).remove(QChar(27));
    return CodesFromUnicode(typed, LeftOut).replace(char(CharReturn), char(CharLineFeed));
}

void THPEdit2::NoteLeftOut(int NoEquivalent, int NotAllowed)
{
    QStringList notes;
    const auto add = [&notes](int Count, TResId One, TResId Many) {
        if (Count > 0)
            notes << (Count == 1 ? ResString(One) : ResString(Many).arg(Count));
    };
    add(NoEquivalent, TResId::sNoCalculatorEquivalent1, TResId::sNoCalculatorEquivalentN);
    add(NotAllowed, TResId::sNotAllowedLeftOut1, TResId::sNotAllowedLeftOutN);
    if (notes.size() == 2)
        Note(ResString(TResId::sTwoNotes).arg(notes[0], notes[1]));
    else if (!notes.isEmpty())
        Note(notes[0]);
}

void THPEdit2::inputMethodEvent(QInputMethodEvent *Event)
{
    // Composed characters (dead keys, compose sequences) arrive here instead of as key text.
    int leftOut = 0;
    const QByteArray codes = TypedCodes(Event->commitString(), &leftOut);
    NoteLeftOut(leftOut);
    if (!codes.isEmpty()) {
        try {
            TypeCodes(codes);
        } catch (const EError &e) {
            Warn(e.Message());
        }
    }
    Event->accept();
}

QVariant THPEdit2::inputMethodQuery(Qt::InputMethodQuery Query) const
{
    switch (Query) {
    case Qt::ImCursorRectangle:
        return QRect(FCaretRect.translated(-FScrollX, -FScrollY).translated(viewport()->pos()));
    case Qt::ImEnabled:
        return true;
    case Qt::ImHints:
        return int(Qt::ImhNoPredictiveText);
    default:
        return QAbstractScrollArea::inputMethodQuery(Query);
    }
}

// ---- Mouse

void THPEdit2::mousePressEvent(QMouseEvent *Event)
{
    if (Event->button() != Qt::LeftButton)
        return;
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    const QPoint p = Event->position().toPoint();
    const int line = LineAtY(p.y() + FScrollY);
    const int pos = ColumnAtX(line, p.x() + FScrollX);
    FDoc->BreakMerge();
    // A third click soon after a double-click, near it, selects the line.
    const bool triple = FClickTimer.isValid() && FClickTimer.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval()
                        && (p - FDoubleClickPoint).manhattanLength() <= QGuiApplication::styleHints()->startDragDistance();
    FClickTimer.invalidate();
    if (triple && !(Event->modifiers() & Qt::ShiftModifier)) {
        SelectLineAt(line);
        return;
    }
    // Shift+click extends the selection from its anchor to the click.
    FExtendSelection = Event->modifiers() & Qt::ShiftModifier;
    MoveCaretTo(line, pos, true);
}

void THPEdit2::mouseMoveEvent(QMouseEvent *Event)
{
    if (!(Event->buttons() & Qt::LeftButton))
        return;
    DragTo(Event->position().toPoint());
    // Outside the view the selection goes on growing while the button is held still.
    if (viewport()->rect().contains(FDragPoint))
        FDragTimer.stop();
    else if (!FDragTimer.isActive())
        FDragTimer.start();
}

void THPEdit2::DragTo(QPoint Point)
{
    FDragPoint = Point;
    const int line = LineAtY(Point.y() + FScrollY);
    const int pos = ColumnAtX(line, Point.x() + FScrollX);
    FExtendSelection = true;
    MoveCaretTo(line, pos, true);
}

void THPEdit2::mouseReleaseEvent(QMouseEvent *Event)
{
    if (Event->button() == Qt::LeftButton)
        FDragTimer.stop();
}

void THPEdit2::mouseDoubleClickEvent(QMouseEvent *Event)
{
    if (Event->button() != Qt::LeftButton)
        return;
    const QPoint p = Event->position().toPoint();
    const int line = LineAtY(p.y() + FScrollY);
    SelectWordAt(line, ColumnAtX(line, p.x() + FScrollX));
    FDoubleClickPoint = p;
    FClickTimer.start();
}

void THPEdit2::wheelEvent(QWheelEvent *Event)
{
    Event->accept();
    if (FTops.empty())
        return;
    // Three text lines a notch. Touchpads give pixels; fine wheels give parts of a notch, which
    // add up until they make a pixel instead of being lost.
    static constexpr int PixelsPerNotch = 3 * Zoom * 8;
    static constexpr int LinesPerNotch = 3;
    const QPoint angle = Event->angleDelta();
    const bool shift = Event->modifiers() & Qt::ShiftModifier;
    // Whole notches of an ordinary wheel keep the lines aligned with the top of the view.
    if (Event->pixelDelta().isNull() && !shift && angle.x() == 0 && angle.y() % 120 == 0 && FWheelRemainder.y() == 0) {
        const int notches = angle.y() / 120;
        if (notches != 0)
            ScrollToLine(std::clamp(FTopLine - notches * LinesPerNotch, 0, LineCount() - 1));
        return;
    }
    QPoint pixels = Event->pixelDelta();
    if (pixels.isNull()) {
        FWheelRemainder += Event->angleDelta() * PixelsPerNotch;
        pixels = QPoint(FWheelRemainder.x() / 120, FWheelRemainder.y() / 120);
        FWheelRemainder -= pixels * 120;
    }
    int dx = -pixels.x(), dy = -pixels.y();
    // Shift turns a vertical wheel sideways.
    if (shift && dx == 0) {
        dx = dy;
        dy = 0;
    }
    const int last = LineCount() - 1;
    const bool fits = LineTop(last) + LineHeight(last) <= FViewHeight;
    const int maxY = fits ? 0 : LineTop(last);
    const int y = std::clamp(FScrollY + dy, 0, std::max(0, std::max(maxY, FScrollY)));
    const int x = std::clamp(FScrollX + dx, 0, std::max(horizontalScrollBar()->maximum(), FScrollX));
    ScrollBy(x - FScrollX, y - FScrollY);
}
