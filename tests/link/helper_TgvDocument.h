#pragma once
#include <QByteArray>

// A small TGV document as the editor saves it for the HP48: "HPHP48-E", a program holding a list
// that holds the text string, then the fixed tail.
QByteArray TgvDocument();
