#pragma once
// The program's own file types, registered with the desktop at every start so that a document
// double-clicked in a file manager opens in Quillo (in the running one when there is one).
#include <QString>

// Registers XV, TGV, EDEN, T49 and HP49 for the program AppPath (the full path of the executable),
// each with its description and document icon, opened by the program as its default. Runs in an
// instant when nothing changed since the last start; a registration another program changed is
// restored, though a default the user gave another program stays. Nothing at all is written when the
// system itself maps the five types to the program (it was installed as a package). When files changed and RefreshDatabases is set, the desktop's caches are rebuilt in the
// background by their tools, where installed. Returns whether any file changed.
bool RegisterFileTypes(const QString &AppPath, bool RefreshDatabases = true);

// Whether a system data folder (not the user's own) holds both the program's desktop entry listing
// the five file types and the shared-mime-info package defining them, as an installed package does.
bool SystemMapsFileTypes(const QString &AppId);
