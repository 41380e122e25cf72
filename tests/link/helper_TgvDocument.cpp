#include "helper_TgvDocument.h"

#include "u_HPNibs.h"

#include <QList>

QByteArray TgvDocument()
{
    // Built nibble by nibble, low nibble of each byte first, so that the test does not depend on
    // the document code it is not about.
    QList<int> nibbles;
    auto number5 = [&nibbles](int32_t value) {
        for (int i = 0; i < 5; ++i)
            nibbles.append((value >> (4 * i)) & 0x0F);
    };
    auto byte = [&nibbles](uint8_t value) {
        nibbles.append(value & 0x0F);
        nibbles.append(value >> 4);
    };
    for (char c : QByteArray(HeaderHP48))
        byte(uint8_t(c));
    number5(PrologProgram);
    number5(PrologList);
    number5(PrologString);
    const QByteArray body("Dear HP,\n\x03" "bold\x03 and \x8D\xFF\x7F\x0D\x23\x26 codes\n");
    number5(2 * int32_t(body.size()) + 5);
    for (char c : body)
        byte(uint8_t(c));
    QByteArray document;
    for (qsizetype i = 0; i + 1 < nibbles.size(); i += 2)
        document.append(char(nibbles.at(i) | (nibbles.at(i + 1) << 4)));
    document.append(QByteArray::fromHex("2B3120E9024D0100D8FBB11203"));
    return document;
}
