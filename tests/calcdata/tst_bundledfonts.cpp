// The fonts the program ships: every glyph art file in the source becomes a well-formed font
// file that builds in every style, draws every character, and keeps its own look; the converter
// refuses malformed art without touching the font it would replace.
#include "u_Settings.h"
#include "u_TGrob.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString FontDir = QStringLiteral(QUILLO_BUILD_DIR "fonts/");
const QString ArtDir = QStringLiteral(QUILLO_SOURCE_DIR "fonts/");
const QString Converter = QStringLiteral(QUILLO_BUILD_DIR "tools/glyphart2fnt");

// The fonts built from the glyph art in the source tree, by name.
QStringList BundledFontNames()
{
    QStringList names;
    for (const QString &art : QDir(ArtDir).entryList({"*.glyphs"}, QDir::Files, QDir::Name))
        names << art.section('.', 0, 0);
    return names;
}

TSharedRef<TGrob> LoadGrob(const QString &name)
{
    auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
    grob->LoadFromFile(FontDir + name + ".fnt");
    return grob;
}

bool Blank(const TGrobFont &font, int code)
{
    for (int y = 0; y < font.FCharHeight; ++y)
        for (int x = 0; x < font.FCharWidth; ++x)
            if (font.GlyphPixel(uint8_t(code), x, y))
                return false;
    return true;
}

bool SameGlyph(const TGrobFont &a, const TGrobFont &b, int code)
{
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 6; ++x)
            if (a.GlyphPixel(uint8_t(code), x, y) != b.GlyphPixel(uint8_t(code), x, y))
                return false;
    return true;
}

int InkCount(const TGrobFont &font)
{
    int ink = 0;
    for (int code = 33; code < 256; ++code)
        for (int y = 0; y < font.FCharHeight; ++y)
            for (int x = 0; x < font.FCharWidth; ++x)
                ink += font.GlyphPixel(uint8_t(code), x, y);
    return ink;
}

// The codes that show a character of their own: everything but the two spaces.
bool IsPrintable(int code) { return code != 32 && code != 160; }

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void AddFontRows()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : BundledFontNames())
        QTest::newRow(qPrintable(name)) << name;
}
} // namespace

class TestBundledFonts : public QObject {
    Q_OBJECT

private slots:
    void theProgramsFontsAreAllThere()
    {
        const QStringList names = BundledFontNames();
        // The fonts a fresh installation asks for.
        using namespace SettingsKeys;
        for (const QString &required :
             {DefaultXVFontName, DefaultTgvNormalFontName, DefaultTgvFont1Name, DefaultTgvMiniFontName})
            QVERIFY2(names.contains(required), qPrintable(required));
        int normal = 0, mini = 0;
        for (const QString &name : names) {
            QVERIFY2(QFile::exists(FontDir + name + ".fnt"), qPrintable(name + ".fnt was not built"));
            const TGrobFontKind kind = FontFileKind(FontDir + name + ".fnt");
            normal += kind == gfkNormal;
            mini += kind == gfkMini;
        }
        // The pickers offer a choice beyond the defaults of each kind.
        QVERIFY(normal >= 4);
        QVERIFY(mini >= 2);
    }

    void fileIsAFontGrob_data() { AddFontRows(); }
    void fileIsAFontGrob()
    {
        QFETCH(QString, name);
        const QByteArray bytes = ReadAll(FontDir + name + ".fnt");
        QVERIFY2(bytes.size() == NormalFontFileSize || bytes.size() == MiniFontFileSize,
                 qPrintable(QString::number(bytes.size())));
        const bool mini = bytes.size() == MiniFontFileSize;
        QCOMPARE(ReadAll(ArtDir + name + ".glyphs").contains("\nkind mini\n"), mini);
        QCOMPARE(bytes.left(8), QByteArray("HPHP48-E"));

        TNibbleReader nibs(bytes);
        nibs.SeekByte(HeaderLength);
        const int height = mini ? 1280 : 2048;
        QCOMPARE(nibs.Number5(), PrologGrob);
        QCOMPARE(nibs.Number5(), 2 * height + 15);
        QCOMPARE(nibs.Number5(), height);
        QCOMPARE(nibs.Number5(), 8);
        // The program never shows pixels 6 and 7, so they carry nothing.
        for (int row = 0; row < height; ++row)
            QVERIFY2((uint8_t(bytes[GrobRowsOffset + row]) & 0xC0) == 0, qPrintable(QString::number(row)));
    }

