#pragma once
// A file that came from the calculator, on its way to a folder of this machine: a name the folder
// can hold, and a write that never leaves half a file and never replaces one unless asked to.
#include <QByteArray>
#include <QString>

// The local name for a file the calculator sent as Codes: what the calculator calls it, as the user
// reads it, without folder parts, "..", a leading dot, or characters a file name cannot hold
// (each becomes "_"); "received" when nothing is left.
QString SafeLocalName(const QByteArray &Codes);

// Why received files cannot go into Folder: it does not exist, or it is not a folder; empty when
// they can be written there as far as can be told beforehand.
QString ReceiveFolderProblem(const QString &Folder);

// Writes Data into Folder under Name, whole or not at all. An existing file is replaced only with
// Overwrite; otherwise the file goes under Name~1, Name~2 … , the first that is free. Returns the
// path written; raises EErrorSaving "Error while saving <path>" with the reason when it cannot.
QString WriteReceivedFile(const QString &Folder, const QString &Name, const QByteArray &Data, bool Overwrite);
