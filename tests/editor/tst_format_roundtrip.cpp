// Round trips between every pair of formats. A rich TGV document — every character code, every
// style and font, pictures, one of them shown twice — is saved in one format, opened as that
// format's document, saved in a second format and opened again. What survives each step must be
// exactly what typing the same text into a window of the target kind keeps.
#include "helper_editor.h"
#include "helper_formats.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct TFormat {
    const char *Ext;
    TEditor Kind;
};
const TFormat Formats[] = {{"xv", TEditor::Xview}, {"eden", TEditor::Eden}, {"hp49", TEditor::Hp49},
                           {"tgv", TEditor::Tgv}, {"t49", TEditor::Tgv}};

// Lines as text: characters and attributes, a picture as a digest of its pixels.
QStringList Describe(const THPEdit2 &Ed)
{
    QStringList out;
    for (int i = 0; i < Ed.LineCount(); ++i) {
        if (const TPictureHP *p = Ed.PictureOfLine(i)) {
            const QImage &b = p->Bitmap;
            out << "picture " + QString::number(b.width()) + "x" + QString::number(b.height()) + " "
                       + QCryptographicHash::hash(QByteArrayView(b.constBits(), b.sizeInBytes()), QCryptographicHash::Md5).toHex();
        } else {
            out << QString::fromLatin1(Ed.Line(i).Chars().toHex() + " / " + Ed.Line(i).Attrs().toHex());
        }
    }
    return out;
}

// Every code the TGV kind stores, in lines of 16, with attributes running through all style and
// font combinations; then pictures between the lines.
void BuildRichDocument(THPEdit2 &Ed)
{
    // A leading 3 or 4 would read back as the TGV menu header, as it does on the calculator.
    QByteArray text = "A", attrs = QByteArray(1, '\0');
    int n = 0;
    for (int c = 0; c < 256; ++c) {
        if (!IsCharAllowed(uint8_t(c), TEditor::Tgv) || c == 10)
            continue;
        text += char(c);
        uint8_t a = uint8_t((n * 7) % 24) | FontBits[(n / 5) % 4];
        attrs += char(NormaliseSlant(a));
        if (++n % 16 == 0) {
            text += '\n';
            attrs += '\0';
        }
    }
    SetStyled(Ed, text, attrs);
    AddPictureLine(Ed, 13, 9, 0);
    Ed.InsertText(Ed.LineCount() - 1, 1, QByteArray(1, char(stBold | fsFont1)), "between");
    AddPictureLine(Ed, 30, 2, 1);
    AddPictureLine(Ed, 13, 9, 0);
    Ed.InsertText(Ed.LineCount() - 1, 1, QByteArray(1, char(stReverse | stUnderline)), "end");
}
} // namespace

class TestFormatRoundTrip : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    qint64 Save(THPEdit2 &Ed, const QString &Path, const TFormat &F, const QString &ExecuteWith)
    {
        if (F.Kind == TEditor::Tgv)
            return Ed.SaveTgv(Path, QByteArray(F.Ext) == "t49");
        return Ed.SaveText(Path, F.Kind, ExecuteWith);
    }

    void Load(THPEdit2 &Ed, const QString &Path)
    {
        if (Ed.Editor() == TEditor::Tgv)
            Ed.LoadTgv(Path);
        else
            Ed.LoadText(Path, Ed.Editor());
    }

    // What a window of Kind keeps of Source's text, typed in directly.
    QStringList Expected(THostWidget &Host, const THPEdit2 &Source, TEditor Kind)
    {
        THPEdit2 *ed = NewEditor(Host, Kind);
        QByteArray text, attrs;
        for (int i = 0; i < Source.LineCount(); ++i) {
            if (i) {
                text += '\n';
                attrs += '\0';
            }
            if (Source.PictureOfLine(i))
                continue; // a picture line is an empty line to the text forms
            text += Source.Line(i).Chars();
            attrs += Source.Line(i).Attrs();
        }
        SetStyled(*ed, text, attrs);
        return Describe(*ed);
    }

private slots:
    void pair_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        for (int f = 0; f < 5; ++f)
            for (int t = 0; t < 5; ++t)
                QTest::addRow("%s to %s", Formats[f].Ext, Formats[t].Ext) << f << t;
    }

    void pair()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        const TFormat &F = Formats[from];
        const TFormat &T = Formats[to];
        THostWidget h0, h1, h2, h3;
        THPEdit2 *source = NewEditor(h0, TEditor::Tgv);
        BuildRichDocument(*source);
        source->SetMenuChar('m');
        source->SetMenuWhenStarted(true);

        const QString first = FDir.filePath(QStringLiteral("first.") + F.Ext);
        Save(*source, first, F, "XV");
        THPEdit2 *a = NewEditor(h1, F.Kind);
        Load(*a, first);
        if (F.Kind == TEditor::Tgv) {
            QCOMPARE(Describe(*a), Describe(*source));
            QCOMPARE(a->MenuChar(), uint8_t('m'));
            QVERIFY(a->MenuWhenStarted());
        } else {
            QCOMPARE(Describe(*a), Expected(h2, *source, F.Kind));
            QCOMPARE(a->ExecuteWith(), F.Kind == TEditor::Hp49 ? QString() : QStringLiteral("XV"));
        }

        const QString second = FDir.filePath(QStringLiteral("second.") + T.Ext);
        const QByteArray firstBytes = ReadWholeFile(first);
        Save(*a, second, T, a->ExecuteWith());
        THPEdit2 *b = NewEditor(h3, T.Kind);
        Load(*b, second);
        if (T.Kind == TEditor::Tgv && F.Kind == TEditor::Tgv)
            QCOMPARE(Describe(*b), Describe(*source));
        else
            QCOMPARE(Describe(*b), Expected(h2, *a, T.Kind));

        // Between TGV files only the header and the tail change.
        if (F.Kind == TEditor::Tgv && T.Kind == TEditor::Tgv)
            QCOMPARE(ReadWholeFile(second).mid(8, firstBytes.size() - 8 - 13), firstBytes.mid(8, firstBytes.size() - 8 - 13));
        // Once a document has been opened from a format, it goes through that format unchanged.
        const QString third = FDir.filePath(QStringLiteral("third.") + T.Ext);
        const QString fourth = FDir.filePath(QStringLiteral("fourth.") + T.Ext);
        Save(*b, third, T, b->ExecuteWith());
        THostWidget h4;
        THPEdit2 *c = NewEditor(h4, T.Kind);
        Load(*c, third);
        QCOMPARE(Describe(*c), Describe(*b));
        Save(*c, fourth, T, c->ExecuteWith());
        QCOMPARE(ReadWholeFile(fourth), ReadWholeFile(third));
    }
};

QTEST_MAIN(TestFormatRoundTrip)
#include "tst_format_roundtrip.moc"
