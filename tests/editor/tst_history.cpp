// Undo and redo: every kind of change comes back byte for byte in the saved file, the modified
// flag follows the saved state, typed characters merge into one step, and the history is bounded.
#include "helper_editor.h"
#include "helper_formats.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

namespace {
enum TAction {
    Typing, Enter, DeleteKey, Backspace, Tab, Cut, Paste, Bold, Font1, Center, BreakAtEdge,
    InsertPicture, DeletePicture, ChangeFonts
};

QImage Diagonal(int Size)
{
    QImage image(Size, Size, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int i = 0; i < Size; ++i)
        image.setPixel(i, i, qRgb(0, 0, 0));
    return image;
}

QByteArray Saved(THPEdit2 &Ed, const QTemporaryDir &Dir)
{
    const QString path = Dir.filePath(QStringLiteral("doc.tgv"));
    Ed.SaveTgv(path, false);
    return ReadWholeFile(path);
}
} // namespace

class TestHistory : public QObject {
    Q_OBJECT

private slots:
    void undoAndRedoGiveTheSavedBytes_data()
    {
        QTest::addColumn<int>("action");
        QTest::newRow("typing") << int(Typing);
        QTest::newRow("enter") << int(Enter);
        QTest::newRow("delete") << int(DeleteKey);
        QTest::newRow("backspace joins lines") << int(Backspace);
        QTest::newRow("tab") << int(Tab);
        QTest::newRow("cut across lines") << int(Cut);
        QTest::newRow("paste") << int(Paste);
        QTest::newRow("bold") << int(Bold);
        QTest::newRow("font 1") << int(Font1);
        QTest::newRow("centre") << int(Center);
        QTest::newRow("break at the right edge") << int(BreakAtEdge);
        QTest::newRow("insert picture") << int(InsertPicture);
        QTest::newRow("delete picture") << int(DeletePicture);
        QTest::newRow("change fonts") << int(ChangeFonts);
    }
    void undoAndRedoGiveTheSavedBytes()
    {
        QFETCH(int, action);
        QTemporaryDir dir;
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        ed->setFocus();
        SetText(*ed, "a first line long enough to break at the edge\nsecond\nthird");
        const int pic = AddPictureLine(*ed, 9, 9);
        ed->InsertText(pic + 1, 1, QByteArray(1, 0), "after");
        ed->MoveCaretTo(1, 3, true);
        const QByteArray before = Saved(*ed, dir);
        const QStringList fontsBefore{ed->FontNames(0), ed->FontNames(1), ed->FontNames(2)};
        const int index = ed->Document()->History().index();

        switch (TAction(action)) {
        case Typing: QTest::keyClicks(ed, "xyz"); break;
        case Enter: QTest::keyClick(ed, Qt::Key_Return); break;
        case DeleteKey: QTest::keyClick(ed, Qt::Key_Delete); break;
        case Backspace: ed->MoveCaretTo(1, 1, true); QTest::keyClick(ed, Qt::Key_Backspace); break;
        case Tab: QTest::keyClick(ed, Qt::Key_Tab); break;
        case Cut: ed->SelectRange(0, 3, 4, 2); ed->CutToClipboard(); break;
        case Paste: QGuiApplication::clipboard()->setText("pasted\ntwo lines"); ed->PasteFromClipboard(); break;
        case Bold: ed->SelectRange(0, 2, 3, 1); ed->ToggleStyle(stBold); break;
        case Font1: ed->SelectRange(0, 2, 3, 1); ed->ToggleStyle(fsFont1); break;
        case Center: ed->SelectRange(1, 1, 2, 2); ed->Justify(0); break;
        case BreakAtEdge: ed->MoveCaretTo(0, 1, true); ed->Justify(3); break;
        case InsertPicture: ed->InsertPicture(-1, -1, QString(), Diagonal(12)); break;
        case DeletePicture: ed->SelectRange(pic, 1, 2, pic); QTest::keyClick(ed, Qt::Key_Delete); break;
        case ChangeFonts: ed->ChangeFonts("tgvfnt1", "tgvnormal", "tgvmini"); break;
        }
        const QStringList fontsAfter{ed->FontNames(0), ed->FontNames(1), ed->FontNames(2)};
        const QByteArray after = Saved(*ed, dir);
        QVERIFY(action == ChangeFonts ? fontsAfter != fontsBefore : after != before);
        QVERIFY(ed->CanUndo());

        ed->Undo();
        QCOMPARE(Saved(*ed, dir), before);
        QCOMPARE((QStringList{ed->FontNames(0), ed->FontNames(1), ed->FontNames(2)}), fontsBefore);
        QCOMPARE(ed->Document()->History().index(), index); // typing merged into one step
        ed->Redo();
        QCOMPARE(Saved(*ed, dir), after);
        QCOMPARE((QStringList{ed->FontNames(0), ed->FontNames(1), ed->FontNames(2)}), fontsAfter);
    }

