// Recording files of any of the three header layouts through the browser's reader (also in
// Auto and as a streamed export), and the statistics, smoothing and exports that then work on
// the values read.
#include "FuzzFile.h"
#include "browser/BrowserDataSet.h"
#include "browser/BrowserExport.h"
#include "browser/ChannelStatistics.h"
#include "browser/RecordingLoader.h"
#include "browser/StreamExport.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

using namespace nimbar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses the X-axis mode and the subsampling; the rest is the file, read
    // once alone and once followed by a second file of its first half.
    LoadOptions options;
    options.xMode = static_cast<XAxisMode>(data[0] % 3);
    options.subsampling = 1 + (data[0] >> 2) % 4;
    options.pointLimit = 500;
    const QByteArrayView file(data + 1, static_cast<qsizetype>(size - 1));
    const QString first = fuzzFile(file, QStringLiteral("first.KRN"));
    const QString second = fuzzFile(file.first(file.size() / 2), QStringLiteral("second.KRN"));
    BrowserDataSet chart;
    LoadFiles({first}, chart, options);
    LoadFiles({first, second}, chart, options);
    // Auto: an envelope once there are more records than the small limit, every record below.
    LoadOptions automatic = options;
    automatic.automatic = true;
    automatic.pointLimit = 8;
    BrowserDataSet envelope;
    LoadFiles({first, second}, envelope, automatic);
    // The stream export puts the records of both files in time order.
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    BrowserDataSet streamed;
    streamExport({first, second}, options, ExportFormat::Text, sink, streamed);
    for (BrowserSeries& series : chart.series) {
        ChannelStatistics(series);
        smoothSeries(series.y);
    }
    statisticsMemoLines(chart, true);
    browserCsvBytes(chart);
    return 0;
}
