// Editor figures: a keystroke and Enter at the top of a long document (with the repaint of what
// they changed), undo and redo of a large paste, loading a picture shown on many lines, painting a
// full-HD view of styled text, and the memory a document takes per line and per character.
#include "u_DocFormats.h"
#include "u_THPEdit2.h"
#include "u_utils.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTemporaryFile>
#include <QTextStream>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <vector>

namespace {
QTextStream Out(stdout);

double Median(std::vector<double> V)
{
    std::sort(V.begin(), V.end());
    return V[V.size() / 2];
}
double Percentile(std::vector<double> V, double P)
{
    std::sort(V.begin(), V.end());
    return V[std::min(V.size() - 1, size_t(double(V.size()) * P))];
}

size_t HeapInUse()
{
    malloc_trim(0);
    // Large blocks (a long line list) are mapped on their own, outside the arena.
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// Lines of Width characters, cycling through the printable codes.
QByteArray Document(int Lines, int Width)
{
    QByteArray text;
    text.reserve(qsizetype(Lines) * (Width + 1));
    for (int i = 0; i < Lines; ++i) {
        if (i)
            text += '\n';
        for (int c = 0; c < Width; ++c)
            text += char(33 + (i + c) % 90);
    }
    return text;
}

// Styles cycling through bold, underline, reverse, both slants and the four fonts.
QByteArray StyledAttrs(qsizetype Size)
{
    static const uint8_t styles[] = {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x21, 0x28, 0x40, 0x80, 0x05, 0x30};
    QByteArray attrs(Size, 0);
    for (qsizetype i = 0; i < Size; ++i)
        attrs[i] = char(styles[(i / 3) % (sizeof styles)]);
    return attrs;
}

// Painting happens only once the window system shows the window.
void ShowExposed(QWidget &W)
{
    W.show();
    QElapsedTimer t;
    t.start();
    while (!(W.windowHandle() && W.windowHandle()->isExposed()) && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QCoreApplication::processEvents();
}

// Times its own paint events: the cost of a keystroke is the edit plus the paint that follows it.
class TTimedEdit : public THPEdit2 {
public:
    using THPEdit2::THPEdit2;
    int Paints = 0;
    double PaintMs = 0;

protected:
    void paintEvent(QPaintEvent *Event) override
    {
        QElapsedTimer t;
        t.start();
        THPEdit2::paintEvent(Event);
        PaintMs += t.nsecsElapsed() / 1e6;
        ++Paints;
    }
};

// Lets the window system deliver the paint the last change asked for; returns its cost.
double AwaitPaint(TTimedEdit &Ed)
{
    const int before = Ed.Paints;
    Ed.PaintMs = 0;
    QElapsedTimer t;
    t.start();
    while (Ed.Paints == before && t.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return Ed.PaintMs;
}

void Report(const char *What, std::vector<double> Ms)
{
    Out << QString("%1: median %2 ms, p90 %3 ms, max %4 ms (%5 runs)\n")
               .arg(What)
               .arg(Median(Ms), 0, 'f', 3)
               .arg(Percentile(Ms, 0.9), 0, 'f', 3)
               .arg(*std::max_element(Ms.begin(), Ms.end()), 0, 'f', 3)
               .arg(Ms.size());
    Out.flush();
}

void Keystrokes()
{
    TTimedEdit ed(nullptr, TEditor::Tgv);
    ed.SetSubDirFont("fonts");
    ed.NewDocument();
    ed.resize(1024, 768);
    ShowExposed(ed);
    const QByteArray text = Document(100000, 40);
    const QByteArray attrs = StyledAttrs(text.size());
    QElapsedTimer t;
    t.start();
    ed.InsertText(0, 1, attrs, text);
    Out << QString("load 100,000 lines of 40 characters in one insertion: %1 ms\n").arg(t.nsecsElapsed() / 1e6, 0, 'f', 1);
    Out << QString("view %1 x %2 pixels\n").arg(ed.ViewWidth()).arg(ed.ViewHeight());
    ed.MoveCaretTo(0, 5, true);
    AwaitPaint(ed);

    auto measure = [&](const char *What, const QByteArray &Key) {
        std::vector<double> total, edit, paint;
        for (int i = 0; i < 200; ++i) {
            ed.MoveCaretTo(0, 5, true);
            AwaitPaint(ed);
            t.restart();
            ed.InsertAtCaret(Key, QByteArray(1, char(ed.CurrentAttr())));
            const double e = t.nsecsElapsed() / 1e6;
            const double p = AwaitPaint(ed);
            edit.push_back(e);
            paint.push_back(p);
            total.push_back(e + p);
        }
        Report(What, total);
        Report("  of which the edit", edit);
        Report("  of which the repaint", paint);
    };
    measure("type one character at the top of 100,000 lines, with its repaint", "x");
    measure("Enter at the top of 100,000 lines, with its repaint", "\n");
}

void FullViewPaint()
{
    THPEdit2 ed(nullptr, TEditor::Tgv);
    ed.SetSubDirFont("fonts");
    ed.NewDocument();
    ed.resize(1920 + ed.width() - ed.viewport()->width(), 1080 + ed.height() - ed.viewport()->height());
    ShowExposed(ed);
    const QByteArray text = Document(200, 170);
    ed.InsertText(0, 1, StyledAttrs(text.size()), text);
    ed.MoveCaretTo(0, 1, true);
    ed.SelectRange(3, 10, 40, 8); // a selection, drawn the opaque way
    QCoreApplication::processEvents();
    Out << QString("full view: %1 x %2 pixels, lines %3..%4\n")
               .arg(ed.ViewWidth())
               .arg(ed.ViewHeight())
               .arg(ed.TopLine())
               .arg(ed.BottomLine());
    std::vector<double> paint;
    QElapsedTimer t;
    for (int i = 0; i < 60; ++i) {
        t.start();
        ed.viewport()->repaint();
        paint.push_back(t.nsecsElapsed() / 1e6);
    }
    Report("paint a full 1920 x 1080 view of styled text", paint);
    {
        THPEdit2 doc(nullptr, TEditor::Tgv);
        doc.SetSubDirFont("fonts");
        doc.NewDocument();
        const QByteArray t2 = Document(67, 160);
        doc.InsertText(0, 1, StyledAttrs(t2.size()), t2);
        std::vector<double> r;
        for (int i = 0; i < 60; ++i) {
            t.start();
            QImage img = doc.RenderDocument();
            r.push_back(t.nsecsElapsed() / 1e6);
        }
        Report("  render the same amount of text to an image", r);
    }
}

// Heap taken by a document of Lines lines of Width characters, beyond an empty document.
double DocumentBytes(int Lines, int Width)
{
    const QByteArray text = Document(Lines, Width);
    auto *ed = new THPEdit2(nullptr, TEditor::Tgv);
    ed->SetSubDirFont("fonts");
    ed->NewDocument();
    const size_t empty = HeapInUse();
    ed->InsertText(0, 1, StyledAttrs(text.size()), text);
    const size_t full = HeapInUse();
    delete ed;
    return double(full) - double(empty);
}

// Undo and redo of pasting 1 MB of text (lines of 63 characters) into the middle of a document.
void UndoRedoOfPaste()
{
    TTimedEdit ed(nullptr, TEditor::Tgv);
    ed.SetSubDirFont("fonts");
    ed.NewDocument();
    ed.resize(1024, 768);
    ShowExposed(ed);
    const QByteArray base = Document(10000, 40);
    ed.InsertText(0, 1, QByteArray(1, 0), base);
    const QByteArray paste = QByteArray(63, 'p').append('\n').repeated(1 << 14);
    QGuiApplication::clipboard()->setText(QString::fromLatin1(paste));
    std::vector<double> undo, redo;
    QElapsedTimer t;
    ed.MoveCaretTo(5000, 3, true);
    ed.PasteFromClipboard();
    AwaitPaint(ed);
    for (int i = 0; i < 20; ++i) {
        t.start();
        ed.Undo();
        undo.push_back(t.nsecsElapsed() / 1e6);
        AwaitPaint(ed);
        t.start();
        ed.Redo();
        redo.push_back(t.nsecsElapsed() / 1e6);
        AwaitPaint(ed);
    }
    Report("undo of a 1 MB paste into 10,000 lines", undo);
    Report("redo of a 1 MB paste into 10,000 lines", redo);
}

// A TGV file of 400 KB: one picture shown on 200,000 lines.
void LoadSharedPicture()
{
    QImage bitmap(131, 64, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    for (int y = 0; y < 64; ++y)
        bitmap.setPixel((y * 7) % 131, y, 0xFF000000);
    // Picture codes one after the other, with no line feed between them.
    const QByteArray file = WriteTgvFile(QByteArray("\x02\x01").repeated(200000), {GrobObject(bitmap)}, false);
    QTemporaryFile tgv;
    tgv.open();
    tgv.write(file);
    tgv.close();
    THPEdit2 ed(nullptr, TEditor::Tgv);
    ed.SetSubDirFont("fonts");
    ed.NewDocument();
    QElapsedTimer t;
    t.start();
    ed.LoadTgv(tgv.fileName());
    Out << QString("load a %1 KB TGV file showing one picture on %2 lines: %3 ms\n")
               .arg(file.size() / 1024)
               .arg(ed.LineCount())
               .arg(t.nsecsElapsed() / 1e6, 0, 'f', 1);
    Out.flush();
}

// Heap a loaded document of Lines plain lines of Width characters takes per line, its characters
// not counted.
double LoadedBytesPerLine(int Lines, int Width)
{
    QTemporaryFile file;
    file.open();
    QByteArray text;
    for (int i = 0; i < Lines; ++i)
        text.append(QByteArray(Width, char('a' + i % 26))).append('\n');
    file.write(text);
    file.close();
    text.clear();
    auto *ed = new THPEdit2(nullptr, TEditor::Xview);
    ed->SetSubDirFont("fonts");
    ed->NewDocument();
    const size_t empty = HeapInUse();
    ed->LoadText(file.fileName(), TEditor::Xview);
    const size_t full = HeapInUse();
    delete ed;
    return (double(full) - double(empty) - double(Lines) * Width) / (Lines + 1);
}

void Memory()
{
    Out << QString("memory per line besides its characters, loaded: %1 bytes for empty lines, %2 bytes for "
                   "lines of 10 characters, %3 bytes for lines of 30 characters\n")
               .arg(LoadedBytesPerLine(1000000, 0), 0, 'f', 1)
               .arg(LoadedBytesPerLine(1000000, 10), 0, 'f', 1)
               .arg(LoadedBytesPerLine(500000, 30), 0, 'f', 1);

    const int lines = 50000;
    const double at40 = DocumentBytes(lines, 40);
    const double at120 = DocumentBytes(lines, 120);
    const double at0 = DocumentBytes(lines, 0);
    const double perChar = (at120 - at40) / (double(lines) * 80);
    Out << QString("memory: %1 bytes per character, %2 bytes per empty line; "
                   "%3 bytes per character in all for lines of 40 characters\n")
               .arg(perChar, 0, 'f', 2)
               .arg(at0 / lines, 0, 'f', 0)
               .arg(at40 / (double(lines) * 40), 0, 'f', 2);
    Out.flush();
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    AppDir = qEnvironmentVariable("QUILLO_BUILD_DIR", QStringLiteral(QUILLO_BUILD_DIR));
    Keystrokes();
    UndoRedoOfPaste();
    LoadSharedPicture();
    FullViewPaint();
    Memory();
    return 0;
}
