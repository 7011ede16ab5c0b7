#pragma once
// The program's icon and the name of its desktop entry.

#include <QIcon>
#include <QString>

namespace fd {

// The desktop entry's name without ".desktop"; the icon theme knows the icon
// by the same name.
inline const QString kDesktopId = QStringLiteral("org.farrowdale.Farrowdale");

// The icon of the title bar, the task switcher and the about box: the one the
// desktop's icon theme has under kDesktopId, else the copies built into the
// program (48, 128 and 256 pixels).
QIcon programIcon();

}  // namespace fd
