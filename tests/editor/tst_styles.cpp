// Style and font commands on a selection and on the typing attribute.
#include "helper_editor.h"

#include <QTest>

Q_DECLARE_METATYPE(TEditor)

class TestStyles : public QObject {
    Q_OBJECT

private slots:
    void onSelection()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "abcd\nx");
        ed->Document()->SetAttrs(0, 1, QByteArray("\x01\x00\x11\x42", 4));
        ed->SelectRange(0, 1, 2, 1); // over the line end, which has no attribute
        ed->ToggleStyle(stBold);     // some bold: all become bold
        QCOMPARE(ed->Line(0).Attrs(), QByteArray("\x01\x01\x11\x43", 4));
        QCOMPARE(ed->Line(1).Attrs(), QByteArray("\x01"));
        ed->ToggleStyle(stBold); // all bold: none stay bold
        QCOMPARE(ed->Line(0).Attrs(), QByteArray("\x00\x00\x10\x42", 4));
        ed->ToggleStyle(stItalic); // the backslant gives way
        QCOMPARE(ed->Line(0).Attrs(), QByteArray("\x08\x08\x08\x4a", 4));
        for (int i = 0; i < 2; ++i) // a font command selects, never toggles off
            ed->ToggleStyle(fsSubscript);
        QCOMPARE(ed->Line(0).Attrs(), QByteArray("\x88\x88\x88\x8a", 4));
        QVERIFY(ed->Selected());
        QVERIFY(ed->Modified());
        host.Deliver();
        QCOMPARE(host.LastArg(HPM_ATTRCHANGED), 0x88);
    }

    void onTypingAttribute()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        ed->ToggleStyle(stBold);
        host.Deliver();
        QCOMPARE(host.LastArg(HPM_ATTRCHANGED), 1);
        QVERIFY(!ed->Modified());
        QTest::keyClicks(ed, "hi");
        QCOMPARE(ed->Line(0).Attrs(), QByteArray("\x01\x01"));
    }

    void kindsIgnoreWhatTheyCannotStore_data()
    {
        QTest::addColumn<TEditor>("kind");
        QTest::addColumn<uint8_t>("value");
        QTest::newRow("xview font 1") << TEditor::Xview << uint8_t(fsFont1);
        QTest::newRow("xview italic") << TEditor::Xview << uint8_t(stItalic);
        QTest::newRow("eden backslant") << TEditor::Eden << uint8_t(stBackslant);
    }

    void kindsIgnoreWhatTheyCannotStore()
    {
        QFETCH(TEditor, kind);
        QFETCH(uint8_t, value);
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, kind);
        ed->ToggleStyle(value);
        QCOMPARE(ed->CurrentAttr(), uint8_t(0));
        SetText(*ed, "abc");
        ed->SetModified(false);
        ed->SelectAll();
        ed->ToggleStyle(value);
        QCOMPARE(ed->Line(0).Attrs(), QByteArray(3, 0));
        QVERIFY(!ed->Modified());
    }
};

QTEST_MAIN(TestStyles)
#include "tst_styles.moc"
