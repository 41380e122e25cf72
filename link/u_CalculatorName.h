#pragma once
// The name a file gets on the calculator, in the calculator's own character codes. Printable ASCII
// and the Latin-1 letters are the same codes there; the calculator's own characters (Greek letters,
// arrows, mathematical signs) are typed as the Unicode characters they show.
#include <QByteArray>
#include <QString>

// Name in calculator codes. When Name cannot arrive as typed — empty, holding a control character
// or a character the calculator does not have, or too long for the packet that carries it — the
// result is empty and Problem (when given) says why, in the user's words.
QByteArray CalculatorName(const QString &Name, QString *Problem = nullptr);
// Codes as the user reads them: the inverse of CalculatorName.
QString CalculatorNameText(const QByteArray &Codes);
