// Finding and replacing text: case folding, whole words, going round the document, pictures left
// out, and replacements that keep the style of what they replace and undo as one step.
#include "helper_editor.h"
#include "u_TextSearch.h"

#include <QTest>

namespace {
QString Sel(const THPEdit2 &Ed)
{
    if (!Ed.Selected())
        return QStringLiteral("none");
    return QString("%1:%2-%3").arg(Ed.SelStartLine()).arg(Ed.SelStartCol()).arg(Ed.SelEndCol());
}
} // namespace

class TestFindReplace : public QObject {
    Q_OBJECT

private slots:
    void matching_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("wholeWords");
        QTest::addColumn<int>("index");
        QTest::newRow("folds A-Z") << QByteArray("xx HeLLo") << QByteArray("hello") << false << false << 3;
        QTest::newRow("match case") << QByteArray("Hello hello") << QByteArray("hello") << true << false << 6;
        QTest::newRow("folds Latin-1 letters") << QByteArray("\xC9T\xC9") << QByteArray("\xE9t\xE9") << false << false << 0;
        QTest::newRow("never folds calculator signs") << QByteArray("\x8c") << QByteArray("\xac") << false << false << -1;
        QTest::newRow("whole word skips a part") << QByteArray("cats cat") << QByteArray("cat") << false << true << 5;
        QTest::newRow("whole word beside punctuation") << QByteArray("(cat)") << QByteArray("cat") << false << true << 1;
        QTest::newRow("greek letters are word characters") << QByteArray("\x8c" "a a") << QByteArray("a") << false << true << 3;
        QTest::newRow("pattern longer than the line") << QByteArray("ab") << QByteArray("abc") << false << false << -1;
    }
    void matching()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, pattern);
        QFETCH(bool, matchCase);
        QFETCH(bool, wholeWords);
        QFETCH(int, index);
        const TTextSearch search(pattern, {matchCase, wholeWords});
        QCOMPARE(search.IndexIn(line, 0), qsizetype(index));
        QCOMPARE(search.LastIndexIn(line, line.size()), qsizetype(index < 0 ? -1 : line.lastIndexOf(line.mid(index, pattern.size()))));
    }

    void findGoesRoundAndSkipsPictures()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "one cat\ntwo");
        AddPictureLine(*ed, 8, 8, 0);
        ed->InsertText(ed->LineCount() - 1, 1, QByteArray(1, 0), "Cat three");
        bool wrapped = false;
        QVERIFY(ed->FindNext("cat", {}, false, &wrapped));
        QCOMPARE(Sel(*ed), QString("0:5-7"));
        QVERIFY(!wrapped);
        QVERIFY(ed->FindNext("cat", {}, false, &wrapped));
        QCOMPARE(Sel(*ed), QString("3:1-3"));
        QVERIFY(ed->FindNext("cat", {}, false, &wrapped));
        QCOMPARE(Sel(*ed), QString("0:5-7"));
        QVERIFY(wrapped);
        // Backward from the first match goes round to the last.
        QVERIFY(ed->FindNext("cat", {}, true, &wrapped));
        QCOMPARE(Sel(*ed), QString("3:1-3"));
        QVERIFY(wrapped);
        QVERIFY(!ed->FindNext("dog", {}, false, &wrapped));
        QCOMPARE(Sel(*ed), QString("3:1-3"));
        // A picture line's code is no text.
        QVERIFY(!ed->FindNext(QByteArray(1, char(CharPicture)), {}, false));
    }

    void replaceKeepsTheStyleAndUndoesAsOneStep()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Xview);
        SetText(*ed, "a cat, a CAT\ncat");
        ed->Document()->SetAttrs(0, 3, QByteArray("\x01\x02\x02", 3));
        ed->SetModified(false);
        // Replace: the selected match first, then on to the next.
        QVERIFY(ed->FindNext("cat", {}, false));
        QVERIFY(ed->ReplaceNext("cat", "dog\"s", {}));
        QCOMPARE(Text(*ed), QByteArray("a dogs, a CAT\ncat"));
        QCOMPARE(ed->Line(0).Attrs().mid(2, 4), QByteArray(4, '\x01'));
        QCOMPARE(Sel(*ed), QString("0:11-13"));
        ed->Undo();
        QCOMPARE(Text(*ed), QByteArray("a cat, a CAT\ncat"));
        // Replace All: every match, one step, the count.
        QCOMPARE(ed->ReplaceAll("cat", "\x8d", {}), 3);
        QCOMPARE(Text(*ed), QByteArray("a \x8d, a \x8d\n\x8d"));
        QCOMPARE(ed->AttrAt(0, 3), uint8_t(1));
        QVERIFY(ed->Modified());
        ed->Undo();
        QCOMPARE(Text(*ed), QByteArray("a cat, a CAT\ncat"));
        QVERIFY(!ed->Modified());
        QCOMPARE(ed->ReplaceAll("cat", "x", {true, false}), 2);
    }
};

QTEST_MAIN(TestFindReplace)
#include "tst_findreplace.moc"
