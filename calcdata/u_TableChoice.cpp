#include "u_TableChoice.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>

bool TPlagesParser::NextRange(int &Low, int &High)
{
    // Each part is accumulated as it is read; a part with no digit stays unset. A third part (after
    // a second "-") is read over and kept nowhere.
    int64_t parts[2] = {0, 0};
    bool hasDigits[2] = {false, false};
    int part = 0;
    for (;;) {
        if (FParsePos > FText.size()) {
            if (!hasDigits[0])
                return false;
            break;
        }
        const QChar c = FText.at(FParsePos - 1);
        ++FParsePos;
        if (c >= u'0' && c <= u'9') {
            if (part < 2) {
                parts[part] = std::min<int64_t>(parts[part] * 10 + (c.unicode() - u'0'), MaxPlagesNumber);
                hasDigits[part] = true;
            }
        } else if (c == u';') {
            break;
        } else if (c == u'-') {
            if (part < 2)
                ++part;
        }
    }
    Low = hasDigits[0] ? int(parts[0]) : 0;
    High = hasDigits[1] ? int(parts[1]) : Low;
    return true;
}

std::vector<int> ParsePlages(const QString &Plages)
{
    std::vector<int> values;
    TPlagesParser parser(Plages);
    int low = 0;
    int high = 0;
    while (parser.NextRange(low, high)) {
        for (int64_t v = low; v <= high; ++v) {
            if (values.size() >= size_t(MaxTableCells))
                return values;
            values.push_back(int(v));
        }
    }
    return values;
}

TTableSpin::TTableSpin(QWidget *Parent) : QWidget(Parent), FUp(new QToolButton(this)), FDown(new QToolButton(this))
{
    FUp->setObjectName(QStringLiteral("UpButton"));
    FDown->setObjectName(QStringLiteral("DownButton"));
    for (QToolButton *b : {FUp, FDown}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRaise(false);
    }
    FUp->setArrowType(Qt::UpArrow);
    FDown->setArrowType(Qt::DownArrow);
    connect(FUp, &QToolButton::clicked, this, &TTableSpin::UpClick);
    connect(FDown, &QToolButton::clicked, this, &TTableSpin::DownClick);
}

void TTableSpin::resizeEvent(QResizeEvent *)
{
    const int half = height() / 2;
    FUp->setGeometry(0, 0, width(), half);
    FDown->setGeometry(0, half, width(), height() - half);
}

TTableChoice::TTableChoice(QWidget *Parent)
    : QFrame(Parent), FCellColor(QApplication::palette().color(QPalette::ToolTipBase)), FSpin(new TTableSpin(this))
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    FSpin->setObjectName(QStringLiteral("FSpin"));
    FSpin->hide();
    connect(FSpin, &TTableSpin::UpClick, this, &TTableChoice::ScrollUp);
    connect(FSpin, &TTableSpin::DownClick, this, &TTableChoice::ScrollDown);
}

void TTableChoice::SetPlages(const QString &Value)
{
    if (Value == FPlages)
        return;
    FPlages = Value;
    // The old cells' indexes mean nothing for the new numbers.
    FCells.clear();
    FSelected = -1;
    FHover = -1;
    FPressed = false;
    Relayout();
}

void TTableChoice::SetBackGroundColor(const QColor &Value)
{
    FBackGroundColor = Value;
    update();
}

void TTableChoice::SetCellColor(const QColor &Value)
{
    FCellColor = Value;
    update();
}

void TTableChoice::SetWidthItem(int Value)
{
    FWidthItem = std::max(0, Value);
    Relayout();
}

void TTableChoice::SetHeightItem(int Value)
{
    FHeightItem = std::max(0, Value);
    Relayout();
}

void TTableChoice::SetDefaultSelect(bool Value)
{
    FDefaultSelect = Value;
    update();
}

void TTableChoice::Relayout()
{
    Arrange();
    update();
}

void TTableChoice::AddCell(int Value)
{
    TCell cell;
    cell.Value = Value;
    FCells.push_back(cell);
}

void TTableChoice::BuildCells()
{
    for (int v : ParsePlages(FPlages.isEmpty() ? QStringLiteral("0-10") : FPlages))
        AddCell(v);
}

