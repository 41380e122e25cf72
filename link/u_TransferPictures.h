#pragma once
// The pictures of the transfer instructions: the calculator screens the user has to reach before a
// transfer, drawn with the program's own calculator fonts at twice the calculator's pixel size, and
// the two keys that put the calculator into server mode.
#include <QImage>

// The calculator's display: 131 pixels wide, 64 high.
constexpr int CalcScreenWidth = 131;
constexpr int CalcScreenHeight = 64;

// The transfer settings screen: Port Wire, Type Kermit, Fmt Bin, Xlat →255, Chk 1, Baud 9600,
// Parity None.
QImage TransferSettingsPicture();
// The directory line of the status area, here { HOME MATHS }.
QImage DirectoryLinePicture();
// The right-shift key, and the right-arrow key pressed after it.
QImage RightShiftKeyPicture();
QImage RightArrowKeyPicture();
// The server screen: "Awaiting Server Cmd."
QImage AwaitingServerPicture();
