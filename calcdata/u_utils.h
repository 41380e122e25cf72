#pragma once
#include <QString>

// The program's data folder, ending with a separator: the executable's own folder, or share/quillo
// for a system installation; fonts, help and the files sent to the calculator are found relative to
// it. Set once at start-up, cleared at exit.
extern QString AppDir;

// The data folder of the running executable, with its trailing separator.
QString GetAppDir();
// The folder of the translation modules, with a trailing separator.
QString GetModuleDir();
// The same two for a program in ExeDir: the folder itself, or the share/quillo and lib/quillo folders
// beside it when the program was installed as a system package.
QString AppDirFor(const QString &ExeDir);
QString ModuleDirFor(const QString &ExeDir);

// The file-name part of Path up to (not including) its first dot: "my.font.fnt" gives "my".
QString FileNameWithoutExt(const QString &Path);

// The path that names the file, as the file system resolves it: "." and ".." resolved and symbolic
// links followed (case matters). A file that does not exist (any more) gives its cleaned absolute
// path.
QString FileIdentity(const QString &Path);
// Whether the two paths name the same file.
bool SameFile(const QString &A, const QString &B);
