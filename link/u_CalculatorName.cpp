#include "u_CalculatorName.h"

#include "u_Kermit.h"
#include "u_ResourceStrings.h"

namespace {
// Codes whose glyph is not the Latin-1 character of the same value, with the character shown.
constexpr struct {
    uint8_t Code;
    char16_t Shown;
} OwnCharacters[] = {
    {31, u'\u2026'},  {127, u'\u2592'}, {128, u'\u2220'}, {129, u'\u0101'}, {130, u'\u2207'}, {131, u'\u221A'},
    {132, u'\u222B'}, {133, u'\u03A3'}, {134, u'\u25B6'}, {135, u'\u03C0'}, {136, u'\u2202'}, {137, u'\u2264'},
    {138, u'\u2265'}, {139, u'\u2260'}, {140, u'\u03B1'}, {141, u'\u2192'}, {142, u'\u2190'}, {143, u'\u2193'},
    {144, u'\u2191'}, {145, u'\u03B3'}, {146, u'\u03B4'}, {147, u'\u03B5'}, {148, u'\u03B7'}, {149, u'\u03B8'},
    {150, u'\u03BB'}, {151, u'\u03C1'}, {152, u'\u03C3'}, {153, u'\u03C4'}, {154, u'\u03C9'}, {155, u'\u0394'},
    {156, u'\u03A0'}, {157, u'\u03A9'}, {158, u'\u25A0'}, {159, u'\u221E'},
};

// The code showing Ch; false for a control character or a character the calculator lacks.
bool CodeOf(char32_t Ch, uint8_t &Code)
{
    if ((Ch >= 32 && Ch < 127) || (Ch >= 160 && Ch <= 255)) {
        Code = uint8_t(Ch);
        return true;
    }
    for (const auto &own : OwnCharacters)
        if (own.Shown == Ch) {
            Code = own.Code;
            return true;
        }
    return false;
}

// The longest name one F packet holds whatever the calculator answers: a packet of 94 with the
// three-character check, every character quoted as with repeat counts agreed.
constexpr int NameRoom = 94 - 2 - 3;
} // namespace

QByteArray CalculatorName(const QString &Name, QString *Problem)
{
    auto refuse = [Problem](const QString &Why) {
        if (Problem)
            *Problem = Why;
        return QByteArray();
    };
    if (Name.isEmpty())
        return refuse(ResString(TResId::sNameEmpty));
    QByteArray codes;
    int encoded = 0;
    for (char32_t ch : Name.toUcs4()) {
        uint8_t code = 0;
        if (!CodeOf(ch, code))
            return refuse(ResString(TResId::sNameBadCharacter).arg(Name, QString::fromUcs4(&ch, 1)));
        codes.append(char(code));
        encoded += Tkermit::EncodedLength(code, '~');
    }
    if (encoded > NameRoom)
        return refuse(ResString(TResId::sNameTooLong).arg(Name));
    return codes;
}

QString CalculatorNameText(const QByteArray &Codes)
{
    QString text;
    for (char c : Codes) {
        const uint8_t code = uint8_t(c);
        QChar shown{char16_t(code)};
        for (const auto &own : OwnCharacters)
            if (own.Code == code)
                shown = QChar(own.Shown);
        text.append(shown);
    }
    return text;
}
