#pragma once
// The five kinds of document file Quillo reads and writes, and everything that follows from a
// file's kind: the editor it opens in, how it is written, where its settings live and how the save
// dialog presents it. The document windows and the command line both go through this one table.
#include "u_EditorAttrs.h"

#include <QString>
#include <array>

class THPDocument;
class THPEdit2;

struct TDocumentKind {
    const char *Extension; // lower case, dot included
    TEditor Editor;        // the editor (and document window) the file opens in
    bool Hp49Tgv;          // a TGV file with the HP49 header
    const char *SettingsSection;
    int FilterIndex; // in the save dialog of its editor: the TGV one, or the one of the text forms
};

// In the order of the save dialogs' filters; the first row of an editor is its own file kind.
const std::array<TDocumentKind, 5> &DocumentKinds();

// The kind follows the extension, in any case: .tgv and .t49 TGV, .eden Eden, .hp49 HP49,
// anything else XView.
const TDocumentKind &DocumentKindOfFile(const QString &FileName);
// The file kind a new document of Editor is saved as by default.
const TDocumentKind &DocumentKindOf(TEditor Editor);

// What each kind of document window starts with, from the settings.
struct TKindSettings {
    int TabLength = 0;
    int RightEdge = 0;
    // The default fonts: the single font of a text form, or TGV's normal, font 1 and mini fonts.
    std::array<QString, 3> Fonts;
};
TKindSettings ReadKindSettings(TEditor Editor);
// Gives an editor of Editor's kind its tab length, right edge and default fonts; they take
// effect at its next NewDocument.
void ApplyKindSettings(THPEdit2 &Target, const TKindSettings &Values);

// Reads FileName into Target as its kind says (raises EErrorLoading), and writes Source to it
// (raises EErrorSaving). ExecuteWith is the program name of the text forms.
void LoadDocumentFile(THPEdit2 &Target, const QString &FileName);
void SaveDocumentFile(THPDocument &Source, const QString &FileName, const QString &ExecuteWith);
