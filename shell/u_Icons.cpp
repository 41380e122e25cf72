#include "u_Icons.h"

#include "u_QuilloIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace {
using TDraw = std::function<void(QPainter &)>;

// Draws on a 32 × 32 design grid and renders it at the sizes toolbars, menus and title bars ask for.
QIcon Render(const TDraw &Draw, std::initializer_list<int> Sizes = {16, 20, 24, 32, 40, 48, 64})
{
    QIcon icon;
    for (int size : Sizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        Draw(p);
        icon.addPixmap(pixmap);
    }
    return icon;
}

const QColor Ink(0x33, 0x3a, 0x44);
const QColor Paper(0xfb, 0xfb, 0xf6);
const QColor Accent(0x2e, 0x6d, 0xb4);

void Page(QPainter &p, const QColor &Fill = Paper)
{
    QPainterPath page;
    page.moveTo(6, 2);
    page.lineTo(20, 2);
    page.lineTo(27, 9);
    page.lineTo(27, 30);
    page.lineTo(6, 30);
    page.closeSubpath();
    p.setPen(QPen(QColor(0x6b, 0x6b, 0x6b), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Fill);
    p.drawPath(page);
    p.setBrush(QColor(0xde, 0xde, 0xd6));
    p.drawPolygon(QPolygonF({QPointF(20, 2), QPointF(20, 9), QPointF(27, 9)}));
}

// Short horizontal bars standing for lines of text, aligned as Align says (left, centre, right,
// both) inside the box from X to X + Width.
void TextLines(QPainter &p, double X, double Y, double Width, int Align, int Count = 5)
{
    const double lengths[] = {1.0, 0.7, 0.9, 0.6, 1.0, 0.8};
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    for (int i = 0; i < Count; ++i) {
        const double w = Align == 3 ? Width : Width * lengths[i % 6];
        const double x = Align == 0 ? X + (Width - w) / 2 : Align == 2 ? X + Width - w : X;
        p.drawRect(QRectF(x, Y + i * 5.0, w, 2.5));
    }
}

void Letter(QPainter &p, const QString &Text, bool Bold, bool Italic, const QColor &Colour, const QRectF &Box)
{
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(int(Box.height()));
    font.setBold(Bold);
    font.setItalic(Italic);
    p.setFont(font);
    p.setPen(Colour);
    p.drawText(Box, Qt::AlignCenter, Text);
}

void Label(QPainter &p, const QString &Text, const QRectF &Box, const QColor &Colour)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(int(Box.height() * 0.8));
    font.setBold(true);
    if (Text.size() > 2)
        font.setStretch(QFont::Condensed);
    p.setFont(font);
    p.setPen(Colour);
    p.drawText(Box, Qt::AlignCenter, Text);
}

