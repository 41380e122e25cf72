// The attribute-byte rules and the kinds' character filters, without any widget.
#include "u_EditorAttrs.h"

#include <QTest>

Q_DECLARE_METATYPE(TEditor)

class TestEditorAttrs : public QObject {
    Q_OBJECT

private slots:
    void fontIndex_data()
    {
        QTest::addColumn<int>("attr");
        QTest::addColumn<int>("index");
        QTest::newRow("normal") << 0x1F << 0;
        QTest::newRow("font 1") << 0x21 << 1;
        QTest::newRow("superscript") << 0x40 << 2;
        QTest::newRow("subscript") << 0x80 << 3;
        QTest::newRow("font 1 wins over the mini bits") << 0xE0 << 1;
        QTest::newRow("superscript wins over subscript") << 0xC0 << 2;
    }
    void fontIndex()
    {
        QFETCH(int, attr);
        QFETCH(int, index);
        QCOMPARE(FontIndex(uint8_t(attr)), index);
        uint8_t a = uint8_t(attr & AttrStyleMask) | 0x80;
        SetFontBits(a, index);
        QCOMPARE(a, uint8_t((attr & AttrStyleMask) | FontBits[index]));
    }

    void toggleStyleBit_data()
    {
        QTest::addColumn<int>("attr");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("wasSet");
        QTest::newRow("bold on") << 0x20 << 0x01 << 0x21 << false;
        QTest::newRow("bold off") << 0x21 << 0x01 << 0x20 << true;
        QTest::newRow("backslant replaces italic") << 0x08 << 0x10 << 0x10 << false;
        QTest::newRow("italic replaces backslant") << 0x13 << 0x08 << 0x0B << false;
        QTest::newRow("italic off") << 0x08 << 0x08 << 0x00 << true;
        QTest::newRow("font bits of the value ignored") << 0x00 << 0x42 << 0x02 << false;
    }
    void toggleStyleBit()
    {
        QFETCH(int, attr);
        QFETCH(int, bits);
        QFETCH(int, result);
        QFETCH(bool, wasSet);
        uint8_t a = uint8_t(attr);
        QCOMPARE(ToggleStyleBit(a, uint8_t(bits)), wasSet);
        QCOMPARE(int(a), result);
    }

    void applyStyle_data()
    {
        QTest::addColumn<int>("attr");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("result");
        QTest::newRow("0 selects the normal font") << 0x45 << 0x00 << 0x05;
        QTest::newRow("font 1 keeps the style") << 0x45 << 0x20 << 0x25;
        QTest::newRow("subscript") << 0x01 << 0x80 << 0x81;
        QTest::newRow("a style toggles") << 0x25 << 0x04 << 0x21;
    }
    void applyStyle()
    {
        QFETCH(int, attr);
        QFETCH(int, value);
        QFETCH(int, result);
        uint8_t a = uint8_t(attr);
        ApplyStyle(a, uint8_t(value));
        QCOMPARE(int(a), result);
    }

    void stripAttrs_data()
    {
        QTest::addColumn<TEditor>("kind");
        QTest::addColumn<int>("attr");
        QTest::addColumn<int>("result");
        QTest::newRow("xview drops fonts and italic") << TEditor::Xview << 0x2F << 0x07;
        QTest::newRow("xview drops backslant") << TEditor::Xview << 0x11 << 0x01;
        QTest::newRow("eden keeps italic") << TEditor::Eden << 0x4F << 0x0F;
        QTest::newRow("eden: both slants leave the italic") << TEditor::Eden << 0x18 << 0x08;
        QTest::newRow("hp49 drops backslant") << TEditor::Hp49 << 0x97 << 0x07;
        QTest::newRow("standard keeps nothing") << TEditor::Standard << 0xFF << 0x00;
        QTest::newRow("tgv keeps everything") << TEditor::Tgv << 0x97 << 0x97;
        QTest::newRow("tgv: both slants keep the backslant") << TEditor::Tgv << 0x3F << 0x37;
    }
    void stripAttrs()
    {
        QFETCH(TEditor, kind);
        QFETCH(int, attr);
        QFETCH(int, result);
        QByteArray attrs(3, char(attr));
        StripAttrs(attrs, kind);
        QCOMPARE(attrs, QByteArray(3, char(result)));
    }

    void isCharAllowed_data()
    {
        QTest::addColumn<TEditor>("kind");
        QTest::addColumn<QByteArray>("refused");
        QTest::newRow("tgv") << TEditor::Tgv << QByteArray("\x00\x01\x02\x0D", 4);
        QTest::newRow("xview") << TEditor::Xview << QByteArray("\x00\x02\x0B\x0D\x22", 5);
        QTest::newRow("eden") << TEditor::Eden << QByteArray("\x00\x02\x0B\x0D\x22", 5);
        QTest::newRow("standard") << TEditor::Standard << QByteArray("\x00\x02\x0D", 3);
        QTest::newRow("hp49") << TEditor::Hp49 << QByteArray("\x00\x01\x02\x03\x04\x0D\x13\x22", 8);
    }
    void isCharAllowed()
    {
        QFETCH(TEditor, kind);
        QFETCH(QByteArray, refused);
        for (int c = 0; c < 256; ++c)
            QVERIFY2(IsCharAllowed(uint8_t(c), kind) != refused.contains(char(c)), qPrintable(QString::number(c)));
    }

    void unknownKindRefusesEverything()
    {
        for (int c = 0; c < 256; ++c)
            QVERIFY(!IsCharAllowed(uint8_t(c), TEditor(5)));
    }

    void defaultExecuteWith()
    {
        QCOMPARE(DefaultExecuteWith(TEditor::Tgv), QString("TGV"));
        QCOMPARE(DefaultExecuteWith(TEditor::Xview), QString("XV"));
        QCOMPARE(DefaultExecuteWith(TEditor::Eden), QString("EDEN"));
        QVERIFY(DefaultExecuteWith(TEditor::Standard).isEmpty());
        QVERIFY(DefaultExecuteWith(TEditor::Hp49).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestEditorAttrs)
#include "tst_editorattrs.moc"
