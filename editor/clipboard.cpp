// The clipboard: selected text as plain text beside its attributes in the private format
// "HP48StyleFormat", a lone selected picture as an image, and pasting either back.
//
// Both text formats hold one byte per calculator character. Plain text carries each code as the
// Latin-1 character of the same value, so other programs show codes 128..255 in their own 8-bit
// way and give them back unchanged; the attribute format holds the attribute of each text byte at
// the same offset, CR LF at the line ends, and a closing 0 byte like the text it goes with.
#include "u_THPEdit2.h"

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
    data->setText(QString::fromLatin1(text));
    attrs.append('\0');
    data->setData(ClipboardFormat, attrs);
    clipboard->setMimeData(data);
}

void THPEdit2::CutToClipboard()
{
    CopyToClipboard();
    TEditStep step(this);
    DeleteSelection();
}

void THPEdit2::PasteFromClipboard()
{
    TEditStep step(this);
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return;
    if (FDoc->Kind() == TEditor::Tgv && data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
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
    }
    if (!data->hasText())
        return;
    QByteArray text = data->text().toLatin1();
    const qsizetype end = text.indexOf('\0');
    if (end >= 0)
        text.truncate(end);
    if (text.isEmpty())
        return;
    // Attributes that another program wrote may be fewer than the characters: the rest are plain.
    QByteArray attrs(text.size(), '\0');
    if (data->hasFormat(ClipboardFormat)) {
        const QByteArray styles = data->data(ClipboardFormat);
        const qsizetype held = std::min(styles.size(), text.size());
        for (qsizetype i = 0; i < held; ++i)
            attrs[i] = char(CanonicalAttr(uint8_t(styles[i])));
    }
    // Text the kind cannot hold at all leaves the selection in place.
    if (std::none_of(text.cbegin(), text.cend(), [this](char Ch) { return IsCharAllowed(uint8_t(Ch), FDoc->Kind()) || Ch == char(CharLineFeed); })) {
        Note(ResString(TResId::sCharNotAllowed));
        return;
    }
    InsertAtCaret(text, attrs);
}

bool THPEdit2::CanPaste() const
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return false;
    return data->hasText() || (FDoc->Kind() == TEditor::Tgv && data->hasImage());
}
