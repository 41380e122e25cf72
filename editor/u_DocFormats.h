#pragma once
// The document file formats as plain bytes: "%%HP:" transfer text (XView, Eden, HP49), TGV
// program objects and plain files. Readers turn a file image into the text, attributes, pictures
// and options the editor then inserts; writers turn the document's lines into a file image. No
// widget is involved, so tests and fuzz targets call these directly.
#include "u_EditorAttrs.h"
#include "u_LargePages.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <vector>

// What a reader found in a file, in the order the editor inserts it.
struct TReadDocument {
    // Characters with one attribute each, or no attributes at all when every character is plain;
    // a byte 10 is a line end.
    TLargeBuffer Text;
    TLargeBuffer Attrs;
    // The bitwise or of every attribute in Attrs; the text readers narrow it from "any".
    uint8_t StylesUsed = 0xFF;
    // A picture shown after the first At bytes of Text; Entry indexes Bitmaps.
    struct TPictureAt {
        qsizetype At;
        int Entry;
    };
    std::vector<TPictureAt> Pictures;
    // The pictures of a TGV file in file order; only those a picture code refers to are converted,
    // the others stay null.
    std::vector<QImage> Bitmaps;
    QString ExecuteWith;
    uint8_t MenuChar = 42;
    bool MenuWhenStarted = false;
};

// Files begin with this when they are calculator transfer text.
constexpr QByteArrayView TextFormHeader = "%%HP:";
constexpr QByteArrayView TextFormPrefix = "%%HP: T(1);";
// The calculator's program brackets around the command that shows the document.
constexpr uint8_t ProgramOpen = 0xAB;
constexpr uint8_t ProgramClose = 0xBB;
constexpr uint8_t CharQuote = 34;
constexpr uint8_t XViewEscape = 11;
constexpr uint8_t Hp49Escape = 19;

// Byte offset of the TGV string body; the string's prolog and length stand just before it.
constexpr int TgvStringOffset = 13;
constexpr int TgvBodyOffset = 18;
// The largest string body a 5-nibble length can describe (2 × n + 5 <= 0xFFFFF).
constexpr qsizetype TgvMaxBody = (0xFFFFF - 5) / 2;
// The largest grob rows a 5-nibble length can describe (2 × rows + 15 <= 0xFFFFF).
constexpr qsizetype TgvMaxGrobRows = (0xFFFFF - 15) / 2;
constexpr int TgvTailLength = 13;
extern const char TgvTailHP48[TgvTailLength];
extern const char TgvTailHP49[TgvTailLength];

// Removes leading and trailing blanks and control characters (every byte up to 32).
QByteArray TrimCalc(QByteArrayView Text);

// Text-form readers. The data starts with "%%HP:"; everything up to the first double quote is
// header. Hp49 selects the HP49 string codes, otherwise the XView/Eden codes are read. These three
// readers may be given Doc.Text's own bytes: the text is then written over the data, never ahead
// of what has been read.
void ReadTextForm(QByteArrayView Data, bool Hp49, TReadDocument &Doc);
// Every byte a character with attribute 0.
void ReadPlain(QByteArrayView Data, TReadDocument &Doc);
// Whether Data starts like a calculator binary file ("HPHP48-" or "HPHP49-").
bool HasCalcHeader(QByteArrayView Data);
// Whether Data is a calculator binary file holding a string: the 8-byte header ("HPHP48-" or
// "HPHP49-" and one more byte), then the string prolog. What the calculator sends in binary mode
// for an XView, Eden or HP49 document.
bool IsCalcStringFile(QByteArrayView Data);
// Reads the string of such a file with the same codes as ReadTextForm; bytes after the string are
// ignored. Raises EErrorLoading when the length does not fit the data.
void ReadCalcString(QByteArrayView Data, bool Hp49, TReadDocument &Doc);
// Whether Data is a TGV file (at least 13 bytes, "HPHP48-" or "HPHP49-" at the start).
bool IsTgvFile(QByteArrayView Data);
// Whether it also holds a TGV document: the string prolog where ReadTgv looks for it.
bool HoldsTgvString(QByteArrayView Data);
// Reads the TGV object after the header. A file whose object is not a string reads as empty.
// Raises EErrorLoading for data that ends inside the string or a grob, a malformed grob, and a
// picture code with no such grob (or one that cannot be shown).
void ReadTgv(QByteArrayView Data, TReadDocument &Doc);

// One line of a document as the writers see it. A picture line has Picture > 0: the number of
// its picture in the TGV file; its characters are not looked at.
struct TDocLine {
    QByteArrayView Chars;
    QByteArrayView Attrs;
    int Picture = 0;
};

// The lines the writers walk, handed out one at a time so that a document of millions of lines is
// never copied into a list of views first. A line's views stay valid while the lines stay unchanged.
class TDocLines {
public:
    virtual qsizetype Count() const = 0;
    virtual TDocLine At(qsizetype I) const = 0;

protected:
    ~TDocLines() = default;
};

// Lines already held as views.
class TDocLineList final : public TDocLines {
public:
    explicit TDocLineList(const std::vector<TDocLine> &Lines) : FLines(Lines) {}
    qsizetype Count() const override { return qsizetype(FLines.size()); }
    TDocLine At(qsizetype I) const override { return FLines[size_t(I)]; }

private:
    const std::vector<TDocLine> &FLines;
};

// The whole "%%HP:" file of Kind; ExecuteWith is written between program brackets when it is
// not empty after trimming.
QByteArray WriteTextForm(const TDocLines &Lines, TEditor Kind, QByteArrayView ExecuteWith);
// The same bytes, into Out.
class TByteOut;
void WriteTextForm(const TDocLines &Lines, TEditor Kind, QByteArrayView ExecuteWith, TByteOut &Out);
// The TGV string body: the menu header, then the lines with their style, font and picture codes.
QByteArray WriteTgvBody(const TDocLines &Lines, uint8_t MenuChar, bool MenuWhenStarted);
// The whole TGV file around Body; Grobs are complete grob objects (prolog first), in picture
// number order. Raises EErrorSaving when the body or a grob is too large for its length field.
QByteArray WriteTgvFile(QByteArrayView Body, const std::vector<QByteArray> &Grobs, bool Hp49);
// A picture as a grob object (prolog, length, height, width, rows), white pixels clear. Raises
// EErrorSaving when its rows are too large for the grob's length field.
QByteArray GrobObject(const QImage &Bitmap);
