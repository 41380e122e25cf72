// Toolbars: the set shown for each kind of document, layouts kept per set, the View menu, the
// right-edge box and the character tables.
#include "shellfixture.h"

#include "u_PictureStep.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QSpinBox>

class TestToolbars : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TShellFixture> F;

    static QStringList Shown(TFFormBegin &W)
    {
        QStringList names;
        for (QWidget *bar : std::initializer_list<QWidget *>{W.ToolbarFile, W.ToolbarStyleTgv, W.ToolbarStyleXVEden,
                                                             W.Toolbarjustify, W.ToolbarRightEdge, W.ToolbarCharsTgv,
                                                             W.ToolbarcharsXVEden})
            if (!bar->isHidden())
                names << bar->objectName();
        return names;
    }

private slots:
    void init() { F = std::make_unique<TShellFixture>(); }
    void cleanup() { F.reset(); }

    void eachKindHasItsSet_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<bool>("fontCombo");
        const QStringList text{"ToolbarFile", "ToolbarStyleXVEden", "Toolbarjustify", "ToolbarRightEdge", "ToolbarcharsXVEden"};
        QTest::newRow("XView: font combo, no italic") << int(TEditor::Xview) << text << false << true;
        QTest::newRow("Eden: both") << int(TEditor::Eden) << text << true << true;
        QTest::newRow("HP49: italic, no font combo") << int(TEditor::Hp49) << text << true << false;
        QTest::newRow("TGV") << int(TEditor::Tgv)
                             << QStringList{"ToolbarFile", "ToolbarStyleTgv", "Toolbarjustify", "ToolbarRightEdge", "ToolbarCharsTgv"}
                             << false << false;
    }

    void eachKindHasItsSet()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, shown);
        QFETCH(bool, italic);
        QFETCH(bool, fontCombo);
        TFFormBegin &w = F->Open();
        w.CreateDocumentWindow(TEditor(kind));
        F->Settle();
        QCOMPARE(Shown(w), shown);
        if (kind != int(TEditor::Tgv)) {
            QCOMPARE(w.Italic1ButtonEden->isVisible(), italic);
            QCOMPARE(w.ComboFontsXVEdenAction->isVisible(), fontCombo);
        }
        QCOMPARE(w.Tgv_->menuAction()->isVisible(), kind == int(TEditor::Tgv));
        // Closing the last document brings back the file toolbar alone.
        w.ActiveChild()->close();
        F->Settle();
        QCOMPARE(Shown(w), QStringList{"ToolbarFile"});
        QCOMPARE(w.ToolbarSet(), 4);
    }

    void aHiddenToolbarStaysHiddenInItsSetOnly()
    {
        TFFormBegin &w = F->Open();
        TFormMdiHP *eden = w.CreateDocumentWindow(TEditor::Eden);
        TFormMdiHP *tgv = w.CreateDocumentWindow(TEditor::Tgv);
        w.ActivateChild(eden);
        F->Settle();
        emit w.View_->aboutToShow();
        QVERIFY(w.Aligntoolbar->isChecked());
        w.Aligntoolbar->trigger();
        QVERIFY(w.Toolbarjustify->isHidden());
        w.ActivateChild(tgv);
        F->Settle();
        QVERIFY(!w.Toolbarjustify->isHidden());
        QCOMPARE(Settings->ReadString(QStringLiteral("Toolbarjustify2"), QStringLiteral("Visible"), QString()), QStringLiteral("0"));
        w.ActivateChild(eden);
        F->Settle();
        QVERIFY(w.Toolbarjustify->isHidden());
        emit w.View_->aboutToShow();
        QVERIFY(!w.Aligntoolbar->isChecked());
    }

    void switchingBetweenDocumentsOfOneKindWritesNothing()
    {
        TFFormBegin &w = F->Open();
        TFormMdiHP *first = w.CreateDocumentWindow(TEditor::Xview);
        TFormMdiHP *second = w.CreateDocumentWindow(TEditor::Xview);
        TFormMdiHP *tgv = w.CreateDocumentWindow(TEditor::Tgv);
        w.ActivateChild(first);
        F->Settle();
        // A value only a write of the layout could change.
        Settings->WriteString(QStringLiteral("ToolbarFile0"), QStringLiteral("DockPos"), QStringLiteral("marker"));
        for (int i = 0; i < 3; ++i) {
            w.ActivateChild(second);
            F->Settle();
            w.ActivateChild(first);
            F->Settle();
        }
        QCOMPARE(w.ToolbarSet(), 0);
        QCOMPARE(Settings->ReadString(QStringLiteral("ToolbarFile0"), QStringLiteral("DockPos"), QString()), QStringLiteral("marker"));
        w.ActivateChild(tgv);
        F->Settle();
        QVERIFY(Settings->ReadString(QStringLiteral("ToolbarFile0"), QStringLiteral("DockPos"), QString()) != QStringLiteral("marker"));
    }

    void layoutValuesOfASet()
    {
        TFFormBegin &w = F->Open();
        w.CreateDocumentWindow(TEditor::Xview);
        F->Settle();
        const QString section = QStringLiteral("ToolbarFile4");
        QCOMPARE(Settings->ReadString(section, QStringLiteral("DockedTo"), QString()), QStringLiteral("DockTop"));
        QCOMPARE(Settings->ReadString(section, QStringLiteral("DockRow"), QString()), QStringLiteral("1"));
        QCOMPARE(Settings->ReadString(section, QStringLiteral("Visible"), QString()), QStringLiteral("1"));
        for (const char *value : {"DockPos", "FloatLeft", "FloatTop", "Height", "Width"})
            QVERIFY2(Settings->ValueExists(section, QString::fromLatin1(value)), value);
        // The set in force is written when the window goes.
        F->Close();
        QCOMPARE(Settings->ReadString(QStringLiteral("ToolbarcharsXVEden0"), QStringLiteral("DockedTo"), QString()),
                 QStringLiteral("DockRight"));
        QCOMPARE(Settings->ReadString(QStringLiteral("ToolbarStyleXVEden0"), QStringLiteral("DockRow"), QString()),
                 QStringLiteral("2"));
    }

    void storedLayoutsAreApplied()
    {
        Settings->WriteString(QStringLiteral("ToolbarcharsXVEden0"), QStringLiteral("DockedTo"), QStringLiteral("Nowhere"));
        Settings->WriteString(QStringLiteral("ToolbarRightEdge0"), QStringLiteral("DockedTo"), QStringLiteral("Dockbottom"));
        Settings->WriteString(QStringLiteral("ToolbarStyleXVEden0"), QStringLiteral("Visible"), QStringLiteral("0"));
        TFFormBegin &w = F->Open();
        w.CreateDocumentWindow(TEditor::Xview);
        F->Settle();
        QCOMPARE(w.DockName(w.ToolbarcharsXVEden), QString()); // no such dock: it floats
        QVERIFY(w.ToolbarcharsXVEden->isFloating());
        QCOMPARE(w.DockName(w.ToolbarRightEdge), QStringLiteral("Dockbottom"));
        QVERIFY(w.ToolbarStyleXVEden->isHidden());
        QVERIFY(!w.ToolbarRightEdge->isHidden());
    }

    void toolbarsFloatAndDockAgain()
    {
        Settings->WriteString(QStringLiteral("Toolbarjustify0"), QStringLiteral("DockedTo"), QString());
        Settings->WriteInteger(QStringLiteral("Toolbarjustify0"), QStringLiteral("FloatLeft"), 40);
        Settings->WriteInteger(QStringLiteral("Toolbarjustify0"), QStringLiteral("FloatTop"), 50);
        Settings->WriteString(QStringLiteral("Toolbarjustify1"), QStringLiteral("DockedTo"), QStringLiteral("DockTop"));
        TFFormBegin &w = F->Open();
        TFormMdiHP *xv = w.CreateDocumentWindow(TEditor::Xview);
        TFormMdiHP *tgv = w.CreateDocumentWindow(TEditor::Tgv);
        w.ActivateChild(xv);
        F->Settle();
        QVERIFY(w.Toolbarjustify->isFloating());
        QCOMPARE(w.Toolbarjustify->pos(), QPoint(40, 50));
        QVERIFY(!w.Toolbarjustify->isHidden());
        // In the TGV set it sits in its dock, and floats again back in the XView set.
        w.ActivateChild(tgv);
        F->Settle();
        QVERIFY(!w.Toolbarjustify->isFloating());
        QCOMPARE(w.DockName(w.Toolbarjustify), QStringLiteral("DockTop"));
        w.ActivateChild(xv);
        F->Settle();
        QVERIFY(w.Toolbarjustify->isFloating());
        QCOMPARE(Settings->ReadString(QStringLiteral("Toolbarjustify1"), QStringLiteral("DockedTo"), QString()),
                 QStringLiteral("DockTop"));
        QCOMPARE(Settings->ReadString(QStringLiteral("Toolbarjustify0"), QStringLiteral("DockedTo"), QStringLiteral("?")),
                 QString());
    }

    void dockingRules()
    {
        QVERIFY(TFFormBegin::DockTopbottomRequestDock(QSize(500, 249)));
        QVERIFY(!TFFormBegin::DockTopbottomRequestDock(QSize(100, 250)));
        QVERIFY(TFFormBegin::DockLeftRightRequestDock(QSize(349, 900)));
        QVERIFY(!TFFormBegin::DockLeftRightRequestDock(QSize(350, 10)));
        TFFormBegin &w = F->Open();
        w.CreateDocumentWindow(TEditor::Xview);
        F->Settle();
        w.ToolbarcharsXVEden->setFloating(true);
        w.ToolbarcharsXVEden->resize(200, 250);
        F->Settle();
        QVERIFY(!(w.ToolbarcharsXVEden->allowedAreas() & Qt::TopDockWidgetArea));
        QVERIFY(w.ToolbarcharsXVEden->allowedAreas() & Qt::RightDockWidgetArea);
        QCOMPARE(w.ToolbarStyleTgv->allowedAreas(), Qt::TopToolBarArea | Qt::BottomToolBarArea);
    }

    void viewMenuFollowsTheDocument()
    {
        TFFormBegin &w = F->Open();
        emit w.PopupToolbars->aboutToShow();
        QVERIFY(w.popupmenuMaintoolbar->isVisible());
        QVERIFY(w.popupmenuMaintoolbar->isChecked());
        QVERIFY(!w.Styletoolbar->isVisible());
        QVERIFY(!w.popupmenucharstoolbar->isVisible());
        w.Maintoolbar->trigger();
        QVERIFY(w.ToolbarFile->isHidden());
        w.Maintoolbar->trigger();
        QVERIFY(!w.ToolbarFile->isHidden());

        w.CreateDocumentWindow(TEditor::Tgv);
        F->Settle();
        emit w.View_->aboutToShow();
        for (QAction *item : {w.Maintoolbar, w.Aligntoolbar, w.Charstoolbar, w.Styletoolbar}) {
            QVERIFY2(item->isVisible(), qPrintable(item->objectName()));
            QVERIFY2(item->isChecked(), qPrintable(item->objectName()));
        }
        w.Charstoolbar->trigger();
        QVERIFY(w.ToolbarCharsTgv->isHidden());
        w.Styletoolbar->trigger();
        QVERIFY(w.ToolbarStyleTgv->isHidden());
        emit w.View_->aboutToShow();
        QVERIFY(!w.Charstoolbar->isChecked());
        QVERIFY(!w.Styletoolbar->isChecked());
        QVERIFY(w.Aligntoolbar->isChecked());
    }

    void rightEdgeBox()
    {
        TFFormBegin &w = F->Open();
        THPEdit2 *editor = w.CreateDocumentWindow(TEditor::Xview)->GetEditor();
        F->Settle();
        w.RightEdgeEdit->clear();
        QTest::keyClicks(w.RightEdgeEdit, QStringLiteral("3x3"));
        QCOMPARE(w.RightEdgeEdit->text(), QStringLiteral("33"));
        QTest::keyClick(w.RightEdgeEdit, Qt::Key_Return);
        QCOMPARE(editor->RightEdge(), 33);
        QCOMPARE(w.RightEdgeEdit->text(), QStringLiteral("33"));
        // An empty box keeps the current value.
        w.RightEdgeEdit->clear();
        QTest::keyClick(w.RightEdgeEdit, Qt::Key_Enter);
        QCOMPARE(editor->RightEdge(), 33);
        QCOMPARE(w.RightEdgeEdit->text(), QStringLiteral("33"));
        w.RightEdge22Button->trigger();
        QCOMPARE(editor->RightEdge(), 22);
        QCOMPARE(w.RightEdgeEdit->text(), QStringLiteral("22"));
        w.RightEdge33Button->trigger();
        QCOMPARE(editor->RightEdge(), 33);
    }

    void characterTablesInsertAndExplain()
    {
        TFFormBegin &w = F->Open();
        THPEdit2 *xv = w.CreateDocumentWindow(TEditor::Xview)->GetEditor();
        F->Settle();
        xv->SetCurrentAttr(stBold);
        w.TableCharsHPXVEden->OnCellSelected(65);
        QCOMPARE(xv->Line(0).Chars(), QByteArray("A"));
        QCOMPARE(xv->Line(0).Attrs(), QByteArray(1, char(stBold)));
        w.TableCharsHPXVEden->OnOverCell(141);
        QCOMPARE(w.StatusPanel1->text(), QString::fromUtf8("Alt-0141   →  RIGHTWARDS ARROW"));

        THPEdit2 *tgv = w.CreateDocumentWindow(TEditor::Tgv)->GetEditor();
        F->Settle();
        w.ComboChangeTableFontTgv->setCurrentIndex(3);
        w.TableCharsHPTgv->OnCellSelected(66);
        QCOMPARE(tgv->Line(0).Chars(), QByteArray("B"));
        QCOMPARE(tgv->Line(0).Attrs(), QByteArray(1, char(fsSubscript)));
    }

    void buttonsAndCombosReachTheActiveEditor()
    {
        TFFormBegin &w = F->Open();
        THPEdit2 *xv = w.CreateDocumentWindow(TEditor::Xview)->GetEditor();
        F->Settle();
        xv->InsertAtCaret("ab", QByteArray(1, 0));
        xv->SelectRange(0, 1, -1, -1);
        w.BoldButtonXVEden->trigger();
        QCOMPARE(xv->Line(0).Attrs(), QByteArray(2, char(stBold)));
        w.UnderlinebuttonXVEden->trigger();
        QCOMPARE(xv->Line(0).Attrs(), QByteArray(2, char(stBold | stUnderline)));

        const int other = w.ComboFontsXVEden->findText(QStringLiteral("tgvnormal"), Qt::MatchFixedString);
        QVERIFY(other >= 0);
        w.ComboFontsXVEden->setCurrentIndex(other);
        emit w.ComboFontsXVEden->Change();
        QCOMPARE(xv->FontNames(0).toLower(), QStringLiteral("tgvnormal"));

        THPEdit2 *tgv = w.CreateDocumentWindow(TEditor::Tgv)->GetEditor();
        F->Settle();
        w.ComboChangeFontTgv->setCurrentIndex(1);
        emit w.ComboChangeFontTgv->Change();
        QCOMPARE(tgv->CurrentAttr() & 0xE0, int(fsFont1));
        // The context menu's keys: Ctrl+3 gives the superscript role to what is typed next.
        tgv->setFocus();
        QTest::keyClick(tgv, Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(tgv->CurrentAttr() & 0xE0, int(fsSuperscript));
        QTest::keyClick(tgv, Qt::Key_B, Qt::ControlModifier);
        QVERIFY(tgv->CurrentAttr() & stBold);
        F->Settle();
        QVERIFY(w.BoldButtonTgv->isChecked());
        QCOMPARE(w.ComboChangeFontTgv->currentIndex(), 2);
    }

    void fileToolbarButtonsDoWhatTheirMenuItemsDo()
    {
        TFFormBegin &w = F->Open();
        THPEdit2 *tgv = w.CreateDocumentWindow(TEditor::Tgv)->GetEditor();
        F->Settle();
        tgv->InsertAtCaret("abc", QByteArray(1, 0));
        tgv->SelectRange(0, 1, -1, -1);
        // Copy, cut, paste twice, undo the second paste and redo it; then save, which asks for a name.
        for (QAction *button : {w.CopyButton, w.CutButton, w.PasteButton, w.PasteButton, w.UndoButton, w.RedoButton, w.SaveButton})
            button->trigger();
        QCOMPARE(tgv->Line(0).Chars(), QByteArray("abcabc"));
        QCOMPARE(F->DialogsRun.size(), 1);
    }

    void aPictureThatCannotBeReadIsReported()
    {
        TFFormBegin &w = F->Open();
        THPEdit2 *tgv = w.CreateDocumentWindow(TEditor::Tgv)->GetEditor();
        F->Settle();
        const QString path = F->MakeFile(QStringLiteral("notapicture.grb"), QByteArray("nonsense"));
        F->DialogFiles << path;
        w.InsertGrob_->trigger();
        QCOMPARE(F->Warnings, QStringList{QStringLiteral("Error loading picture ") + path + QStringLiteral("\nnot a calculator object")});
        QCOMPARE(tgv->LineCount(), 1);
    }

    // A picture in grey goes through the picture step: the height follows the width until the
    // proportions are unlocked, another way of shading redraws the preview at twice the size, and
    // OK puts the picture the step shows into the document; Cancel puts nothing.
    void aGreyPictureTakesThePictureStep()
    {
        TFFormBegin &w = F->Open();
        THPEdit2 *tgv = w.CreateDocumentWindow(TEditor::Tgv)->GetEditor();
        F->Settle();
        QImage photo(400, 200, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb(x * 255 / 399, x * 255 / 399, x * 255 / 399));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(photo.save(&buffer, "png"));
        const QString path = F->MakeFile(QStringLiteral("photo.png"), png);

        QSize proposed, locked, unlocked, previewSize;
        bool previewRedrawn = false;
        QImage chosen;
        w.OnPictureStep = [&](TFPictureStep &Step, const QImage &Source) {
            Step.SetSource(Source);
            auto *width = Step.findChild<QSpinBox *>("WidthEdit");
            auto *height = Step.findChild<QSpinBox *>("HeightEdit");
            auto *preview = Step.findChild<QLabel *>("Preview");
            proposed = QSize(width->value(), height->value());
            width->setValue(100);
            locked = QSize(width->value(), height->value());
            Step.findChild<QCheckBox *>("KeepAspect")->setChecked(false);
            height->setValue(30);
            unlocked = QSize(width->value(), height->value());
            const QImage before = preview->pixmap().toImage();
            Step.findChild<QRadioButton *>("OrderedButton")->setChecked(true);
            previewRedrawn = preview->pixmap().toImage() != before;
            previewSize = preview->pixmap().size();
            chosen = Step.Picture();
            return true;
        };
        F->DialogFiles << path;
        w.InsertGrob_->trigger();
        QVERIFY(F->Warnings.isEmpty());
        QCOMPARE(proposed.width(), 131);
        QVERIFY(qAbs(2 * proposed.height() - 131) <= 1);
        QCOMPARE(locked, QSize(100, 50));
        QCOMPARE(unlocked, QSize(100, 30));
        QVERIFY(previewRedrawn);
        QCOMPARE(previewSize, QSize(200, 60));
        int pictureLine = -1;
        for (int i = 0; i < tgv->LineCount(); ++i)
            if (!tgv->PictureBitmap(i).isNull())
                pictureLine = i;
        QVERIFY(pictureLine >= 0);
        const QImage inserted = tgv->PictureBitmap(pictureLine).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(inserted, chosen.convertToFormat(QImage::Format_RGB32));

        const int lines = tgv->LineCount();
        w.OnPictureStep = [](TFPictureStep &, const QImage &) { return false; };
        F->DialogFiles << path;
        w.InsertGrob_->trigger();
        QCOMPARE(tgv->LineCount(), lines);
    }

    void insertGrobAsksOnlyInTgvDocuments()
    {
        TFFormBegin &w = F->Open();
        w.CreateDocumentWindow(TEditor::Xview);
        w.InsertGrob_->trigger();
        QVERIFY(F->DialogsRun.isEmpty());
        w.CreateDocumentWindow(TEditor::Tgv);
        F->Settle();
        w.InsertGrob_->trigger();
        QCOMPARE(F->DialogsRun.size(), 1);
        QCOMPARE(F->DialogsRun.first(), static_cast<TFileDialogRegistry *>(w.OpenGrobDialog));
        QCOMPARE(w.OpenGrobDialog->windowTitle(), QStringLiteral("Open a grob"));
    }
};

QTEST_MAIN(TestToolbars)
#include "tst_toolbars.moc"
