#pragma once

#include <QDateTime>
#include <QString>

namespace nimbar {

// dataDirectory/YYYYMMDD/<board letter>HHMMSS of the moment now, without an extension; the
// caller appends it. The day directory is made (with its parents) when it is missing; one that
// cannot be made shows up as a file that cannot be created.
QString ExportFileName(const QString& dataDirectory, int board, const QDateTime& now);

} // namespace nimbar
