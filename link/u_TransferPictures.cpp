#include "u_TransferPictures.h"

#include "u_Errors.h"
#include "u_Settings.h"
#include "u_TGrob.h"
#include "u_utils.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace {
// The colours of a calculator's liquid-crystal display.
const QRgb LcdBackground = qRgb(0xC3, 0xCD, 0xB4);
const QRgb LcdInk = qRgb(0x1E, 0x24, 0x1C);

// The mini font's glyphs are three pixels wide with one blank column: the calculator sets them four
// pixels apart, which is how 33 of them fit on a line.
constexpr int MiniAdvance = 4;

// Calculator codes of the characters these screens use beyond ASCII.
constexpr char RightArrowCode = char(141);

TSharedRef<TGrobFont> LoadScreenFont(const QString &Name)
{
    auto font = TSharedRef<TGrobFont>::Adopt(new TGrobFont);
    try {
        LoadFontFile(*font, AppDir + QStringLiteral("fonts/") + Name + QStringLiteral(".fnt"), 0);
    } catch (const EError &) {
        // Without the fonts folder the pictures still show their text, in the desktop's font.
        return {};
    }
    return font;
}

// A calculator display, one bit per pixel, drawn black on white and coloured at the end.
class TCalcScreen {
public:
    TCalcScreen(int Width, int Height)
        : FImage(Width, Height, QImage::Format_RGB32),
          FNormal(LoadScreenFont(SettingsKeys::DefaultXVFontName)),
          FMini(LoadScreenFont(SettingsKeys::DefaultTgvMiniFontName))
    {
        FImage.fill(Qt::white);
    }

    int Width() const { return FImage.width(); }
    // Text in calculator codes; returns the x after its last character.
    int Text(int X, int Y, const QByteArray &Codes, bool Mini)
    {
        const TSharedRef<TGrobFont> &font = Mini ? FMini : FNormal;
        const int advance = Mini ? MiniAdvance : 6;
        QPainter p(&FImage);
        if (font && font->HasStrip()) {
            // AND keeps what is already drawn where a glyph cell is blank.
            p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
            for (int i = 0; i < Codes.size(); ++i)
                font->DrawChar(p, uint8_t(Codes.at(i)), X + i * advance, Y, false);
        } else {
            QFont f(QStringLiteral("monospace"));
            f.setPixelSize(Mini ? 6 : 8);
            p.setFont(f);
            p.setPen(Qt::black);
            p.drawText(QRect(X, Y, int(Codes.size()) * advance, 8), Qt::AlignLeft | Qt::AlignVCenter,
                       QString::fromLatin1(Codes));
        }
        return X + int(Codes.size()) * advance;
    }
    int TextWidth(const QByteArray &Codes, bool Mini) const { return int(Codes.size()) * (Mini ? MiniAdvance : 6); }
    void Centred(int Y, const QByteArray &Codes, bool Mini) { Text((Width() - TextWidth(Codes, Mini)) / 2, Y, Codes, Mini); }
    void Invert(const QRect &Area)
    {
        const QRect r = Area & FImage.rect();
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                FImage.setPixel(x, y, FImage.pixel(x, y) == qRgb(255, 255, 255) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    }
    void Line(int X1, int Y1, int X2, int Y2)
    {
        QPainter p(&FImage);
        p.setPen(Qt::black);
        p.drawLine(X1, Y1, X2, Y2);
    }
    // A soft-key label at menu position Index (0 to 5) of the bottom row: white on black.
    void MenuLabel(int Index, const QByteArray &Label)
    {
        const int left = Index * 22;
        const QRect box(left, FImage.height() - 8, 21, 8);
        if (!Label.isEmpty())
            Text(left + (21 - TextWidth(Label, true)) / 2 + 1, box.top() + 1, Label, true);
        Invert(box);
    }
    // Twice the calculator's pixel size, in the display's colours.
    QImage Rendered() const
    {
        QImage out(FImage.width() * 2, FImage.height() * 2, QImage::Format_RGB32);
        for (int y = 0; y < FImage.height(); ++y)
            for (int x = 0; x < FImage.width(); ++x) {
                const QRgb c = FImage.pixel(x, y) == qRgb(255, 255, 255) ? LcdBackground : LcdInk;
                out.setPixel(2 * x, 2 * y, c);
                out.setPixel(2 * x + 1, 2 * y, c);
                out.setPixel(2 * x, 2 * y + 1, c);
                out.setPixel(2 * x + 1, 2 * y + 1, c);
            }
        return out;
    }

private:
    QImage FImage;
    TSharedRef<TGrobFont> FNormal;
    TSharedRef<TGrobFont> FMini;
};

QImage KeyPicture(const QColor &Face, const std::function<void(QPainter &, const QRectF &)> &Legend)
{
    QImage out(48, 36, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF key(2, 2, 44, 32);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 2));
    p.setBrush(QColor(0x30, 0x30, 0x30));
    p.drawRoundedRect(key.translated(0, 1), 6, 6);
    p.setBrush(Face);
    p.drawRoundedRect(key.adjusted(0, 0, 0, -3), 6, 6);
    Legend(p, key.adjusted(0, 0, 0, -3));
    return out;
}
} // namespace

