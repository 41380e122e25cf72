#include "u_CalcCharset.h"

#include <QHash>

namespace {
struct TCalcChar {
    char32_t Unicode;
    const char *Name;
};

constexpr TCalcChar Charset[256] = {
#include "u_CalcCharsetTable.inc"
};

// Characters that other programs use for the same sign the calculator shows.
constexpr struct {
    char32_t Unicode;
    uint8_t Code;
} LookAlikes[] = {
    {0x03B2, 223}, // Greek beta: the calculator's beta is the sharp s
    {0x03BC, 181}, // Greek mu: the micro sign
    {0x2126, 157}, // ohm sign: capital omega
    {0x2206, 155}, // increment: capital delta
    {0x2211, 133}, // n-ary summation: capital sigma
    {0x220F, 156}, // n-ary product: capital pi
    // Typographic punctuation that word processors and web pages put in place of the plain signs.
    {0x2018, '\''}, // left single quotation mark
    {0x2019, '\''}, // right single quotation mark, the apostrophe of "don’t"
    {0x201C, '"'},  // left double quotation mark
    {0x201D, '"'},  // right double quotation mark
    {0x2010, '-'},  // hyphen
    {0x2011, '-'},  // non-breaking hyphen
    {0x2013, '-'},  // en dash
    {0x2014, '-'},  // em dash
    {0x2212, '-'},  // minus sign
};

const QHash<char32_t, uint8_t> &CodeTable()
{
    static const QHash<char32_t, uint8_t> table = [] {
        QHash<char32_t, uint8_t> t;
        for (int code = 0; code < 256; ++code)
            t.insert(Charset[code].Unicode, uint8_t(code));
        for (const auto &alike : LookAlikes)
            t.insert(alike.Unicode, alike.Code);
        return t;
    }();
    return table;
}
} // namespace

char32_t UnicodeOfCode(uint8_t Code)
{
    return Charset[Code].Unicode;
}

QString UnicodeNameOfCode(uint8_t Code)
{
    return QString::fromLatin1(Charset[Code].Name);
}

int CodeOfUnicode(char32_t Ch)
{
    // Fast path for the common case: ASCII and Latin-1 letters are codes of the same value.
    if ((Ch >= 32 && Ch < 127) || (Ch >= 160 && Ch <= 255) || Ch < 31)
        return int(Ch);
    const auto &table = CodeTable();
    const auto it = table.constFind(Ch);
    return it == table.cend() ? -1 : int(*it);
}

QByteArray CodesFromUnicode(const QString &Text, int *LeftOut)
{
    QByteArray codes;
    codes.reserve(Text.size());
    int leftOut = 0;
    for (char32_t ch : Text.toUcs4()) {
        const int code = CodeOfUnicode(ch);
        if (code < 0)
            ++leftOut;
        else
            codes.append(char(code));
    }
    if (LeftOut)
        *LeftOut = leftOut;
    return codes;
}

QString UnicodeFromCodes(QByteArrayView Codes)
{
    QString text;
    text.reserve(Codes.size());
    for (char c : Codes) {
        const char32_t u = UnicodeOfCode(uint8_t(c));
        text.append(QChar(char16_t(u))); // every character of the set lies in the first plane
    }
    return text;
}
