// Layout and painting: line geometry, hit testing, painting with the calculator fonts at 2 ×,
// invalidation, scrolling and the caret.
//
// Painting goes through a back buffer the document painter draws into; only the damaged rectangle
// is drawn and copied to the screen.
#include "u_THPEdit2.h"

#include "u_Errors.h"
#include "u_ResourceStrings.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

// ---- Geometry

void THPEdit2::ComputeViewSize()
{
    // The viewport is the control less its frame and its vertical scroll bar.
    FViewWidth = viewport()->width();
    FViewHeight = viewport()->height();
    FViewRight = FScrollX + FViewWidth - 1;
    FViewBottom = FScrollY + FViewHeight - 1;
}

int THPEdit2::LineHeight(int I) const
{
    return FPainter.LineHeight(I);
}

void THPEdit2::RecomputeTops(int From)
{
    const int count = LineCount();
    if (FTops.empty())
        From = 0;
    FTops.resize(size_t(count) + 1);
    From = std::clamp(From, 0, count);
    int top = From == 0 ? FTopMargin : FTops[size_t(From - 1)] + LineHeight(From - 1);
    for (int i = From; i < count; ++i) {
        FTops[size_t(i)] = top;
        top += LineHeight(i);
    }
    FTops[size_t(count)] = top;
}

void THPEdit2::Relayout(int First, int OldCount, int NewCount)
{
    // Before the first layout there is nothing to follow: NewDocument lays the lines out.
    if (FTops.empty())
        return;
    const auto first = FTops.begin() + First;
    const int oldBottom = first[OldCount];
    int y = *first;
    if (NewCount > OldCount)
        FTops.insert(first + OldCount, size_t(NewCount - OldCount), 0);
    else if (NewCount < OldCount)
        FTops.erase(first + NewCount, first + OldCount);
    for (int i = First; i < First + NewCount; ++i) {
        FTops[size_t(i)] = y;
        y += LineHeight(i);
    }
    // The lines below keep their heights and move as one block.
    const int dy = y - oldBottom;
    if (dy != 0)
        for (auto it = FTops.begin() + First + NewCount; it != FTops.end(); ++it)
            *it += dy;
    UpdateVisibleLines();
    ShiftViewBelow(oldBottom, dy);
    ScheduleHorizontalBar();
}

void THPEdit2::ScheduleHorizontalBar()
{
    FHorizontalTimer.start();
}

void THPEdit2::UpdateHorizontalBar()
{
    if (FTops.empty())
        return;
    int widest = RightEdgeX() + FLeftMargin;
    for (int i = 0; i < LineCount(); ++i)
        widest = std::max(widest, FPainter.LineEndX(i) + TDocumentPainter::MaxGlyphWidth);
    // The caret may have taken the view further right than any line reaches.
    const int maximum = std::max({0, widest - FViewWidth, FScrollX});
    QScrollBar *bar = horizontalScrollBar();
    FSyncingScrollBar = true;
    bar->setRange(0, maximum);
    bar->setPageStep(std::max(1, FViewWidth));
    bar->setSingleStep(BlankCellWidth());
    bar->setValue(FScrollX);
    FSyncingScrollBar = false;
}

void THPEdit2::UpdateVisibleLines()
{
    const int count = LineCount();
    if (count == 0)
        return;
    const int last = count - 1;
    // Tops grow with the index, so both searches are binary.
    auto firstBelow = [this, count](int Lo, auto Pred) {
        int hi = count;
        while (Lo < hi) {
            const int mid = Lo + (hi - Lo) / 2;
            if (Pred(mid))
                hi = mid;
            else
                Lo = mid + 1;
        }
        return Lo;
    };
    int top = firstBelow(0, [this](int i) { return LineTop(i) + LineHeight(i) - 1 >= FScrollY; });
    FTopLine = std::min(top, last);
    int bottom = firstBelow(FTopLine, [this](int i) { return LineTop(i) > FViewBottom; });
    FBottomLine = std::min(bottom, last);

    QScrollBar *bar = verticalScrollBar();
    FSyncingScrollBar = true;
    bar->setRange(0, last);
    bar->setPageStep(std::max(1, FBottomLine - FTopLine));
    bar->setValue(FTopLine);
    FSyncingScrollBar = false;
    // Nothing to scroll: the whole document shows from its top. The bar stays, disabled.
    const bool fits = FScrollY == 0 && LineTop(last) + LineHeight(last) - 1 <= FViewBottom;
    bar->setEnabled(!fits);
}

