// A recording file ending in part of a record (a crash, or a record still being written) is read
// up to its last whole record, in each of the three layouts.
#include "RecordingFiles.h"
#include "browser/RecordingLoader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace nimbar;
using recfiles::Layout;

Q_DECLARE_METATYPE(recfiles::Layout)

class RecordingReaderFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void aFileEndingInPartOfARecordIsReadToItsLastWholeRecord_data() {
        QTest::addColumn<Layout>("layout");
        QTest::addColumn<QByteArray>("serial");
        QTest::newRow("current") << Layout::Current << QByteArray("A40001");
        QTest::newRow("old 7") << Layout::Old7 << QByteArray("A20001");
        QTest::newRow("old 9") << Layout::Old9 << QByteArray("A40002");
    }

    void aFileEndingInPartOfARecordIsReadToItsLastWholeRecord() {
        QFETCH(Layout, layout);
        QFETCH(QByteArray, serial);
        QTemporaryDir dir;
        const QString path = dir.filePath("100000.KRN");
        const double start = recfiles::dayValue(QDate(2007, 3, 15), 10);
        QByteArray bytes = recfiles::header(layout, serial, start);
        for (int k = 0; k < 3; ++k)
            bytes += recfiles::record(layout, start + k / 86400.0, k + 1);
        const QByteArray fourth = recfiles::record(layout, start + 3 / 86400.0, 4);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes + fourth.left(37));
        file.flush();

        BrowserDataSet chart;
        LoadOptions options;
        LoadFiles({path}, chart, options);
        QCOMPARE(chart.points(), 3);
        QCOMPARE(chart.series[0].y.back(), 3.0);

        // The rest of the record arrives: read whole now.
        file.write(fourth.mid(37));
        file.close();
        LoadFiles({path}, chart, options);
        QCOMPARE(chart.points(), 4);
        QCOMPARE(chart.series[0].y.back(), 4.0);
    }
};

QTEST_GUILESS_MAIN(RecordingReaderFaultsTest)
#include "tst_RecordingReaderFaults.moc"
