#include "ui/main/ChartPicture.h"

#include "ui/main/LiveChart.h"

#include <QBuffer>
#include <QDir>
#include <QImage>

namespace nimbar {

ExportOutcome SaveChartBmp(const QString& base, LiveChart& chart) {
    const QString path = base + ".BMP";
    if (chart.pointCount() == 0)
        return {ExportOutcome::Result::NothingToSave, QDir::toNativeSeparators(path), {}};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!chart.picture().save(&buffer, "BMP"))
        return {ExportOutcome::Result::Failed, QDir::toNativeSeparators(path),
                "the chart picture could not be encoded"};
    return writeWholeFile(path, bytes);
}

} // namespace nimbar
