#include "u_FormatLoss.h"

#include "u_ResourceStrings.h"
#include "u_THPEdit2.h"

#include <QStringList>

TFormatLoss FormatLoss(const THPEdit2 &Editor, TEditor Format)
{
    TFormatLoss loss;
    // The TGV file keeps every style, font, picture and option; the text forms keep only the
    // styles their viewer draws: XView bold, underline and reverse, Eden and HP49 italic too.
    const bool tgv = Format == TEditor::Tgv;
    const bool keepsItalic = tgv || Format == TEditor::Eden || Format == TEditor::Hp49;
    for (int i = 0; i < Editor.LineCount(); ++i) {
        if (Editor.PictureOfLine(i)) {
            if (!tgv)
                ++loss.Pictures;
            continue;
        }
        const TALine &line = Editor.Line(i);
        for (qsizetype k = 0; k < line.Length(); ++k) {
            if (!IsCharAllowed(line.Char(k), Format))
                ++loss.Characters;
            if (tgv)
                continue;
            const uint8_t attr = line.Attr(k);
            switch (FontIndex(attr)) {
            case 1: loss.Font1 = true; break;
            case 2: loss.Superscript = true; break;
            case 3: loss.Subscript = true; break;
            default: break;
            }
            loss.Backslant |= (attr & stBackslant) != 0;
            loss.Italic |= !keepsItalic && (attr & stItalic);
        }
    }
    loss.MenuOptions = !tgv && (Editor.MenuChar() != THPEdit2::MenuCharNone || Editor.MenuWhenStarted());
    return loss;
}

namespace {
QString FormatName(TEditor Format)
{
    switch (Format) {
    case TEditor::Tgv: return ResString(TResId::sFormatNameTgv);
    case TEditor::Eden: return ResString(TResId::sFormatNameEden);
    case TEditor::Hp49: return ResString(TResId::sFormatNameHp49);
    default: return ResString(TResId::sFormatNameXView);
    }
}

QString Counted(int Count, TResId One, TResId Many)
{
    return Count == 1 ? ResString(One) : ResString(Many).arg(Count);
}
} // namespace

QString LossQuestion(const TFormatLoss &Loss, TEditor Format)
{
    QStringList items;
    if (Loss.Pictures)
        items << Counted(Loss.Pictures, TResId::sLossOnePicture, TResId::sLossPictures);
    const std::pair<bool, TResId> kinds[] = {
        {Loss.Font1, TResId::sLossFont1},         {Loss.Superscript, TResId::sLossSuperscript},
        {Loss.Subscript, TResId::sLossSubscript}, {Loss.Italic, TResId::sLossItalic},
        {Loss.Backslant, TResId::sLossBackslant}, {Loss.MenuOptions, TResId::sLossMenuOptions},
    };
    for (const auto &[lost, id] : kinds)
        if (lost)
            items << ResString(id);
    if (Loss.Characters)
        items << Counted(Loss.Characters, TResId::sLossOneCharacter, TResId::sLossCharacters);
    return ResString(TResId::sLossQuestion).arg(FormatName(Format), items.join(QStringLiteral(", ")));
}
