#pragma once

#include "settings/BuildKind.h"

#include <QIcon>
#include <QString>

namespace nimbar {

// The name of the program's desktop entry, icon and AppStream component, <prefix>.<program>:
// Wayland pairs the windows with the menu entry by it.
QString desktopEntryName(BuildKind kind);

// The program's own icon, in the sizes of the desktop's icon theme, for its windows.
QIcon programIcon(BuildKind kind);

} // namespace nimbar
