#include "u_TransferDocument.h"

#include "u_THPEdit2.h"

TTransferDocument TransferDocumentOf(const THPEdit2 &Editor, const QString &Title)
{
    TTransferDocument document;
    document.Title = Title;
    switch (Editor.Editor()) {
    case TEditor::Tgv:
        document.Fonts = TTransferFonts::Three;
        break;
    case TEditor::Xview:
    case TEditor::Eden:
        document.Fonts = TTransferFonts::One;
        break;
    case TEditor::Standard:
    case TEditor::Hp49:
        // The calculator shows these with its own font: there is no font file to send.
        document.Fonts = TTransferFonts::None;
        break;
    }
    for (int slot = 0; slot < 3; ++slot)
        document.FontNames[size_t(slot)] = Editor.FontNames(slot);
    document.SubDirFont = Editor.SubDirFont();
    return document;
}
