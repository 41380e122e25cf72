#pragma once
// What the command line's link modes (--send, --get) share: the protocol options, the line to the
// calculator, Ctrl+C and the names checked before connecting.
#include "u_CommandLine.h"

#include <QByteArray>
#include <QString>

class Tkermit;
struct TKermitOptions;

// The protocol options (--block-check, --no-repeat) over the settings' defaults; false with the
// message in Error for a bad value.
bool ParseLinkOptions(const TCommandLine &Line, TKermitOptions &Options, QString &Error);
// Opens Port (a port number or a device path) at the calculator's line settings.
void OpenCalculatorLine(Tkermit &Kermit, const QString &Port);
// From now on the first Ctrl+C asks the transfer to stop (Interrupted() turns true) and the
// calculator is told; a second one ends the program without a word to it.
void CatchInterrupt();
bool Interrupted();
// Name as the calculator will receive it; throws EFileError saying why when it cannot be sent as
// typed.
QByteArray CheckedCalculatorName(const QString &Name);