QImage TransferSettingsPicture()
{
    TCalcScreen s(CalcScreenWidth, CalcScreenHeight);
    s.Centred(1, "TRANSFER", true);
    s.Line(0, 8, s.Width() - 1, 8);
    int x = s.Text(1, 11, "Port: ", true);
    const int wireEnd = s.Text(x, 11, "Wire", true);
    // The field the cursor stands on is shown in reverse.
    s.Invert(QRect(x - 1, 10, wireEnd - x + 1, 8));
    s.Text(wireEnd + 8, 11, "Type: Kermit", true);
    s.Text(1, 19, "Name: ", true);
    s.Text(1, 27, QByteArray("Fmt: Bin  Xlat: ") + RightArrowCode + "255  Chk: 1", true);
    s.Text(1, 35, "Baud: 9600  Parity: None", true);
    s.Text(1, 46, "Choose transfer port", true);
    s.MenuLabel(0, "EDIT");
    s.MenuLabel(1, "CHOOS");
    s.MenuLabel(2, "");
    s.MenuLabel(3, "");
    s.MenuLabel(4, "XSEND");
    s.MenuLabel(5, "SEND");
    return s.Rendered();
}

QImage DirectoryLinePicture()
{
    TCalcScreen s(CalcScreenWidth, 10);
    s.Text(1, 1, "{ HOME MATHS }", true);
    s.Line(0, 9, s.Width() - 1, 9);
    return s.Rendered();
}

QImage RightShiftKeyPicture()
{
    // The right-shift key: a coloured key with a hooked arrow turning right.
    return KeyPicture(QColor(0x2E, 0x9E, 0x8A), [](QPainter &p, const QRectF &r) {
        const QPointF c = r.center();
        QPainterPath arrow;
        arrow.moveTo(c.x() - 8, c.y() + 8);
        arrow.lineTo(c.x() - 8, c.y() - 4);
        arrow.lineTo(c.x() + 6, c.y() - 4);
        p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(arrow);
        QPainterPath head;
        head.moveTo(c.x() + 11, c.y() - 4);
        head.lineTo(c.x() + 4, c.y() - 10);
        head.lineTo(c.x() + 4, c.y() + 2);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(head);
    });
}

QImage RightArrowKeyPicture()
{
    return KeyPicture(QColor(0x58, 0x5C, 0x60), [](QPainter &p, const QRectF &r) {
        const QPointF c = r.center();
        QPainterPath triangle;
        triangle.moveTo(c.x() + 7, c.y());
        triangle.lineTo(c.x() - 5, c.y() - 8);
        triangle.lineTo(c.x() - 5, c.y() + 8);
        triangle.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(triangle);
    });
}

QImage AwaitingServerPicture()
{
    TCalcScreen s(CalcScreenWidth, CalcScreenHeight);
    s.Text(1, 1, "Awaiting Server Cmd.", false);
    return s.Rendered();
}