    void buildsInEveryStyle_data() { AddFontRows(); }
    void buildsInEveryStyle()
    {
        QFETCH(QString, name);
        auto grob = LoadGrob(name);
        const bool mini = grob->IsMiniFontGrob();
        const QList<int> placements = mini ? QList<int>{0, fsSuperscript, fsSubscript} : QList<int>{0};
        for (int placement : placements) {
            for (int look = 0; look < 32; ++look) {
                const uint8_t style = uint8_t(look | placement);
                TGrobFont font;
                LoadFontFile(font, FontDir + name + ".fnt", style);
                const QString what = QString("style %1").arg(style);
                QVERIFY2(font.HasStrip(), qPrintable(what));
                const bool slanted = style & (stItalic | stBackslant);
                QCOMPARE(font.FCharWidth, uint8_t(slanted ? (mini ? 8 : 9) : 6));
                QCOMPARE(font.FCharHeight, uint8_t(8));
                QCOMPARE(font.FKind, uint8_t(mini ? gfkMini : gfkNormal));
                QCOMPARE(font.FName, FontDir + name + ".fnt");
                // Reverse may fill a whole cell, but 'W' never comes out blank in any style.
                QVERIFY2(!Blank(font, 'W'), qPrintable(what));
            }
        }
    }

    void everyCharacterIsDrawn_data() { AddFontRows(); }
    void everyCharacterIsDrawn()
    {
        QFETCH(QString, name);
        TGrobFont font;
        LoadFontFile(font, FontDir + name + ".fnt", 0);
        for (int code = 0; code < 256; ++code)
            QVERIFY2(Blank(font, code) != IsPrintable(code), qPrintable(QString("code %1").arg(code)));
    }

    // Two letters side by side never touch: on every row either the last column of the cell or
    // the first stays clear in all of them (a slanted face moves its gap, it does not lose it).
    void lettersNeverTouch_data() { AddFontRows(); }
    void lettersNeverTouch()
    {
        QFETCH(QString, name);
        auto grob = LoadGrob(name);
        const int rowsPerGlyph = grob->IsMiniFontGrob() ? 5 : 8;
        const QByteArray alnum = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        for (int y = 0; y < rowsPerGlyph; ++y) {
            QByteArray right, left;
            for (char c : alnum) {
                if (grob->Pixel(5, uint8_t(c) * rowsPerGlyph + y))
                    right += c;
                if (grob->Pixel(0, uint8_t(c) * rowsPerGlyph + y))
                    left += c;
            }
            QVERIFY2(right.isEmpty() || left.isEmpty(),
                     qPrintable(QString("row %1: %2 run into %3").arg(y).arg(right, left)));
        }
    }

    // Each font earns its place in the pickers: same-kind fonts differ in most glyphs.
    void fontsLookDifferent()
    {
        const QStringList names = BundledFontNames();
        for (int i = 0; i < names.size(); ++i) {
            for (int j = i + 1; j < names.size(); ++j) {
                TGrobFont a, b;
                LoadFontFile(a, FontDir + names[i] + ".fnt", 0);
                LoadFontFile(b, FontDir + names[j] + ".fnt", 0);
                if (a.FKind != b.FKind)
                    continue;
                int differing = 0;
                for (int code = 33; code < 256; ++code)
                    differing += !SameGlyph(a, b, code);
                QVERIFY2(differing > 150, qPrintable(names[i] + " and " + names[j] + " differ in " +
                                                      QString::number(differing) + " glyphs"));
            }
        }
    }

