// The logger with four simulated devices keeps recording one line a second per board while
// every board page saves its full chart and memo again and again.
#include "Simulator.h"
#include "WindowFixture.h"
#include "device/ComPort.h"
#include "processing/DateTimeValue.h"
#include "ui/main/BoardMemo.h"
#include "ui/main/LiveChart.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

using namespace nimbar;

namespace {

constexpr int kFullChart = 3500; // the pipeline empties a chart at 3600 points

// Records in the board's recording files of today.
qint64 recordsOf(const TForm1& w, int board) {
    qint64 records = 0;
    QDirIterator files(w.dataDirectory() + "/" + QDate::currentDate().toString("yyyyMMdd") + "/" +
                           QChar('A' + board),
                       {"*.KRN"}, QDir::Files);
    while (files.hasNext())
        records += (QFileInfo(files.next()).size() - 544) / 80;
    return records;
}

} // namespace

class ExportWhileRecordingTest : public QObject {
    Q_OBJECT
private slots:
    void fullChartExportsCostNoRecord() {
        WindowFixture f;
        std::vector<std::unique_ptr<Simulator>> devices;
        QFile portMap(f.paths(BuildKind::Logger).portMap());
        QVERIFY(portMap.open(QIODevice::WriteOnly));
        for (int b = 0; b < kBoardCount; ++b) {
            devices.push_back(std::make_unique<Simulator>(f.home.filePath(QString("dev%1").arg(b)),
                                                          "KARN-5610", QStringList{"--rate", "4"}));
            QVERIFY(devices.back()->ready());
            portMap.write(QString("COM%1=%2\n").arg(30 + b).arg(devices.back()->link()).toUtf8());
        }
        portMap.close();
        f.writeSettings([](BoardConfigs& boards) {
            boards[0].english = 1;
            for (int b = 0; b < kBoardCount; ++b) {
                boards[b].comPort = 30 + b;
                boards[b].tcType = 1;
                boards[b].cjcRefVolts = 5.0;
                for (int ch = 1; ch < kChannelCount; ++ch)
                    boards[b].channelType[ch] = 1;
            }
        });
        TForm1& w = f.start();
        w.resize(1024, 736); // the pictures are drawn at the charts' size
        w.show();
        for (int b = 0; b < kBoardCount; ++b)
            QVERIFY(w.comPort(b)->Connected());

        // Full charts and long memos, as after an hour of recording.
        const double past = toDateTimeValue(QDateTime::currentDateTime()) - SecondsToTime(3600);
        for (int b = 0; b < kBoardCount; ++b) {
            auto* chart = f.find<LiveChart>(QString("Chart%1").arg(b + 1));
            std::array<double, kChannelCount> values{};
            for (int j = 0; j < kFullChart; ++j) {
                values.fill(20.0 + j % 17);
                chart->addPoints(past + SecondsToTime(j), values);
            }
            QStringList memo;
            for (int j = 0; j < 240; ++j) // the pipeline clears it at 250
                memo << QString("%1  03-15 10:00:00   20.00   21.00   22.00").arg(j, 5);
            f.find<BoardMemo>(QString("Memo%1").arg(b + 1))->setPlainText(memo.join('\n'));
        }
        for (int b = 0; b < kBoardCount; ++b)
            QTRY_VERIFY_WITH_TIMEOUT(recordsOf(w, b) >= 1, 5000);

        std::array<qint64, kBoardCount> before{};
        for (int b = 0; b < kBoardCount; ++b)
            before[b] = recordsOf(w, b);
        QElapsedTimer running;
        running.start();
        int rounds = 0;
        while (running.elapsed() < 6000 && rounds < 200) {
            for (int b = 1; b <= kBoardCount; ++b)
                for (const char* button : {"BtTxt", "BtXLS", "BtSaveM", "BtSaveBmp"}) {
                    f.find<QPushButton>(button + QString::number(b))->click();
                    QCoreApplication::processEvents(); // as between a user's clicks
                }
            ++rounds;
        }
        const qint64 seconds = running.elapsed() / 1000;
        QVERIFY(rounds >= 2);
        for (int b = 0; b < kBoardCount; ++b) {
            const qint64 recorded = recordsOf(w, b) - before[b];
            QVERIFY2(recorded >= seconds - 1 && recorded <= seconds + 1,
                     qPrintable(QString("board %1: %2 records in %3 s (%4 export rounds)")
                                    .arg(b)
                                    .arg(recorded)
                                    .arg(seconds)
                                    .arg(rounds)));
        }
        // Every kind of file of every board was written, from the full chart.
        const QDir day(w.dataDirectory() + "/" + QDate::currentDate().toString("yyyyMMdd"));
        for (int b = 0; b < kBoardCount; ++b)
            for (const char* extension : {".TXT", ".xls", ".LOG", ".BMP"})
                QVERIFY2(!day.entryList({QChar('A' + b) + QString("*") + extension}, QDir::Files)
                              .isEmpty(),
                         extension);
        QFile text(day.filePath(day.entryList({"A*.TXT"}, QDir::Files).constFirst()));
        QVERIFY(text.open(QIODevice::ReadOnly));
        QVERIFY(text.readAll().count('\n') >= kFullChart + 2);
        QVERIFY(!QFile::exists(f.home.filePath("Exception1.Err")));
        w.shutdownWithoutConfirmation();
    }
};

QTEST_MAIN(ExportWhileRecordingTest)
#include "tst_ExportWhileRecording.moc"
