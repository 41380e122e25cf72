// Document windows: what they read from the settings, their captions, context menus and shortcuts,
// and how the editor's notifications reach the main window's controls.
#include "shellfixture.h"
#include "u_FindBar.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalSpy>

class TestDocWindows : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TShellFixture> F;

    static QStringList ItemNames(TFormMdiHP *Doc)
    {
        QStringList names;
        for (QAction *item : Doc->PopupMenu->actions())
            if (!item->isSeparator())
                names << item->objectName() + QLatin1Char('=') + item->text() + QLatin1Char('/')
                             + item->shortcut().toString(QKeySequence::PortableText);
        return names;
    }

private slots:
    void init() { F = std::make_unique<TShellFixture>(); }
    void cleanup() { F.reset(); }

    void newWindowsStartFromTheDefaults()
    {
        TFFormBegin &w = F->Open();
        THPEdit2 *xv = w.CreateDocumentWindow(TEditor::Xview)->GetEditor();
        QCOMPARE(xv->TabLength(), 4);
        QCOMPARE(xv->RightEdge(), 22);
        QCOMPARE(xv->FontNames(0), QStringLiteral("XVDefault"));
        QCOMPARE(xv->objectName(), QStringLiteral("HPXView1"));
        THPEdit2 *tgv = w.CreateDocumentWindow(TEditor::Tgv)->GetEditor();
        QCOMPARE(tgv->RightEdge(), 22);
        QCOMPARE(tgv->FontNames(0), QStringLiteral("tgvnormal"));
        QCOMPARE(tgv->FontNames(1), QStringLiteral("tgvfnt1"));
        QCOMPARE(tgv->FontNames(2), QStringLiteral("tgvmini"));
        QCOMPARE(tgv->Editor(), TEditor::Tgv);
    }

    void storedSettingsReachTheEditor()
    {
        Settings->WriteString(QStringLiteral("Eden"), QStringLiteral("TabLength"), QStringLiteral("8"));
        Settings->WriteString(QStringLiteral("HP49"), QStringLiteral("TabLength"), QStringLiteral("eight"));
        Settings->WriteInteger(QStringLiteral("HP49"), QStringLiteral("RightEdge"), 33);
        TFFormBegin &w = F->Open();
        QCOMPARE(w.CreateDocumentWindow(TEditor::Eden)->GetEditor()->TabLength(), 8);
        THPEdit2 *hp49 = w.CreateDocumentWindow(TEditor::Hp49)->GetEditor();
        QCOMPARE(hp49->TabLength(), 4); // not a number: the default
        QCOMPARE(hp49->RightEdge(), 33);
        QCOMPARE(w.RightEdgeEdit->text(), QStringLiteral("33"));
    }

    void captionMarksUnsavedChanges()
    {
        TFFormBegin &w = F->Open();
        TFormMdiHP *doc = w.CreateDocumentWindow(TEditor::Xview);
        QCOMPARE(doc->windowTitle(), QStringLiteral("Untitled1.xv"));
        QTest::keyClicks(doc->GetEditor(), QStringLiteral("Hi"));
        F->Settle();
        QCOMPARE(doc->windowTitle(), QStringLiteral("Untitled1.xv*"));
        QCOMPARE(doc->GetTitle(), QStringLiteral("Untitled1.xv"));
        doc->GetEditor()->SetModified(false);
        F->Settle();
        QCOMPARE(doc->windowTitle(), QStringLiteral("Untitled1.xv"));
    }

    void rightEdgeBecomesTheKindsDefault()
    {
        TFFormBegin &w = F->Open();
        w.CreateDocumentWindow(TEditor::Eden)->GetEditor()->SetRightEdge(33);
        QCOMPARE(w.RightEdgeEdit->text(), QStringLiteral("33"));
        QCOMPARE(w.CreateDocumentWindow(TEditor::Eden)->GetEditor()->RightEdge(), 33);
        // TGV windows do not write theirs back.
        w.CreateDocumentWindow(TEditor::Tgv)->GetEditor()->SetRightEdge(33);
        QCOMPARE(w.CreateDocumentWindow(TEditor::Tgv)->GetEditor()->RightEdge(), 22);
        QVERIFY(!Settings->ValueExists(QStringLiteral("Tgv"), QStringLiteral("RightEdge")));
    }

    void contextMenusByKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("items");
        const QStringList common{"Cut=Cu&t/Ctrl+X", "Copy=&Copy/Ctrl+C", "Paste=&Paste/Ctrl+V", "Bold=Bold/Ctrl+B",
                                 "Reverse=Reverse/Ctrl+Shift+R", "Underline=Underline/Ctrl+U"};
        QTest::newRow("XView has no italic") << int(TEditor::Xview) << common;
        QTest::newRow("Eden") << int(TEditor::Eden) << common + QStringList{"Italic=Italic/Ctrl+T"};
        QTest::newRow("HP49") << int(TEditor::Hp49) << common + QStringList{"Italic=Italic/Ctrl+T"};
        QTest::newRow("TGV has the font roles and pictures")
            << int(TEditor::Tgv)
            << common + QStringList{"Italic=Italic/Ctrl+T", "NormalFont=Normal Font/Ctrl+1", "Font1=Font 1/Ctrl+2",
                                    "Superscript=Superscript/Ctrl+3", "Subscript=Subscript/Ctrl+4", "InsertGrob1=&Insert Grob/",
                                    "SavePicture1=Save &Picture As…/"};
    }

    void contextMenusByKind()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, items);
        TFFormBegin &w = F->Open();
        QCOMPARE(ItemNames(w.CreateDocumentWindow(TEditor(kind))), items);
    }

    void contextMenuEnablesClipboardItemsBySelection()
    {
        TFFormBegin &w = F->Open();
        TFormMdiHP *doc = w.CreateDocumentWindow(TEditor::Eden);
        doc->PopupMenuPopup();
        QVERIFY(!doc->Cut->isEnabled());
        QVERIFY(!doc->Copy->isEnabled());
        doc->GetEditor()->InsertAtCaret("word", QByteArray(1, 0));
        doc->GetEditor()->SelectRange(0, 1, -1, -1);
        doc->PopupMenuPopup();
        QVERIFY(doc->Cut->isEnabled());
        QVERIFY(doc->Copy->isEnabled());
        QCOMPARE(doc->Paste->isEnabled(), doc->GetEditor()->CanPaste());
    }

    void contextShortcutsComeBeforeTheMainMenu()
    {
        TFFormBegin &w = F->Open();
        TFormMdiHP *doc = w.CreateDocumentWindow(TEditor::Tgv);
        THPEdit2 *editor = doc->GetEditor();
        int triggered = 0;
        connect(doc->Superscript, &QAction::triggered, this, [&] { ++triggered; });
        // The key is claimed by the document window while its item is enabled...
        QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_3, Qt::ControlModifier, QStringLiteral("3"));
        QCoreApplication::sendEvent(editor, &override);
        QVERIFY(override.isAccepted());
        QTest::keyClick(editor, Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(triggered, 1);
        // ...and left to the main menu when the menu last showed it disabled.
        doc->Cut->setEnabled(false);
        QKeyEvent cut(QEvent::ShortcutOverride, Qt::Key_X, Qt::ControlModifier, QStringLiteral("x"));
        cut.ignore();
        QCoreApplication::sendEvent(editor, &cut);
        QVERIFY(!cut.isAccepted());
    }

    void styleButtonsFollowTheTypingAttributeOnce()
    {
        TFFormBegin &w = F->Open();
        THPEdit2 *editor = w.CreateDocumentWindow(TEditor::Eden)->GetEditor();
        F->Settle();
        QSignalSpy bold(w.BoldButtonXVEden, &QAction::toggled);
        editor->SetCurrentAttr(stBold);
        editor->SetCurrentAttr(0);
        editor->SetCurrentAttr(stBold | stItalic | stUnderline);
        QVERIFY(!w.BoldButtonXVEden->isChecked()); // nothing before the notification is handled
        F->Settle();
        QCOMPARE(bold.size(), 1);
        QVERIFY(w.BoldButtonXVEden->isChecked());
        QVERIFY(w.Italic1ButtonEden->isChecked());
        QVERIFY(w.UnderlinebuttonXVEden->isChecked());
        QVERIFY(!w.InvertButtonXVEden->isChecked());
    }

    void tgvAttributeShowsItsFontRole()
    {
        TFFormBegin &w = F->Open();
        THPEdit2 *editor = w.CreateDocumentWindow(TEditor::Tgv)->GetEditor();
        F->Settle();
        QCOMPARE(w.ComboChangeFontTgv->count(), 4);
        QCOMPARE(w.ComboChangeFontTgv->itemText(1), QStringLiteral("Font 1"));
        QCOMPARE(w.ComboChangeTableFontTgv->itemText(3), QStringLiteral("Subscript"));
        editor->SetCurrentAttr(fsSuperscript | stBackslant);
        F->Settle();
        QCOMPARE(w.ComboChangeFontTgv->currentIndex(), 2);
        QVERIFY(w.Italic2ButtonTgv->isChecked());
        QVERIFY(!w.Italic1ButtonTgv->isChecked());
        editor->SetCurrentAttr(fsFont1 | fsSubscript);
        F->Settle();
        QCOMPARE(w.ComboChangeFontTgv->currentIndex(), 1);
    }

    void findBarFindsReplacesAndCloses()
    {
        TFFormBegin &w = F->Open();
        TFormMdiHP *doc = w.CreateDocumentWindow(TEditor::Xview);
        THPEdit2 *editor = doc->GetEditor();
        F->Settle();
        editor->InsertAtCaret("a \x8d b, A \x8d c", QByteArray(1, 0));
        editor->SelectRange(0, 3, 4, 0);
        w.Find_->trigger();
        TFindBar *bar = doc->FindBar;
        QVERIFY(bar->isVisible());
        QVERIFY(!bar->ReplaceEdit->isVisible());
        QCOMPARE(bar->FindEdit->text(), QString::fromUtf8("→"));
        QTest::keyClick(bar->FindEdit, Qt::Key_Return);
        QCOMPARE(editor->SelStartCol(), 10);
        QTest::keyClick(bar->FindEdit, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(editor->SelStartCol(), 3);
        QTest::keyClick(bar->FindEdit, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(editor->SelStartCol(), 10);
        QCOMPARE(w.StatusPanel1->text(), QStringLiteral("Reached the top of the document, continued from the end"));
        // A character picked from the table while the search is typed goes into the search.
        bar->FindEdit->setText(QStringLiteral("a "));
        bar->FindEdit->setFocus();
        w.TableCharsHPXVEden->OnCellSelected(0x8d);
        QCOMPARE(bar->FindEdit->text(), QString::fromUtf8("a →"));
        QCOMPARE(editor->Line(0).Chars(), QByteArray("a \x8d b, A \x8d c"));
        bar->FindEdit->setText(QStringLiteral("zz"));
        QTest::keyClick(bar->FindEdit, Qt::Key_Return);
        QVERIFY(bar->FindEdit->palette().color(QPalette::Base) != QPalette().color(QPalette::Base));
        QCOMPARE(w.StatusPanel1->text(), QStringLiteral("Text not found"));
        QCOMPARE(editor->SelStartCol(), 10);
        bar->FindEdit->setText(QString::fromUtf8("→"));
        QTest::keyClick(bar->FindEdit, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(editor->SelStartCol(), 3);
        QCOMPARE(w.StatusPanel1->text(), QString()); // no stale "not found" beside a match

        QKeyEvent ctrlR(QEvent::ShortcutOverride, Qt::Key_R, Qt::ControlModifier, QStringLiteral("r"));
        QCoreApplication::sendEvent(editor, &ctrlR);
        QVERIFY(!ctrlR.isAccepted()); // Reverse no longer claims the key from Replace
        w.Replace_->trigger();
        QVERIFY(bar->ReplaceEdit->isVisible());
        QCOMPARE(bar->FindEdit->nextInFocusChain(), bar->ReplaceEdit);
        // A replacement the document cannot hold would delete the matches: nothing is replaced.
        for (const char *with : {"\xF0\x9F\x98\x80", "\"", "x\xF0\x9F\x98\x80"}) {
            bar->ReplaceEdit->setText(QString::fromUtf8(with));
            bar->ReplaceAllButton->click();
            QVERIFY(!bar->ReplaceOne());
            QCOMPARE(editor->Line(0).Chars(), QByteArray("a \x8d b, A \x8d c"));
            QVERIFY(w.StatusPanel1->text().startsWith(QStringLiteral("The replacement holds characters")));
        }
        bar->ReplaceEdit->setText(QStringLiteral("->"));
        bar->ReplaceAllButton->click();
        QCOMPARE(editor->Line(0).Chars(), QByteArray("a -> b, A -> c"));
        QCOMPARE(w.StatusPanel1->text(), QStringLiteral("Replacements made: 2"));
        QTest::keyClick(bar->ReplaceAllButton, Qt::Key_Escape);
        QVERIFY(!bar->isVisible());
        w.Replace_->trigger();
        bar->FindEdit->setText(QStringLiteral("a"));
        bar->WholeWords->setChecked(true);
        bar->MatchCase->setChecked(true);
        QVERIFY(bar->FindNext(false));
        QCOMPARE(editor->SelStartCol(), 1);
        QTest::keyClick(bar->FindEdit, Qt::Key_Escape);
        QVERIFY(!bar->isVisible());
        QVERIFY(editor->Selected());
    }

    void statusBarShowsTheCaretPlace()
    {
        TFFormBegin &w = F->Open();
        THPEdit2 *editor = w.CreateDocumentWindow(TEditor::Eden)->GetEditor();
        F->Settle();
        QCOMPARE(w.StatusPanelCaret->text(), QStringLiteral("Line 1, Col 1"));
        editor->InsertAtCaret("ab\ncd", QByteArray(1, 0));
        QCOMPARE(w.StatusPanelCaret->text(), QStringLiteral("Line 2, Col 3"));
        w.CreateDocumentWindow(TEditor::Xview);
        F->Settle();
        QCOMPARE(w.StatusPanelCaret->text(), QStringLiteral("Line 1, Col 1"));
    }

    void fontComboFollowsTheDocument()
    {
        TFFormBegin &w = F->Open();
        THPEdit2 *editor = w.CreateDocumentWindow(TEditor::Xview)->GetEditor();
        F->Settle();
        QCOMPARE(w.ComboFontsXVEden->currentText().toLower(), QStringLiteral("xvdefault"));
        QCOMPARE(w.TableCharsHPXVEden->FontName(), QStringLiteral("XVDefault"));
        Q_UNUSED(editor);
    }
};

QTEST_MAIN(TestDocWindows)
#include "tst_docwindows.moc"
