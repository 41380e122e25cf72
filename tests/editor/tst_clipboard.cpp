// The clipboard: text beside its attributes, round trips between document kinds, text from other
// programs, and pictures.
#include "helper_editor.h"
#include "u_CalcCharset.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>

Q_DECLARE_METATYPE(TEditor)

namespace {
QClipboard *Clip()
{
    return QGuiApplication::clipboard();
}

void PutForeign(const QByteArray &Text, const QByteArray &Attrs)
{
    auto *data = new QMimeData;
    data->setText(QString::fromLatin1(Text));
    if (!Attrs.isNull())
        data->setData(THPEdit2::ClipboardFormat, Attrs);
    Clip()->setMimeData(data);
}
} // namespace

class TestClipboard : public QObject {
    Q_OBJECT

private slots:
    void copyThenPasteIntoEachKind_data()
    {
        QTest::addColumn<TEditor>("kind");
        QTest::addColumn<QByteArray>("attrs"); // of the pasted a b and c
        QTest::newRow("tgv keeps all") << TEditor::Tgv << QByteArray("\x21\x50\x0b", 3);
        QTest::newRow("xview: no fonts, no slants") << TEditor::Xview << QByteArray("\x01\x00\x03", 3);
        QTest::newRow("eden: no fonts, no backslant") << TEditor::Eden << QByteArray("\x01\x00\x0b", 3);
    }

    void copyThenPasteIntoEachKind()
    {
        QFETCH(TEditor, kind);
        QFETCH(QByteArray, attrs);
        THostWidget host1, host2;
        THPEdit2 *from = NewEditor(host1);
        SetText(*from, "a\xa9\ncd");
        from->Document()->SetAttrs(0, 1, QByteArray("\x21\x50", 2));
        from->Document()->SetAttrs(1, 1, QByteArray("\x0b\x00", 2));
        from->SelectRange(0, 1, 2, 1); // a, ©, the line end, c
        from->CopyToClipboard();
        QCOMPARE(Clip()->text(), QString::fromLatin1("a\xa9\r\nc"));
        QCOMPARE(Clip()->mimeData()->data(THPEdit2::ClipboardFormat), QByteArray("\x21\x50\r\n\x0b\x00", 6));

        THPEdit2 *to = NewEditor(host2, kind);
        to->PasteFromClipboard();
        QCOMPARE(Text(*to), QByteArray("a\xa9\nc"));
        QCOMPARE(to->Line(0).Attrs() + to->Line(1).Attrs(), attrs);
    }

    void textFromOtherPrograms()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "xy");
        ed->SelectRange(0, 1, 2, 0); // replaced
        PutForeign("ab\r\ncd", QByteArray());
        ed->PasteFromClipboard();
        QCOMPARE(Text(*ed), QByteArray("ab\ncdy"));
        QCOMPARE(ed->Line(1).Attrs(), QByteArray(3, 0));
        // Attributes for fewer characters than the text, one leaning both ways, two fonts at once.
        PutForeign("efg", QByteArray("\x19\x60", 2));
        ed->PasteFromClipboard();
        QCOMPARE(ed->Line(1).Attrs(), QByteArray("\x00\x00\x11\x20\x00\x00", 6));
        QCOMPARE(ed->StyledFont(0xFF), ed->StyledFont(0xF7)); // a stray byte never indexes past 24 styles
    }

    void plainTextIsUnicode()
    {
        // Every code has a character of its own, so plain text alone brings each one back.
        for (int code = 0; code < 256; ++code)
            QCOMPARE(CodeOfUnicode(UnicodeOfCode(uint8_t(code))), code);
        QCOMPARE(UnicodeNameOfCode(141), QString("RIGHTWARDS ARROW"));

        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Tgv);
        QStringList notes;
        ed->OnStatus = [&notes](const QString &Text) { notes << Text; };
        SetText(*ed, "\x8d\x8e\x87\x1f");
        ed->SelectAll();
        ed->CopyToClipboard();
        QCOMPARE(Clip()->text(), QString::fromUtf8("→←π…"));
        ed->ClearSelection();
        ed->MoveCaretTo(0, -1, true);
        ed->PasteFromClipboard();
        QCOMPARE(Text(*ed), QByteArray("\x8d\x8e\x87\x1f\x8d\x8e\x87\x1f"));
        QVERIFY(notes.isEmpty());
        // From another program: what the calculator lacks is left out and counted.
        SetText(*ed, "");
        Clip()->setText(QString::fromUtf8("x≤2€ ∑✓"));
        ed->PasteFromClipboard();
        QCOMPARE(Text(*ed), QByteArray("x\x89" "2 \x85"));
        QCOMPARE(notes, QStringList{"2 characters have no calculator equivalent"});
        // Typographic punctuation comes in as the plain sign. A string document cannot hold the quote
        // that “ becomes: it is left out, and so said, unlike the CR of a CR LF.
        THostWidget xvHost;
        THPEdit2 *xv = NewEditor(xvHost, TEditor::Xview);
        xv->OnStatus = ed->OnStatus;
        notes.clear();
        Clip()->setText(QString::fromUtf8("don’t – 1−2 “hi”\r\n€"));
        xv->PasteFromClipboard();
        QCOMPARE(Text(*xv), QByteArray("don't - 1-2 hi\n"));
        QCOMPARE(notes, QStringList{"1 character has no calculator equivalent; 2 characters this kind of document cannot hold were left out"});
    }

    void pasteReplacesTheSelection()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Xview);
        SetText(*ed, "a12b");
        PutForeign("xy", QByteArray());
        ed->SelectRange(0, 2, 4, 0);
        ed->PasteFromClipboard();
        QCOMPARE(Text(*ed), QByteArray("axyb"));
        // Nothing the kind can hold: the selection stays.
        PutForeign("\"", QByteArray());
        ed->SelectRange(0, 2, 4, 0);
        ed->PasteFromClipboard();
        QCOMPARE(Text(*ed), QByteArray("axyb"));
        QVERIFY(ed->Selected());
    }

    void pictures()
    {
        THostWidget host1, host2;
        THPEdit2 *tgv = NewEditor(host1);
        THPEdit2 *xv = NewEditor(host2, TEditor::Xview);
        const int pic = AddPictureLine(*tgv, 12, 7);
        tgv->SelectRange(pic, 1, 2, pic);
        tgv->CopyToClipboard();
        QCOMPARE(Clip()->image().convertToFormat(QImage::Format_RGB32), tgv->PictureBitmap(pic));
        QVERIFY(!xv->CanPaste());
        QVERIFY(tgv->CanPaste());
        tgv->ClearSelection();
        tgv->MoveCaretTo(tgv->LineCount() - 1, 1, true);
        tgv->PasteFromClipboard();
        QCOMPARE(tgv->PictureUses(uint8_t(tgv->Line(tgv->CaretLine()).Attrs()[0])), 2); // the same picture, shared

        auto *both = new QMimeData;
        both->setImageData(tgv->PictureBitmap(pic));
        both->setText("alt");
        Clip()->setMimeData(both);
        xv->PasteFromClipboard();
        QCOMPARE(Text(*xv), QByteArray("alt"));
    }
};

QTEST_MAIN(TestClipboard)
#include "tst_clipboard.moc"