void TTableChoice::Arrange()
{
    if (FCells.empty())
        BuildCells();

    const int w = width();
    const int h = height();
    // A new size shows the table from its top again. (Checked here rather than on the resize event,
    // which a hidden control only gets when it is shown.)
    if (size() != FBandSize) {
        FBandSize = size();
        FScrollTop = 0;
        FScrollBottom = h - 2;
    }
    FGridLeft = 3;
    FGridRight = w - 5;
    FGridTop = 3;
    FGridBottom = h - 3;
    FPitchX = FWidthItem + 4;
    FPitchY = FHeightItem + 4;

    // A control too narrow for one column still gets one: its cells are clipped at the edge
    // rather than laid out in no column at all.
    const int columns = std::max(1, (w - 11) / (FWidthItem + 3));
    const int64_t rows = (int64_t(FCells.size()) + columns - 1) / columns;
    if (int64_t(FHeightItem + 3) * rows + 3 > h - 3) {
        const int spinLeft = w - 19;
        const int fw = frameWidth();
        FSpin->setGeometry(spinLeft + fw, 2 + fw, 17, std::max(0, h - 5));
        FSpin->show();
        FGridRight = spinLeft - 2;
    } else {
        FSpin->hide();
    }

    // Neighbouring cells share their border line: each cell starts on the last pixel of the one
    // before, horizontally and vertically.
    int x = 4;
    int y = 4;
    for (TCell &cell : FCells) {
        if (x + FPitchX > FGridRight && x != 4) {
            FGridRight = x + 1;
            x = 4;
            y += FPitchY - 1;
        }
        cell.Left = x;
        cell.Right = x + FPitchX - 1;
        cell.Top = y;
        cell.Bottom = y + FPitchY - 1;
        x = cell.Right;
    }
    FGridBottom = y + FPitchY;
}

int TTableChoice::HitTest(int X, int Y) const
{
    if (!(FGridLeft < X && X < FGridRight && FGridTop < Y && Y < FGridBottom))
        return -1;
    for (size_t i = 0; i < FCells.size(); ++i) {
        const TCell &c = FCells[i];
        if (c.Left <= X && X <= c.Right && c.Top <= Y && Y <= c.Bottom)
            return int(i);
    }
    return -1;
}

void TTableChoice::ScrollDown()
{
    if (FScrollBottom < FGridBottom) {
        FScrollTop += FPitchY;
        FScrollBottom += FPitchY;
        update();
    }
}

void TTableChoice::ScrollUp()
{
    if (FGridTop < FScrollTop) {
        FScrollTop -= FPitchY;
        FScrollBottom -= FPitchY;
        update();
    }
}

QSize TTableChoice::sizeHint() const
{
    // Nine columns beside the arrows, and a good part of a 256-character table in height.
    const int w = 4 + 9 * (FWidthItem + 3) + 1 + 24;
    return {w, 267};
}

QPoint TTableChoice::ClientPos(const QPointF &WidgetPos) const
{
    const int fw = frameWidth();
    return {int(WidgetPos.x()) - fw, int(WidgetPos.y()) - fw};
}

QRect TTableChoice::CellScreenRect(const TCell &Cell) const
{
    const int fw = frameWidth();
    // The selection frame lies one pixel outside the cell.
    return QRect(QPoint(Cell.Left - 1, ScreenY(Cell.Top) - 1), QPoint(Cell.Right + 1, ScreenY(Cell.Bottom) + 1))
        .translated(fw, fw);
}

void TTableChoice::resizeEvent(QResizeEvent *Event)
{
    QFrame::resizeEvent(Event);
    Arrange();
}

void TTableChoice::PaintCell(QPainter &Canvas, const TCell &Cell, const TEventAfficheItem &Painter)
{
    Painter(Canvas, Cell.Left + 2, ScreenY(Cell.Top + 2), Cell.Right - 2, ScreenY(Cell.Bottom - 2), Cell.Value);
    // The owner may leave any mode behind; the table's own lines are plain.
    Canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    Canvas.setPen(Qt::black);
    Canvas.setBrush(Qt::NoBrush);
}

