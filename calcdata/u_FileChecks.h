#pragma once
// Checks made before a file is read or written, so that something that is not a file (a named
// pipe, a device, a folder) is refused at once with the reason instead of blocking the program or
// being replaced by a save.
#include <QByteArrayView>
#include <QString>

#include <functional>

// Empty when Path names a regular file, symbolic links followed; otherwise the reason in plain
// words ("does not exist", "not a regular file: a named pipe", …).
QString RegularFileProblem(const QString &Path);

// Empty when a document may be saved at Path: nothing is there yet, or a regular file is;
// otherwise the reason in plain words. Saving replaces the target, so a device or a pipe there must
// never be touched.
QString SaveTargetProblem(const QString &Path);

// True when A and B name one existing file, whatever the path: links and ".." resolved.
bool IsSameFile(const QString &A, const QString &B);

// Replaces the file at Path by Data in one step (a new file renamed over it), or leaves it as it
// was; raises EErrorSaving with the reason. Checked with SaveTargetProblem first.
class QByteArray;
void SaveFileWhole(const QString &Path, const QByteArray &Data);
// Takes one piece of a file's bytes, in order.
using TBytePut = std::function<void(QByteArrayView)>;
// The same for a file made in pieces: Produce hands each piece, in order, to the function it is
// given. A failure while producing or writing leaves the file at Path as it was.
void SaveFileWhole(const QString &Path, const std::function<void(const TBytePut &)> &Produce);

// The second line of a failure message for a system error: "cannot be read: <text>".
QString CannotReadReason(const QString &SystemText);
// "cannot be written: <text>".
QString CannotWriteReason(const QString &SystemText);

class EErrorLoading;
class EErrorSaving;
// What the user is told when a document cannot be loaded from Path: "Error loading <path>", and
// the reason on a second line when there is one.
QString LoadingFailureText(const QString &Path, const EErrorLoading &Failure);
// The same for a save: "Error while saving <path>" and the reason; a save refused for its size
// has a message of its own, shown as it stands.
QString SavingFailureText(const QString &Path, const EErrorSaving &Failure);
