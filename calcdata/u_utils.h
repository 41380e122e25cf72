#pragma once
#include <QString>

// The folder of the running executable, ending with a separator; fonts, help and the files sent to
// the calculator are found relative to it. Set once at start-up, cleared at exit.
extern QString AppDir;

// The folder part of the running executable's path, with its trailing separator.
QString GetAppDir();

// The file-name part of Path up to (not including) its first dot: "my.font.fnt" gives "my".
QString FileNameWithoutExt(const QString &Path);

// The path that names the file, as the file system resolves it: "." and ".." resolved and symbolic
// links followed (case matters). A file that does not exist (any more) gives its cleaned absolute
// path.
QString FileIdentity(const QString &Path);
// Whether the two paths name the same file.
bool SameFile(const QString &A, const QString &B);
