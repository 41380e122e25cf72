// The cell grid: reading the ranges text, the layout with shared borders and the arrows, hit tests,
// scrolling, the mouse rules and what the table paints.
#include "u_TableChoice.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

namespace {

// The character table's settings in the size the main window first gives it.
void SetUpCharacterTable(TTableChoice &Table)
{
    Table.SetPlages(QStringLiteral("0-255"));
    Table.SetWidthItem(12);
    Table.SetHeightItem(16);
    Table.resize(161, 267);
    Table.Arrange();
}

// Sends a mouse event at client coordinates (inside the one-pixel border).
void SendMouse(TTableChoice &Table, QEvent::Type Type, QPoint Client, Qt::MouseButton Button, Qt::MouseButtons Buttons)
{
    const QPointF pos = Client + QPoint(Table.frameWidth(), Table.frameWidth());
    QMouseEvent event(Type, pos, Table.mapToGlobal(pos), Button, Buttons, Qt::NoModifier);
    QApplication::sendEvent(&Table, &event);
}

void Click(TTableChoice &Table, QPoint Client, Qt::MouseButton Button = Qt::LeftButton)
{
    SendMouse(Table, QEvent::MouseButtonPress, Client, Button, Button);
    SendMouse(Table, QEvent::MouseButtonRelease, Client, Button, Qt::NoButton);
}

QPoint CentreOf(const TCell &Cell)
{
    return {(Cell.Left + Cell.Right) / 2, (Cell.Top + Cell.Bottom) / 2};
}

// The colour of a client pixel in a picture of the whole control.
QColor At(const QImage &Shot, int X, int Y)
{
    return Shot.pixelColor(X + 1, Y + 1);
}

} // namespace

