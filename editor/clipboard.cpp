// The clipboard: selected text as plain text beside its attributes in the private format
// "HP48StyleFormat", a lone selected picture as an image, and pasting either back.
//
// Plain text carries each calculator code as the Unicode character its glyph shows, so that other
// programs receive arrows and Greek letters rather than control bytes, and text they offer is
// mapped back the same way. The character set gives every code a character of its own, so a
// copy within the program comes back code for code; the attribute format holds the attribute
// of each character at the same offset, CR LF at the line ends, and a closing 0 byte.
#include "u_THPEdit2.h"

#include "u_CalcCharset.h"
#include "u_Errors.h"
#include "u_ResourceStrings.h"

#include <algorithm>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {
// Attribute bytes from the clipboard may come from anywhere: one slant at most, and one font.
uint8_t CanonicalAttr(uint8_t Attr)
{
    Attr = NormaliseSlant(Attr);
    SetFontBits(Attr, FontIndex(Attr));
    return Attr;
}
} // namespace

void THPEdit2::CopyToClipboard()
{
    if (!FSelected)
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (FSelStartLine == FSelEndLine && FSelStartCol == 1 && FSelEndCol == 1) {
        if (const TPictureHP *picture = PictureOfLine(FSelStartLine)) {
            // Other programs take colour images more readily than one-bit ones.
            clipboard->setImage(picture->Bitmap.convertToFormat(QImage::Format_RGB32));
            return;
        }
    }
    QByteArray text, attrs;
    for (int l = FSelStartLine; l <= FSelEndLine; ++l) {
        const bool picture = PictureOfLine(l) != nullptr;
        const TALine &line = Line(l);
        const int n = line.Length();
        const int from = l == FSelStartLine ? FSelStartCol : 1;
        const int to = l == FSelEndLine ? FSelEndCol : n + 1;
        if (!picture && from <= n) {
            const int upTo = std::min(to, n);
            text += line.CharsView().sliced(from - 1, upTo - from + 1);
            attrs += line.Attrs().mid(from - 1, upTo - from + 1);
        }
        if (to > n) {
            text += "\r\n";
            attrs += "\r\n";
        }
    }
    auto *data = new QMimeData;
    data->setText(UnicodeFromCodes(text));
    attrs.append('\0');
    data->setData(ClipboardFormat, attrs);
    clipboard->setMimeData(data);
}

void THPEdit2::CutToClipboard()
{
    // A cut that cannot delete would leave a copy to be pasted twice.
    if (RefuseStuckSelection())
        return;
    CopyToClipboard();
    TEditStep step(this);
    DeleteSelection();
}

void THPEdit2::PasteFromClipboard()
{
    if (RefuseStuckSelection())
        return;
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return;
    QImage image;
    if (FDoc->Kind() == TEditor::Tgv && data->hasImage())
        image = qvariant_cast<QImage>(data->imageData());
    // The picture is made before the paste begins: the step may run a dialog, and a cancelled one
    // leaves the document and its selection as they were.
    if (!image.isNull() && OnPictureToCalculator) {
        image = OnPictureToCalculator(image);
        if (image.isNull())
            return;
    }
    TEditStep step(this);
    if (!image.isNull()) {
        try {
            // The picture takes the place of the selection, as pasted text does.
            DeleteSelection();
            ClearSelection();
            InsertPicture(-1, -1, QString(), image);
        } catch (const EError &e) {
            Warn(e.Message());
        }
        return;
    }
    if (!data->hasText())
        return;
    // Each character becomes its calculator code, with the attribute at its offset when the
    // copy came from this program; attributes that another program wrote may be fewer than the
    // characters, and the rest are plain. A CR stays a code the kinds refuse, so CR LF becomes
    // one line break.
    const QList<uint> chars = data->text().toUcs4();
    const QByteArray styles = data->hasFormat(ClipboardFormat) ? data->data(ClipboardFormat) : QByteArray();
    QByteArray text, attrs;
    int leftOut = 0;
    for (qsizetype i = 0; i < chars.size() && chars[i] != 0; ++i) {
        const int code = CodeOfUnicode(chars[i]);
        if (code < 0) {
            ++leftOut;
            continue;
        }
        text.append(char(code));
        attrs.append(i < styles.size() ? char(CanonicalAttr(uint8_t(styles[i]))) : char(0));
    }
    if (text.isEmpty()) {
        NoteLeftOut(leftOut);
        return;
    }
    // Text the kind cannot hold at all leaves the selection in place.
    if (std::none_of(text.cbegin(), text.cend(), [this](char Ch) { return IsCharAllowed(uint8_t(Ch), FDoc->Kind()) || Ch == char(CharLineFeed); })) {
        Note(ResString(TResId::sCharNotAllowed));
        return;
    }
    // The rest goes in without what the kind refuses (a quote in a string document), and the user
    // is told; a CR only ends a line, before its LF.
    const auto refused = std::count_if(text.cbegin(), text.cend(), [this](char Ch) {
        return !IsCharAllowed(uint8_t(Ch), FDoc->Kind()) && Ch != char(CharLineFeed) && Ch != char(CharReturn);
    });
    NoteLeftOut(leftOut, int(refused));
    InsertAtCaret(text, attrs);
}

bool THPEdit2::CanPaste() const
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return false;
    return data->hasText() || (FDoc->Kind() == TEditor::Tgv && data->hasImage());
}
