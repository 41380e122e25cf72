// The font list: scanning a folder, ordering, lookup, sharing loaded fonts between lists.
#include "u_Errors.h"
#include "u_GlobalScope.h"
#include "u_TGrob.h"
#include "u_utils.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A real font file of the given kind: every glyph a single dot in its top-left corner.
QByteArray FontFileBytes(TGrobFontKind kind)
{
    const int rows = kind == gfkMini ? 1280 : 2048;
    QImage image(8, rows, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int r = 0; r < rows; r += kind == gfkMini ? 5 : 8)
        image.setPixel(0, r, qRgb(0, 0, 0));
    auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
    grob->AssignBitmap(image);
    return grob->FileBytes();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList Names(const TListGrobFont &list)
{
    QStringList names;
    for (int i = 0; i < list.Count(); ++i)
        names << list.GetName(i);
    return names;
}
} // namespace

class TestFontList : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

private slots:
    void initTestCase()
    {
        QVERIFY(FDir.isValid());
        WriteFile(FDir.filePath("Ab.fnt"), FontFileBytes(gfkNormal));
        WriteFile(FDir.filePath("ab.fnt"), FontFileBytes(gfkNormal));
        WriteFile(FDir.filePath("B.fnt"), FontFileBytes(gfkNormal));
        WriteFile(FDir.filePath("mini.v2.fnt"), FontFileBytes(gfkMini));
        WriteFile(FDir.filePath("long.fnt"), FontFileBytes(gfkNormal) + "x");
        WriteFile(FDir.filePath("notafont.txt"), FontFileBytes(gfkNormal));
        QDir(FDir.path()).mkdir("folder.fnt");
        WriteFile(FDir.filePath(".hidden.fnt"), FontFileBytes(gfkNormal));
    }

    void fileKindFollowsLength()
    {
        QCOMPARE(FontFileKind(FDir.filePath("Ab.fnt")), gfkNormal);
        QCOMPARE(FontFileKind(FDir.filePath("mini.v2.fnt")), gfkMini);
        QCOMPARE(FontFileKind(FDir.filePath("long.fnt")), gfkOther);
        QVERIFY_THROWS_EXCEPTION(EFileError, FontFileKind(FDir.filePath("missing.fnt")));
    }

    void scanListsFontsOfTheAskedKindsSortedByCode()
    {
        TListGrobFont list;
        list.LoadFolder(FDir.filePath("*.fnt"), {gfkMini, gfkNormal});
        list.Sort();
        QCOMPARE(Names(list), (QStringList {"Ab", "B", "ab", "mini"}));
        QCOMPARE(list.GetKind(3), uint8_t(gfkMini));
        QCOMPARE(list.Item(0).FileName, FDir.filePath("Ab.fnt"));
        QVERIFY(!list.Item(0).Font); // nothing is read until first use

        TListGrobFont minis;
        minis.LoadFolder(FDir.filePath("*.fnt"), {gfkMini});
        QCOMPARE(Names(minis), QStringList {"mini"});
    }

    void findFontIsCaseSensitiveAndLoadsOnce()
    {
        TListGrobFont list;
        list.LoadFolder(FDir.filePath("*.fnt"), {gfkNormal});
        list.Sort();
        TGrobFont *ab = list.FindFont("ab");
        QVERIFY(ab);
        QCOMPARE(ab->FName, FDir.filePath("ab.fnt"));
        QVERIFY(ab != list.FindFont("Ab"));
        QCOMPARE(list.FindFont("ab"), ab);
        QVERIFY(!list.FindFont("AB"));
        QVERIFY(ab->GlyphPixel(65, 0, 0));
    }

    void assignToSharesLoadedFontsAndAppends()
    {
        TListGrobFont source;
        source.LoadFolder(FDir.filePath("*.fnt"), {gfkMini, gfkNormal});
        source.Sort();
        TGrobFont *b = source.FindFont("B");
        QCOMPARE(b->RefCount(), 1);

        TListGrobFont dest;
        auto own = TSharedRef<TGrobFont>::Adopt(new TGrobFont);
        dest.AddFont(own.get(), "own");
        source.AssignTo(dest);
        QCOMPARE(Names(dest), (QStringList {"own", "Ab", "B", "ab", "mini"}));
        QCOMPARE(dest.Item(2).Font.get(), b);
        QCOMPARE(b->RefCount(), 2);
        QVERIFY(!dest.Item(1).Font);

        // A font held by two lists survives the clearing of one.
        b->AddRef();
        source.Clear();
        QCOMPARE(b->RefCount(), 2);
        QVERIFY(b->GlyphPixel(65, 0, 0));
        dest.Clear();
        QCOMPARE(b->RefCount(), 1);
        TSharedObject::Release(b);
        TSharedObject::Release(nullptr);
    }

    void addBuildsFromAGrob()
    {
        auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
        WriteFile(FDir.filePath("m.grb"), FontFileBytes(gfkMini));
        grob->LoadFromFile(FDir.filePath("m.grb"));
        TListGrobFont list;
        list.Add(grob.get(), "m", QString(), gfkNormal, fsSubscript);
        QCOMPARE(list.GetKind(0), uint8_t(gfkMini));
        QCOMPARE(list.Item(0).Style, uint8_t(fsSubscript));
        QCOMPARE(grob->RefCount(), 1);
    }

    void unreadableFontStaysEmpty()
    {
        const QString path = FDir.filePath("gone.fnt");
        WriteFile(path, FontFileBytes(gfkNormal));
        TListGrobFont list;
        list.LoadFolder(FDir.filePath("gone.fnt"), {gfkNormal});
        QCOMPARE(list.Count(), 1);
        QFile::remove(path);
        QVERIFY_THROWS_EXCEPTION(EFileError, list.GetFont(0));
        TGrobFont *font = list.GetFont(0); // kept, not retried
        QVERIFY(font && !font->HasStrip());
    }

    void startUpScanUsesTheFontsFolderBesideTheProgram()
    {
        QTemporaryDir app;
        QDir(app.path()).mkdir("fonts");
        WriteFile(app.filePath("fonts/XVDefault.fnt"), FontFileBytes(gfkNormal));
        WriteFile(app.filePath("fonts/broken.fnt"), "short");
        AppDir = app.path() + "/";
        {
            const TGlobalScope<TListGrobFont> scope(FontList);
            LoadProgramFonts(*FontList);
            QCOMPARE(Names(*FontList), QStringList {"XVDefault"});
        }
        QVERIFY(!FontList);
        AppDir.clear();
    }
};

QTEST_MAIN(TestFontList)
#include "tst_fontlist.moc"
