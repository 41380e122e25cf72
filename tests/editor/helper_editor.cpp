#include "helper_editor.h"

#include "u_TGrob.h"
#include "u_utils.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

bool THostWidget::event(QEvent *Event)
{
    const int t = Event->type();
    if (t == HPM_ATTRCHANGED || t == HPM_FONTSCHANGED || t == HPM_MODIFIEDCHANGED) {
        Notes.append({t, static_cast<THPNotifyEvent *>(Event)->Arg()});
        return true;
    }
    return QWidget::event(Event);
}

int THostWidget::Count(int Type) const
{
    int n = 0;
    for (const auto &e : Notes)
        n += e.first == Type;
    return n;
}

int THostWidget::LastArg(int Type) const
{
    for (auto it = Notes.crbegin(); it != Notes.crend(); ++it)
        if (it->first == Type)
            return it->second;
    return -1;
}

void THostWidget::Deliver()
{
    QCoreApplication::sendPostedEvents(this);
}

void THostWidget::Flush()
{
    Deliver();
    Notes.clear();
}

void UseBuildTree()
{
    AppDir = QStringLiteral(QUILLO_BUILD_DIR);
}

void WriteFont(const QString &Dir, const QString &Name, const QStringList &Glyph, int RowsPerGlyph)
{
    QImage image(8, 256 * RowsPerGlyph, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int c = 0; c < 256; ++c)
        for (int r = 0; r < RowsPerGlyph; ++r)
            for (int x = 0; x < 6; ++x)
                if (Glyph.value(r).mid(x, 1) == "#")
                    image.setPixel(x, c * RowsPerGlyph + r, qRgb(0, 0, 0));
    auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
    grob->AssignBitmap(image);
    QFile f(Dir + "/" + Name + ".fnt");
    if (!f.open(QIODevice::WriteOnly) || f.write(grob->FileBytes()) < 0)
        qFatal("cannot write the test font");
}

THPEdit2 *NewEditor(THostWidget &Host, TEditor Kind, QSize Size)
{
    UseBuildTree();
    auto *ed = new THPEdit2(&Host, Kind);
    ed->SetSubDirFont(QStringLiteral("fonts"));
    ed->move(0, 0);
    ed->resize(Size);
    Host.resize(Size);
    Host.show();
    if (!QTest::qWaitForWindowExposed(&Host))
        qFatal("the host window did not show");
    ed->NewDocument();
    Host.Flush();
    return ed;
}

void SetText(THPEdit2 &Ed, const QByteArray &Text, uint8_t Attr)
{
    Ed.SelectAll();
    Ed.DeleteSelection();
    Ed.InsertText(0, 1, QByteArray(1, char(Attr)), Text);
    Ed.MoveCaretTo(0, 1, true);
}

QByteArray Text(const THPEdit2 &Ed)
{
    QByteArray all;
    for (int i = 0; i < Ed.LineCount(); ++i) {
        if (i)
            all += '\n';
        all += Ed.Line(i).Chars();
    }
    return all;
}

int AddPictureLine(THPEdit2 &Ed, int Width, int Height, int Seed)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int i = 0; i < std::min(Width, Height); ++i)
        image.setPixel(i, i, qRgb(0, 0, 0));
    image.setPixel(Width - 1, 0, Seed & 1 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    const int slot = Ed.AddPicture(image);
    const int last = Ed.LineCount() - 1;
    // A picture goes on a line of its own, with an empty line after it for the text that follows.
    Ed.InsertText(last, Ed.LineLength(last) + 1, QByteArray(1, 0), "\n\n");
    Ed.SetPictureLine(last + 1, slot);
    Ed.RecomputeTops(last + 1);
    Ed.UpdateVisibleLines();
    return last + 1;
}
