#include "helper_formats.h"

#include <QFile>

QByteArray ReadWholeFile(const QString &Path)
{
    QFile f(Path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(Path));
    return f.readAll();
}

void WriteWholeFile(const QString &Path, const QByteArray &Data)
{
    QFile f(Path);
    if (!f.open(QIODevice::WriteOnly) || f.write(Data) != Data.size())
        qFatal("cannot write %s", qPrintable(Path));
}

void SetStyled(THPEdit2 &Ed, const QByteArray &Text, const QByteArray &Attrs)
{
    Ed.SelectAll();
    Ed.DeleteSelection();
    Ed.InsertText(0, 1, Attrs, Text);
    Ed.MoveCaretTo(0, 1, true);
}

QByteArray Attrs(const THPEdit2 &Ed)
{
    QByteArray all;
    for (int i = 0; i < Ed.LineCount(); ++i) {
        if (i)
            all += '\0';
        all += Ed.Line(i).Attrs();
    }
    return all;
}

QByteArray Nibbles(const QList<int> &Numbers5)
{
    QList<int> n;
    for (int v : Numbers5)
        for (int i = 0; i < 5; ++i)
            n.append((v >> (4 * i)) & 15);
    QByteArray out;
    for (qsizetype i = 0; i < n.size(); i += 2)
        out.append(char(n[i] | (i + 1 < n.size() ? n[i + 1] << 4 : 0)));
    return out;
}

QByteArray TgvFile(const QByteArray &Body, const QByteArray &Extra, bool Hp49)
{
    QByteArray f = Hp49 ? "HPHP49-C" : "HPHP48-E";
    f += Nibbles({0x02D9D, 0x02A74, 0x02A2C, int(2 * Body.size() + 5)});
    f += Body;
    f += Extra;
    f += Hp49 ? QByteArray::fromHex("2B3120E9024D01003BDCB31203") : QByteArray::fromHex("2B3120E9024D0100D8FBB11203");
    return f;
}

QByteArray GrobObjectBytes(int Width, int Height, bool (*Set)(int, int))
{
    const int perRow = (Width + 7) / 8;
    QByteArray g = Nibbles({0x02B1E, 2 * perRow * Height + 15, Height, Width});
    for (int y = 0; y < Height; ++y)
        for (int b = 0; b < perRow; ++b) {
            int v = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (b * 8 + bit < Width && Set(b * 8 + bit, y))
                    v |= 1 << bit;
            g.append(char(v));
        }
    return g;
}
