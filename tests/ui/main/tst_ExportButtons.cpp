// The save buttons of the board pages driven offscreen: where the files go, what they hold,
// what an empty page does, and how a file that cannot be written is reported.
#include "FileContents.h"
#include "WindowFixture.h"
#include "processing/DateTimeValue.h"
#include "recording/XlsWriter.h"
#include "settings/RecordText.h"
#include "ui/main/BoardMemo.h"
#include "ui/main/LiveChart.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include <unistd.h>

using namespace nimbar;

namespace {

const QDateTime kNow(QDate(2007, 3, 15), QTime(14, 3, 7));
const double kStart = toDateTimeValue(QDateTime(QDate(2007, 3, 15), QTime(10, 0, 0)));

TForm1& startWindow(WindowFixture& f, bool english, bool elapse = false) {
    f.writeSettings([&](BoardConfigs& boards) {
        boards[0].english = english ? 1 : 0;
        boards[0].elapsedAxis = elapse ? 1 : 0;
        setFieldText(boards[2].jobTitle, "Oven");
    });
    TForm1& w = f.start();
    w.timer1().stop();
    w.setClock([] { return kNow; });
    for (int b = 0; b < kBoardCount; ++b)
        w.runtimes()[b].startTime = kStart;
    return w;
}

// A recorded line of the pipeline: values 1..9 at the clock time, CH3 invalid.
void addPoint(TForm1& w, int board, double time) {
    std::array<double, kChannelCount> values{};
    std::array<int32_t, kChannelCount> status{};
    for (int i = 0; i < kChannelCount; ++i)
        values[i] = i + 1;
    status[3] = 1;
    w.AddChartPoint(board, time, values, status);
}

QString dayDirectory(const TForm1& w) {
    return w.dataDirectory() + "/20070315";
}

void click(const WindowFixture& f, const QString& name) {
    f.find<QPushButton>(name)->click();
}

} // namespace

class ExportButtonsTest : public QObject {
    Q_OBJECT
private slots:
    void boardCTextAndSheetGoIntoTheDayDirectory() {
        WindowFixture f;
        TForm1& w = startWindow(f, true);
        QVERIFY(!QFileInfo::exists(dayDirectory(w)));
        addPoint(w, 2, kStart + SecondsToTime(1));
        click(f, "BtTxt3");
        const QString text = dayDirectory(w) + "/C140307.TXT";
        QCOMPARE(w.statusText(),
                 "The Chart is saved as " + QDir::toNativeSeparators(text) + " file");
        const QList<QByteArray> lines = fileContents(text).split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith("Oven#"));
        QCOMPARE(lines[2], QByteArray("2007-03-15 10:00:01       1.00       2.00       3.00"
                                      "      -0.00       5.00       6.00       7.00       8.00"
                                      "       9.00\r"));
        for (const char* name : {"BtTxt3", "BtXLS3", "BtSaveBmp3", "BtSaveM3"})
            QVERIFY(f.find<QPushButton>(name)->isEnabled());

