#pragma once
// The icons the program ships: its own and one per document kind (T49 documents share the TGV one).
// They are drawn as SVG and also kept as PNG renderings, so they show even where Qt has no SVG support.
#include <QIcon>
#include <QString>

enum class TQuilloIcon { Program, XView, Tgv, Eden, HP49 };

// The SVG file, as a resource path QFile reads: what the desktop registration installs.
QString QuilloIconPath(TQuilloIcon Icon);
// The icon for windows, menus and buttons.
QIcon QuilloIcon(TQuilloIcon Icon);
