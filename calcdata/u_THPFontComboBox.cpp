#include "u_THPFontComboBox.h"
#include "u_Errors.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemView>
#include <QCollator>
#include <QPainter>
#include <QStylePainter>

namespace {

// Font names are drawn in 6-pixel cells at 2 ×.
QColor PaleTint(const QColor &Colour)
{
    return QColor::fromHsv(Colour.hsvHue(), qMin(Colour.hsvSaturation(), 90), 255);
}

constexpr int NameCharWidth = 12;

class THPFontItemDelegate : public QAbstractItemDelegate {
public:
    explicit THPFontItemDelegate(THPFontComboBox *Combo) : QAbstractItemDelegate(Combo), FCombo(Combo) {}

    void paint(QPainter *Painter, const QStyleOptionViewItem &Option, const QModelIndex &Index) const override
    {
        const bool selected = Option.state & QStyle::State_Selected;
        // Calculator glyphs are black pixels: they keep a light paper under any theme, and a selected
        // name a light tint of the theme's highlight.
        const QColor background = selected ? PaleTint(Option.palette.color(QPalette::Highlight)) : QColor(Qt::white);
        FCombo->DrawFontName(*Painter, Option.rect, Index.data(Qt::DisplayRole).toString(), background);
    }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &Index) const override
    {
        const QString name = Index.data(Qt::DisplayRole).toString();
        return {4 + int(name.size()) * NameCharWidth, THPFontComboBox::ItemHeight};
    }

private:
    THPFontComboBox *FCombo;
};

} // namespace

THPFontComboBox::THPFontComboBox(QWidget *Parent) : QComboBox(Parent)
{
    setItemDelegate(new THPFontItemDelegate(this));
    setMaxVisibleItems(8);
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(this, &QComboBox::activated, this, &THPFontComboBox::Change);
}

THPFontComboBox *THPFontComboBox::ForKind(QWidget *Parent, const QString &Name, TGrobFontKind Kind)
{
    auto *combo = new THPFontComboBox(Parent);
    combo->setObjectName(Name);
    combo->Kinds = {Kind};
    if (FontList)
        combo->SetFonts(*FontList);
    return combo;
}

void THPFontComboBox::ClearFonts()
{
    Fonts.Clear();
    clear();
}

void THPFontComboBox::SetFonts(const TListGrobFont &List)
{
    ClearFonts();
    List.AssignTo(Fonts);
    Fill();
}

void THPFontComboBox::Fill()
{
    for (int i = 0; i < Fonts.Count(); ++i)
        if (Kinds.contains(Fonts.GetKind(i)))
            addItem(Fonts.GetName(i));
    if (count() > 0)
        setCurrentIndex(0);
}

bool THPFontComboBox::SelectFont(const QString &Name)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (int i = 0; i < count(); ++i) {
        if (collator.compare(itemText(i), Name) == 0) {
            setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

void THPFontComboBox::DrawFontName(QPainter &Canvas, const QRect &Rect, const QString &Name, const QColor &Background)
{
    Canvas.save();
    Canvas.setClipRect(Rect, Qt::IntersectClip);
    Canvas.fillRect(Rect, Background);
    TGrobFont *font = nullptr;
    try {
        font = Fonts.FindFont(Name);
    } catch (const EError &) {
        // A font file that vanished or cannot be read still leaves its name readable.
        font = nullptr;
    }
    if (font && font->HasStrip()) {
        Canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
        font->DrawText(Canvas, Name.toLatin1(), Rect.left() + 2, Rect.top() + 2, true);
    } else {
        Canvas.setPen(Qt::black);
        Canvas.drawText(Rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, Name);
    }
    Canvas.restore();
}

void THPFontComboBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    const QString name = opt.currentText;
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
    if (name.isEmpty())
        return;
    QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    // The calculator text is 16 pixels high: keep it in the middle of a taller field.
    const int spare = field.height() - ItemHeight;
    if (spare > 0)
        field.adjust(0, spare / 2, 0, -(spare - spare / 2));
    DrawFontName(painter, field, name, Qt::white);
}

QSize THPFontComboBox::sizeHint() const
{
    QSize s = QComboBox::sizeHint();
    int longest = 0;
    for (int i = 0; i < count(); ++i)
        longest = std::max(longest, int(itemText(i).size()));
    // Room for the longest name, plus the arrow.
    const int textWidth = 4 + std::max(longest, 8) * NameCharWidth;
    s.setWidth(std::max(s.width(), textWidth + 30));
    s.setHeight(std::max(s.height(), ItemHeight + 6));
    return s;
}

QSize THPFontComboBox::minimumSizeHint() const
{
    QSize s = QComboBox::minimumSizeHint();
    s.setHeight(std::max(s.height(), ItemHeight + 6));
    return s;
}
