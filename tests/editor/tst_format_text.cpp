// "%%HP:" transfer text: the bytes written for each kind, and what the XView/Eden, HP49 and plain
// readers make of a file.
#include "helper_editor.h"
#include "helper_formats.h"
#include "u_Errors.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TEditor)

namespace {
const QByteArray Prefix = "%%HP: T(1);";
QByteArray Bytes(std::initializer_list<int> Values)
{
    QByteArray b;
    for (int v : Values)
        b.append(char(v));
    return b;
}
} // namespace

class TestFormatText : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString Path(const QString &Name) const { return FDir.filePath(Name); }

private slots:
    void writtenBytes_data()
    {
        QTest::addColumn<TEditor>("kind");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("attrs");
        QTest::addColumn<QString>("executeWith");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("xview reverse closed at the line end, program brackets")
            << TEditor::Xview << QByteArray("ab\nc") << Bytes({0, 4, 0, 0}) << "XV"
            << Prefix + Bytes({0xAB, 13, 10, 34, 'a', 11, 'I', 'b', 11, 'I', 13, 10, 'c', 34, 'X', 'V', 0xBB});
        QTest::newRow("no program name, no brackets")
            << TEditor::Xview << QByteArray("ab\nc") << Bytes({0, 4, 0, 0}) << ""
            << Prefix + Bytes({13, 10, 34, 'a', 11, 'I', 'b', 11, 'I', 13, 10, 'c', 34});
        QTest::newRow("program name trimmed of blanks and controls")
            << TEditor::Eden << QByteArray("x") << Bytes({0}) << " \tEDEN \n"
            << Prefix + Bytes({0xAB, 13, 10, 34, 'x', 34, 'E', 'D', 'E', 'N', 0xBB});
        QTest::newRow("blank program name counts as none")
            << TEditor::Xview << QByteArray("x") << Bytes({0}) << "  "
            << Prefix + Bytes({13, 10, 34, 'x', 34});
        QTest::newRow("xview closes reverse then underline, bold is reopened")
            << TEditor::Xview << QByteArray("a\nb") << Bytes({7, 0, 1})
            << "" << Prefix + Bytes({13, 10, 34, 11, 'I', 11, 'B', 11, 'U', 'a', 11, 'I', 11, 'U', 13, 10, 11, 'B', 'b', 34});
        QTest::newRow("xview writes no italic, eden does")
            << TEditor::Xview << QByteArray("ab") << Bytes({8, 0}) << "" << Prefix + Bytes({13, 10, 34, 'a', 'b', 34});
        QTest::newRow("eden italic and bold, only reverse closed at the line end")
            << TEditor::Eden << QByteArray("ab\nc") << Bytes({8, 13, 0, 0})
            << "" << Prefix + Bytes({13, 10, 34, 11, '/', 'a', 11, 'I', 11, 'B', 'b', 11, 'I', 13, 10, 'c', 34});
        QTest::newRow("hp49 bold over a line end is written once")
            << TEditor::Hp49 << QByteArray("ab\ncd") << Bytes({0, 1, 0, 1, 0})
            << "" << Prefix + Bytes({13, 10, 34, 'a', 19, 1, 19, 'b', 13, 10, 'c', 19, 1, 19, 'd', 34});
        QTest::newRow("hp49 codes in the order reverse, bold, underline, italic")
            << TEditor::Hp49 << QByteArray("a") << Bytes({15})
            << "" << Prefix + Bytes({13, 10, 34, 19, 4, 19, 19, 1, 19, 19, 3, 19, 19, 2, 19, 'a', 34});
        QTest::newRow("quote and refused codes dropped, their style codes kept")
            << TEditor::Xview << QByteArray("a\"\x0B" "b") << Bytes({0, 1, 0, 0})
            << "" << Prefix + Bytes({13, 10, 34, 'a', 11, 'B', 11, 'B', 'b', 34});
        QTest::newRow("hp49 drops its escape byte and codes below 5")
            << TEditor::Hp49 << QByteArray("\x03\x13\x05\"z") << Bytes({0, 0, 0, 0, 0})
            << "" << Prefix + Bytes({13, 10, 34, 5, 'z', 34});
        const QByteArray run = "abcdefghijklmnopqrstuvwxyz";
        QTest::newRow("long plain hp49 lines: refused codes dropped anywhere")
            << TEditor::Hp49 << run + "\x13" + run + "\x03\n" + run << QByteArray(3 * 26 + 3, '\0') << ""
            << Prefix + "\r\n\"" + run + run + "\r\n" + run + "\"";
        QTest::newRow("fonts and backslant are not written")
            << TEditor::Eden << QByteArray("abc") << Bytes({0x20, 0x10, 0x40}) << "" << Prefix + Bytes({13, 10, 34, 'a', 'b', 'c', 34});
        QTest::newRow("codes 128..255 as they are")
            << TEditor::Xview << QByteArray("\x80\xAB\xBB\xFF") << Bytes({0, 0, 0, 0})
            << "" << Prefix + Bytes({13, 10, 34, 0x80, 0xAB, 0xBB, 0xFF, 34});
        QTest::newRow("empty document")
            << TEditor::Hp49 << QByteArray() << QByteArray() << "" << Prefix + Bytes({13, 10, 34, 34});
    }

    void writtenBytes()
    {
        QFETCH(TEditor, kind);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, attrs);
        QFETCH(QString, executeWith);
        QFETCH(QByteArray, expected);
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Tgv);
        SetStyled(*ed, text, attrs);
        QCOMPARE(Attrs(*ed).size(), attrs.size()); // nothing refused on the way in
        const QString file = Path("out.txt");
        QCOMPARE(ed->SaveText(file, kind, executeWith), qint64(expected.size()));
        QCOMPARE(ReadWholeFile(file), expected);
        QCOMPARE(ed->FileSize(), qint64(expected.size()));
        QCOMPARE(ed->ExecuteWith(), executeWith.trimmed());
        QCOMPARE(ed->FileName(), file);
        QVERIFY(!ed->Modified());
    }

    void pictureLinesAreLeftOutOfText()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Tgv);
        SetStyled(*ed, "a", Bytes({4}));
        AddPictureLine(*ed, 8, 8);
        ed->InsertText(2, 1, Bytes({4}), "b");
        ed->SaveText(Path("pic.xv"), TEditor::Xview, "");
        // The picture's line is an empty line of the text; reverse opens again after it.
        QCOMPARE(ReadWholeFile(Path("pic.xv")),
                 Prefix + Bytes({13, 10, 34, 11, 'I', 'a', 11, 'I', 13, 10, 13, 10, 11, 'I', 'b', 34}));
    }

    void readDocument_data()
    {
        QTest::addColumn<TEditor>("kind");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("attrs");
        QTest::addColumn<QString>("executeWith");

        QTest::newRow("xview with program brackets")
            << TEditor::Xview << Prefix + Bytes({0xAB, 13, 10, 34, 'a', 11, 'I', 'b', 11, 'I', 13, 10, 'c', 34, 'X', 'V', 0xBB})
            << QByteArray("ab\nc") << Bytes({0, 4, 0, 0}) << "XV";
        QTest::newRow("program name without closing bracket")
            << TEditor::Xview << Prefix + "\r\n\"ab\" XV " << QByteArray("ab") << Bytes({0, 0}) << "XV";
        QTest::newRow("nothing after the closing bracket is read")
            << TEditor::Eden << Prefix + "\"x\"\r\nEDEN\xBB junk" << QByteArray("x") << Bytes({0}) << "EDEN";
        QTest::newRow("no quote at all: empty document")
            << TEditor::Xview << Prefix + "\r\nabc" << QByteArray() << QByteArray() << "";
        QTest::newRow("no closing quote: text to the end, no program")
            << TEditor::Xview << Prefix + "\"ab\nc" << QByteArray("ab\nc") << Bytes({0, 0, 0, 0}) << "";
        QTest::newRow("a line end starts the next line plain")
            << TEditor::Xview << Prefix + "\"\x0B" "Ba\nb\x0B" "Bc\"" << QByteArray("a\nbc") << Bytes({1, 0, 0, 1}) << "";
        QTest::newRow("double escape, unknown code and escaped line feed dropped")
            << TEditor::Eden << Prefix + "\"\x0B\x0B" "Ba\x0Bxb\x0B\nc\"" << QByteArray("abc") << Bytes({1, 1, 1}) << "";
        QTest::newRow("xview window strips italic")
            << TEditor::Xview << Prefix + "\"\x0B/a\x0B" "Ub\"" << QByteArray("ab") << Bytes({0, 2}) << "";
        QTest::newRow("eden window keeps italic")
            << TEditor::Eden << Prefix + "\"\x0B/a\x0B/b\"" << QByteArray("ab") << Bytes({8, 0}) << "";
        QTest::newRow("carriage returns vanish, other header bytes untouched")
            << TEditor::Xview << QByteArray("%%HP: T(3)A(D)F(.);\r\n\"a\xE0\r\nb\"") << QByteArray("a\xE0\nb") << Bytes({0, 0, 0, 0}) << "";
        QTest::newRow("hp49 styles run over line ends")
            << TEditor::Hp49 << Prefix + Bytes({13, 10, 34, 'a', 19, 1, 19, 'b', 13, 10, 'c', 19, 1, 19, 'd', 34, 'X', 'V'})
            << QByteArray("ab\ncd") << Bytes({0, 1, 0, 1, 0}) << "";
        QTest::newRow("hp49 several codes between two escapes")
            << TEditor::Hp49 << Prefix + Bytes({34, 19, 1, 2, 9, 4, 19, 'a', 19, 3, 19, 'b', 34})
            << QByteArray("ab") << Bytes({13, 15}) << "";
        // Long lines are scanned many bytes at a time: codes and refused characters anywhere in them.
        const QByteArray run = "abcdefghijklmnopqrstuvwxyz";
        QTest::newRow("long xview lines with codes and refused characters")
            << TEditor::Xview << Prefix + "\"" + run + "\x0B" "B" + run.left(5) + '\0' + run + "\x02" "\r\n" + run + "\""
            << run + run.left(5) + run + '\n' + run
            << QByteArray(26, '\0') + QByteArray(31, '\x01') + QByteArray(27, '\0') << "";
        QByteArray shortLines;
        for (int i = 0; i < 40; ++i)
            shortLines += "ab\n";
        QTest::newRow("mostly short plain lines and a long one")
            << TEditor::Xview << Prefix + "\"" + shortLines + run + "\"" << shortLines + run
            << QByteArray(shortLines.size() + run.size(), '\0') << "";
        QTest::newRow("long hp49 line with its own refused codes")
            << TEditor::Hp49 << Prefix + "\"" + run + Bytes({19, 4, 19, 3}) + run + Bytes({1}) + run + "\""
            << run + run + run << QByteArray(26, '\0') + QByteArray(52, '\x04') << "";
        // What the calculator sends in binary mode: header, string prolog, length, characters.
        const auto binary = [](const char *Header, const QByteArray &Chars) {
            return QByteArray(Header) + Nibbles({0x02A2C, int(2 * Chars.size() + 5)}) + Chars;
        };
        QTest::newRow("binary xview: a quote is a character, padding after the string ignored")
            << TEditor::Xview << binary("HPHP48-E", "a\x0BIb\"c\nd") + QByteArray(3, '\x1A')
            << QByteArray("abc\nd") << Bytes({0, 4, 4, 0, 0}) << "";
        QTest::newRow("binary eden keeps italic")
            << TEditor::Eden << binary("HPHP48-X", "\x0B/ab") << QByteArray("ab") << Bytes({8, 8}) << "";
        QTest::newRow("binary hp49 string")
            << TEditor::Hp49 << binary("HPHP49-C", Bytes({19, 1, 19, 'a', 10, 'b'})) << QByteArray("a\nb") << Bytes({1, 0, 1}) << "";
        QTest::newRow("binary empty string") << TEditor::Xview << binary("HPHP49-W", "") << QByteArray() << QByteArray() << "";
        QTest::newRow("plain file: attribute 0 for everything")
            << TEditor::Xview << QByteArray("hello\x0B" "B\r\n\"world\"") << QByteArray("hello\x0B" "B\n\"world\"").replace('\x0B', "").replace('"', "")
            << QByteArray(12, '\0') << "";
    }

    void readDocument()
    {
        QFETCH(TEditor, kind);
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, attrs);
        QFETCH(QString, executeWith);
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, kind);
        SetStyled(*ed, "old", Bytes({1, 1, 1}));
        const QString path = Path("in.txt");
        WriteWholeFile(path, file);
        QCOMPARE(ed->LoadText(path, kind), qint64(file.size()));
        QCOMPARE(Text(*ed), text);
        QByteArray expectAttrs = attrs;
        for (qsizetype i = 0; i < text.size(); ++i)
            if (text[i] == '\n')
                expectAttrs[i] = 0;
        QCOMPARE(Attrs(*ed), expectAttrs);
        QCOMPARE(ed->ExecuteWith(), executeWith);
        QCOMPARE(ed->FileSize(), qint64(file.size()));
        QCOMPARE(ed->FileName(), path);
        QVERIFY(!ed->Modified());
        QCOMPARE(ed->CaretLine(), 0);
        QCOMPARE(ed->CaretCol(), 1);
    }

    // A binary string whose length does not fit its data is refused, never read past its end.
    void binaryStringLengthChecked_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        const auto head = [](int Length) { return "HPHP48-E" + Nibbles({0x02A2C, Length}); };
        QTest::newRow("cut inside the characters") << head(2 * 4 + 5) + "abc" << "a length field points past the end of the file";
        QTest::newRow("cut inside the length") << head(13).left(11) << "the file ends early";
        QTest::newRow("half a character") << head(2 * 2 + 4) + "ab" << "not a calculator object";
        QTest::newRow("shorter than its own length") << head(3) << "not a calculator object";
    }
    void binaryStringLengthChecked()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Xview);
        WriteWholeFile(Path("cut.xv"), file);
        try {
            ed->LoadText(Path("cut.xv"), TEditor::Xview);
            QFAIL("a damaged string loaded");
        } catch (const EErrorLoading &e) {
            QCOMPARE(e.Reason(), reason);
        }
    }

    // A file too short for the header holds plain text, an empty one an empty document; a file
    // that cannot be read says why.
    void shortFilesOpenAsText()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Eden);
        for (const QByteArray &file : {QByteArray("%%HP"), QByteArray("a"), QByteArray()}) {
            WriteWholeFile(Path("short.eden"), file);
            QCOMPARE(ed->LoadText(Path("short.eden"), TEditor::Eden), qint64(file.size()));
            QCOMPARE(Text(*ed), file);
            QVERIFY(!ed->Modified());
        }
        try {
            ed->LoadText(Path("missing.xv"), TEditor::Xview);
            QFAIL("a missing file loaded");
        } catch (const EErrorLoading &e) {
            QCOMPARE(e.Message(), QStringLiteral("Error while loading file"));
            QCOMPARE(e.Reason(), QStringLiteral("does not exist"));
        }
    }
};

QTEST_MAIN(TestFormatText)
#include "tst_format_text.moc"
