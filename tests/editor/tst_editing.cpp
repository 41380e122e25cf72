// Changing the document: typing, line breaks, deletion and joining, tab stops, the kinds'
// filters, and the rule that a picture keeps a line of its own.
#include "helper_editor.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QTest>

namespace {
QByteArray A(uint8_t Attr) { return QByteArray(1, char(Attr)); }

// A key press carrying Text, as a keyboard layout or an input method delivers it.
void Type(QWidget *W, const QString &Text, Qt::KeyboardModifiers Mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Mods, Text);
    QCoreApplication::sendEvent(W, &press);
}
} // namespace

class TestEditing : public QObject {
    Q_OBJECT

private slots:
    void typingReplacesTheSelection()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "1xyz2");
        ed->setFocus();
        ed->SelectRange(0, 2, 5, 0);
        QTest::keyClick(ed, 'a');
        QCOMPARE(Text(*ed), QByteArray("1a2"));
        QCOMPARE(ed->CaretCol(), 3);
        QVERIFY(ed->Modified());
    }

    void tabInsertsSpacesAndKeepsTheSelection()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "xyz");
        ed->setFocus();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(ed, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(ed, Qt::Key_Tab);
        QCOMPARE(Text(*ed), QByteArray("xyz "));
        QVERIFY(!ed->Selected());
        QVERIFY(ed->hasFocus()); // Tab edits, it does not move the focus away
    }

    void tabStops_data()
    {
        QTest::addColumn<int>("tabLength");
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("spaces");
        QTest::newRow("4, at 3") << 4 << 3 << 2;
        QTest::newRow("4, at 5") << 4 << 5 << 4;
        QTest::newRow("4, at 1") << 4 << 1 << 4;
        QTest::newRow("8, at 8") << 8 << 8 << 1;
        QTest::newRow("1 inserts one") << 1 << 6 << 1;
        QTest::newRow("0 acts as 1") << 0 << 6 << 1;
        QTest::newRow("negative acts as 1") << -3 << 2 << 1;
    }
    void tabStops()
    {
        QFETCH(int, tabLength);
        QFETCH(int, pos);
        QFETCH(int, spaces);
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "abcdefghij", stBold);
        ed->SetTabLength(tabLength);
        ed->MoveCaretTo(0, pos, true);
        ed->InsertTab();
        QCOMPARE(ed->LineLength(0), 10 + spaces);
        QCOMPARE(ed->CaretCol(), pos + spaces);
        QCOMPARE(ed->AttrAt(0, pos), uint8_t(0)); // tab spaces carry no style
    }

    void enterSplitsTheLine()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "abcd");
        ed->setFocus();
        ed->MoveCaretTo(0, 3, true);
        QTest::keyClick(ed, Qt::Key_Return);
        QCOMPARE(Text(*ed), QByteArray("ab\ncd"));
        QCOMPARE(ed->CaretLine(), 1);
        QCOMPARE(ed->CaretCol(), 1);
        QCOMPARE(ed->LineTop(1), 19);
        QTest::keyClick(ed, Qt::Key_Enter);
        QCOMPARE(Text(*ed), QByteArray("ab\n\ncd"));
    }

    void keyboardTextIsTheCalculatorCode()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        ed->setFocus();
        QStringList notes;
        ed->OnStatus = [&notes](const QString &Text) { notes << Text; };
        Type(ed, QString::fromLatin1("a\xE9\xFF"));
        Type(ed, QString::fromUtf8("π→β")); // the calculator's own characters, β as its sharp s
        QVERIFY(notes.isEmpty());
        Type(ed, QString(QChar(0x20AC))); // the calculator has no euro sign
        QCOMPARE(notes.size(), 1);
        QTest::keyClick(ed, Qt::Key_K, Qt::ControlModifier); // a command, not code 11
        Type(ed, "q", Qt::AltModifier);                        // a menu accelerator, not a letter
        Type(ed, "@", Qt::ControlModifier | Qt::AltModifier); // AltGr as Ctrl+Alt types
        QTest::keyClick(ed, Qt::Key_Escape);
        QCOMPARE(Text(*ed), QByteArray("a\xE9\xFF\x87\x8D\xDF@"));
    }

    void composedCharactersAreTyped()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        ed->setFocus();
        ed->SetCurrentAttr(stUnderline);
        QInputMethodEvent composed(QString(), {});
        composed.setCommitString(QString::fromLatin1("\xE8") + QChar(0x0153)); // è, then œ (not Latin-1)
        QCoreApplication::sendEvent(ed, &composed);
        QCOMPARE(Text(*ed), QByteArray("\xE8"));
        QCOMPARE(ed->AttrAt(0, 1), uint8_t(stUnderline));
    }

    void typedCharactersTakeTheCurrentAttribute()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        ed->setFocus();
        ed->SetCurrentAttr(stBold | fsFont1);
        QTest::keyClicks(ed, "ab");
        QCOMPARE(ed->Line(0).Attrs(), QByteArray(2, char(stBold | fsFont1)));
        // Typed over a selection made leftwards, the whole word takes the selection's style.
        ed->MoveCaretTo(0, 1, false);
        ed->SetCurrentAttr(0);
        QTest::keyClicks(ed, "c");
        ed->MoveCaretTo(0, -1, true);
        QTest::keyClick(ed, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(ed, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClicks(ed, "xyz");
        QCOMPARE(ed->Line(0).Attrs(), A(0) + QByteArray(3, char(stBold | fsFont1)));
    }

    void kindsFilterCharactersAndAttributes()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Xview);
        ed->setFocus();
        QTest::keyClicks(ed, "a\"b");
        QCOMPARE(Text(*ed), QByteArray("ab"));
        ed->InsertAtCaret(QByteArray("c\x0B\r\nd"), A(stItalic | stBold | fsFont1));
        QCOMPARE(Text(*ed), QByteArray("abc\nd"));
        QCOMPARE(ed->AttrAt(1, 1), uint8_t(stBold));
    }

    void multiLineInsertKeepsTheCaretAfterIt()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "head|tail\nnext");
        ed->MoveCaretTo(0, 6, true); // before "tail"
        ed->InsertText(0, 5, "ABCDEFG", "XY\nZW\nV");
        QCOMPARE(Text(*ed), QByteArray("headXY\nZW\nV|tail\nnext"));
        QCOMPARE(ed->Line(0).Attrs(), QByteArray("\0\0\0\0AB", 6));
        QCOMPARE(ed->Line(1).Attrs(), QByteArray("DE"));
        QCOMPARE(ed->Line(2).Attrs(), QByteArray("G\0\0\0\0\0", 6));
        QCOMPARE(ed->CaretLine(), 2);
        QCOMPARE(ed->CharAt(2, ed->CaretCol()), uint8_t('t'));
        for (int i = 1; i < ed->LineCount(); ++i)
            QCOMPARE(ed->LineTop(i), ed->LineTop(i - 1) + 16);
        // A refused code goes with its own attribute byte.
        ed->InsertText(3, 1, "AxB", QByteArray("a\x01" "b"));
        QCOMPARE(ed->Line(3).Chars(), QByteArray("abnext"));
        QCOMPARE(ed->Line(3).Attrs().left(2), QByteArray("AB"));
    }

    void backspaceJoinsAtALineStart()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "ab\ncd", stBold);
        ed->setFocus();
        ed->MoveCaretTo(1, 1, true);
        QCOMPARE(ed->CurrentAttr(), uint8_t(stBold));
        QTest::keyClick(ed, Qt::Key_Backspace);
        QCOMPARE(Text(*ed), QByteArray("abcd"));
        QCOMPARE(ed->CaretCol(), 3);
        QCOMPARE(ed->CurrentAttr(), uint8_t(0)); // the attribute of the line end it removed
        QTest::keyClick(ed, Qt::Key_Backspace);
        QCOMPARE(Text(*ed), QByteArray("acd"));
        QCOMPARE(ed->CurrentAttr(), uint8_t(stBold));
        ed->MoveCaretTo(0, 1, true);
        QTest::keyClick(ed, Qt::Key_Backspace);
        QCOMPARE(Text(*ed), QByteArray("acd"));
    }

    void backspaceGivesUpASelectionAndDeletesBeforeTheCaret()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "abcdef");
        ed->SelectRange(0, 2, 4, 0);
        ed->DeleteBackward();
        QCOMPARE(Text(*ed), QByteArray("abdef"));
        QVERIFY(!ed->Selected());
    }

    void deletionKeysTakeTheSelectionOrAWord()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "one two  three\nfour");
        ed->setFocus();
        ed->SelectRange(0, 2, 4, 0);
        QTest::keyClick(ed, Qt::Key_Backspace);
        QCOMPARE(Text(*ed), QByteArray("o two  three\nfour"));
        QCOMPARE(ed->CaretCol(), 2);
        ed->SelectRange(0, 1, 3, 0);
        QTest::keyClick(ed, Qt::Key_Delete);
        QCOMPARE(Text(*ed), QByteArray("two  three\nfour"));
        // Ctrl+Backspace in a word takes its start; Ctrl+Delete up to the next word's start.
        ed->MoveCaretTo(0, 9, true);
        QTest::keyClick(ed, Qt::Key_Backspace, Qt::ControlModifier);
        QCOMPARE(Text(*ed), QByteArray("two  ee\nfour"));
        ed->MoveCaretTo(0, 1, true);
        QTest::keyClick(ed, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(Text(*ed), QByteArray("ee\nfour"));
        // At a line start Ctrl+Backspace goes back over the line break to the previous word.
        ed->MoveCaretTo(1, 1, true);
        QTest::keyClick(ed, Qt::Key_Backspace, Qt::ControlModifier);
        QCOMPARE(Text(*ed), QByteArray("four"));
        ed->Undo();
        QCOMPARE(Text(*ed), QByteArray("ee\nfour"));
    }

    void refusedCharacterChangesNothing()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Xview);
        QStringList notes;
        ed->OnStatus = [&notes](const QString &Text) { notes << Text; };
        SetText(*ed, "abc");
        ed->SetModified(false);
        ed->setFocus();
        ed->SelectRange(0, 2, 3, 0);
        Type(ed, "\"");
        QCOMPARE(Text(*ed), QByteArray("abc"));
        QVERIFY(ed->Selected());
        QVERIFY(!ed->Modified());
        QVERIFY(!ed->CanUndo() || ed->Document()->History().isClean());
        QCOMPARE(notes.size(), 1);
    }

    void deleteAtTheDocumentEndChangesNothing()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "ab\ncd");
        ed->SetModified(false);
        ed->setFocus();
        QTest::keyClick(ed, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(ed, Qt::Key_Delete);
        QCOMPARE(Text(*ed), QByteArray("ab\ncd"));
        QVERIFY(!ed->Modified());
        ed->MoveCaretTo(0, 3, true);
        QTest::keyClick(ed, Qt::Key_Delete);
        QCOMPARE(Text(*ed), QByteArray("abcd"));
        QVERIFY(ed->Modified());
    }

    void deleteRangeAcrossLines_data()
    {
        QTest::addColumn<int>("lineA");
        QTest::addColumn<int>("posA");
        QTest::addColumn<int>("posB");
        QTest::addColumn<int>("lineB");
        QTest::addColumn<QByteArray>("result");
        QTest::newRow("inside a line") << 1 << 2 << 3 << 1 << QByteArray("abc\ndg\nhij\nklm");
        QTest::newRow("a line end") << 0 << 4 << 4 << 0 << QByteArray("abcdefg\nhij\nklm");
        QTest::newRow("over two breaks") << 0 << 2 << 1 << 2 << QByteArray("aij\nklm");
        QTest::newRow("whole lines with their ends") << 1 << 1 << 4 << 2 << QByteArray("abc\nklm");
        QTest::newRow("to the last character") << 2 << 2 << -1 << 3 << QByteArray("abc\ndefg\nh");
        QTest::newRow("everything") << 0 << 1 << -1 << 3 << QByteArray("");
    }
    void deleteRangeAcrossLines()
    {
        QFETCH(int, lineA);
        QFETCH(int, posA);
        QFETCH(int, posB);
        QFETCH(int, lineB);
        QFETCH(QByteArray, result);
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "abc\ndefg\nhij\nklm");
        ed->DeleteRange(lineA, posA, posB, lineB);
        QCOMPARE(Text(*ed), result);
        for (int i = 0; i < ed->LineCount(); ++i)
            QCOMPARE(ed->Line(i).Attrs().size(), ed->Line(i).Chars().size());
        QCOMPARE(ed->LineTop(ed->LineCount() - 1), 3 + 16 * (ed->LineCount() - 1));
    }

    void caretKeepsItsTextThroughADeletion()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "abc\ndefg\nhij\nklm");
        ed->MoveCaretTo(2, 3, true); // before j
        ed->DeleteRange(0, 2, 1, 2);
        QCOMPARE(Text(*ed), QByteArray("aij\nklm"));
        QCOMPARE(ed->CaretLine(), 0);
        QCOMPARE(ed->CharAt(0, ed->CaretCol()), uint8_t('j'));
        ed->MoveCaretTo(1, 2, true);
        ed->DeleteRange(0, 1, 1, 0);
        QCOMPARE(ed->CaretLine(), 1);
        QCOMPARE(ed->CaretCol(), 2);
        ed->MoveCaretTo(0, 2, true); // inside the deleted part
        ed->DeleteRange(0, 1, -1, 0);
        QCOMPARE(ed->CaretCol(), 1);
    }

    void selectedTextIsDeletedAsOneRange()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "abc\ndef");
        ed->setFocus();
        ed->SelectRange(0, 2, 2, 1); // "bc", the break and "d"
        QTest::keyClick(ed, Qt::Key_Delete);
        QCOMPARE(Text(*ed), QByteArray("aef"));
        QCOMPARE(ed->CaretCol(), 2);
    }

    void textGoesAroundAPictureNeverBesideIt()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "top");
        const int pic = AddPictureLine(*ed, 16, 8);
        QCOMPARE(pic, 1);
        ed->InsertText(pic, 1, A(0), "x");
        QCOMPARE(ed->LineLength(pic), 1);
        QVERIFY(ed->PictureOfLine(pic));
        ed->InsertText(pic, 2, A(0), "x");
        QVERIFY(ed->PictureOfLine(pic));
        QCOMPARE(ed->Line(pic + 1).Chars(), QByteArray("x"));
        // Text ending with a line break may go in front of it.
        ed->InsertText(pic, 1, A(0), "above\n");
        QCOMPARE(ed->Line(pic).Chars(), QByteArray("above"));
        QVERIFY(ed->PictureOfLine(pic + 1));
    }

    void rangesTouchingAPictureAreNotDeleted()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "ab");
        const int pic = AddPictureLine(*ed, 16, 8);
        const QByteArray before = Text(*ed);
        ed->setFocus();
        ed->SelectRange(0, 2, 2, pic);
        QTest::keyClick(ed, Qt::Key_Delete);
        QCOMPARE(Text(*ed), before);
        QVERIFY(ed->PictureOfLine(pic));
        // Nor replaced or cut: typing would land inside the selection, a cut would be pasted twice.
        QGuiApplication::clipboard()->setText(QStringLiteral("clip"));
        QTest::keyClick(ed, 'X');
        ed->CutToClipboard();
        QCOMPARE(Text(*ed), before);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("clip"));
        QVERIFY(ed->Selected());
        // Delete at the end of the text line would pull the picture beside the text: refused.
        ed->MoveCaretTo(0, 3, true);
        QTest::keyClick(ed, Qt::Key_Delete);
        QCOMPARE(Text(*ed), before);
    }

    void joinsNextToPictures()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        const int pic = AddPictureLine(*ed, 16, 8); // "", picture, ""
        QCOMPARE(ed->LineCount(), 3);
        // An empty line beside a picture can go.
        ed->JoinLines(pic);
        QCOMPARE(ed->LineCount(), 2);
        QVERIFY(ed->PictureOfLine(pic));
        ed->JoinLines(0);
        QCOMPARE(ed->LineCount(), 1);
        QVERIFY(ed->PictureOfLine(0));
        QCOMPARE(ed->LineTop(0), 3);
        QCOMPARE(ed->PictureUses(1), 1);
        ed->InsertText(0, 2, A(0), "after");
        QCOMPARE(ed->LineCount(), 2);
        ed->JoinLines(0);
        QCOMPARE(ed->LineCount(), 2);
    }

    void randomEditsKeepTheDocumentWhole()
    {
        // Any mix of edits leaves a document the rest of the program can rely on: attributes for
        // every character, no stored line breaks, pictures alone on their lines and counted once
        // per line, line tops in order, and the caret and selection on real positions.
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        ed->setFocus();
        QRandomGenerator random(20261209);
        auto pick = [&](int n) { return int(random.bounded(quint32(std::max(n, 1)))); };
        const Qt::Key keys[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,
                                Qt::Key_Down, Qt::Key_Home, Qt::Key_End, Qt::Key_Return, Qt::Key_Tab};
        for (int step = 0; step < 1500; ++step) {
            const int line = pick(ed->LineCount());
            const int pos = 1 + pick(ed->LineLength(line) + 1);
            switch (pick(7)) {
            case 0: {
                QByteArray text;
                for (int i = pick(12); i > 0; --i)
                    text += "ab \n\r\x01\x02\x08"[pick(8)];
                ed->InsertText(line, pos, QByteArray(1, char(pick(256))), text);
                break;
            }
            case 1: {
                const int lineB = line + pick(std::min(3, ed->LineCount() - line));
                ed->DeleteRange(line, pos, pick(ed->LineLength(lineB) + 2) - 1, lineB);
                break;
            }
            case 2:
                QTest::keyClick(ed, keys[pick(10)], pick(2) ? Qt::ShiftModifier : Qt::NoModifier);
                break;
            case 3:
                if (pick(4) == 0)
                    AddPictureLine(*ed, 4 + pick(3), 4, pick(2));
                break;
            case 4:
                ed->SelectRange(line, pos, 1 + pick(3), std::min(line + pick(2), ed->LineCount() - 1));
                break;
            case 5:
                ed->DeleteSelection();
                break;
            case 6:
                QTest::keyClicks(ed, "xy");
                break;
            }
            QHash<int, int> shown;
            for (int i = 0; i < ed->LineCount(); ++i) {
                const QByteArray chars = ed->Line(i).Chars(), attrs = ed->Line(i).Attrs();
                QCOMPARE(attrs.size(), chars.size());
                QVERIFY(!chars.contains('\n') && !chars.contains('\r'));
                if (chars.contains('\x02')) {
                    QCOMPARE(chars.size(), 1);
                    QVERIFY(ed->PictureOfLine(i));
                    ++shown[uint8_t(attrs[0])];
                }
                QCOMPARE(ed->LineTop(i), i == 0 ? 3 : ed->LineTop(i - 1) + ed->LineHeight(i - 1));
            }
            for (auto it = shown.cbegin(); it != shown.cend(); ++it)
                QCOMPARE(ed->PictureUses(it.key()), it.value());
            QVERIFY(ed->CaretLine() >= 0 && ed->CaretLine() < ed->LineCount());
            QVERIFY(ed->CaretCol() >= 1 && ed->CaretCol() <= ed->LineLength(ed->CaretLine()) + 1);
            if (ed->Selected())
                QCOMPARE(THPEdit2::ComparePos(ed->SelStartLine(), ed->SelStartCol(), ed->SelEndLine(), ed->SelEndCol()) <= 0,
                         true);
        }
    }

    void editingMarksTheDocumentModified()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        QVERIFY(!ed->Modified());
        ed->InsertAtCaret("a", A(0));
        QVERIFY(ed->Modified());
        host.Deliver();
        QCOMPARE(host.Count(HPM_MODIFIEDCHANGED), 1);
        ed->SetModified(false);
        ed->DeleteBackward();
        QVERIFY(ed->Modified());
    }
};

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
