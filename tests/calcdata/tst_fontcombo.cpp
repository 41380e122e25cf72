// The font picker: which fonts it lists, finding a stored name, and drawing names in their fonts.
#include "u_THPFontComboBox.h"

#include <QPainter>
#include <QTest>

namespace {

QString BundledFolderMask()
{
    return QStringLiteral(QUILLO_BUILD_DIR "fonts/*.fnt");
}

TSharedRef<TGrobFont> LoadedFont(const char *Name, uint8_t Style = 0)
{
    auto font = TSharedRef<TGrobFont>::Adopt(new TGrobFont);
    LoadFontFile(*font, QStringLiteral(QUILLO_BUILD_DIR "fonts/") + QLatin1String(Name) + QStringLiteral(".fnt"), Style);
    return font;
}

QStringList Items(const QComboBox &Combo)
{
    QStringList items;
    for (int i = 0; i < Combo.count(); ++i)
        items << Combo.itemText(i);
    return items;
}

} // namespace

class TestFontCombo : public QObject {
    Q_OBJECT

private slots:
    void fillListsTheKindsAsked()
    {
        THPFontComboBox combo;
        combo.ClearFonts();
        combo.Fonts.AddFont(LoadedFont("tgvnormal").get(), QStringLiteral("Normal"));
        combo.Fill();
        QCOMPARE(Items(combo), QStringList{QStringLiteral("Normal")});
        QCOMPARE(combo.currentIndex(), 0);

        combo.ClearFonts();
        combo.Kinds = {gfkMini};
        combo.Fonts.AddFont(LoadedFont("tgvnormal").get(), QStringLiteral("Normal"));
        combo.Fill();
        QCOMPARE(combo.count(), 0);
    }

    void fillAppendsToWhatIsListed()
    {
        THPFontComboBox combo;
        combo.Fonts.AddFont(LoadedFont("tgvnormal").get(), QStringLiteral("Normal"));
        combo.Fill();
        combo.Fill();
        QCOMPARE(combo.count(), 2);
    }

    void documentFontsAreFoundWhateverTheCase()
    {
        // The TGV toolbar pattern: the document's four fonts under their role names.
        THPFontComboBox combo;
        combo.ClearFonts();
        combo.Fonts.AddFont(LoadedFont("tgvnormal").get(), QStringLiteral("Normal"));
        combo.Fonts.AddFont(LoadedFont("tgvfnt1", fsFont1).get(), QStringLiteral("Font 1"));
        combo.Fonts.AddFont(LoadedFont("tgvmini", fsSuperscript).get(), QStringLiteral("Superscript"));
        combo.Fonts.AddFont(LoadedFont("tgvmini", fsSubscript).get(), QStringLiteral("Subscript"));
        combo.Fill();
        QCOMPARE(combo.count(), 4);

        QVERIFY(combo.SelectFont(QStringLiteral("SUBSCRIPT")));
        QCOMPARE(combo.currentIndex(), 3);
        QVERIFY(combo.SelectFont(QStringLiteral("NORMAL")));
        QCOMPARE(combo.Text(), QStringLiteral("Normal"));

        QVERIFY(!combo.SelectFont(QStringLiteral("Font")));
        QVERIFY(!combo.SelectFont(QString()));
        QCOMPARE(combo.currentIndex(), 0);
    }

    void listOfTheFontsFolder()
    {
        TListGrobFont all;
        all.LoadFolder(BundledFolderMask(), {gfkMini, gfkNormal});
        all.Sort();

        THPFontComboBox combo;
        combo.Kinds = {gfkNormal};
        combo.SetFonts(all);
        QVERIFY(Items(combo).contains(QStringLiteral("tgvnormal")));
        QVERIFY(!Items(combo).contains(QStringLiteral("tgvmini")));
        QCOMPARE(combo.Fonts.Count(), all.Count());
        QVERIFY(combo.SelectFont(QStringLiteral("XVDEFAULT")));
        QCOMPARE(combo.Text(), QStringLiteral("XVDefault"));

        // Setting the fonts again replaces the list rather than adding to it.
        const int listed = combo.count();
        combo.SetFonts(all);
        QCOMPARE(combo.count(), listed);
    }

    void namesAreDrawnInTheirOwnFont()
    {
        THPFontComboBox combo;
        auto font = LoadedFont("tgvnormal");
        combo.Fonts.AddFont(font.get(), QStringLiteral("Normal"));
        combo.Fill();

        QImage image(200, THPFontComboBox::ItemHeight, QImage::Format_RGB32);
        image.fill(Qt::red);
        {
            QPainter p(&image);
            combo.DrawFontName(p, image.rect(), QStringLiteral("Normal"), Qt::blue);
        }
        // The first letter's glyph, doubled, at (2, 2); the rest of the item in the fill colour.
        for (int y = 0; y < font->FCharHeight; ++y)
            for (int x = 0; x < font->FCharWidth; ++x) {
                const QColor expected = font->GlyphPixel('N', x, y) ? Qt::black : Qt::white;
                QCOMPARE(image.pixelColor(2 + 2 * x, 2 + 2 * y), expected);
                QCOMPARE(image.pixelColor(3 + 2 * x, 3 + 2 * y), expected);
            }
        QCOMPARE(image.pixelColor(199, 19), QColor(Qt::blue));
    }

    void unreadableFontStillShowsItsName()
    {
        THPFontComboBox combo;
        combo.Fonts.Add(nullptr, QStringLiteral("ghost"), QStringLiteral("/no/such/ghost.fnt"), gfkNormal, 0);
        combo.Fill();
        QCOMPARE(combo.count(), 1);
        QImage image(200, THPFontComboBox::ItemHeight, QImage::Format_RGB32);
        image.fill(Qt::red);
        {
            QPainter p(&image);
            combo.DrawFontName(p, image.rect(), QStringLiteral("ghost"), Qt::white);
        }
        QCOMPARE(image.pixelColor(199, 0), QColor(Qt::white));
        combo.resize(200, 30);
        QVERIFY(!combo.grab().isNull());
    }
};

QTEST_MAIN(TestFontCombo)
#include "tst_fontcombo.moc"
