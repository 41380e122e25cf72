#pragma once
// The character table: a cell grid whose cells show the calculator characters of one font at twice
// the calculator's pixel size. Choosing a cell reports the character code through OnCellSelected.
#include "u_TGrob.h"
#include "u_TableChoice.h"

// The pale yellow behind the main window's character tables.
inline const QColor CharTableCellColor = QColor(255, 255, 225);

class TTableCharsHP : public TTableChoice {
    Q_OBJECT
public:
    explicit TTableCharsHP(QWidget *Parent = nullptr);
    ~TTableCharsHP() override;

    // Shows Font (the table keeps a reference of its own) under the name Name, sized to the font's
    // cells at 2 ×. A null font leaves the cells blank.
    void SetFont(TGrobFont *Font, const QString &Name);
    // The font file the table shows. Setting it loads the file with the mini glyphs at the bottom of
    // their cells; when the file cannot be read the error (EFileError) reaches the caller and the
    // table is left without a font, its cells blank.
    QString FontName() const { return FFontName; }
    void SetFontName(const QString &Value);
    TGrobFont *Font() const { return FFont.get(); }

private:
    void ReplaceFont(TSharedRef<TGrobFont> Font);
    void PaintNormalCell(QPainter &ACanvas, int p_X1, int p_Y1, int p_X2, int p_Y2, int p_Id);
    void PaintSelectedCell(QPainter &ACanvas, int p_X1, int p_Y1, int p_X2, int p_Y2, int p_Id);

    QString FFontName;
    TSharedRef<TGrobFont> FFont;
};