    void tgvfnt1IsAHeavierDesign()
    {
        TGrobFont normal, font1;
        LoadFontFile(normal, FontDir + SettingsKeys::DefaultTgvNormalFontName + ".fnt", 0);
        LoadFontFile(font1, FontDir + SettingsKeys::DefaultTgvFont1Name + ".fnt", 0);
        int differing = 0;
        for (int code = 33; code < 256; ++code)
            differing += !SameGlyph(normal, font1, code);
        QVERIFY2(differing > 200, qPrintable(QString::number(differing)));
        QVERIFY(InkCount(font1) > InkCount(normal) * 5 / 4);
    }

    void converterMatchesTheBundledFonts_data() { AddFontRows(); }
    void converterMatchesTheBundledFonts()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString out = dir.filePath("out.fnt");
        QCOMPARE(QProcess::execute(Converter, {ArtDir + name + ".glyphs", out}), 0);
        QCOMPARE(ReadAll(out), ReadAll(FontDir + name + ".fnt"));
    }

    void converterRefusesMalformedArt_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("message");
        QTest::newRow("row too narrow") << QByteArray("\ncode 65 'A'\n.#....\n") << QByteArray("\ncode 65 'A'\n.#...\n")
                                        << "exactly 6 characters";
        QTest::newRow("stray character") << QByteArray("\ncode 65 'A'\n.#....\n")
                                         << QByteArray("\ncode 65 'A'\n.#..o.\n") << "exactly 6 characters";
        QTest::newRow("missing code") << QByteArray("\ncode 66 'B'\n") << QByteArray("\n") << "more than 5 rows";
        QTest::newRow("code out of order") << QByteArray("\ncode 66 'B'\n") << QByteArray("\ncode 67 'B'\n")
                                           << "expected code 66, found code 67";
        QTest::newRow("row missing") << QByteArray("#.#...\n\ncode 66 'B'\n") << QByteArray("\ncode 66 'B'\n")
                                     << "code 65 has 4 rows";
        QTest::newRow("code beyond 255") << QByteArray("\ncode 255 'ÿ'\n")
                                         << QByteArray("\ncode 256 'ÿ'\n") << "beyond the 256 codes";
        QTest::newRow("code not a number") << QByteArray("\ncode 66 'B'\n") << QByteArray("\ncode B\n")
                                           << "\"code N\"";
        QTest::newRow("wrong kind") << QByteArray("kind mini") << QByteArray("kind normal")
                                    << "code 0 has 5 rows, a normal font needs 8";
        QTest::newRow("no kind") << QByteArray("kind mini") << QByteArray("") << "must come before";
        QTest::newRow("unknown line") << QByteArray("\ncode 66 'B'\n") << QByteArray("\nglyph 66\n")
                                      << "not a comment";
        QTest::newRow("cut short") << QByteArray("\ncode 200 ") << QByteArray("\n;") << "codes 200 to 255 are missing";
    }
    void converterRefusesMalformedArt()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, message);
        QByteArray art = ReadAll(ArtDir + "tgvmini.glyphs");
        const qsizetype at = art.indexOf(from);
        QVERIFY(at >= 0);
        if (QTest::currentDataTag() == QByteArray("cut short"))
            art.truncate(at);
        else
            art.replace(at, from.size(), to);

        QTemporaryDir dir;
        const QString artPath = dir.filePath("bad.glyphs");
        const QString out = dir.filePath("bad.fnt");
        QFile f(artPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(art);
        f.close();
        QFile existing(out);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("the font from the last good build");
        existing.close();

        QProcess p;
        p.start(Converter, {artPath, out});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        const QString error = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(error.startsWith(artPath + ":"), qPrintable(error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QCOMPARE(ReadAll(out), QByteArray("the font from the last good build"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    }
};

QTEST_MAIN(TestBundledFonts)
#include "tst_bundledfonts.moc"
