#pragma once
// The calculator's character set: for every code, the Unicode character its glyph shows and that
// character's Unicode name. Documents, files and the screen keep calculator codes; this table is
// how text crosses to and from the desktop — typed characters, text pasted from other programs,
// copied text, names on the link.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>

// The Unicode character code Code shows (codes 0..30 show the control character of the same value).
char32_t UnicodeOfCode(uint8_t Code);
// The Unicode name of that character ("RIGHTWARDS ARROW"); empty for the control codes.
QString UnicodeNameOfCode(uint8_t Code);
// The code showing Ch, or -1 when the calculator has no such character. A few characters that
// look the same as a calculator one map to it (β to ß, μ to µ, the ohm sign to Ω, …), and so do
// typographic quotes and dashes (’ to ', “ to ", – to -).
int CodeOfUnicode(char32_t Ch);

// Text from the desktop as calculator codes, character for character; characters without a code
// are left out and counted in LeftOut.
QByteArray CodesFromUnicode(const QString &Text, int *LeftOut = nullptr);
// Codes as the desktop shows them, one character per code; a line feed stays a line feed.
QString UnicodeFromCodes(QByteArrayView Codes);
