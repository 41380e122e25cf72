// The main window driven as a user would: documents created, opened, saved and closed, the recent
// files, the close prompts, exit, and the application's default handler.
#include "shellfixture.h"
#include "u_Application.h"
#include "u_Errors.h"
#include "u_HelpViewer.h"
#include "u_Icons.h"
#include "u_FindBar.h"
#include "u_ddemacro.h"
#include "u_TranslationModule.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QAbstractButton>
#include <QTextBrowser>
#include <sys/stat.h>
#include <QTimer>

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TShellFixture> F;

    static QString Title(TFormMdiHP *Window) { return Window ? Window->GetTitle() : QString(); }

private slots:
    void init() { F = std::make_unique<TShellFixture>(); }
    void cleanup() { F.reset(); }

    void startsWithTheFileToolbarAndNoDocumentCommands()
    {
        TFFormBegin &w = F->Open();
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillo 3.70 beta"));
        QCOMPARE(w.ToolbarSet(), 4);
        QVERIFY(w.ToolbarFile->isVisible());
        for (QWidget *bar : std::initializer_list<QWidget *>{w.ToolbarStyleTgv, w.ToolbarStyleXVEden, w.Toolbarjustify,
                                                             w.ToolbarRightEdge, w.ToolbarCharsTgv, w.ToolbarcharsXVEden})
            QVERIFY2(bar->isHidden(), qPrintable(bar->objectName()));
        for (QAction *item : {w.Save_, w.SaveAs_, w.Transfer_, w.SaveButton, w.CutButton, w.CopyButton, w.PasteButton})
            QVERIFY2(!item->isEnabled(), qPrintable(item->objectName()));
        QVERIFY(!w.Tgv_->menuAction()->isVisible());
        QVERIFY(w.StatusPanel0->text().isEmpty());
        QCOMPARE(w.size(), QSize(900, 600));
        // No recent files: no "Reopen" and no extra separator.
        QVERIFY(!w.MRUFileList->Submenu()->menuAction()->isVisible());
        QVERIFY(!w.MRUFileList->Separator()->isVisible());
        QCOMPARE(w.New_->actions().size(), 4);
        QCOMPARE(w.NewHP49->text(), QStringLiteral("&HP49 File"));
    }

    void editMenuIsDisabledWithoutADocument()
    {
        TFFormBegin &w = F->Open();
        emit w.Edit_->aboutToShow();
        for (QAction *item : {w.Cut_, w.Copy_, w.Paste_, w.SelectAll_})
            QVERIFY2(!item->isEnabled(), qPrintable(item->objectName()));
        emit w.Edit_->aboutToHide();
        // Shortcuts reach the command, which finds no editor and does nothing.
        w.SelectAll_->trigger();
        w.Cut_->trigger();

        w.NewXView->trigger();
        emit w.Edit_->aboutToShow();
        QVERIFY(w.SelectAll_->isEnabled());
        QVERIFY(!w.Cut_->isEnabled());
        QVERIFY(!w.Copy_->isEnabled());
        emit w.Edit_->aboutToHide();
        THPEdit2 *editor = w.ActiveEditor();
        editor->InsertAtCaret("abc", QByteArray(1, 0));
        w.SelectAll_->trigger();
        QVERIFY(editor->Selected());
        emit w.Edit_->aboutToShow();
        QVERIFY(w.Cut_->isEnabled());
        QVERIFY(w.Copy_->isEnabled());
        for (QAction *item : {w.Save_, w.SaveAs_, w.Transfer_, w.SaveButton})
            QVERIFY2(item->isEnabled(), qPrintable(item->objectName()));
    }

    void untitledNamesCountEveryDocumentWindow()
    {
        TFFormBegin &w = F->Open();
        w.NewXView->trigger();
        QCOMPARE(w.GetActiveTitle(), QStringLiteral("Untitled1.xv"));
        QCOMPARE(w.ActiveChild()->windowTitle(), QStringLiteral("Untitled1.xv"));
        // A failed open still takes its number.
        const QString missing = F->Dir.filePath(QStringLiteral("missing.tgv"));
        w.OpenFile(missing);
        QCOMPARE(F->Warnings, QStringList{QStringLiteral("Error loading ") + missing + QStringLiteral("\ndoes not exist")});
        w.newEden->trigger();
        QCOMPARE(w.GetActiveTitle(), QStringLiteral("Untitled3.eden"));
        w.NewHP49->trigger();
        QCOMPARE(w.GetActiveTitle(), QStringLiteral("Untitled4.hp49"));
        w.NewTGV->trigger();
        QCOMPARE(w.GetActiveTitle(), QStringLiteral("Untitled5.tgv"));
        QCOMPARE(w.DocumentWindows().size(), 4);
        QCOMPARE(w.StatusPanel0->text(), QStringLiteral("FileSize:0"));
    }

    void failedOpenLeavesNoWindowAndAsksNothing()
    {
        TFFormBegin &w = F->Open();
        const QString unreadable = F->Dir.filePath(QStringLiteral("nothere.xv"));
        w.FileDragDrop({unreadable});
        F->Settle();
        QCOMPARE(F->Warnings, QStringList{QStringLiteral("Error loading ") + unreadable + QStringLiteral("\ndoes not exist")});
        QVERIFY(F->Questions.isEmpty());
        QVERIFY(w.DocumentWindows().isEmpty());
        QCOMPARE(w.ToolbarSet(), 4);
    }

    void kindFollowsTheExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::newRow("plain text opens as XView") << "notes.txt" << int(TEditor::Xview);
        QTest::newRow("no extension opens as XView") << "README" << int(TEditor::Xview);
        QTest::newRow("xv") << "doc.xv" << int(TEditor::Xview);
        QTest::newRow("t49 lower case") << "game.t49" << int(TEditor::Tgv);
        QTest::newRow("T49 upper case") << "game.T49" << int(TEditor::Tgv);
        QTest::newRow("tgv mixed case") << "manual.TgV" << int(TEditor::Tgv);
        QTest::newRow("eden") << "story.Eden" << int(TEditor::Eden);
        QTest::newRow("hp49") << "string.HP49" << int(TEditor::Hp49);
        QTest::newRow("only the last extension counts") << "archive.tgv.txt" << int(TEditor::Xview);
    }

    void kindFollowsTheExtension()
    {
        QFETCH(QString, name);
        QFETCH(int, kind);
        TFFormBegin &w = F->Open();
        QList<int> kinds;
        connect(w.MdiArea, &QMdiArea::subWindowActivated, this, [&](QMdiSubWindow *Sub) {
            if (auto *doc = qobject_cast<TFormMdiHP *>(Sub))
                kinds << int(doc->GetEditor()->Editor());
        });
        // The file does not exist: the window is made for its kind, then closed again.
        w.OpenFile(F->Dir.filePath(name));
        QVERIFY(!kinds.isEmpty());
        QCOMPARE(kinds.first(), kind);
    }

    void aFileOpenTwiceIsBroughtForward_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::newRow("same path") << "Doc.xv";
        QTest::newRow("relative path") << "./sub/../Doc.xv";
        QTest::newRow("symbolic link") << "link.xv";
    }

    void aFileOpenTwiceIsBroughtForward()
    {
        QFETCH(QString, asked);
        const QString path = F->MakeFile(QStringLiteral("Doc.xv"));
        QDir().mkpath(F->Dir.filePath(QStringLiteral("sub")));
        QVERIFY(QFile::link(path, F->Dir.filePath(QStringLiteral("link.xv"))));
        TFFormBegin &w = F->Open();
        TFormMdiHP *doc = w.CreateDocumentWindow(TEditor::Xview);
        doc->GetEditor()->SetFileName(path);
        w.CreateDocumentWindow(TEditor::Eden);
        const QString previous = QDir::currentPath();
        QDir::setCurrent(F->Dir.path());
        w.OpenFile(asked);
        QDir::setCurrent(previous);
        QVERIFY(F->Warnings.isEmpty());
        QCOMPARE(w.DocumentWindows().size(), 2);
        QCOMPARE(w.ActiveChild(), doc);
        QCOMPARE(w.StatusPanel1->text(), path + QStringLiteral(" is already open."));
    }

    void namesDifferingInCaseAreTwoFiles()
    {
        const QString upper = F->MakeFile(QStringLiteral("A.xv"), "%%HP: T(3);\n\"upper\"");
        const QString lower = F->MakeFile(QStringLiteral("a.xv"), "%%HP: T(3);\n\"lower\"");
        TFFormBegin &w = F->Open();
        w.OpenFile(upper);
        w.OpenFile(lower);
        QCOMPARE(w.DocumentWindows().size(), 2);
        QCOMPARE(w.ActiveEditor()->Line(0).Chars(), QByteArray("lower"));
        QVERIFY(w.CloseAll());
        QCOMPARE(w.MRUFileList->Items(), (QStringList{lower, upper}));
    }

    void closePromptAnswers_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::newRow("cancel keeps the window") << int(QMessageBox::Cancel) << false;
        QTest::newRow("no closes without saving") << int(QMessageBox::No) << true;
        QTest::newRow("yes with a cancelled save dialog keeps it") << int(QMessageBox::Yes) << false;
    }

    void closePromptAnswers()
    {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        TFFormBegin &w = F->Open();
        w.NewXView->trigger();
        w.ActiveEditor()->InsertAtCaret("text", QByteArray(1, 0));
        F->Answers << QMessageBox::StandardButton(answer);
        TFormMdiHP *doc = w.ActiveChild();
        QCOMPARE(doc->close(), closed);
        F->Settle();
        QCOMPARE(F->Questions, QStringList{QStringLiteral("Save changes to Untitled1.xv?")});
        QCOMPARE(w.DocumentWindows().size(), closed ? 0 : 1);
        // An untitled document leaves nothing in the recent files.
        QVERIFY(w.MRUFileList->Items().isEmpty());
        if (answer == QMessageBox::Yes)
            QCOMPARE(F->DialogsRun.size(), 1);
    }

    void aFailedSaveKeepsTheWindowAndSaysWhy()
    {
        TFFormBegin &w = F->Open();
        w.NewXView->trigger();
        w.ActiveEditor()->InsertAtCaret("text", QByteArray(1, 0));
        const QString target = F->Dir.filePath(QStringLiteral("no/such/folder/out.xv"));
        F->DialogFiles << target;
        QVERIFY(!w.SaveActiveAs());
        QCOMPARE(F->Warnings, QStringList{QStringLiteral("Error while saving ") + target
                                          + QStringLiteral("\ncannot be written: No such file or directory")});
        QCOMPARE(w.DocumentWindows().size(), 1);
        QCOMPARE(w.GetActiveTitle(), QStringLiteral("Untitled1.xv"));
        QVERIFY(!QFile::exists(target));
    }

    void savedDocumentsOpenAgain()
    {
        TFFormBegin &w = F->Open();
        w.NewXView->trigger();
        TFormMdiHP *doc = w.ActiveChild();
        QTest::keyClicks(doc->GetEditor(), QStringLiteral("Hello"));
        F->Settle();
        QCOMPARE(doc->windowTitle(), QStringLiteral("Untitled1.xv*"));
        const QString path = F->Dir.filePath(QStringLiteral("letter.xv"));
        F->DialogFiles << path;
        QVERIFY(w.Save_->isEnabled());
        w.Save_->trigger(); // never saved: Save asks for a name
        F->Settle();
        QVERIFY2(F->Warnings.isEmpty(), qPrintable(F->Warnings.join('\n')));
        QCOMPARE(doc->windowTitle(), path);
        QCOMPARE(w.StatusPanel0->text(), QStringLiteral("FileSize:%1").arg(QFileInfo(path).size()));
        QVERIFY(QFileInfo(path).size() > 0);

        QVERIFY(doc->close());
        F->Settle();
        QCOMPARE(w.MRUFileList->Items(), QStringList{path});
        w.MRUFileListMRUItemClick(path);
        F->Settle();
        QVERIFY(w.MRUFileList->Items().isEmpty());
        QCOMPARE(w.DocumentWindows().size(), 1);
        QCOMPARE(w.GetActiveTitle(), path);
        QCOMPARE(w.ActiveEditor()->Line(0).Chars(), QByteArray("Hello"));
        QCOMPARE(w.ActiveChild()->windowTitle(), path);
        QCOMPARE(w.UntitledCount(), 2);
    }

    void saveAsAnotherFormatKeepsTheWindowsKind_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("tgv for the HP48") << "x.tgv" << QByteArray("HPHP48-E");
        QTest::newRow("T49 for the HP49") << "x.T49" << QByteArray("HPHP49-C");
        QTest::newRow("text file in the XView format") << "letter.txt" << QByteArray("%%HP:");
    }

    void saveAsAnotherFormatKeepsTheWindowsKind()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, start);
        TFFormBegin &w = F->Open();
        w.NewXView->trigger();
        w.ActiveEditor()->InsertAtCaret("Text", QByteArray(1, 0));
        const QString path = F->Dir.filePath(name);
        F->DialogFiles << path;
        QVERIFY(w.SaveActiveAs());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith(start));
        QCOMPARE(w.ActiveEditor()->Editor(), TEditor::Xview);
        QCOMPARE(w.ToolbarSet(), 0);
        QCOMPARE(w.GetActiveTitle(), path);
        QVERIFY(!w.ActiveEditor()->Modified());
    }

    void saveInALossyFormatAsksAndExportsOnly()
    {
        TFFormBegin &w = F->Open();
        w.NewTGV->trigger();
        THPEdit2 *editor = w.ActiveEditor();
        editor->InsertAtCaret("ab", QByteArray("\x40\x00", 2));
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::black);
        editor->InsertPicture(-1, -1, QString(), picture);
        const QString question = QStringLiteral("The XView format cannot keep: 1 picture, superscript text. Save anyway?");

        // Cancel writes nothing.
        const QString exported = F->Dir.filePath(QStringLiteral("copy.xv"));
        F->DialogFiles << exported;
        F->Answers << QMessageBox::Cancel;
        QVERIFY(!w.SaveActiveAs());
        QCOMPARE(F->Questions, QStringList{question});
        QVERIFY(!QFile::exists(exported));

        // Agreed, the file is an export: the window keeps its name and its unsaved changes.
        F->DialogFiles << exported;
        F->Answers << QMessageBox::Yes;
        QVERIFY(w.SaveActiveAs());
        F->Settle();
        QVERIFY(QFileInfo(exported).size() > 0);
        QCOMPARE(w.ActiveChild()->windowTitle(), QStringLiteral("Untitled1.tgv*"));
        QCOMPARE(w.StatusPanel0->text(), QStringLiteral("FileSize:0"));
        QVERIFY(w.StatusPanel1->text().startsWith(QStringLiteral("A copy was written to ") + exported));

        // A format that keeps everything takes the window over, without a question.
        const QString kept = F->Dir.filePath(QStringLiteral("full.tgv"));
        F->DialogFiles << kept;
        QVERIFY(w.SaveActiveAs());
        F->Settle();
        QCOMPARE(F->Questions.size(), 2);
        QCOMPARE(w.ActiveChild()->windowTitle(), kept);

        // Saving a document whose file cannot hold it asks every time; declined, it does not close.
        editor->SetFileName(exported);
        editor->SetModified(true);
        F->Answers << QMessageBox::Yes << QMessageBox::Cancel;
        QVERIFY(!w.ActiveChild()->close());
        QCOMPARE(F->Questions.last(), question);
        QCOMPARE(w.DocumentWindows().size(), 1);
    }

    void tgvSaveAsAsksBeforeReplacingAFile()
    {
        const QString existing = F->MakeFile(QStringLiteral("old.tgv"), "keep me");
        TFFormBegin &w = F->Open();
        w.NewTGV->trigger();
        bool asked = false;
        w.OnExecuteDialog = [&](TFileDialogRegistry &Dialog) {
            QTimer::singleShot(0, &Dialog, [&] {
                Dialog.setDirectory(F->Dir.path());
                Dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("old.tgv"));
                QTimer::singleShot(0, &Dialog, [&] {
                    if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                        asked = true;
                        box->button(QMessageBox::No)->click();
                    }
                    QTimer::singleShot(0, &Dialog, &QDialog::reject);
                });
                QMetaObject::invokeMethod(&Dialog, "accept");
            });
            return Dialog.Execute();
        };
        QVERIFY(!w.SaveActiveAs());
        QVERIFY(asked);
        QFile file(existing);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep me"));
    }

    void closeAndCloseAll()
    {
        TFFormBegin &w = F->Open();
        QVERIFY(!w.Close_->isEnabled());
        w.NewXView->trigger();
        w.newEden->trigger();
        w.ActiveEditor()->InsertAtCaret("text", QByteArray(1, 0));
        QVERIFY(w.Close_->isEnabled() && w.CloseAll_->isEnabled());
        // Ctrl+W closes the active document, with the save prompt.
        F->Answers << QMessageBox::Cancel;
        QTest::keyClick(w.ActiveEditor(), Qt::Key_W, Qt::ControlModifier);
        F->Settle();
        QCOMPARE(F->Questions, QStringList{QStringLiteral("Save changes to Untitled2.eden?")});
        QCOMPARE(w.DocumentWindows().size(), 2);
        F->Answers << QMessageBox::No;
        QTest::keyClick(w.ActiveEditor(), Qt::Key_F4, Qt::ControlModifier);
        F->Settle();
        QCOMPARE(w.DocumentWindows().size(), 1);
        // Close All stops at the first refusal.
        w.NewHP49->trigger();
        w.ActiveEditor()->InsertAtCaret("text", QByteArray(1, 0));
        F->Answers << QMessageBox::Cancel;
        w.CloseAll_->trigger();
        F->Settle();
        QCOMPARE(w.DocumentWindows().size(), 1);
        QCOMPARE(w.GetActiveTitle(), QStringLiteral("Untitled3.hp49"));
        F->Answers << QMessageBox::No;
        w.CloseAll_->trigger();
        F->Settle();
        QVERIFY(w.DocumentWindows().isEmpty());
    }

    void anUnreadableFileOpensNothing()
    {
        TFFormBegin &w = F->Open();
        const QString path = F->Dir.filePath(QStringLiteral("folder.tgv"));
        QVERIFY(QDir().mkpath(path));
        w.OpenFile(path);
        F->Settle();
        QCOMPARE(F->Warnings, QStringList{QStringLiteral("Error loading ") + path + QStringLiteral("\nnot a regular file: a folder")});
        QVERIFY(F->Questions.isEmpty());
        QVERIFY(w.DocumentWindows().isEmpty());
        QCOMPARE(w.MRUFileList->Items(), QStringList{path});

        // A named pipe is refused at once instead of waiting for a writer; an empty file is an empty document.
        F->Warnings.clear();
        const QString pipe = F->Dir.filePath(QStringLiteral("pipe.eden"));
        QVERIFY(mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        w.OpenFile(pipe);
        QCOMPARE(F->Warnings, QStringList{QStringLiteral("Error loading ") + pipe + QStringLiteral("\nnot a regular file: a named pipe")});
        const QString empty = F->Dir.filePath(QStringLiteral("empty.eden"));
        QVERIFY(QFile(empty).open(QIODevice::WriteOnly));
        w.OpenFile(empty);
        QCOMPARE(w.DocumentWindows().size(), 1);
        QCOMPARE(w.ActiveEditor()->Editor(), TEditor::Eden);
        QCOMPARE(w.GetActiveTitle(), empty);
    }

    void transferSavesFirstWhenTheUserAgrees()
    {
        TFFormBegin &w = F->Open();
        w.newEden->trigger();
        w.ActiveEditor()->InsertAtCaret("Story", QByteArray(1, 0));
        F->Answers << QMessageBox::Yes;
        F->DialogFiles << F->Dir.filePath(QStringLiteral("story.eden"));
        w.TransferActive();
        QCOMPARE(F->Transfers, 1);
        QVERIFY(QFile::exists(F->Dir.filePath(QStringLiteral("story.eden"))));
    }

    void saveAsChoosesTheDialogByKind()
    {
        TFFormBegin &w = F->Open();
        w.NewTGV->trigger();
        w.ActiveEditor()->SetMenuChar('M');
        QVERIFY(!w.SaveActiveAs());
        QCOMPARE(F->DialogsRun.size(), 1);
        QCOMPARE(F->DialogsRun.first(), static_cast<TFileDialogRegistry *>(w.SaveDialogTgv));
        QCOMPARE(w.SaveDialogTgv->MenuChar(), uint8_t('M'));

        w.newEden->trigger();
        QVERIFY(!w.SaveActiveAs());
        QCOMPARE(F->DialogsRun.last(), static_cast<TFileDialogRegistry *>(w.SaveDialogXVEden));
        // A document that names no program is offered its kind's viewer, unticked.
        QCOMPARE(w.SaveDialogXVEden->executeWith(), QStringLiteral("EDEN"));
        QVERIFY(!w.SaveDialogXVEden->willExecute());
        QCOMPARE(w.SaveDialogXVEden->FilterIndex(), 2);
        QCOMPARE(w.SaveDialogXVEden->DefaultExt(), QStringLiteral("eden"));
        // Cancelled: nothing changed.
        QCOMPARE(w.GetActiveTitle(), QStringLiteral("Untitled2.eden"));
    }

    void exitAsksEveryDocumentAndCancelKeepsRunning()
    {
        TFFormBegin &w = F->Open();
        w.NewXView->trigger();
        w.ActiveEditor()->InsertAtCaret("a", QByteArray(1, 0));
        w.NewTGV->trigger();
        w.ActiveEditor()->InsertAtCaret("b", QByteArray(1, 0));
        F->Answers << QMessageBox::No << QMessageBox::Cancel;
        QVERIFY(!w.close());
        F->Settle();
        QCOMPARE(F->Questions.size(), 2);
        QCOMPARE(w.DocumentWindows().size(), 1);
        QVERIFY(w.isVisible());
        F->Answers << QMessageBox::No;
        QVERIFY(w.close());
    }

    void recentFilesKeepTheFiveNewest()
    {
        TFFormBegin &w = F->Open();
        QStringList paths;
        for (int i = 1; i <= 6; ++i) {
            paths << F->MakeFile(QStringLiteral("file%1.xv").arg(i));
            TFormMdiHP *doc = w.CreateDocumentWindow(TEditor::Xview);
            doc->GetEditor()->SetFileName(paths.last());
            QVERIFY(doc->close());
            F->Settle();
        }
        const QStringList expected{paths[5], paths[4], paths[3], paths[2], paths[1]};
        QCOMPARE(w.MRUFileList->Items(), expected);
        QVERIFY(w.MRUFileList->Submenu()->menuAction()->isVisible());
        const QList<QAction *> items = w.MRUFileList->Submenu()->actions();
        QVERIFY(items.first()->text().startsWith(QStringLiteral("&1 ")));
        QVERIFY(items.at(4)->text().startsWith(QStringLiteral("&5 ")));
        QCOMPARE(items.last()->text(), QStringLiteral("&Remove Obsolete"));
        // The File menu shows it just before the separator above Exit.
        const QList<QAction *> file = w.File_->actions();
        QCOMPARE(file.indexOf(w.MRUFileList->Submenu()->menuAction()) + 1, file.indexOf(w.ExitSeparator));

        // Closing a file already listed moves it to the top, whatever its letter case.
        TFormMdiHP *again = w.CreateDocumentWindow(TEditor::Xview);
        again->GetEditor()->SetFileName(paths[2]);
        again->close();
        F->Settle();
        QCOMPARE(w.MRUFileList->Items().first(), paths[2]);
        QCOMPARE(w.MRUFileList->Items().size(), 5);

        // Choosing an entry takes it off the list before the file is opened.
        w.MRUFileListMRUItemClick(paths[4]);
        F->Settle();
        QVERIFY(!w.MRUFileList->Items().contains(paths[4]));
        QCOMPARE(w.GetActiveTitle(), paths[4]);
        // ...until its window closes again.
        w.ActiveChild()->close();
        F->Settle();
        QCOMPARE(w.MRUFileList->Items().first(), paths[4]);

        QFile::remove(paths[3]);
        w.MRUFileList->RemoveObsolete();
        QVERIFY(!w.MRUFileList->Items().contains(paths[3]));

        // The list survives to the next run, in its order.
        const QStringList kept = w.MRUFileList->Items();
        F->Close();
        QCOMPARE(Settings->ReadString(QStringLiteral("MRU Items"), QStringLiteral("F0"), QString()), kept.first());
        TFFormBegin &next = F->Open();
        QCOMPARE(next.MRUFileList->Items(), kept);
    }

    void recentFileAcceleratorsRunOnPastNine()
    {
        QCOMPARE(TdfsMRUFileList::Accelerator(0), QChar(u'1'));
        QCOMPARE(TdfsMRUFileList::Accelerator(8), QChar(u'9'));
        QCOMPARE(TdfsMRUFileList::Accelerator(9), QChar(u'0'));
        QCOMPARE(TdfsMRUFileList::Accelerator(10), QChar(u'A'));
    }

    void transferAsksToSaveFirst()
    {
        TFFormBegin &w = F->Open();
        w.NewXView->trigger();
        F->Answers << QMessageBox::No;
        w.Transfer_->trigger();
        QCOMPARE(F->Transfers, 0);
        QCOMPARE(F->Questions.size(), 1);
        QVERIFY(F->Questions.first().startsWith(
            QStringLiteral("Current file has been modified. You need to save it before transfering.")));
        QVERIFY(F->Questions.first().endsWith(QStringLiteral("\nSave it now ?")));

        // A saved document without changes goes straight to the transfer.
        F->Questions.clear();
        w.ActiveEditor()->SetFileName(F->MakeFile(QStringLiteral("saved.xv")));
        w.ActiveEditor()->SetModified(false);
        w.Transfer_->trigger();
        QCOMPARE(F->Transfers, 1);
        QVERIFY(F->Questions.isEmpty());
    }

    void openRequestsFromTheDesktop()
    {
        TFFormBegin &w = F->Open();
        const QString missing = F->Dir.filePath(QStringLiteral("gone.xv"));
        w.systemmacro(QStringLiteral("open"), missing);
        w.systemmacro(QStringLiteral("Open"), F->MakeFile(QStringLiteral("x.xv")));
        w.systemmacro(QStringLiteral("print"), F->MakeFile(QStringLiteral("y.xv")));
        QVERIFY(F->Warnings.isEmpty());
        QCOMPARE(w.UntitledCount(), 0);

        // A request that reaches the server opens the file in this window.
        Tddemacroserver server;
        w.Adoptsystem(server);
        const QString path = F->MakeFile(QStringLiteral("from desktop.xv"));
        server.ExecuteMacro({QStringLiteral("[open(\"%1\")]").arg(path)});
        F->Settle();
        QCOMPARE(w.GetActiveTitle(), path);
    }

    void settingsAreWrittenWhenTheyChange()
    {
        TFFormBegin &w = F->Open();
        const QString path = F->MakeFile(QStringLiteral("kept.xv"));
        w.OpenFile(path);
        // An XView document shows the justify toolbar; hiding it is a layout change to keep.
        auto *justify = w.findChild<QToolBar *>(QStringLiteral("Toolbarjustify"));
        QVERIFY(justify && justify->isVisible());
        justify->hide();
        w.CloseActive();
        w.resize(640, 420);
        // Read by another store, as the next run would after this one was killed; the write comes
        // a moment after the last change, later still on a loaded machine.
        const QString ini = F->Dir.filePath(QStringLiteral("settings.ini"));
        QTRY_COMPARE_WITH_TIMEOUT(TSettings(ini).ReadString(QStringLiteral("MRU Items"), QStringLiteral("F0"), QString()), path, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(TSettings(ini).ReadInteger(QStringLiteral("Height/Width"), QStringLiteral("Width"), 0), 640, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(TSettings(ini).ReadBool(QStringLiteral("Toolbarjustify0"), QStringLiteral("Visible"), true), false, 10000);
    }

    void sizeAndStateComeBackNextRun()
    {
        TFFormBegin &w = F->Open();
        w.resize(700, 500);
        F->Close();
        QCOMPARE(Settings->ReadInteger(QStringLiteral("Height/Width"), QStringLiteral("Width"), 0), 700);
        QCOMPARE(Settings->ReadInteger(QStringLiteral("Height/Width"), QStringLiteral("Height"), 0), 500);
        QCOMPARE(Settings->ReadInteger(QStringLiteral("Height/Width"), QStringLiteral("WindowState"), -1), 0);
        Settings->WriteInteger(QStringLiteral("Height/Width"), QStringLiteral("WindowState"), 2);
        auto next = std::make_unique<TFFormBegin>();
        QVERIFY(next->windowState() & Qt::WindowMaximized);
    }

    void everyHelpContextHasItsPage()
    {
        TFFormBegin &w = F->Open();
        for (int context : {0, 11, 12, 14, 15, 16, 17, 24, 27}) {
            const QString page = THelpViewer::PageOf(context);
            QVERIFY2(QFile::exists(THelpViewer::HelpFolder() + page), qPrintable(page));
            w.ShowHelpContext(context);
            auto *viewer = w.findChild<THelpViewer *>();
            QVERIFY(viewer && viewer->isVisible());
            QCOMPARE(viewer->Browser()->source().fileName(), page);
        }
        // The pages link only to pages that exist.
        const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+)\""));
        for (QDirIterator it(THelpViewer::HelpFolder(), {QStringLiteral("*.html")}); it.hasNext();) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(file.readAll());
            for (auto m = link.globalMatch(html); m.hasNext();) {
                const QString target = m.next().captured(1);
                QVERIFY2(QFile::exists(THelpViewer::HelpFolder() + target), qPrintable(file.fileName() + " -> " + target));
            }
        }
    }

    void theDefaultHandlerShowsEscapedErrorsAndGoesOn()
    {
        auto *app = qobject_cast<TQuilloApplication *>(QCoreApplication::instance());
        QVERIFY(app);
        QStringList shown;
        app->OnException = [&](const QString &Message) { shown << Message; };

        class TThrower : public QObject {
        public:
            bool event(QEvent *) override { throw EFileError(QStringLiteral("disk on fire")); }
        } thrower;
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&thrower, &event);
        QCOMPARE(shown, QStringList{QStringLiteral("disk on fire")});

        // A default font that cannot be read: the user is told, the window is there all the same.
        Settings->WriteString(QStringLiteral("XView"), QStringLiteral("DefaultFont"), QStringLiteral("nosuchfont"));
        TFFormBegin &w = F->Open();
        w.NewXView->trigger();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(w.GetActiveTitle(), QStringLiteral("Untitled1.xv"));
        app->OnException = nullptr;
    }

    void documentsFillTheAreaAndTabsAreRemembered()
    {
        TFFormBegin &w = F->Open();
        w.NewXView->trigger();
        QVERIFY(w.MdiArea->activeSubWindow()->isMaximized());
        QCOMPARE(w.MdiArea->viewMode(), QMdiArea::SubWindowView);

        w.TabbedView_->trigger();
        w.NewTGV->trigger();
        QCOMPARE(w.MdiArea->viewMode(), QMdiArea::TabbedView);
        QVERIFY(w.MdiArea->tabsClosable() && w.MdiArea->tabsMovable());
        QVERIFY(!w.Cascade_->isEnabled());
        F->Close();
        TFFormBegin &next = F->Open();
        QVERIFY(next.TabbedView_->isChecked());
        QCOMPARE(next.MdiArea->viewMode(), QMdiArea::TabbedView);
        next.TabbedView_->trigger();
        QCOMPARE(next.MdiArea->viewMode(), QMdiArea::SubWindowView);
        QVERIFY(next.Cascade_->isEnabled());
        QCOMPARE(Settings->ReadBool(QStringLiteral("Height/Width"), QStringLiteral("TabbedView"), true), false);
    }

    void anActivateRequestBringsTheWindowBack()
    {
        TFFormBegin &w = F->Open();
        w.showMinimized();
        F->Settle();
        w.systemmacro(QStringLiteral("activate"), QString());
        F->Settle();
        QVERIFY(!w.isMinimized());
        QVERIFY(w.isVisible());
        // The New submenu's own item carries its hint to the status bar like every other item.
        QCOMPARE(w.New_->menuAction()->statusTip(), QStringLiteral("Create a new file"));
    }

    void readableUnderADarkTheme()
    {
        const QPalette light = QApplication::palette();
        QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x2a, 0x2a, 0x2a));
        dark.setColor(QPalette::ToolTipBase, QColor(0x20, 0x20, 0x20));
        dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
        dark.setColor(QPalette::Text, Qt::white);
        QApplication::setPalette(dark);
        TFFormBegin &w = F->Open();
        w.NewTGV->trigger();
        F->Settle();
        // Calculator glyphs are black: the paper under them stays light whatever the theme.
        const QImage editor = w.ActiveEditor()->grab().toImage();
        QCOMPARE(editor.pixelColor(150, editor.height() - 20), QColor(Qt::white));
        QCOMPARE(w.TableCharsHPTgv->CellColor(), CharTableCellColor);
        const QImage name = w.ComboChangeFontTgv->grab().toImage();
        int white = 0;
        for (int x = 0; x < name.width(); ++x)
            white += name.pixelColor(x, name.height() / 2) == QColor(Qt::white);
        QVERIFY2(white > name.width() / 3, qPrintable(QString::number(white)));
        // Glyphs of bare ink take the theme's light text colour rather than vanishing into the toolbar.
        const QImage bold = OwnGlyph(TGlyph::Bold).pixmap(32).toImage();
        int lightInk = 0;
        for (int y = 0; y < bold.height(); ++y)
            for (int x = 0; x < bold.width(); ++x)
                lightInk += qAlpha(bold.pixel(x, y)) == 255 && QColor(bold.pixel(x, y)).lightness() > 200;
        QVERIFY(lightInk > 20);
        QApplication::setPalette(light);
    }

    // Runs last: it leaves the French texts in force.
    void everyMenuItemHasItsOwnAccessKey()
    {
        for (bool french : {false, true}) {
            QVERIFY(!french || LoadTranslationModule(QStringLiteral(QUILLO_BUILD_DIR), QLocale(QLocale::French)));
            TFFormBegin &w = F->Open();
            w.NewTGV->trigger();
            QStringList clashes;
            std::function<void(QList<QAction *>)> check = [&](QList<QAction *> Items) {
                QMap<QChar, QString> taken;
                for (QAction *item : Items) {
                    const qsizetype at = item->text().indexOf(u'&');
                    const QChar key = at >= 0 && item->isVisible() ? item->text().at(at + 1).toLower() : QChar();
                    if (!key.isNull() && taken.contains(key))
                        clashes << taken[key] + QStringLiteral(" / ") + item->text();
                    taken.insert(key, item->text());
                    if (item->menu())
                        check(item->menu()->actions());
                }
            };
            check(w.menuBar()->actions());
            // The find bar's keys work beside the menu bar's: they must not hide a menu.
            QList<QAction *> barKeys = w.menuBar()->actions();
            for (const QWidget *each : w.CreateDocumentWindow(TEditor::Xview)->FindBar->findChildren<QWidget *>())
                barKeys << new QAction(each->property("text").toString(), &w); // labels, buttons, boxes
            check(barKeys);
            QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join(QStringLiteral(", "))));
        }
    }
};

int main(int argc, char **argv)
{
    TQuilloApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