class TestTableChoice : public QObject {
    Q_OBJECT

private slots:
    void plages_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("values");
        QTest::newRow("single values and a range, in text order") << "1;3-5" << QList<int>{1, 3, 4, 5};
        QTest::newRow("descending range makes nothing") << "3-1" << QList<int>{};
        QTest::newRow("duplicates stay") << "7;7" << QList<int>{7, 7};
        QTest::newRow("dash without high number") << "5-" << QList<int>{5};
        QTest::newRow("lone separator is cell 0") << ";" << QList<int>{0};
        QTest::newRow("missing low number before a separator") << "-5;" << QList<int>{0, 1, 2, 3, 4, 5};
        QTest::newRow("missing low number at the very end") << "-5" << QList<int>{};
        QTest::newRow("two dashes use the first two numbers") << "1-3-5" << QList<int>{1, 2, 3};
        QTest::newRow("third number is not carried over") << "2-4-9;8" << QList<int>{2, 3, 4, 8};
        QTest::newRow("other characters are skipped") << "a1 b;c2" << QList<int>{1, 2};
        QTest::newRow("empty range in the middle") << "1;;2" << QList<int>{1, 0, 2};
        QTest::newRow("leading zeros") << "007-009" << QList<int>{7, 8, 9};
        QTest::newRow("empty text") << "" << QList<int>{};
    }
    void plages()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, values);
        const std::vector<int> got = ParsePlages(text);
        QCOMPARE(QList<int>(got.begin(), got.end()), values);
    }

    void plagesOfTheCharacterSet()
    {
        const std::vector<int> got = ParsePlages(QStringLiteral("0-255"));
        QCOMPARE(int(got.size()), 256);
        QCOMPARE(got.front(), 0);
        QCOMPARE(got.back(), 255);
    }

    void hugeRangesAreBounded()
    {
        // Numbers too long for an integer, and ranges too wide to hold, neither overflow nor hang.
        QCOMPARE(int(ParsePlages(QStringLiteral("0-99999999999999999999")).size()), MaxTableCells);
        const std::vector<int> big = ParsePlages(QStringLiteral("99999999999999999999"));
        QCOMPARE(int(big.size()), 1);
        QCOMPARE(big.front(), MaxPlagesNumber);
    }

    void emptyPlagesReadsAsZeroToTen()
    {
        TTableChoice table;
        table.resize(200, 200);
        table.Arrange();
        QCOMPARE(int(table.Cells().size()), 11);
        QCOMPARE(table.Cells().front().Value, 0);
        QCOMPARE(table.Cells().back().Value, 10);
    }

    void layoutOfTheCharacterTable()
    {
        TTableChoice table;
        SetUpCharacterTable(table);
        QCOMPARE(table.PitchX(), 16);
        QCOMPARE(table.PitchY(), 20);
        // 26 rows of 10 would be needed: the arrows appear, and nine columns fit beside them.
        QVERIFY(!table.Spin()->isHidden());
        QCOMPARE(table.Spin()->geometry(), QRect(142 + 1, 2 + 1, 17, 262));
        const auto &cells = table.Cells();
        QCOMPARE(cells[8].Left, 124);
        QCOMPARE(cells[8].Right, 139);
        QCOMPARE(cells[9].Left, 4);
        QCOMPARE(table.GridRight(), 140);
        // Neighbours share their border lines.
        QCOMPARE(cells[1].Left, cells[0].Right);
        QCOMPARE(cells[9].Top, cells[0].Bottom);
        QCOMPARE(cells[255].Top, 4 + 28 * 19);
        QCOMPARE(table.GridBottom(), cells[255].Top + 20);
    }

    void arrowsHiddenWhenEverythingFits()
    {
        TTableChoice table;
        table.SetPlages(QStringLiteral("0-19"));
        table.resize(200, 200);
        table.Arrange();
        QVERIFY(table.Spin()->isHidden());
        // Without the arrows the first row runs to the grid's edge at 195: 17 cells on an 11 pitch.
        QCOMPARE(table.Cells()[16].Top, table.Cells()[0].Top);
        QCOMPARE(table.Cells()[17].Left, 4);
    }

    void narrowControlLaysOutOneColumn_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("narrower than a cell") << QSize(20, 100);
        QTest::newRow("no room at all") << QSize(3, 3);
    }
    void narrowControlLaysOutOneColumn()
    {
        QFETCH(QSize, size);
        TTableChoice table;
        table.SetWidthItem(12);
        table.SetHeightItem(16);
        table.resize(size);
        table.Arrange();
        for (const TCell &cell : table.Cells())
            QCOMPARE(cell.Left, 4);
        QCOMPARE(table.Cells()[1].Top, table.Cells()[0].Bottom);
        QVERIFY(!table.grab().isNull());
    }

    void hitTest_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("cell");
        QTest::newRow("inside the first cell") << QPoint(10, 10) << 0;
        QTest::newRow("border shared by cells 0 and 1") << QPoint(19, 10) << 0;
        QTest::newRow("just past the shared border") << QPoint(20, 10) << 1;
        QTest::newRow("border shared by rows 0 and 1") << QPoint(10, 23) << 0;
        QTest::newRow("corner shared by four cells") << QPoint(19, 23) << 0;
        QTest::newRow("second row") << QPoint(10, 24) << 9;
        QTest::newRow("the grid's left edge") << QPoint(3, 10) << -1;
        QTest::newRow("left of the grid") << QPoint(1, 10) << -1;
        QTest::newRow("right of the last column") << QPoint(141, 10) << -1;
        QTest::newRow("on the arrows") << QPoint(150, 10) << -1;
        QTest::newRow("below the last row") << QPoint(10, 4 + 29 * 19 + 5) << -1;
        QTest::newRow("the empty end of the last row") << QPoint(130, 4 + 28 * 19 + 5) << -1;
    }
    void hitTest()
    {
        QFETCH(QPoint, point);
        QFETCH(int, cell);
        TTableChoice table;
        SetUpCharacterTable(table);
        QCOMPARE(table.HitTest(point.x(), point.y()), cell);
    }

    void scrollingStopsAtBothEnds()
    {
        TTableChoice table;
        SetUpCharacterTable(table);
        table.ScrollUp();
        QCOMPARE(table.ScrollTop(), 0);

        int steps = 0;
        for (int previous = -1; previous != table.ScrollTop() && steps < 100; ++steps) {
            previous = table.ScrollTop();
            table.ScrollDown();
        }
        // The band moves by a whole pitch and stops once its bottom has reached the grid's.
        QCOMPARE(steps - 1, 15);
        QCOMPARE(table.ScrollTop(), 15 * 20);
        QVERIFY(table.ScrollBottom() >= table.GridBottom());
        QVERIFY(table.ScrollBottom() - table.PitchY() < table.GridBottom());

        for (int i = 0; i < 100 && table.ScrollTop() > 0; ++i)
            table.ScrollUp();
        QCOMPARE(table.ScrollTop(), 0);
        table.ScrollUp();
        QCOMPARE(table.ScrollTop(), 0);

        table.ScrollDown();
        table.resize(161, 300);
        table.Arrange();
        QCOMPARE(table.ScrollTop(), 0);
        QCOMPARE(table.ScrollBottom(), 298);
    }

    void clickSelectsAndReportsOnRelease()
    {
        TTableChoice table;
        SetUpCharacterTable(table);
        QList<int> chosen;
        table.OnCellSelected = [&](int id) { chosen << id; };

        SendMouse(table, QEvent::MouseButtonPress, CentreOf(table.Cells()[10]), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(table.Selected(), 10);
        QVERIFY(chosen.isEmpty());
        SendMouse(table, QEvent::MouseButtonRelease, CentreOf(table.Cells()[10]), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(chosen, QList<int>{10});

        // The same cell again is reported again.
        Click(table, CentreOf(table.Cells()[10]));
        QCOMPARE(chosen, (QList<int>{10, 10}));

        // A click on no cell changes nothing and reports nothing.
        Click(table, QPoint(1, 1));
        QCOMPARE(table.Selected(), 10);
        QCOMPARE(chosen.size(), 2);

        // Other buttons neither select nor arm the report.
        Click(table, CentreOf(table.Cells()[3]), Qt::RightButton);
        QCOMPARE(table.Selected(), 10);
        QCOMPARE(chosen.size(), 2);
    }

    void dragReportsTheCellReleasedOn()
    {
        TTableChoice table;
        SetUpCharacterTable(table);
        QList<int> chosen;
        table.OnCellSelected = [&](int id) { chosen << id; };
        SendMouse(table, QEvent::MouseButtonPress, CentreOf(table.Cells()[0]), Qt::LeftButton, Qt::LeftButton);
        SendMouse(table, QEvent::MouseMove, CentreOf(table.Cells()[2]), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(table.Selected(), 2);
        // Off the cells the last cell stays chosen.
        SendMouse(table, QEvent::MouseMove, QPoint(150, 5), Qt::NoButton, Qt::LeftButton);
        SendMouse(table, QEvent::MouseButtonRelease, QPoint(150, 5), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(chosen, QList<int>{2});
    }

    void clicksFollowTheScrolledBand()
    {
        TTableChoice table;
        SetUpCharacterTable(table);
        QList<int> chosen;
        table.OnCellSelected = [&](int id) { chosen << id; };
        table.ScrollDown();
        // The first visible row now is row 1 (values 9 to 17), partly hidden under the top.
        Click(table, QPoint(10, 10));
        QCOMPARE(chosen, QList<int>{9});
    }

    void hoverReportsEachNewCellOnce()
    {
        TTableChoice table;
        SetUpCharacterTable(table);
        QList<int> over;
        table.OnOverCell = [&](int id) { over << id; };
        SendMouse(table, QEvent::MouseMove, QPoint(8, 8), Qt::NoButton, Qt::NoButton);
        SendMouse(table, QEvent::MouseMove, QPoint(10, 10), Qt::NoButton, Qt::NoButton);
        SendMouse(table, QEvent::MouseMove, QPoint(1, 1), Qt::NoButton, Qt::NoButton);
        SendMouse(table, QEvent::MouseMove, QPoint(25, 10), Qt::NoButton, Qt::NoButton);
        SendMouse(table, QEvent::MouseMove, QPoint(10, 10), Qt::NoButton, Qt::NoButton);
        QCOMPARE(over, (QList<int>{0, 1, 0}));
    }

    void valuesComeFromTheRanges()
    {
        TTableChoice table;
        table.SetPlages(QStringLiteral("65-67;48"));
        table.resize(200, 100);
        QList<int> chosen;
        table.OnCellSelected = [&](int id) { chosen << id; };
        table.Arrange();
        Click(table, CentreOf(table.Cells()[3]));
        QCOMPARE(chosen, QList<int>{48});
    }

    void newRangesReplaceTheCells()
    {
        TTableChoice table;
        SetUpCharacterTable(table);
        Click(table, CentreOf(table.Cells()[100]));
        table.SetPlages(QStringLiteral("1-5"));
        QCOMPARE(int(table.Cells().size()), 5);
        QCOMPARE(table.Selected(), -1);
    }

    void paintsCellsContentAndSelection()
    {
        TTableChoice table;
        SetUpCharacterTable(table);
        const QColor cellColor(255, 255, 225);
        table.SetCellColor(cellColor);
        QList<QList<int>> painted;
        table.OnAfficheItem = [&](QPainter &, int x1, int y1, int x2, int y2, int id) {
            painted << QList<int>{x1, y1, x2, y2, id};
        };

        QImage shot = table.grab().toImage();
        // Content rectangles are the cells less a 2-pixel margin; only visible rows are drawn.
        QCOMPARE(painted.first(), (QList<int>{6, 6, 17, 21, 0}));
        QCOMPARE(painted.size(), 14 * 9);
        QCOMPARE(At(shot, 4, 4), QColor(Qt::black));
        QCOMPARE(At(shot, 19, 10), QColor(Qt::black));
        QCOMPARE(At(shot, 10, 10), cellColor);
        QCOMPARE(At(shot, 1, 1), QColor(Qt::white));
        QCOMPARE(At(shot, 3, 10), cellColor);

        // The frame lies just outside the selected cell, and goes when the selection moves on.
        Click(table, CentreOf(table.Cells()[0]));
        shot = table.grab().toImage();
        QCOMPARE(At(shot, 3, 10), QColor(Qt::black));
        QCOMPARE(At(shot, 10, 3), QColor(Qt::black));
        Click(table, CentreOf(table.Cells()[2]));
        shot = table.grab().toImage();
        QCOMPARE(At(shot, 3, 10), cellColor);
        QCOMPARE(At(shot, 10, 3), cellColor);

        // Without the built-in frame, only the owner's painter marks the selection.
        table.SetDefaultSelect(false);
        QList<int> selectedPainted;
        table.OnAfficheItemSelected = [&](QPainter &, int, int, int, int, int id) { selectedPainted << id; };
        shot = table.grab().toImage();
        QCOMPARE(At(shot, table.Cells()[2].Left - 1, 10), cellColor);
        QCOMPARE(selectedPainted, QList<int>{2});
    }
};

QTEST_MAIN(TestTableChoice)
#include "tst_tablechoice.moc"
