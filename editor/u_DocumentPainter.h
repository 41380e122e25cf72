#pragma once
// TDocumentPainter: draws the lines of a document with its fonts and pictures as the editor shows
// them, every calculator pixel as 2 × 2 pixels, into an RGB32 image. The editor paints its view
// with it and the document is rendered whole with it, so the screen and a rendered picture agree
// pixel for pixel; no widget is needed.
//
// Glyph cells of the 2 × font strips are merged by AND when unselected (so a slanted glyph's
// overhang survives the neighbour drawn after it) and copied opaque, white on navy, when selected.
#include <QImage>
#include <QPoint>
#include <QRect>

class THPDocument;

// The characters drawn selected: from (StartLine, StartCol) to (EndLine, EndCol), both included.
struct TPaintSelection {
    bool Active = false;
    int StartLine = 0, StartCol = 1, EndLine = 0, EndCol = 1;
    bool Contains(int Line, int Pos) const;
};

class TDocumentPainter {
public:
    static constexpr int Zoom = 2;
    static constexpr int CellWidth = 6;  // calculator pixels
    static constexpr int CellHeight = 8; // calculator pixels
    static constexpr int LeftMargin = 3;
    static constexpr int TopMargin = 3;
    static constexpr int MaxGlyphWidth = 18; // a slanted glyph: 9 calculator pixels at 2 ×
    static constexpr QRgb White = 0xFFFFFFFF;

    explicit TDocumentPainter(const THPDocument &Doc) : FDoc(Doc) {}

    // Height on screen of a line: a picture's, else one text cell.
    int LineHeight(int Line) const;
    // Document x just past the last character of Line.
    int LineEndX(int Line) const;
    // Document x of the right-edge line for a right edge of RightEdge cells.
    static int RightEdgeX(int RightEdge) { return Zoom * CellWidth * RightEdge + 1; }

    // Drawing goes to the pixels of Target inside Clip (target pixels); document point Origin is
    // drawn at the target's (0, 0). The target must outlive the drawing calls that follow.
    void Begin(QImage &Target, const QRect &Clip, QPoint Origin, const TPaintSelection &Selection = {});
    void Fill(const QRect &R, QRgb Colour);
    // The grey line at the right edge, over the whole height of the target.
    void DrawRightEdge(int RightEdge);
    // Line, whose top edge is at document y Top; cells wholly outside the clip are skipped.
    void PaintLine(int Line, int Top);

    // The whole document with no selection, at least as wide as the right edge, with or without
    // the right-edge line. Raises ETooLargeToSave when the drawing would be too large to hold.
    QImage Render(int RightEdge, bool WithRightEdge = true);
    // The size of that drawing, which need not fit in one image.
    QSize DrawingSize(int RightEdge) const;
    // Its pixel rows from Top up to Bottom, Width (the drawing's) wide: a long document is drawn a
    // page at a time. Raises ETooLargeToSave as Render does.
    QImage RenderRows(int RightEdge, bool WithRightEdge, int Width, int Top, int Bottom);

private:
    void PaintCell(int X, int Y, int Line, int Pos);
    void PaintLineEnd(int Line, int Y);

    const THPDocument &FDoc;
    QImage *FTarget = nullptr;
    QRect FClip;
    QPoint FOrigin;
    TPaintSelection FSelection;
};