        click(f, "BtXLS3");
        const QByteArray sheet = fileContents(dayDirectory(w) + "/C140307.xls");
        QVERIFY(sheet.contains(XlsWriter::labelRecord(0, 2, "03-15 10:00:01")));
        QVERIFY(sheet.contains(XlsWriter::labelRecord(4, 2, "*")));
        QVERIFY(sheet.contains(XlsWriter::numberRecord(5, 2, 5.0)));
        QVERIFY(sheet.endsWith(XlsWriter::eofRecord()));
        QVERIFY(!w.chartBusy());
    }

    void elapsedAxisIsWrittenAsClockTime() {
        WindowFixture f;
        TForm1& w = startWindow(f, true, true);
        addPoint(w, 0, kStart + SecondsToTime(90));
        QVERIFY(qAbs(f.find<LiveChart>("Chart1")->pointTimes().front() - SecondsToTime(90)) <
                1e-8); // the chart holds the elapsed time
        click(f, "BtTxt1");
        click(f, "BtXLS1");
        QCOMPARE(fileContents(dayDirectory(w) + "/A140307.TXT").split('\n')[2].left(19),
                 QByteArray("2007-03-15 10:01:30"));
        QVERIFY(fileContents(dayDirectory(w) + "/A140307.xls")
                    .contains(XlsWriter::labelRecord(0, 2, "03-15 10:01:30")));
    }

    void emptyPageSavesOnlyAnEmptySheet() {
        WindowFixture f;
        TForm1& w = startWindow(f, true);
        w.ShowStatus(QString()); // the start-up's own messages are not the exports'
        for (const char* name : {"BtTxt2", "BtSaveBmp2", "BtSaveM2"})
            click(f, name);
        QVERIFY(!QFileInfo::exists(dayDirectory(w)));
        click(f, "BtXLS2");
        QCOMPARE(QDir(dayDirectory(w)).entryList(QDir::Files), QStringList{"B140307.xls"});
        QCOMPARE(fileContents(dayDirectory(w) + "/B140307.xls").size(), 16);
        QCOMPARE(w.statusText(), QString());
    }

    void memoLogAndPicture() {
        WindowFixture f;
        TForm1& w = startWindow(f, true);
        f.find<BoardMemo>("Memo4")->setPlainText(QString::fromUtf8("    1  line\n알람"));
        click(f, "BtSaveM4");
        const QString log = dayDirectory(w) + "/D140307.LOG";
        QCOMPARE(w.statusText(), "The Log is saved as " + QDir::toNativeSeparators(log) + " file");
        QCOMPARE(fileContents(log), QByteArray("    1  line\r\n") + encodeCp949("알람") + "\r\n");

        auto* chart = f.find<LiveChart>("Chart4");
        chart->resize(500, 300);
        addPoint(w, 3, kStart);
        addPoint(w, 3, kStart + SecondsToTime(1));
        chart->setAlarmBackground(true);
        click(f, "BtSaveBmp4");
        const QImage picture(dayDirectory(w) + "/D140307.BMP", "BMP");
        QCOMPARE(picture.size(), QSize(500, 300));
        QCOMPARE(picture.pixelColor(1, 1), QColor(Qt::white)); // white, though in alarm
        bool drawn = false;                                    // the axes and series are in it
        for (int y = 0; y < picture.height() && !drawn; ++y)
            for (int x = 0; x < picture.width() && !drawn; ++x)
                drawn = picture.pixelColor(x, y) != QColor(Qt::white);
        QVERIFY(drawn);
        QVERIFY(chart->alarmBackground());
    }

    void unwritableDayDirectoryIsReported() {
        WindowFixture f;
        TForm1& w = startWindow(f, true);
        addPoint(w, 0, kStart);
        f.find<LiveChart>("Chart1")->resize(400, 200);
        const QString base = dayDirectory(w) + "/A140307";
        QVERIFY(QDir().mkpath(dayDirectory(w)));
        // Root writes into read-only directories; then only the blocked name below is tried.
        QFile::setPermissions(dayDirectory(w), QFile::ReadOwner | QFile::ExeOwner);
        if (::access(QFile::encodeName(dayDirectory(w)).constData(), W_OK) != 0) {
            click(f, "BtTxt1");
            QCOMPARE(w.statusText(), "There are some errors (" +
                                         QDir::toNativeSeparators(base + ".TXT") +
                                         " was not saved)");
            QCOMPARE(QDir(dayDirectory(w)).entryList(QDir::Files), QStringList());
        }
        QFile::setPermissions(dayDirectory(w),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (const char* extension : {".TXT", ".xls", ".BMP", ".LOG"})
            QVERIFY(QDir().mkpath(base + extension)); // the names are taken
        f.find<BoardMemo>("Memo1")->setPlainText("line");
        for (const auto& [button, extension] :
             {std::pair{"BtTxt1", ".TXT"}, std::pair{"BtXLS1", ".xls"},
              std::pair{"BtSaveBmp1", ".BMP"}, std::pair{"BtSaveM1", ".LOG"}}) {
            w.ShowStatus({});
            click(f, button);
            QCOMPARE(w.statusText(), "There are some errors (" +
                                         QDir::toNativeSeparators(base + extension) +
                                         " was not saved)");
        }
        QCOMPARE(QDir(dayDirectory(w)).entryList(QDir::Files), QStringList());
        QVERIFY(f.find<QPushButton>("BtTxt1")->isEnabled());
        QVERIFY(fileContents(f.home.filePath("Exception1.Err")).contains("A140307.xls failed"));
    }

    void koreanMessages() {
        WindowFixture f;
        TForm1& w = startWindow(f, false);
        addPoint(w, 0, kStart);
        click(f, "BtXLS1");
        const QString sheet = QDir::toNativeSeparators(dayDirectory(w) + "/A140307.xls");
        QCOMPARE(w.statusText(), QString::fromUtf8("차트가 저장 되었습니다. :") + sheet);
        QVERIFY(QDir().mkpath(dayDirectory(w) + "/A140307.TXT"));
        click(f, "BtTxt1");
        QCOMPARE(w.statusText(), QDir::toNativeSeparators(dayDirectory(w) + "/A140307.TXT") +
                                     QString::fromUtf8("파일을 저장하는데 에러가 발생하였습니다."));
        f.find<BoardMemo>("Memo1")->setPlainText("line");
        click(f, "BtSaveM1");
        QCOMPARE(w.statusText(), QString::fromUtf8("로그가 저장 되었습니다. : ") +
                                     QDir::toNativeSeparators(dayDirectory(w) + "/A140307.LOG"));
    }
};

QTEST_MAIN(ExportButtonsTest)
#include "tst_ExportButtons.moc"
