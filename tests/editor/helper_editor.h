#pragma once
// What the editor tests share: a host window that records the editor's notifications, an editor
// shown in it with the bundled fonts, and short ways to fill and read a document.
#include "u_THPEdit2.h"

#include <QList>
#include <QPair>
#include <QWidget>

class THostWidget : public QWidget {
public:
    QList<QPair<int, int>> Notes; // (type, argument) in the order delivered
    int Count(int Type) const;
    int LastArg(int Type) const;
    // Delivers what the editor posted, then forgets everything recorded before.
    void Flush();
    void Deliver();

protected:
    bool event(QEvent *Event) override;
};

// Points AppDir at the build tree, whose fonts/ folder holds the bundled fonts.
void UseBuildTree();
// A font file in Dir where every glyph is Glyph (rows of six pixels, '#' set); 8 rows per glyph,
// or 5 for a mini font.
void WriteFont(const QString &Dir, const QString &Name, const QStringList &Glyph, int RowsPerGlyph = 8);

// An editor of Kind in Host, shown, Size being the editor's own size.
THPEdit2 *NewEditor(THostWidget &Host, TEditor Kind = TEditor::Tgv, QSize Size = QSize(400, 300));
// Replaces the document's text: lines separated by '\n', every character with Attr.
void SetText(THPEdit2 &Ed, const QByteArray &Text, uint8_t Attr = 0);
// The document's characters, lines joined by '\n'.
QByteArray Text(const THPEdit2 &Ed);
// Appends a line showing a picture Width × Height with a diagonal; returns its line index.
int AddPictureLine(THPEdit2 &Ed, int Width, int Height, int Seed = 0);
