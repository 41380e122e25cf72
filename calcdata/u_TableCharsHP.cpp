#include "u_TableCharsHP.h"

#include <QPainter>

TTableCharsHP::TTableCharsHP(QWidget *Parent) : TTableChoice(Parent)
{
    SetDefaultSelect(false);
    // The glyphs are black pixels: a dark theme's tooltip colour behind them would hide them.
    SetCellColor(CharTableCellColor);
    OnAfficheItem = [this](QPainter &c, int x1, int y1, int x2, int y2, int id) { PaintNormalCell(c, x1, y1, x2, y2, id); };
    OnAfficheItemSelected = [this](QPainter &c, int x1, int y1, int x2, int y2, int id) {
        PaintSelectedCell(c, x1, y1, x2, y2, id);
    };
}

TTableCharsHP::~TTableCharsHP() = default;

void TTableCharsHP::ReplaceFont(TSharedRef<TGrobFont> Font)
{
    FFont = std::move(Font);
    if (FFont) {
        // Setting both sizes lays the table out twice; the second is the one that counts.
        SetWidthItem(FFont->FCharWidth * 2);
        SetHeightItem(FFont->FCharHeight * 2);
    }
    update();
}

void TTableCharsHP::SetFont(TGrobFont *Font, const QString &Name)
{
    FFontName = Name;
    ReplaceFont(TSharedRef<TGrobFont>::Share(Font));
}

void TTableCharsHP::SetFontName(const QString &Value)
{
    FFontName = Value;
    FFont.reset();
    auto font = TSharedRef<TGrobFont>::Adopt(new TGrobFont);
    try {
        // Style 128 puts the glyphs of a mini font at the bottom of their cells, where they sit
        // when used as subscript.
        LoadFontFile(*font, Value, fsSubscript);
    } catch (...) {
        update();
        throw;
    }
    ReplaceFont(std::move(font));
}

void TTableCharsHP::PaintNormalCell(QPainter &ACanvas, int p_X1, int p_Y1, int, int, int p_Id)
{
    if (!FFont)
        return;
    // AND keeps the cell colour where the glyph is white and makes its black pixels black.
    ACanvas.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    FFont->DrawChar(ACanvas, uint8_t(p_Id), p_X1, p_Y1, true);
}

void TTableCharsHP::PaintSelectedCell(QPainter &ACanvas, int p_X1, int p_Y1, int p_X2, int p_Y2, int p_Id)
{
    if (!FFont)
        return;
    ACanvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    ACanvas.fillRect(QRect(QPoint(p_X1 - 1, p_Y1 - 1), QPoint(p_X2 + 1, p_Y2 + 1)), Qt::black);
    ACanvas.setCompositionMode(QPainter::RasterOp_NotSource);
    FFont->DrawChar(ACanvas, uint8_t(p_Id), p_X1, p_Y1, true);
}