int THPEdit2::NextX(int X, int Line, int Pos) const
{
    if (CharAt(Line, Pos) == CharPicture)
        if (const TPictureHP *p = PictureOfLine(Line))
            return X + Zoom * p->Bitmap.width();
    return X + Zoom * FCellWidth;
}

QPoint THPEdit2::CaretPos(int Line, int Pos) const
{
    const int top = LineTop(Line);
    if (!PictureOfLine(Line))
        return QPoint(FLeftMargin + Zoom * FCellWidth * std::max(0, Pos - 1), top);
    int x = FLeftMargin;
    for (int p = 1; p < Pos; ++p)
        x = NextX(x, Line, p);
    return QPoint(x, top);
}

int THPEdit2::CharWidth(int Line, int Pos)
{
    if (const TPictureHP *p = PictureOfLine(Line); p && Pos == 1)
        return Zoom * p->Bitmap.width();
    if (CharAt(Line, Pos) == CharLineFeed)
        return 0;
    const TGrobFont *f = StyledFont(AttrAt(Line, Pos));
    return f->HasStrip() ? Zoom * f->FCharWidth : BlankCellWidth();
}

int THPEdit2::LineAtY(int Y) const
{
    const int count = LineCount();
    int lo = 0, hi = count;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (Y < LineTop(mid) + LineHeight(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    // Below the text lands on the last line.
    return std::min(lo, count - 1);
}

int THPEdit2::ColumnAtX(int Line, int X) const
{
    const int n = LineLength(Line);
    if (!PictureOfLine(Line)) {
        // Anywhere inside a cell gives the position before that character.
        const int cell = Zoom * FCellWidth;
        const int i = X < FLeftMargin ? 1 : (X - FLeftMargin) / cell + 1;
        return std::min(i, n + 1);
    }
    int x0 = FLeftMargin;
    for (int i = 1; i <= n; ++i) {
        x0 = NextX(x0, Line, i);
        if (X < x0)
            return i;
    }
    return n + 1;
}

// ---- Invalidation

void THPEdit2::InvalidateAll()
{
    viewport()->update();
}

void THPEdit2::InvalidateLinePart(int Line, int From, int To)
{
    if (Line < 0 || Line >= LineCount())
        return;
    // The line end counts: a selected line break is drawn as a cell of its own.
    const int n = LineLength(Line);
    if (From == -1)
        From = 1;
    if (To == -1 || To > n + 1)
        To = n + 1;
    if (From > n + 1)
        return;
    const int x1 = CaretPos(Line, From).x();
    const int x2 = CaretPos(Line, To).x() + std::max(CharWidth(Line, To), BlankCellWidth());
    viewport()->update(DocToScreen(QRect(x1, LineTop(Line), x2 - x1, LineHeight(Line))));
}

void THPEdit2::InvalidateRange(int LineA, int PosA, int PosB, int LineB)
{
    if (LineA == -1)
        LineA = FTopLine;
    if (LineB == -1)
        LineB = FBottomLine;
    if (PosA == -1)
        PosA = 1;
    if (LineB >= LineCount())
        LineB = LineCount() - 1;
    if (PosB == -1)
        PosB = LineLength(LineB) + 1;
    if (LineA != LineB) {
        InvalidateLinePart(LineA, PosA, -1);
        // Lines outside the view need no repaint.
        const int from = std::max(LineA + 1, FTopLine);
        const int to = std::min(LineB - 1, FBottomLine);
        for (int i = from; i <= to; ++i)
            InvalidateLinePart(i, 1, -1);
        PosA = 1;
    }
    InvalidateLinePart(LineB, PosA, PosB);
}

void THPEdit2::InvalidateFrom(int Line, int Pos, bool ToViewEnd)
{
    if (Line < 0 || Line >= LineCount())
        return;
    // From the cell before: its slanted glyph may reach into the changed cell.
    const int x = CaretPos(Line, Pos).x() - Zoom * FCellWidth;
    const int top = LineTop(Line);
    const int bottom = top + LineHeight(Line);
    QRect r = DocToScreen(QRect(x, top, FScrollX + FViewWidth - x, bottom - top));
    viewport()->update(r);
    if (ToViewEnd && bottom - FScrollY < FViewHeight)
        viewport()->update(QRect(0, bottom - FScrollY, FViewWidth, FViewHeight - (bottom - FScrollY)));
}

void THPEdit2::InvalidateLines(int First, int Last)
{
    First = std::max(First, 0);
    Last = std::min(Last, LineCount() - 1);
    if (First > Last)
        return;
    const int top = LineTop(First);
    const int bottom = LineTop(Last) + LineHeight(Last);
    viewport()->update(QRect(0, top - FScrollY, FViewWidth, bottom - top));
}

void THPEdit2::ShiftViewBelow(int OldBottom, int Dy)
{
    if (Dy == 0)
        return;
    // The moved lines start at OldBottom before and at OldBottom + Dy after: the rectangle spans
    // both, so that moving up fills the gap the removed lines leave. The strip the move uncovers
    // (new lines, or lines coming up from below the view) is painted again by the scroll itself.
    const int y = std::max(0, std::min(OldBottom, OldBottom + Dy) - FScrollY);
    if (y >= FViewHeight)
        return;
    viewport()->scroll(0, Dy, QRect(0, y, FViewWidth, FViewHeight - y));
}

// ---- Painting

void THPEdit2::paintEvent(QPaintEvent *Event)
{
    const QSize size = viewport()->size();
    if (FBackBuffer.width() < size.width() || FBackBuffer.height() < size.height())
        FBackBuffer = QImage(size.expandedTo(FBackBuffer.size()), QImage::Format_RGB32);
    const QRect clip = Event->rect().intersected(QRect(QPoint(0, 0), size));
    if (clip.isEmpty())
        return;
    TPaintSelection selection;
    selection.Active = FSelected;
    selection.StartLine = FSelStartLine;
    selection.StartCol = FSelStartCol;
    selection.EndLine = FSelEndLine;
    selection.EndCol = FSelEndCol;
    FPainter.Begin(FBackBuffer, clip, QPoint(FScrollX, FScrollY), selection);
    FPainter.Fill(clip, TDocumentPainter::White);
    if (!FTops.empty()) {
        FPainter.DrawRightEdge(FRightEdge);
        for (int i = FTopLine; i <= FBottomLine && i < LineCount(); ++i)
            PaintLine(i);
        if (FHasFocus && FCaretShown) {
            // The caret inverts what it covers, so it shows on a selection as on white.
            const QRect r = DocToScreen(FCaretRect).intersected(clip);
            for (int y = r.top(); y <= r.bottom(); ++y) {
                QRgb *d = reinterpret_cast<QRgb *>(FBackBuffer.scanLine(y));
                for (int x = r.left(); x <= r.right(); ++x)
                    d[x] ^= 0x00FFFFFF;
            }
        }
    }
    QPainter painter(viewport());
    painter.drawImage(clip.topLeft(), FBackBuffer, clip);
}

void THPEdit2::PaintLine(int Line)
{
    FPainter.PaintLine(Line, LineTop(Line));
}

QImage THPEdit2::RenderDocument()
{
    return FPainter.Render(FRightEdge);
}

// ---- Scrolling

void THPEdit2::ScrollBy(int Dx, int Dy)
{
    if (Dx == 0 && Dy == 0)
        return;
    FScrollX += Dx;
    FScrollY += Dy;
    FViewRight = FScrollX + FViewWidth - 1;
    FViewBottom = FScrollY + FViewHeight - 1;
    // The pixels on screen move; only the uncovered strip is painted again.
    viewport()->scroll(-Dx, -Dy);
    UpdateVisibleLines();
    if (Dx != 0) {
        QScrollBar *bar = horizontalScrollBar();
        FSyncingScrollBar = true;
        if (FScrollX > bar->maximum())
            bar->setMaximum(FScrollX);
        bar->setValue(FScrollX);
        FSyncingScrollBar = false;
    }
}

void THPEdit2::ScrollToLine(int I)
{
    if (I < 0 || I >= LineCount())
        return;
    const int target = I == 0 ? 0 : LineTop(I);
    ScrollBy(0, target - FScrollY);
}

void THPEdit2::ScrollPageUp()
{
    int j = LineAtY(LineTop(FTopLine) + LineHeight(FTopLine) - FViewHeight);
    if (j == FTopLine && FTopLine > 0)
        --j;
    ScrollToLine(j);
}

void THPEdit2::ScrollPageDown()
{
    int j = LineAtY(LineTop(FTopLine) + FViewHeight - 1);
    if (j == FTopLine && j != LineCount() - 1)
        ++j;
    ScrollToLine(j);
}

void THPEdit2::ScrollToCaret()
{
    const QPoint p = CaretPos(FCaretLine, FCaretCol);
    const int top = p.y(), x = p.x();
    const int h = LineHeight(FCaretLine);
    int sx = FScrollX, sy = FScrollY;
    // Horizontally in half-view steps, and only to follow the caret. A view too narrow to halve
    // jumps straight to the caret instead of looping.
    const int step = FViewWidth / 2;
    if (step <= 0) {
        sx = std::max(0, x - 1);
    } else {
        while (sx > x)
            sx = std::max(0, sx - step);
        while (sx + FViewWidth - 1 < x)
            sx += step;
    }
    if (top + h > FViewBottom)
        sy = top + h - FViewHeight + 1;
    if (sy > top)
        sy = top - FTopMargin;
    if (sy < 0)
        sy = 0;
    ScrollBy(sx - FScrollX, sy - FScrollY);
}

void THPEdit2::scrollContentsBy(int, int)
{
    // The bar's value follows the view, never the other way round: see VerticalAction.
}

void THPEdit2::VerticalAction(int Action)
{
    QScrollBar *bar = verticalScrollBar();
    switch (Action) {
    case QAbstractSlider::SliderSingleStepSub:
        if (FTopLine > 0)
            ScrollToLine(FTopLine - 1);
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        if (FTopLine < LineCount() - 1)
            ScrollToLine(FTopLine + 1);
        break;
    case QAbstractSlider::SliderPageStepSub:
        ScrollPageUp();
        break;
    case QAbstractSlider::SliderPageStepAdd:
        ScrollPageDown();
        break;
    case QAbstractSlider::SliderMove:
        ScrollToLine(bar->sliderPosition());
        return;
    default:
        break;
    }
    bar->setSliderPosition(FTopLine);
}

void THPEdit2::resizeEvent(QResizeEvent *Event)
{
    QAbstractScrollArea::resizeEvent(Event);
    ComputeViewSize();
    if (!FTops.empty()) {
        UpdateVisibleLines();
        ScheduleHorizontalBar();
    }
}

// ---- Caret

void THPEdit2::PlaceCaret()
{
    const QPoint p = CaretPos(FCaretLine, FCaretCol);
    const QRect r(p.x() - 1, p.y(), 2, Zoom * FCellHeight);
    if (FHasFocus) {
        viewport()->update(DocToScreen(FCaretRect));
        viewport()->update(DocToScreen(r));
        // A caret that moved shows at once, then blinks.
        FCaretShown = true;
        FCaretTimer.start();
    }
    FCaretRect = r;
}

void THPEdit2::InvalidateCaret()
{
    viewport()->update(DocToScreen(FCaretRect));
}

void THPEdit2::CaretBlink()
{
    FCaretShown = !FCaretShown;
    InvalidateCaret();
}

void THPEdit2::focusInEvent(QFocusEvent *Event)
{
    QAbstractScrollArea::focusInEvent(Event);
    FHasFocus = true;
    MoveCaretTo(FCaretLine, FCaretCol, false);
    FCaretShown = true;
    FCaretTimer.start();
    InvalidateCaret();
}

void THPEdit2::focusOutEvent(QFocusEvent *Event)
{
    QAbstractScrollArea::focusOutEvent(Event);
    FCaretTimer.stop();
    FCaretShown = false;
    FHasFocus = false;
    InvalidateCaret();
}