    void undoRestoresCaretAndSelection()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "one two\nthree");
        ed->SelectRange(0, 5, 4, 1);
        ed->CutToClipboard();
        QCOMPARE(Text(*ed), QByteArray("one ee"));
        ed->Undo();
        QCOMPARE(Text(*ed), QByteArray("one two\nthree"));
        QVERIFY(ed->Selected());
        QCOMPARE(QList<int>({ed->SelStartLine(), ed->SelStartCol(), ed->SelEndLine(), ed->SelEndCol()}),
                 QList<int>({0, 5, 1, 3}));
        ed->Redo();
        QVERIFY(!ed->Selected());
        QCOMPARE(QList<int>({ed->CaretLine(), ed->CaretCol()}), QList<int>({0, 5}));
    }

    void modifiedFollowsTheSavedState()
    {
        QTemporaryDir dir;
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        ed->setFocus();
        QTest::keyClicks(ed, "ab");
        Saved(*ed, dir);
        host.Flush();
        QTest::keyClick(ed, 'c');
        QVERIFY(ed->Modified());
        ed->Undo();
        QVERIFY(!ed->Modified());
        host.Deliver();
        QCOMPARE(host.Count(HPM_MODIFIEDCHANGED), 2); // set by the typing, cleared by the undo
        ed->Undo();
        QVERIFY(ed->Modified()); // before the save
        ed->Redo();
        QVERIFY(!ed->Modified());

        // Opening a file empties the history and leaves the document as saved.
        ed->LoadTgv(dir.filePath(QStringLiteral("doc.tgv")));
        QVERIFY(!ed->CanUndo() && !ed->CanRedo() && !ed->Modified());
    }

    void typedCharactersMerge()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        ed->setFocus();
        QTest::keyClicks(ed, "abc");
        QTest::keyClick(ed, Qt::Key_Left);
        QTest::keyClicks(ed, "d");
        ed->ToggleStyle(stBold);
        QTest::keyClicks(ed, "ef");
        QTest::keyClick(ed, Qt::Key_Return);
        QTest::keyClicks(ed, "g");
        QCOMPARE(Text(*ed), QByteArray("abdef\ngc"));
        const QList<QByteArray> expected{"abdef\nc", "abdefc", "abdc", "abc", ""};
        for (const QByteArray &text : expected) {
            ed->Undo();
            QCOMPARE(Text(*ed), text);
        }
        QVERIFY(!ed->CanUndo());
    }

    void historyIsBounded()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        for (int i = 0; i < THPDocument::MaxSteps + 5; ++i)
            ed->InsertAtCaret("x", QByteArray(1, 0));
        QCOMPARE(ed->Document()->History().count(), THPDocument::MaxSteps);
        while (ed->CanUndo())
            ed->Undo();
        QCOMPARE(Text(*ed), QByteArray(5, 'x')); // the oldest steps went first

        // Large steps: the oldest go until the rest fits, the newest always stays.
        const QByteArray big = QByteArray(63, 'y').append('\n').repeated(THPDocument::MaxHistoryBytes / 3 / 64);
        for (int i = 0; i < 4; ++i)
            ed->InsertAtCaret(big, QByteArray(1, 0));
        QVERIFY(ed->Document()->HistoryBytes() <= THPDocument::MaxHistoryBytes);
        QVERIFY(ed->Document()->History().count() < 4);
        while (ed->CanUndo())
            ed->Undo();
        QVERIFY(Text(*ed).size() > 5);
        QVERIFY(ed->Modified()); // the saved state went with the oldest steps
    }

    void stepThatFindsNoRoomChangesNothing()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        QString warning;
        ed->OnWarning = [&warning](const QString &Text) { warning = Text; };
        ed->InsertPicture(-1, -1, QString(), Diagonal(5));
        ed->Undo();
        // Every slot taken by other pictures: the picture cannot come back.
        for (int i = 0; i < THPEdit2::PictureSlotCount; ++i) {
            QImage other(i + 1, 1, QImage::Format_RGB32);
            other.fill(Qt::black);
            ed->AddPicture(other);
        }
        const QByteArray text = Text(*ed);
        const int index = ed->Document()->History().index();
        ed->Redo();
        QVERIFY(!warning.isEmpty());
        QCOMPARE(Text(*ed), text);
        QCOMPARE(ed->Document()->History().index(), index);
    }
};

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
