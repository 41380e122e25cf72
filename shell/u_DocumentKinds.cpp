#include "u_DocumentKinds.h"

#include "u_DocumentFiles.h"
#include "u_Settings.h"
#include "u_THPEdit2.h"

#include <QFileInfo>

const std::array<TDocumentKind, 5> &DocumentKinds()
{
    static const std::array<TDocumentKind, 5> kinds{{
        {".tgv", TEditor::Tgv, false, "Tgv", 1},
        {".t49", TEditor::Tgv, true, "Tgv", 2},
        {".xv", TEditor::Xview, false, "XView", 1},
        {".eden", TEditor::Eden, false, "Eden", 2},
        {".hp49", TEditor::Hp49, false, "HP49", 5},
    }};
    return kinds;
}

const TDocumentKind &DocumentKindOfFile(const QString &FileName)
{
    const QString suffix = QLatin1Char('.') + QFileInfo(FileName).suffix();
    for (const TDocumentKind &kind : DocumentKinds())
        if (suffix.compare(QLatin1String(kind.Extension), Qt::CaseInsensitive) == 0)
            return kind;
    return DocumentKindOf(TEditor::Xview);
}

const TDocumentKind &DocumentKindOf(TEditor Editor)
{
    for (const TDocumentKind &kind : DocumentKinds())
        if (kind.Editor == Editor)
            return kind;
    return DocumentKindOf(TEditor::Xview);
}

TKindSettings ReadKindSettings(TEditor Editor)
{
    namespace K = SettingsKeys;
    const QString section = QLatin1String(DocumentKindOf(Editor).SettingsSection);
    TKindSettings values;
    values.TabLength = Settings->ReadInteger(section, K::TabLength, K::DefaultTabLength);
    values.RightEdge = Settings->ReadInteger(section, K::RightEdge, K::DefaultRightEdge);
    if (Editor == TEditor::Tgv)
        values.Fonts = {Settings->ReadString(section, K::DefaultNormalFont, K::DefaultTgvNormalFontName),
                        Settings->ReadString(section, K::DefaultFont1, K::DefaultTgvFont1Name),
                        Settings->ReadString(section, K::DefaultMiniFont, K::DefaultTgvMiniFontName)};
    else
        values.Fonts[0] = Settings->ReadString(section, K::DefaultFont, K::DefaultXVFontName);
    return values;
}

void ApplyKindSettings(THPEdit2 &Target, const TKindSettings &Values)
{
    Target.SetTabLength(Values.TabLength);
    switch (Target.Editor()) {
    case TEditor::Tgv:
        Target.SetDefaultFontTgvNormal(Values.Fonts[0]);
        Target.SetDefaultFontTgvFont1(Values.Fonts[1]);
        Target.SetDefaultFontTgvMini(Values.Fonts[2]);
        break;
    case TEditor::Eden: Target.SetDefaultFontEden(Values.Fonts[0]); break;
    case TEditor::Hp49: Target.SetDefaultFontHp49(Values.Fonts[0]); break;
    case TEditor::Standard: Target.SetDefaultFontStandard(Values.Fonts[0]); break;
    default: Target.SetDefaultFontXView(Values.Fonts[0]); break;
    }
    Target.SetRightEdge(Values.RightEdge);
}

void LoadDocumentFile(THPEdit2 &Target, const QString &FileName)
{
    const TDocumentKind &kind = DocumentKindOfFile(FileName);
    if (kind.Editor == TEditor::Tgv)
        Target.LoadTgv(FileName);
    else
        Target.LoadText(FileName, kind.Editor);
}

void SaveDocumentFile(THPDocument &Source, const QString &FileName, const QString &ExecuteWith)
{
    const TDocumentKind &kind = DocumentKindOfFile(FileName);
    if (kind.Editor == TEditor::Tgv)
        SaveTgvDocument(Source, FileName, kind.Hp49Tgv);
    else
        SaveTextDocument(Source, FileName, kind.Editor, ExecuteWith);
}
