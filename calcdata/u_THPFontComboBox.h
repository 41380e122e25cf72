#pragma once
// A drop-down list of calculator font names, each name drawn in its own calculator font at 2 ×.
// Owners either list every font of a kind (set Kinds, SetFonts(*FontList), SelectFont with the
// stored name) or the fonts of one document (ClearFonts, Fonts.AddFont for each, Fill).
#include "u_TGrob.h"

#include <QComboBox>

class THPFontComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit THPFontComboBox(QWidget *Parent = nullptr);
    // A combo named Name that lists the program's fonts (FontList) of one kind.
    static THPFontComboBox *ForKind(QWidget *Parent, const QString &Name, TGrobFontKind Kind);

    // The fonts the list can show, owned by the control; owners may add entries directly. A font
    // is loaded when its name is first drawn.
    TListGrobFont Fonts;
    // The kinds of font Fill lists.
    TGrobFontKinds Kinds{gfkMini, gfkNormal};

    // Empties Fonts and the list.
    void ClearFonts();
    // Replaces Fonts by the entries of List (fonts List has loaded are shared) and fills the list.
    void SetFonts(const TListGrobFont &List);
    // Appends the name of every entry of Fonts whose kind is in Kinds, in Fonts order, and selects
    // the first item. Items already in the list stay.
    void Fill();
    // Selects the first item equal to Name, ignoring case by the user's locale; false, with the
    // selection unchanged, when there is none.
    bool SelectFont(const QString &Name);

    int DropDownCount() const { return maxVisibleItems(); }
    void SetDropDownCount(int Value) { setMaxVisibleItems(Value); }
    QString Text() const { return currentText(); }

    // Draws Name in its own font at (Rect's left + 2, top + 2), over Rect filled with Background.
    // A name whose font cannot be read is drawn in the widget's ordinary font instead.
    void DrawFontName(QPainter &Canvas, const QRect &Rect, const QString &Name, const QColor &Background);
    // The height of one item.
    static constexpr int ItemHeight = 20;

signals:
    // The user picked another item (not emitted for changes made by the program).
    void Change();

protected:
    void paintEvent(QPaintEvent *Event) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
};
