// The reader in Auto: a week drawn as its envelope keeps single-record excursions and reports
// the statistics of every record; stops of the logger break the lines; a zoomed part is read
// in full detail; records whose times go backwards end in time order.
#include "RecordingFiles.h"
#include "browser/BrowserTime.h"
#include "browser/ChannelStatistics.h"
#include "browser/RecordingLoader.h"
#include "browser/ReportForm.h"
#include "processing/InvalidValue.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace nimbar;
using recfiles::Layout;

namespace {

const QDate kMonday(2026, 12, 7);
constexpr qint64 kWeek = 7 * 24 * 3600;
constexpr qint64 kSpike = 200'000; // records of channel 2 far above and below its wave
constexpr qint64 kDip = 400'017;
constexpr double kSpikeValue = 151.5;
constexpr double kDipValue = -80.25;

recfiles::Values weekValues(qint64 k) {
    recfiles::Values v;
    for (int i = 0; i < 9; ++i)
        v[i] = 20.0 + i + 10.0 * std::sin(2 * M_PI * double(k) / 86400.0 + i);
    if (k == kSpike)
        v[2] = kSpikeValue;
    if (k == kDip)
        v[2] = kDipValue;
    if (k % 1000 == 0)
        v[3] = InvalidValue;
    return v;
}

bool ascending(const BrowserSeries& s) {
    return std::is_sorted(s.x.begin(), s.x.end());
}

bool holds(const BrowserSeries& s, double x, double y) {
    for (int j = 0; j < s.count(); ++j)
        if (s.x[j] == x && s.y[j] == y)
            return true;
    return false;
}

// One file of records at the given seconds after 10:00, record k holding k + i.
QString writeSeconds(const QTemporaryDir& dir, const QString& name,
                     const std::vector<double>& seconds) {
    const QString path = dir.filePath(name);
    const double start = recfiles::dayValue(kMonday, 10);
    QByteArray bytes = recfiles::header(Layout::Current, "A4", start);
    for (std::size_t k = 0; k < seconds.size(); ++k)
        bytes += recfiles::record(Layout::Current, start + seconds[k] / 86400.0, double(k));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

} // namespace

class AutoLoadTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(week.isValid());
        weekPaths = recfiles::writeHours(week.path(), 'A', kMonday, 0, 168, 1, weekValues);
        QCOMPARE(weekPaths.size(), 168);
    }

    void weekEnvelopeKeepsSingleRecordExcursions() {
        BrowserDataSet chart;
        const LoadReport report = LoadFiles(weekPaths, chart, {.automatic = true});
        QCOMPARE(report.outcome, LoadOutcome::Loaded);
        QCOMPARE(report.records, kWeek);
        QVERIFY(chart.summary && chart.summary->envelope);
        QVERIFY(chart.points() <= kDefaultPointLimit);
        QVERIFY(chart.points() > kDefaultPointLimit - 10);
        QCOMPARE(report.status, QString("Total data are 604800, drawn as their minimum and "
                                        "maximum in %1 points")
                                    .arg(chart.points()));

        // Both single records are on the chart, at their own times.
        const auto timeOf = [](qint64 k) {
            return recfiles::dayValue(kMonday.addDays(k / 86400), int(k % 86400 / 3600), 0,
                                      double(k % 3600));
        };
        QVERIFY(holds(chart.series[2], timeOf(kSpike), kSpikeValue));
        QVERIFY(holds(chart.series[2], timeOf(kDip), kDipValue));
        for (const BrowserSeries& s : chart.series)
            QVERIFY(ascending(s));
        // Missing measurements are left out of the envelope and of the statistics.
        QVERIFY(std::count(chart.series[3].y.begin(), chart.series[3].y.end(), InvalidValue) == 0);
        QVERIFY(chart.breaks.empty());

        // Statistics of every record, not of the drawn points.
        long double sum = 0, squares = 0;
        for (qint64 k = 0; k < kWeek; ++k) {
            const long double v = weekValues(k)[2];
            sum += v;
            squares += v * v;
        }
        const double mean = double(sum / kWeek);
        const double deviation = double(std::sqrt(squares / kWeek - (sum / kWeek) * (sum / kWeek)));
        const SeriesStatistics& ch2 = chart.summary->channels[2];
        QCOMPARE(ch2.count, kWeek);
        QCOMPARE(ch2.maximum, kSpikeValue);
        QCOMPARE(ch2.minimum, kDipValue);
        QVERIFY2(std::fabs(ch2.mean - mean) < 1e-9, qPrintable(QString::number(ch2.mean - mean)));
        QVERIFY(std::fabs(ch2.standardDeviation - deviation) < 1e-9);
        QCOMPARE(chart.summary->channels[3].count, kWeek - (kWeek + 999) / 1000);
        QCOMPARE(chart.summary->firstX, timeOf(0));
        QCOMPARE(chart.summary->lastX, timeOf(kWeek - 1));

        // The memo and the report show them.
        const QStringList memo = statisticsMemoLines(chart, false);
        QCOMPARE(memo[2],
                 QString("Every record, 604800: 2026-12-07 00:00:00 - 2026-12-13 23:59:59"));
        QCOMPARE(memo[5], QString::asprintf("CH2: Count=604800,  Average=%.2f, Max=151.50, "
                                            "Min=-80.25",
                                            mean));
        ReportForm form;
        fillReportHeader(form, chart, 0);
        QCOMPARE(form.caption("QRTotal"), QString("604800"));
        QCOMPARE(form.caption("QRStart"), QString("2026-12-07 00:00:00"));
        QCOMPARE(form.caption("QREnd"), QString("2026-12-13 23:59:59"));
        std::array<bool, kChannelCount> reported{};
        reported[2] = true;
        fillReportStatistics(form, chart, reported);
        QCOMPARE(form.cell(1, 1).caption, QString("    -80.25"));
        QCOMPARE(form.cell(2, 1).caption, QString("    151.50"));
        QCOMPARE(form.cell(3, 1).caption, QString::asprintf("%10.2f", mean));

        // The fixed factors keep their meaning: every N-th record, statistics of the points.
        BrowserDataSet fixed;
        QCOMPARE(LoadFiles(weekPaths, fixed, {.subsampling = 100}).outcome,
                 LoadOutcome::LimitReached);
        QVERIFY(!fixed.summary);
        QCOMPARE(fixed.series[2].x[0], timeOf(99));
        QCOMPARE(shownStatistics(fixed, 2).count, 3600);
    }

    void zoomedPartIsReadInFullDetail() {
        BrowserDataSet chart;
        const LoadReport whole = LoadFiles(weekPaths, chart, {.automatic = true});
        // Half an hour around the spike, as a zoom asks for it.
        const double spike = recfiles::dayValue(kMonday.addDays(2), 7, 33, 20); // record 200000
        LoadOptions options{.automatic = true};
        options.window = {spike - 900.5 / 86400.0, spike + 900.5 / 86400.0};
        options.knownSpans = whole.spans;
        const LoadReport part = LoadFiles(weekPaths, chart, options);
        QCOMPARE(part.outcome, LoadOutcome::Loaded);
        QVERIFY(!chart.summary->envelope);
        QCOMPARE(part.records, qint64(1801));
        QCOMPARE(chart.points(), 1801);
        QCOMPARE(chart.summary->channels[2].maximum, kSpikeValue);
        QVERIFY(holds(chart.series[2], spike, kSpikeValue));
        // Files that the first load found outside the window are not opened: a span claimed
        // elsewhere hides the spike's file.
        options.knownSpans[55] = {0, 1};
        QCOMPARE(LoadFiles(weekPaths, chart, options).records, qint64(0));
    }

    void stopsBreakTheLinesAndGapsShowMissingValues() {
        // Hours 10 and 12 of one day, hour 11 missing; CH4 missing for the first 20 minutes.
        QTemporaryDir data;
        const auto values = [](qint64 k) {
            recfiles::Values v = weekValues(k);
            if (k < 1200)
                v[4] = InvalidValue;
            return v;
        };
        QStringList paths = recfiles::writeHours(data.path(), 'B', kMonday, 10, 1, 1, values);
        paths += recfiles::writeHours(data.path(), 'B', kMonday, 12, 1, 1, values);
        BrowserDataSet chart;
        LoadFiles(paths, chart, {.automatic = true});
        QVERIFY(chart.summary->envelope);
        QCOMPARE(chart.breaks.size(), std::size_t(1));
        QVERIFY(chart.breaks[0] > recfiles::dayValue(kMonday, 10, 59, 59));
        QVERIFY(chart.breaks[0] < recfiles::dayValue(kMonday, 12));
        const auto& y4 = chart.series[4].y;
        QVERIFY(std::count(y4.begin(), y4.end(), InvalidValue) > 0);
        QVERIFY(chart.summary->channels[4].minimum > 0);

        // Every record, recorded every 10 s: a stop of a minute breaks, a late record does not.
        std::vector<double> seconds;
        for (int s = 0; s < 600; s += 10)
            seconds.push_back(s);
        seconds.push_back(625);
        for (int s = 700; s < 800; s += 10)
            seconds.push_back(s);
        chart = {};
        LoadFiles({writeSeconds(data, "a.KRN", seconds)}, chart, {.automatic = true});
        QVERIFY(!chart.summary->envelope);
        QCOMPARE(chart.points(), int(seconds.size()));
        QCOMPARE(chart.breaks.size(), std::size_t(1));
        QVERIFY(std::fabs(chart.breaks[0] - recfiles::dayValue(kMonday, 10, 0, 662.5)) < 1e-9);
    }

    void recordsGoingBackwardsEndInTimeOrder() {
        // The clock set back by 20 s after the fifth record: two records at 10:00:01.
        QTemporaryDir data;
        const QString path = writeSeconds(data, "a.KRN", {1, 21, 22, 23, 24, 0, 1, 2, 25});
        for (bool automatic : {false, true}) {
            BrowserDataSet chart;
            LoadFiles({path}, chart, {.xMode = XAxisMode::ElapsedSeconds, .automatic = automatic});
            QCOMPARE(chart.series[1].x, std::vector<double>({0, 1, 1, 2, 21, 22, 23, 24, 25}));
            // Record k holds k + 1 in channel 1: equal times keep the files' order.
            QCOMPARE(chart.series[1].y, std::vector<double>({6, 1, 7, 8, 2, 3, 4, 5, 9}));
        }
    }

private:
    QTemporaryDir week;
    QStringList weekPaths;
};

QTEST_GUILESS_MAIN(AutoLoadTest)
#include "tst_AutoLoad.moc"
