#include "app/DesktopIdentity.h"

#include "ProgramIdentity.h"

namespace nimbar {

QString desktopEntryName(BuildKind kind) {
    return QLatin1String(kDesktopIdPrefix) + QLatin1Char('.') + programName(kind);
}

QIcon programIcon(BuildKind kind) {
    // Drawn from packaging/icons at build time and compiled in, as the installed theme has them.
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(
            QString(":/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(desktopEntryName(kind)),
            QSize(size, size));
    return icon;
}

} // namespace nimbar
