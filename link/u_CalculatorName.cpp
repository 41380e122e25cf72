#include "u_CalculatorName.h"

#include "u_CalcCharset.h"
#include "u_Kermit.h"
#include "u_ResourceStrings.h"

namespace {
// The code showing Ch; false for a control character or a character the calculator lacks.
bool CodeOf(char32_t Ch, uint8_t &Code)
{
    const int code = CodeOfUnicode(Ch);
    if (code < 31)
        return false;
    Code = uint8_t(code);
    return true;
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
    return UnicodeFromCodes(Codes);
}
