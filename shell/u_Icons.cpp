#include "u_Icons.h"

#include "u_QuilloIcons.h"

#include <QApplication>
#include <QFile>
#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPalette>
#include <QPixmap>

static void InitGlyphResources() { Q_INIT_RESOURCE(glyphs); }

namespace {
struct TGlyphSource {
    const char *File;  // the program's own picture, in the resources
    const char *Theme; // the icon theme's name for the same action, when it has one
};

TGlyphSource SourceOf(TGlyph Which)
{
    switch (Which) {
    case TGlyph::New: return {"new", "document-new"};
    case TGlyph::Open: return {"open", "document-open"};
    case TGlyph::Save: return {"save", "document-save"};
    case TGlyph::Cut: return {"cut", "edit-cut"};
    case TGlyph::Copy: return {"copy", "edit-copy"};
    case TGlyph::Paste: return {"paste", "edit-paste"};
    case TGlyph::Undo: return {"undo", "edit-undo"};
    case TGlyph::Redo: return {"redo", "edit-redo"};
    case TGlyph::Help: return {"help", "help-contents"};
    case TGlyph::Bold: return {"bold", "format-text-bold"};
    case TGlyph::Italic: return {"italic", "format-text-italic"};
    case TGlyph::Underline: return {"underline", "format-text-underline"};
    case TGlyph::AlignLeft: return {"align-left", "format-justify-left"};
    case TGlyph::AlignCenter: return {"align-center", "format-justify-center"};
    case TGlyph::AlignRight: return {"align-right", "format-justify-right"};
    case TGlyph::Justify: return {"justify", "format-justify-fill"};
    // The calculator's own commands have no counterpart in an icon theme.
    case TGlyph::Transfer: return {"transfer", nullptr};
    case TGlyph::Picture: return {"picture", nullptr};
    case TGlyph::Backslant: return {"backslant", nullptr};
    case TGlyph::Reverse: return {"reverse", nullptr};
    case TGlyph::Edge22: return {"edge22", nullptr};
    case TGlyph::Edge33: return {"edge33", nullptr};
    }
    return {"help", nullptr};
}

// The glyphs that are bare ink (letters, text lines): drawn as they are they would vanish into a dark
// toolbar, so under a dark theme their ink takes the theme's text colour.
bool InkOnly(TGlyph Which)
{
    switch (Which) {
    case TGlyph::Bold: case TGlyph::Italic: case TGlyph::Underline: case TGlyph::Backslant:
    case TGlyph::AlignLeft: case TGlyph::AlignCenter: case TGlyph::AlignRight: case TGlyph::Justify:
    case TGlyph::Edge22: case TGlyph::Edge33:
        return true;
    default:
        return false;
    }
}

const QByteArray DesignInk = QByteArrayLiteral("#333a44");

QIcon Recoloured(const QString &Path, const QColor &Ink)
{
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly))
        return QIcon(Path);
    const QByteArray svg = file.readAll().replace(DesignInk, Ink.name().toLatin1());
    QIcon icon;
    for (int size : {16, 20, 22, 24, 32, 48, 64}) {
        QBuffer buffer;
        buffer.setData(svg);
        QImageReader reader(&buffer, "svg");
        reader.setScaledSize(QSize(size, size));
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon.isNull() ? QIcon(Path) : icon;
}
} // namespace

QIcon ProgramIcon()
{
    return QuilloIcon(TQuilloIcon::Program);
}

QIcon DocumentIcon(TEditor Kind)
{
    switch (Kind) {
    case TEditor::Tgv: return QuilloIcon(TQuilloIcon::Tgv);
    case TEditor::Eden: return QuilloIcon(TQuilloIcon::Eden);
    case TEditor::Hp49: return QuilloIcon(TQuilloIcon::HP49);
    default: return QuilloIcon(TQuilloIcon::XView);
    }
}

QIcon OwnGlyph(TGlyph Which)
{
    InitGlyphResources();
    const QString path = QStringLiteral(":/glyphs/%1.svg").arg(QLatin1String(SourceOf(Which).File));
    const QColor text = QApplication::palette().color(QPalette::WindowText);
    if (InkOnly(Which) && text.lightness() > 128)
        return Recoloured(path, text);
    return QIcon(path);
}

QIcon Glyph(TGlyph Which)
{
    const TGlyphSource source = SourceOf(Which);
    // The desktop's own icons make the program look at home; where the theme has none, ours stand in.
    if (source.Theme)
        return QIcon::fromTheme(QLatin1String(source.Theme), OwnGlyph(Which));
    return OwnGlyph(Which);
}
