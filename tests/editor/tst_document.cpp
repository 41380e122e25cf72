// The document model: a new document's state and notifications, the font slots and their glyph
// cache, and the picture table.
#include "helper_editor.h"
#include "u_Errors.h"
#include "u_utils.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <utility>

Q_DECLARE_METATYPE(TEditor)

class TestDocument : public QObject {
    Q_OBJECT

private slots:
    void newDocumentState()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "abc\ndef");
        ed->SetMenuChar('#');
        ed->SetModified(true);
        host.Flush();

        ed->NewDocument();
        QCOMPARE(ed->LineCount(), 1);
        QCOMPARE(ed->LineLength(0), 0);
        QCOMPARE(ed->CaretLine(), 0);
        QCOMPARE(ed->CaretCol(), 1);
        QVERIFY(!ed->Modified());
        QVERIFY(!ed->Selected());
        QVERIFY(ed->FileName().isEmpty());
        QCOMPARE(ed->FileSize(), 0);
        QCOMPARE(ed->MenuChar(), uint8_t('*'));
        QVERIFY(!ed->MenuWhenStarted());
        QVERIFY(ed->ExecuteWith().isEmpty());
        QCOMPARE(ed->CurrentAttr(), uint8_t(0));

        host.Deliver();
        QCOMPARE(host.Count(HPM_FONTSCHANGED), 1);
        QCOMPARE(host.Count(HPM_ATTRCHANGED), 1);
        QCOMPARE(host.LastArg(HPM_ATTRCHANGED), 0);
        QCOMPARE(host.Count(HPM_MODIFIEDCHANGED), 1);
    }

    void modifiedIsAnnouncedEvenWhenAlreadyClear()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        QVERIFY(!ed->Modified());
        ed->NewDocument();
        host.Deliver();
        QCOMPARE(host.Count(HPM_MODIFIEDCHANGED), 1);
    }

    void pendingNotificationsAreReplacedButFlagChangesAreNot()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        ed->SetCurrentAttr(1);
        ed->SetCurrentAttr(5);
        ed->SetFonts("tgvnormal", "tgvfnt1", "tgvmini");
        ed->SetFonts("tgvnormal", "tgvfnt1", "tgvmini");
        ed->SetModified(true);
        ed->SetModified(true); // no change, no notification
        ed->SetModified(false);
        QVERIFY(host.Notes.isEmpty()); // queued, not delivered during the operation
        host.Deliver();
        QCOMPARE(host.Count(HPM_ATTRCHANGED), 1);
        QCOMPARE(host.LastArg(HPM_ATTRCHANGED), 5);
        QCOMPARE(host.Count(HPM_FONTSCHANGED), 1);
        QCOMPARE(host.Count(HPM_MODIFIEDCHANGED), 2);
    }

    void lineEndReadsAsLineFeed()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "ab\ncd", stBold);
        QCOMPARE(ed->CharAt(1, 3), uint8_t(10));
        QCOMPARE(ed->AttrAt(1, 3), uint8_t(0));
        QCOMPARE(ed->CharAt(0, 3), uint8_t(10));
        QCOMPARE(ed->AttrAt(0, 2), uint8_t(stBold));
    }

    void positionsWalkAcrossLines()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "a\n\nb");
        int l = 0, c = 2;
        QVERIFY(ed->NextPos(l, c));
        QCOMPARE(std::pair(l, c), std::pair(1, 1));
        QVERIFY(ed->NextPos(l, c));
        QCOMPARE(std::pair(l, c), std::pair(2, 1));
        l = 2, c = 2;
        QVERIFY(!ed->NextPos(l, c));
        QVERIFY(ed->PrevPos(l, c));
        l = 1, c = 1;
        QVERIFY(ed->PrevPos(l, c));
        QCOMPARE(std::pair(l, c), std::pair(0, 2));
        l = 0, c = 1;
        QVERIFY(!ed->PrevPos(l, c));
        QCOMPARE(THPEdit2::ComparePos(1, 1, 0, 9), 1);
        QCOMPARE(THPEdit2::ComparePos(0, 2, 0, 3), -1);
        QCOMPARE(THPEdit2::ComparePos(2, 2, 2, 2), 0);
    }

    void changesAreReportedWithTheirLines()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "one\ntwo\nthree\nfour");
        THPDocument *doc = ed->Document();
        QSignalSpy changed(doc, &THPDocument::LinesChanged), inserted(doc, &THPDocument::LinesInserted),
            removed(doc, &THPDocument::LinesRemoved), replaced(doc, &THPDocument::LinesReplaced);
        // The editor follows the signals alone: its layout stays that of a layout from scratch.
        auto laidOutAsNew = [ed] {
            for (int i = 0; i <= ed->LineCount(); ++i)
                if (ed->LineTop(i) != (i == 0 ? 3 : ed->LineTop(i - 1) + ed->LineHeight(i - 1)))
                    return false;
            return true;
        };
        ed->InsertText(1, 2, QByteArray(1, 0), "a\nb\nc");
        QCOMPARE(inserted.takeFirst(), (QList<QVariant>{2, 2}));
        QCOMPARE(changed.takeLast(), (QList<QVariant>{1, 1})); // the cut line, after the insertion
        changed.clear();
        ed->DeleteRange(1, 1, 1, 3); // from "ta" through the "c" of "cwo"
        QCOMPARE(removed.takeFirst(), (QList<QVariant>{2, 2}));
        QCOMPARE(changed.takeLast(), (QList<QVariant>{1, 1}));
        changed.clear();
        QVERIFY(laidOutAsNew());
        // A line that becomes a picture changes height; the lines below move with it.
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::black);
        const int slot = ed->AddPicture(picture);
        doc->SetPictureLine(3, slot);
        QCOMPARE(changed.takeFirst(), (QList<QVariant>{3, 3}));
        QCOMPARE(ed->LineTop(4) - ed->LineTop(3), 60);
        QVERIFY(laidOutAsNew());
        ed->Undo();
        ed->Undo();
        QCOMPARE(replaced.count(), 2);
        QCOMPARE(Text(*ed), QByteArray("one\nta\nb\ncwo\nthree\nfour"));
        QVERIFY(laidOutAsNew());
        QVERIFY(inserted.isEmpty() && removed.isEmpty() && changed.isEmpty());
    }

    void fontsOfEachKind_data()
    {
        QTest::addColumn<TEditor>("kind");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("tgv") << TEditor::Tgv << QStringList{"tgvnormal", "tgvfnt1", "tgvmini", "tgvmini"};
        QTest::newRow("xview") << TEditor::Xview << QStringList{"XVDefault", "", "", ""};
        QTest::newRow("eden") << TEditor::Eden << QStringList{"XVDefault", "", "", ""};
        QTest::newRow("standard") << TEditor::Standard << QStringList{"XVDefault", "", "", ""};
        QTest::newRow("hp49") << TEditor::Hp49 << QStringList{"XVDefault", "", "", ""};
    }
    void fontsOfEachKind()
    {
        QFETCH(TEditor, kind);
        QFETCH(QStringList, names);
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Tgv);
        ed->SetEditor(kind);
        ed->NewDocument();
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(ed->FontNames(i), names[i]);
            QCOMPARE(ed->FontGrob(i) != nullptr, !names[i].isEmpty());
        }
    }

    void subscriptSlotSharesTheMiniFont()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Tgv);
        TGrob *mini = ed->FontGrob(2);
        QVERIFY(mini);
        QCOMPARE(ed->FontGrob(3), mini);
        QCOMPARE(mini->RefCount(), 2);
        mini->AddRef(); // watch the grob outlive the slots
        ed->ReleaseFont(2);
        QVERIFY(!ed->FontGrob(2));
        QCOMPARE(ed->FontGrob(3), mini);
        QCOMPARE(ed->FontNames(3), QString("tgvmini"));
        QCOMPARE(mini->RefCount(), 2);
        ed->ReleaseFont(3);
        QCOMPARE(mini->RefCount(), 1);
        TSharedObject::Release(mini);
    }

    void styledFontsAreBuiltOnceAndPlacedByTheFontBits()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Tgv);
        TGrobFont *bold = ed->StyledFont(stBold);
        QCOMPARE(ed->StyledFont(stBold), bold);
        QCOMPARE(bold->FStyle, uint8_t(stBold));
        QVERIFY(ed->StyledFont(fsFont1 | stBold) != bold);
        // The mini builder sees the placement bit of the whole attribute.
        QCOMPARE(ed->StyledFont(fsSubscript)->FStyle & fsSubscript, int(fsSubscript));
        QCOMPARE(ed->StyledFont(fsSuperscript)->FStyle & fsSuperscript, int(fsSuperscript));
        // An attribute leaning both ways reads as backslant and never indexes past the styles.
        TGrobFont *both = ed->StyledFont(0xFF);
        QCOMPARE(both, ed->StyledFont(fsFont1 | 0x17));
        QCOMPARE(both->FStyle, uint8_t(0x17));
    }

    void missingFontLeavesItsSlotEmptyAndDrawsBlank()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Xview);
        SetText(*ed, "abc");
        ed->SetDefaultFontXView("no such font");
        QVERIFY_THROWS_EXCEPTION(EFileError, ed->NewDocument());
        // The reset still happened: one empty line, and nothing half-built to draw with.
        QCOMPARE(ed->LineCount(), 1);
        QVERIFY(ed->FontNames(0).isEmpty());
        QVERIFY(!ed->FontGrob(0));
        QVERIFY(!ed->StyledFont(0)->HasStrip());
        host.Deliver();
        QCOMPARE(host.Count(HPM_FONTSCHANGED), 1);
        ed->InsertText(0, 1, QByteArray(1, 0), "xyz");
        const QImage shot = ed->RenderDocument();
        QCOMPARE(shot.pixel(3 + 5, 3 + 5), qRgb(255, 255, 255));
        // The next attempt tries the file again.
        ed->SetDefaultFontXView("XVDefault");
        ed->NewDocument();
        QVERIFY(ed->StyledFont(0)->HasStrip());
    }

    void subDirFont_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("stored");
        QTest::newRow("separator appended") << "fonts" << "fonts/";
        QTest::newRow("already ends with one") << "fonts/" << "fonts/";
        QTest::newRow("backslash becomes the separator") << "fonts\\" << "fonts/";
        QTest::newRow("empty stays empty") << "" << "";
    }
    void subDirFont()
    {
        QFETCH(QString, value);
        QFETCH(QString, stored);
        THPEdit2 ed(nullptr, TEditor::Standard);
        ed.SetSubDirFont(value);
        QCOMPARE(ed.SubDirFont(), stored);
    }

    void rightEdgeNotifiesEveryTime()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        int calls = 0;
        ed->OnRightEdgeChanged = [&] { ++calls; };
        ed->SetRightEdge(33);
        QCOMPARE(calls, 1);
        ed->SetRightEdge(33);
        QCOMPARE(calls, 2);
        QCOMPARE(ed->RightEdgeX(), 397);
    }

    void identicalPicturesShareASlot()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        QImage a(10, 4, QImage::Format_RGB32);
        a.fill(Qt::white);
        a.setPixel(2, 1, qRgb(0, 0, 0));
        QImage b = a.convertToFormat(QImage::Format_Mono); // same pixels, other format
        QImage c = a.copy();
        c.setPixel(3, 1, qRgb(0, 0, 0));

        const int s1 = ed->AddPicture(a);
        QCOMPARE(s1, 1);
        QCOMPARE(ed->AddPicture(b), 1);
        QCOMPARE(ed->PictureUses(1), 2);
        QCOMPARE(ed->AddPicture(c), 2);
        ed->ReleasePicture(1);
        QVERIFY(ed->Picture(1));
        ed->ReleasePicture(1);
        QVERIFY(!ed->Picture(1));
        // The freed slot is the first taken again.
        QCOMPARE(ed->AddPicture(a), 1);
    }

    void a256thDistinctPictureIsRefused()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        auto picture = [](int n) {
            QImage image(8, 2, QImage::Format_RGB32);
            image.fill(Qt::white);
            for (int bit = 0; bit < 16; ++bit)
                if (n >> bit & 1)
                    image.setPixel(bit % 8, bit / 8, qRgb(0, 0, 0));
            return image;
        };
        for (int n = 0; n < THPEdit2::PictureSlotCount; ++n)
            QCOMPARE(ed->AddPicture(picture(n)), n + 1);
        QVERIFY_THROWS_EXCEPTION(EErrorLoading, ed->AddPicture(picture(999)));
        // Nothing changed, and a picture already there is still shared.
        QCOMPARE(ed->PictureUses(255), 1);
        QCOMPARE(ed->AddPicture(picture(7)), 8);
    }

    void picturesAreFreedWithTheDocument()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        const int line = AddPictureLine(*ed, 20, 10);
        QVERIFY(ed->PictureOfLine(line));
        QVERIFY(!ed->PictureOfLine(0));
        ed->NewDocument();
        QVERIFY(!ed->Picture(1));
    }
};

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