void TTableChoice::paintEvent(QPaintEvent *Event)
{
    // The layout follows every change of size, item size and ranges as it happens; only a table
    // that was never laid out is laid out here.
    if (FCells.empty())
        Arrange();

    QPainter p(this);
    drawFrame(&p);
    const int fw = frameWidth();
    p.setClipRect(contentsRect());
    p.translate(fw, fw);

    p.fillRect(QRect(0, 0, width() - 2, height() - 2), FBackGroundColor);
    p.fillRect(QRect(QPoint(FGridLeft, ScreenY(FGridTop)), QPoint(FGridRight, ScreenY(FGridBottom))), FCellColor);

    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    // A selection change repaints two cells; the others need not be drawn for it.
    const QRect dirty = Event->rect().translated(-fw, -fw);
    for (const TCell &cell : FCells) {
        if (cell.Bottom < FScrollTop || cell.Top > FScrollBottom)
            continue;
        if (!dirty.intersects(QRect(QPoint(cell.Left, ScreenY(cell.Top)), QPoint(cell.Right, ScreenY(cell.Bottom)))))
            continue;
        p.drawRect(QRect(cell.Left, ScreenY(cell.Top), cell.Right - cell.Left, cell.Bottom - cell.Top));
        if (OnAfficheItem)
            PaintCell(p, cell, OnAfficheItem);
    }
    DrawSelection(p);
}

namespace {
// A line whose end point is left out, as the selection frame is measured.
void LineExcl(QPainter &Canvas, int X1, int Y1, int X2, int Y2)
{
    if (Y1 == Y2 && X2 > X1)
        Canvas.drawLine(X1, Y1, X2 - 1, Y1);
    else if (X1 == X2 && Y2 > Y1)
        Canvas.drawLine(X1, Y1, X1, Y2 - 1);
}
} // namespace

void TTableChoice::DrawSelection(QPainter &Canvas)
{
    if (FSelected < 0 || size_t(FSelected) >= FCells.size())
        return;
    const TCell &c = FCells[size_t(FSelected)];
    if (FDefaultSelect) {
        Canvas.setPen(Qt::black);
        const int top = ScreenY(c.Top);
        const int bottom = ScreenY(c.Bottom);
        LineExcl(Canvas, c.Left + 1, top - 1, c.Right - 2, top - 1);
        LineExcl(Canvas, c.Right + 1, top + 1, c.Right + 1, bottom - 1);
        LineExcl(Canvas, c.Left + 1, bottom + 1, c.Right - 1, bottom + 1);
        LineExcl(Canvas, c.Left - 1, top + 1, c.Left - 1, bottom - 1);
    }
    if (OnAfficheItemSelected)
        PaintCell(Canvas, c, OnAfficheItemSelected);
}

void TTableChoice::EraseSelection()
{
    // Every paint draws the whole table, so taking the selection away is asking for the cell and
    // its frame to be drawn again without it.
    if (FSelected >= 0 && size_t(FSelected) < FCells.size())
        update(CellScreenRect(FCells[size_t(FSelected)]));
    FSelected = -1;
}

void TTableChoice::SelectAt(int X, int Y)
{
    const int i = HitTest(X, Y + FScrollTop);
    if (i == -1)
        return;
    FPressed = true;
    if (i != FSelected) {
        EraseSelection();
        FSelected = i;
        update(CellScreenRect(FCells[size_t(i)]));
    }
}

void TTableChoice::mousePressEvent(QMouseEvent *Event)
{
    if (FCells.empty())
        Arrange();
    if (Event->button() == Qt::LeftButton) {
        const QPoint pos = ClientPos(Event->position());
        SelectAt(pos.x(), pos.y());
    }
}

void TTableChoice::mouseMoveEvent(QMouseEvent *Event)
{
    if (FCells.empty())
        Arrange();
    const QPoint pos = ClientPos(Event->position());
    if (Event->buttons() & Qt::LeftButton) {
        SelectAt(pos.x(), pos.y());
    } else if (OnOverCell) {
        const int i = HitTest(pos.x(), pos.y() + FScrollTop);
        if (i != -1 && i != FHover) {
            FHover = i;
            OnOverCell(FCells[size_t(i)].Value);
        }
    }
}

void TTableChoice::mouseReleaseEvent(QMouseEvent *)
{
    const bool due = FPressed && FSelected != -1;
    FPressed = false;
    // The owner may change the table from the callback (insert the character, move the focus), so
    // the state is settled before it runs.
    if (due && OnCellSelected)
        OnCellSelected(FCells[size_t(FSelected)].Value);
}

void TTableChoice::wheelEvent(QWheelEvent *Event)
{
    const int dy = Event->angleDelta().y();
    if (dy < 0)
        ScrollDown();
    else if (dy > 0)
        ScrollUp();
    Event->accept();
}

bool TTableChoice::event(QEvent *Event)
{
    if (Event->type() == QEvent::ToolTip && !FShowHint) {
        Event->ignore();
        return true;
    }
    return QFrame::event(Event);
}
