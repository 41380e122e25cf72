#pragma once
// What a document holds that a file format cannot keep: the check made before every save, so that
// nothing is dropped without the user's consent. Pure logic over the editor's document; no window.
#include "u_EditorAttrs.h"

#include <QString>

class THPDocument;

// What writing a document in one format would lose.
struct TFormatLoss {
    int Pictures = 0;       // picture lines
    bool Font1 = false;     // text in font 1
    bool Superscript = false;
    bool Subscript = false;
    bool Italic = false;
    bool Backslant = false;
    bool MenuOptions = false; // the TGV menu character or "Menu when started"
    int Characters = 0;       // characters the format refuses (a double quote in a text form, ...)

    bool Any() const
    {
        return Pictures || Font1 || Superscript || Subscript || Italic || Backslant || MenuOptions || Characters;
    }
};

// What the document would lose if written in Format (Tgv, Xview, Eden or Hp49).
TFormatLoss FormatLoss(const THPDocument &Doc, TEditor Format);

// The question put to the user: "The XView format cannot keep: 2 pictures, superscript text. Save
// anyway?", from the string table.
QString LossQuestion(const TFormatLoss &Loss, TEditor Format);
// The same told after the fact, where nobody can be asked: "letter.xv written without what the
// XView format cannot keep: italic text".
QString LossNote(const TFormatLoss &Loss, TEditor Format, const QString &FileName);