void DrawGlyph(QPainter &p, TGlyph Which)
{
    switch (Which) {
    case TGlyph::New:
        Page(p);
        p.setPen(QPen(QColor(0xe0, 0x9b, 0x20), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(22, 18), QPointF(22, 28));
        p.drawLine(QPointF(17, 23), QPointF(27, 23));
        break;
    case TGlyph::Open: {
        p.setPen(QPen(QColor(0x9a, 0x6b, 0x1c), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(0xe8, 0xb4, 0x4c));
        p.drawPolygon(QPolygonF({QPointF(2, 7), QPointF(11, 7), QPointF(14, 10), QPointF(26, 10), QPointF(26, 26), QPointF(2, 26)}));
        p.setBrush(QColor(0xf6, 0xd2, 0x7a));
        p.drawPolygon(QPolygonF({QPointF(6, 14), QPointF(31, 14), QPointF(26, 26), QPointF(2, 26)}));
        break;
    }
    case TGlyph::Save:
        p.setPen(QPen(QColor(0x1e, 0x3f, 0x6e), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Accent);
        p.drawRoundedRect(QRectF(3, 3, 26, 26), 3, 3);
        p.setBrush(QColor(0xf2, 0xf2, 0xf2));
        p.drawRect(QRectF(8, 3.75, 16, 9));
        p.setBrush(QColor(0x1e, 0x3f, 0x6e));
        p.drawRect(QRectF(18, 5.5, 3.5, 5.5));
        p.setBrush(Paper);
        p.drawRect(QRectF(7, 17, 18, 11));
        break;
    case TGlyph::Cut:
        p.setPen(QPen(Ink, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, 3), QPointF(21, 21));
        p.drawLine(QPointF(23, 3), QPointF(11, 21));
        p.setPen(QPen(QColor(0xc0, 0x39, 0x2b), 2.4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(9, 25), 4.5, 4.5);
        p.drawEllipse(QPointF(23, 25), 4.5, 4.5);
        break;
    case TGlyph::Copy:
        p.save();
        p.translate(-3, -1);
        p.scale(0.8, 0.8);
        Page(p);
        TextLines(p, 10, 12, 12, 1, 3);
        p.restore();
        p.save();
        p.translate(6, 6);
        p.scale(0.8, 0.8);
        Page(p);
        TextLines(p, 10, 12, 12, 1, 3);
        p.restore();
        break;
    case TGlyph::Paste:
        p.setPen(QPen(QColor(0x7a, 0x52, 0x1c), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(0xc8, 0x8a, 0x3c));
        p.drawRoundedRect(QRectF(3, 4, 20, 26), 2, 2);
        p.setBrush(QColor(0x9a, 0x9a, 0x9a));
        p.drawRoundedRect(QRectF(8, 1.5, 10, 5), 1.5, 1.5);
        p.save();
        p.translate(11, 10);
        p.scale(0.65, 0.65);
        Page(p);
        TextLines(p, 10, 12, 12, 1, 3);
        p.restore();
        break;
    case TGlyph::Transfer: {
        // A calculator receiving from a cable.
        p.setPen(QPen(QColor(0x22, 0x26, 0x2c), 1.2));
        p.setBrush(QColor(0x3a, 0x3f, 0x47));
        p.drawRoundedRect(QRectF(14, 2, 16, 28), 3, 3);
        p.setBrush(QColor(0xb9, 0xc9, 0xa4));
        p.drawRect(QRectF(16.5, 5, 11, 8));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xd8, 0xd8, 0xd8));
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                p.drawRect(QRectF(16.5 + c * 4, 16 + r * 4, 3, 2.5));
        p.setPen(QPen(QColor(0xe0, 0x7b, 0x2a), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(2, 16), QPointF(11, 16));
        p.drawLine(QPointF(7, 11.5), QPointF(11, 16));
        p.drawLine(QPointF(7, 20.5), QPointF(11, 16));
        break;
    }
    case TGlyph::Picture:
        p.setPen(QPen(Ink, 1.5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 5, 26, 22));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x)
                if ((x * 7 + y * 3) % 5 < 2 || y == 4)
                    p.drawRect(QRectF(6 + x * 3.5, 8 + y * 3.5, 3, 3));
        break;
    case TGlyph::Undo:
    case TGlyph::Redo: {
        // A curved arrow turning back (undo) or forward (redo).
        if (Which == TGlyph::Redo) {
            p.translate(32, 0);
            p.scale(-1, 1);
        }
        p.setPen(QPen(Accent, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        QPainterPath arc;
        arc.moveTo(9, 13);
        arc.cubicTo(QPointF(16, 6), QPointF(29, 9), QPointF(27, 20));
        arc.cubicTo(QPointF(26, 25), QPointF(21, 27), QPointF(15, 27));
        p.drawPath(arc);
        p.setPen(Qt::NoPen);
        p.setBrush(Accent);
        p.drawPolygon(QPolygonF({QPointF(3, 6), QPointF(13, 7), QPointF(5, 17)}));
        break;
    }
    case TGlyph::Help:
        p.setPen(Qt::NoPen);
        p.setBrush(Accent);
        p.drawEllipse(QRectF(2, 2, 28, 28));
        Label(p, QStringLiteral("?"), QRectF(2, 4, 28, 26), Qt::white);
        break;
    case TGlyph::Bold:
        Letter(p, QStringLiteral("B"), true, false, Ink, QRectF(2, 1, 28, 28));
        break;
    case TGlyph::Italic:
        Letter(p, QStringLiteral("I"), true, true, Ink, QRectF(2, 1, 28, 28));
        break;
    case TGlyph::Backslant:
        // The second italic of TGV leans the other way.
        p.save();
        p.setTransform(QTransform(1, 0, 0.3, 1, -4.5, 0), true);
        Letter(p, QStringLiteral("I"), true, false, Ink, QRectF(2, 1, 28, 28));
        p.restore();
        break;
    case TGlyph::Underline:
        Letter(p, QStringLiteral("U"), true, false, Ink, QRectF(2, -1, 28, 26));
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        p.drawRect(QRectF(7, 26, 18, 2.5));
        break;
    case TGlyph::Reverse:
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        p.drawRect(QRectF(4, 3, 24, 26));
        Letter(p, QStringLiteral("R"), true, false, Qt::white, QRectF(4, 3, 24, 25));
        break;
    case TGlyph::AlignLeft:
        TextLines(p, 4, 5, 24, 1);
        break;
    case TGlyph::AlignCenter:
        TextLines(p, 4, 5, 24, 0);
        break;
    case TGlyph::AlignRight:
        TextLines(p, 4, 5, 24, 2);
        break;
    case TGlyph::Justify:
        // Text broken at the right edge: the edge line with full lines up to it.
        TextLines(p, 3, 5, 21, 3);
        p.setPen(QPen(QColor(0x9a, 0x9a, 0x9a), 1.5, Qt::DashLine));
        p.drawLine(QPointF(27, 2), QPointF(27, 30));
        break;
    case TGlyph::Edge22:
    case TGlyph::Edge33:
        p.setPen(QPen(QColor(0x9a, 0x9a, 0x9a), 2));
        p.drawLine(QPointF(29, 1), QPointF(29, 31));
        Label(p, Which == TGlyph::Edge22 ? QStringLiteral("22") : QStringLiteral("33"), QRectF(0, 4, 28, 24), Ink);
        break;
    }
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

QIcon Glyph(TGlyph Which)
{
    return Render([Which](QPainter &p) { DrawGlyph(p, Which); }, {16, 20, 24, 32, 40});
}
