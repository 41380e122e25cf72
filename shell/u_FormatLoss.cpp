#include "u_FormatLoss.h"

#include "u_ResourceStrings.h"
#include "u_THPEdit2.h"

#include <QStringList>

TFormatLoss FormatLoss(const THPDocument &Doc, TEditor Format)
{
    TFormatLoss loss;
    // The TGV file keeps every style, font, picture and option; the text forms keep only the
    // styles their viewer draws: XView bold, underline and reverse, Eden and HP49 italic too.
    const bool tgv = Format == TEditor::Tgv;
    const bool keepsItalic = tgv || Format == TEditor::Eden || Format == TEditor::Hp49;
    for (int i = 0; i < Doc.LineCount(); ++i) {
        if (Doc.PictureOfLine(i)) {
            if (!tgv)
                ++loss.Pictures;
            continue;
        }
        const TALine &line = Doc.Line(i);
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
    loss.MenuOptions = !tgv && (Doc.Identity().MenuChar != THPEdit2::MenuCharNone || Doc.Identity().MenuWhenStarted);
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

QString LossItems(const TFormatLoss &Loss)
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
    return items.join(QStringLiteral(", "));
}
} // namespace

QString LossQuestion(const TFormatLoss &Loss, TEditor Format)
{
    return ResString(TResId::sLossQuestion).arg(FormatName(Format), LossItems(Loss));
}

QString LossNote(const TFormatLoss &Loss, TEditor Format, const QString &FileName)
{
    return ResString(TResId::sLossNote).arg(FileName, FormatName(Format), LossItems(Loss));
}
