#pragma once
// A grid of numbered cells from which the user picks one with the mouse. The numbers come from a
// ranges text ("0-255", "1;3-5"); the owner draws each cell's content through callbacks and is told
// which cell was chosen or hovered. The character table is built on it.
#include <QColor>
#include <QFrame>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class QPainter;
class QToolButton;

// One cell: inclusive pixel bounds in the table's unscrolled client coordinates, and the number the
// cell stands for.
struct TCell {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    int32_t Value = 0;
};

// A cell was chosen, or the mouse moved onto another cell: p_Id is the cell's number.
using TEventCellSelected = std::function<void(int p_Id)>;
// Draw the content of cell p_Id inside p_X1..p_X2 × p_Y1..p_Y2 (inclusive, client coordinates of the
// painter handed in).
using TEventAfficheItem = std::function<void(QPainter &ACanvas, int p_X1, int p_Y1, int p_X2, int p_Y2, int p_Id)>;

// Reads a ranges text: ranges separated by ";", a range being a number or two numbers joined by "-".
// Only digits, ";" and "-" mean anything; every other character is skipped.
class TPlagesParser {
public:
    explicit TPlagesParser(const QString &Plages) : FText(Plages) {}
    // The next range, or false when the text holds no more. A missing low number reads as 0, a
    // missing high number as the low one.
    bool NextRange(int &Low, int &High);

private:
    QString FText;
    int FParsePos = 1; // 1-based read position
};

// The cell numbers a ranges text makes, in text order, duplicates kept; a range whose high number is
// below its low one makes nothing. At most MaxTableCells numbers are made.
std::vector<int> ParsePlages(const QString &Plages);
constexpr int MaxTableCells = 65536;
// Numbers in a ranges text saturate here instead of overflowing.
constexpr int MaxPlagesNumber = 999999999;

// The up/down arrow pair that scrolls the table when its cells do not fit.
class TTableSpin : public QWidget {
    Q_OBJECT
public:
    explicit TTableSpin(QWidget *Parent);
    QToolButton *UpButton() const { return FUp; }
    QToolButton *DownButton() const { return FDown; }

signals:
    void UpClick();
    void DownClick();

protected:
    void resizeEvent(QResizeEvent *Event) override;

private:
    QToolButton *FUp;
    QToolButton *FDown;
};

class TTableChoice : public QFrame {
    Q_OBJECT
public:
    explicit TTableChoice(QWidget *Parent = nullptr);

    // The ranges that make the cells; empty reads as "0-10". Setting it drops the selection and
    // makes the cells anew from the new text.
    QString Plages() const { return FPlages; }
    void SetPlages(const QString &Value);
    // Outside the cell area, and the cell area itself.
    QColor BackGroundColor() const { return FBackGroundColor; }
    void SetBackGroundColor(const QColor &Value);
    QColor CellColor() const { return FCellColor; }
    void SetCellColor(const QColor &Value);
    // The content size of a cell in pixels (the cell adds a 2-pixel margin on each side).
    int WidthItem() const { return FWidthItem; }
    void SetWidthItem(int Value);
    int HeightItem() const { return FHeightItem; }
    void SetHeightItem(int Value);
    // Whether the table draws its own frame round the selected cell.
    bool DefaultSelect() const { return FDefaultSelect; }
    void SetDefaultSelect(bool Value);
    // Whether the tool tip (the hint) is shown.
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value) { FShowHint = Value; }

    // Fired at the button release that ends a left press or drag on a cell, even when that cell was
    // already selected.
    TEventCellSelected OnCellSelected;
    // Fired when the mouse, moving without the left button, enters a cell other than the last one
    // reported.
    TEventCellSelected OnOverCell;
    // Draws a cell's content; OnAfficheItemSelected draws the selected cell's content over it.
    TEventAfficheItem OnAfficheItem;
    TEventAfficheItem OnAfficheItemSelected;

    // The cells as laid out, in the order of the ranges text.
    const std::vector<TCell> &Cells() const { return FCells; }
    // Index of the selected cell, -1 for none.
    int Selected() const { return FSelected; }
    // Makes the cells when there are none yet and lays them out for the current size.
    void Arrange();
    // The index of the cell at client x and unscrolled y, -1 when none; a point on the border two
    // cells share belongs to the earlier one.
    int HitTest(int X, int Y) const;
    // What the spin's arrows do: move the visible band by one row pitch, within the cell area.
    void ScrollDown();
    void ScrollUp();

    int GridLeft() const { return FGridLeft; }
    int GridRight() const { return FGridRight; }
    int GridTop() const { return FGridTop; }
    int GridBottom() const { return FGridBottom; }
    int PitchX() const { return FPitchX; }
    int PitchY() const { return FPitchY; }
    int ScrollTop() const { return FScrollTop; }
    int ScrollBottom() const { return FScrollBottom; }
    TTableSpin *Spin() const { return FSpin; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *Event) override;
    void resizeEvent(QResizeEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;
    void wheelEvent(QWheelEvent *Event) override;
    bool event(QEvent *Event) override;

    // Asks for the cells to be drawn again, for example after the owner's content changed.
    void Relayout();

private:
    void BuildCells();
    void AddCell(int Value);
    void SelectAt(int X, int Y);
    void DrawSelection(QPainter &Canvas);
    void EraseSelection();
    void PaintCell(QPainter &Canvas, const TCell &Cell, const TEventAfficheItem &Painter);
    // Screen (client) y of an unscrolled y.
    int ScreenY(int Y) const { return Y - FScrollTop; }
    QPoint ClientPos(const QPointF &WidgetPos) const;
    QRect CellScreenRect(const TCell &Cell) const;

    QString FPlages;
    QColor FBackGroundColor = Qt::white;
    QColor FCellColor;
    int FWidthItem = 8;
    int FHeightItem = 8;
    bool FDefaultSelect = true;
    bool FShowHint = true;

    std::vector<TCell> FCells;
    int FGridLeft = 3;
    int FGridRight = 0;
    int FGridTop = 3;
    int FGridBottom = 0;
    int FPitchX = 12;
    int FPitchY = 12;
    int FScrollTop = 0;
    int FScrollBottom = 0;
    QSize FBandSize; // the size the visible band was set for
    TTableSpin *FSpin;
    int FSelected = -1;
    int FHover = -1;
    bool FPressed = false;
};
