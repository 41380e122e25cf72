#pragma once
// A file on its way to the calculator: read whole into memory, with the header of a calculator
// binary file rewritten for the model it goes to. Shared by the transfer window and `--send`.
#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Calculator codes, as the transfer window's model list orders them.
constexpr int CalculatorHP48 = 0;
constexpr int CalculatorHP49 = 1;

// File with its header adapted to Calculator: a file longer than 8 bytes that starts "HPHP48" or
// "HPHP49" goes to an HP49 as "HPHP49" + its byte 6 + "X", to an HP48 as "HPHP48" + its byte 6 +
// "C", whichever model it was saved for. Other files, and any other calculator code, are left as
// they are.
QByteArray AdaptCalculatorHeader(QByteArray File, int Calculator);

// No calculator has room for a larger file; anything bigger is a mistake, or a device that never ends.
constexpr qint64 LargestCalculatorFile = 64 * 1024 * 1024;

// Empty when Path can go to the calculator; otherwise what the user is told: "Cannot open file
// <Path>" and, on a second line, why (not a regular file, too large, unreadable). Asks the file
// system only, so a named pipe or a device is refused at once, without being opened.
QString CalculatorFileProblem(const QString &Path);

// The whole file at Path with its header adapted to Calculator. Raises EFileError with the text of
// CalculatorFileProblem when the file cannot be sent, opened or read.
QByteArray LoadFileForCalculator(const QString &Path, int Calculator);
