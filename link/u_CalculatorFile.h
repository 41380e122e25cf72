#pragma once
// A file on its way to the calculator: read whole into memory, with the header of a calculator
// binary file rewritten for the model it goes to. Shared by the transfer window and `--send`.
#include <QByteArray>
#include <QString>

// Calculator codes, as the transfer window's model list orders them.
constexpr int CalculatorHP48 = 0;
constexpr int CalculatorHP49 = 1;

// File with its header adapted to Calculator: a file longer than 8 bytes that starts "HPHP48" or
// "HPHP49" goes to an HP49 as "HPHP49" + its byte 6 + "X", to an HP48 as "HPHP48" + its byte 6 +
// "C", whichever model it was saved for. Other files, and any other calculator code, are left as
// they are.
QByteArray AdaptCalculatorHeader(QByteArray File, int Calculator);

// The whole file at Path with its header adapted to Calculator. Raises EFileError
// "Cannot open file <Path>" when the file cannot be opened or read.
QByteArray LoadFileForCalculator(const QString &Path, int Calculator);
