// The history's CSV, read a piece at a time from recording files, against the browser's CSV
// export of the same files.
#include "RecordingFiles.h"
#include "browser/BrowserExport.h"
#include "browser/RangeScan.h"
#include "browser/RecordingLoader.h"
#include "processing/DateTimeValue.h"
#include "web/HistoryCsv.h"

#include <QTemporaryDir>
#include <QTest>

using namespace nimbar;
using recfiles::Layout;

namespace {

const QDate kDay(2026, 12, 11);

QByteArray drain(HistoryCsv& csv, int* pieces = nullptr) {
    QByteArray text;
    int count = 0;
    while (const std::optional<QByteArray> piece = csv.next()) {
        text += *piece;
        ++count;
        if (count > 100000)
            break;
    }
    if (pieces)
        *pieces = count;
    return text;
}

QDateTime at(const QDate& day, int hour, int minute = 0, int second = 0) {
    return QDateTime(day, QTime(hour, minute, second));
}

} // namespace

class HistoryCsvTest : public QObject {
    Q_OBJECT
private slots:
    // Two days of hourly files around midnight: the whole range equals the browser's export of
    // the same files; a range inside gives exactly the records from <= t < to.
    void rowsAreTheRecordsOfTheRange() {
        QTemporaryDir data;
        QStringList files;
        for (const auto& [day, hour] : {std::pair{kDay, 22}, {kDay, 23}, {kDay.addDays(1), 0}}) {
            const QString path = dayDirectory(data.path(), day, 'B') +
                                 QString("/%1%2.KRN").arg(hour, 2, 10, QChar('0')).arg("0000");
            // 1500 records a file, one a second: more than two pieces each.
            QVERIFY(recfiles::write(path, Layout::Current, "A4001", recfiles::dayValue(kDay, 22),
                                    recfiles::dayValue(day, hour), 1500));
            files << path;
        }
        // A file of another layout in the range is left out, as the browser leaves it out.
        QVERIFY(recfiles::write(dayDirectory(data.path(), kDay, 'B') + "/233000.KRN", Layout::Old9,
                                "A4001", 0, recfiles::dayValue(kDay, 23, 30), 10));

        HistoryCsv whole(data.path(), 1, at(kDay, 22), at(kDay.addDays(1), 1), {});
        int pieces = 0;
        const QByteArray text = drain(whole, &pieces);
        BrowserDataSet loaded;
        QCOMPARE(LoadFiles(files, loaded, {.pointLimit = 0}).outcome, LoadOutcome::Loaded);
        QCOMPARE(loaded.points(), 4500);
        QCOMPARE(text, browserCsvBytes(loaded));
        QVERIFY2(pieces > 4500 / HistoryCsv::kRecordsPerPiece, "read a piece at a time");

        // 23:10:00 <= t < 00:05:00: the end of one file, the start of the next day's.
        HistoryCsv inside(data.path(), 1, at(kDay, 23, 10), at(kDay.addDays(1), 0, 5), {});
        const QList<QByteArray> rows = drain(inside).split('\n');
        QCOMPARE(rows.first(), QByteArray("Time,Ch 0,Ch 1,Ch 2,Ch 3,Ch 4,Ch 5,Ch 6,Ch 7,Ch 8\r"));
        QCOMPARE(rows[1].left(19), QByteArray("2026-12-11 23:10:00"));
        QCOMPARE(rows[rows.size() - 2].left(19), QByteArray("2026-12-12 00:04:59"));
        // 23:10:00..23:24:59 (the file ends at its 1500th second), then 00:00:00..00:04:59.
        QCOMPARE(rows.size() - 2, 900 + 300);

        // A range given in another offset is the same instant.
        HistoryCsv shifted(data.path(), 1, at(kDay, 23, 10).toOffsetFromUtc(5 * 3600 + 1800),
                           at(kDay.addDays(1), 0, 5).toOffsetFromUtc(-7 * 3600), {});
        QCOMPARE(drain(shifted).split('\n').size(), rows.size());
    }

    void aRangeWithoutFilesStillHasItsHeader() {
        QTemporaryDir data;
        HistoryCsv none(data.path(), 0, at(kDay, 1), at(kDay, 2), {"A-0", "A,1"});
        QCOMPARE(drain(none), QByteArray("Time,A-0,\"A,1\"\r\n"));
        // A file cut inside a record (still being written) ends before that record.
        const QString path = dayDirectory(data.path(), kDay, 'A') + "/010000.KRN";
        QVERIFY(recfiles::write(path, Layout::Current, "A3001", 0, recfiles::dayValue(kDay, 1), 3));
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write(QByteArray(40, '\x7f'));
        file.close();
        HistoryCsv cut(data.path(), 0, at(kDay, 1), at(kDay, 2), {"A-0", "A,1"});
        const QList<QByteArray> rows = drain(cut).split('\n');
        QCOMPARE(rows.first(), QByteArray("Time,Ch 0,Ch 1,Ch 2,Ch 3,Ch 4,Ch 5,Ch 6\r"));
        QCOMPARE(rows.size() - 2, 3);
    }
};

QTEST_APPLESS_MAIN(HistoryCsvTest)
#include "tst_HistoryCsv.moc"
