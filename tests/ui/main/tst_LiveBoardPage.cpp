// What the board pages show of the engine's lines: fed through the window with lines built here
// and a clock set by the test.
#include "WindowFixture.h"
#include "settings/RecordText.h"
#include "ui/main/BoardMemo.h"
#include "ui/main/LiveChart.h"

#include <QAudioDevice>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTest>

#include <cstring>

using namespace nimbar;

namespace {

QByteArray classTwoLine(double referenceC, int channelCode = 0x000100) {
    const auto raw = static_cast<unsigned>(qRound(referenceC * 25600.0)) & 0xFFFFFF;
    QByteArray line = QByteArray::number(raw, 16).toUpper().rightJustified(6, '0');
    for (int ch = 1; ch <= 8; ++ch)
        line += ", " + QByteArray::number(channelCode, 16).toUpper().rightJustified(6, '0');
    return line + "\r\n";
}

const QByteArray kClassZeroLine = "000000, 000100, 000100, 000100, 000100, 000100, 000100\r\n";

struct PageFixture : WindowFixture {
    QDateTime now{QDate(2026, 3, 15), QTime(10, 59, 58)};

    TForm1& startWith(const std::function<void(BoardConfigs&)>& edit) {
        writeSettings([&](BoardConfigs& boards) {
            boards[0].english = 1;
            edit(boards);
        });
        TForm1& w = start();
        w.timer1().stop();
        w.setClock([this] { return now; });
        return w;
    }

    void feedRecorded(int board, const QByteArray& line) {
        window->runtimes()[board].recordCountdown = 0;
        feed(board, line);
    }

    void feed(int board, const QByteArray& line) {
        char buffer[180] = {};
        std::memcpy(buffer, line.constData(), std::min<qsizetype>(line.size(), 179));
        window->ProcessLine(board, buffer);
    }
};

} // namespace

class LiveBoardPageTest : public QObject {
    Q_OBJECT
private slots:
    void firstLineSetsTheStartAndHidesInvalidChannels() {
        PageFixture f;
        TForm1& w = f.startWith([](BoardConfigs& boards) {
            boards[0].tcType = 1; // K
            boards[0].cjcRefVolts = 5.0;
            for (int ch = 1; ch < 9; ++ch)
                boards[0].channelType[ch] = 1;
        });
        f.feed(0, "0F3A21, 000123, FFFFFF, 7FFFFF, 800000, 000000, 400000\r\n");
        QVERIFY(!f.find<QCheckBox>("Chk07")->isChecked());
        QCOMPARE(w.boards()[0].channelVisible[3], 0);
        QVERIFY(f.find<QCheckBox>("Chk05")->isChecked());
        QCOMPARE(f.find<QLabel>("LblStart1")->text(), QString("2026-03-15 10:59:58"));
        QVERIFY(w.display(0).lampOn);
        f.feed(0, "0F3A21"); // short lines only blink the lamp
        QVERIFY(!w.display(0).lampOn);
        QCOMPARE(w.runtimes()[0].sampleCount, 1);
    }

    void fixedReferenceBoxesReachThePipeline() {
        PageFixture f;
        TForm1& w = f.startWith([](BoardConfigs& boards) {
            boards[0].tcType = 1;
            boards[0].cjcRefVolts = 5.0;
            for (int ch = 1; ch < 9; ++ch)
                boards[0].channelType[ch] = 1;
        });
        f.find<QCheckBox>("ChbTref")->setChecked(true);
        f.find<QLineEdit>("EdTref")->setText("-");
        const QByteArray line = "0F3A21, 000123, 000456, 7FFFFF, 000001, 000000, 400000\r\n";
        f.feed(0, line);
        QCOMPARE(w.runtimes()[0].status[1], 1);
        QVERIFY(w.statusText().contains("Tref = '-' is not a number"));
        f.find<QLineEdit>("EdTref")->setText("20");
        f.feed(0, line);
        QCOMPARE(w.runtimes()[0].status[1], 0);
    }

    void recordsBecomeChartPointsAndMemoLines() {
        PageFixture f;
        TForm1& w = f.startWith([](BoardConfigs& boards) { boards[0].interval = 5; });
        BoardRuntime& r = w.runtimes()[0];
        std::memcpy(r.lineBuffer, kClassZeroLine.constData(),
                    static_cast<std::size_t>(kClassZeroLine.size()));
        for (int tick = 0; tick < 11; ++tick) {
            r.lineReady = true;
            w.Timer1Timer();
        }
        QCOMPARE(r.sampleCount, 3);
        QCOMPARE(f.find<LiveChart>("Chart1")->pointCount(), 3);
        QCOMPARE(f.find<BoardMemo>("Memo1")->blockCount(), 3);
        QVERIFY(!f.find<QLineEdit>("EdA1")->text().trimmed().isEmpty());

        w.RestartBoard(0);
        QCOMPARE(f.find<LiveChart>("Chart1")->pointCount(), 0);
        QCOMPARE(w.statusText(), QString("Chart 1 recording re-started."));
        f.feed(0, kClassZeroLine);
        QVERIFY(f.find<BoardMemo>("Memo1")->toPlainText().startsWith("     1 "));
    }

    void elapseMeasuresTheChartFromTheStart() {
        PageFixture f;
        TForm1& w = f.startWith([](BoardConfigs& boards) { boards[0].elapsedAxis = 1; });
        f.feed(0, kClassZeroLine);
        QCOMPARE(w.display(0).chartOrigin, 0.0);
        QCOMPARE(w.display(0).lastX, 0.0);
        f.now = f.now.addSecs(60);
        w.runtimes()[0].recordCountdown = 0;
        f.feed(0, kClassZeroLine);
        QCOMPARE(qRound(w.display(0).lastX * 86400), 60);
    }

    void alarmsColourTheValuesMemoAndChart() {
        PageFixture f;
        f.startWith([](BoardConfigs& boards) {
            setFieldText(boards[2].model, "KARN-5800");
            boards[2].alarmHigh[3] = 0.001;
            boards[2].alarmHigh[5] = 0.001;
        });
        f.feed(2, classTwoLine(25.0));
        QCOMPARE(f.find<QLineEdit>("EdC5")->palette().color(QPalette::Base), QColor(Qt::red));
        QCOMPARE(f.find<QLineEdit>("EdC4")->palette().color(QPalette::Base),
                 QColor(0xF3, 0xF5, 0xCB));
        auto* memo = f.find<BoardMemo>("Memo3");
        QVERIFY(memo->alarmColour());
        QVERIFY(memo->toPlainText().startsWith("Alarm"));
        QVERIFY(f.find<LiveChart>("Chart3")->alarmBackground());
    }

    void alarmWithoutAudioOutputBeepsEachTime() {
        if (!QMediaDevices::defaultAudioOutput().isNull())
            QSKIP("this machine has an audio output");
        PageFixture f;
        f.startWith([](BoardConfigs& boards) {
            setFieldText(boards[2].model, "KARN-5800");
            boards[2].alarmHigh[5] = 0.001;
        });
        f.feed(2, classTwoLine(25.0));
        f.feed(2, classTwoLine(25.0));
        QCOMPARE(f.prompts.beeps, 2);
    }

    void elapseCursorBeforeTheStartCountsWholeDaysTowardsZero() {
        PageFixture f;
        TForm1& w = f.startWith([](BoardConfigs& boards) { boards[0].elapsedAxis = 1; });
        f.feed(0, "0F3A21, 000123, 000123, 000123, 000000, 000000, 400000\r\n");
        auto* chart = f.find<LiveChart>("Chart1");
        chart->resize(800, 600);
        chart->setTimeWindow(-40.0 / 86400, 0);
        chart->replot();
        w.Chart1MouseMove(0, chart->axisRect()->center()); // 20 s before the start
        const QString shown = f.find<QLabel>("LblTime1")->text();
        QVERIFY2(shown.startsWith("0 Day  00:00:"), qPrintable(shown));
    }

    void alarmBackgroundIsRepaintedBetweenRecords() {
        PageFixture f;
        TForm1& w = f.startWith([](BoardConfigs& boards) {
            setFieldText(boards[2].model, "KARN-5800");
            boards[2].interval = 60;
        });
        auto* chart = f.find<LiveChart>("Chart3");
        f.feed(2, classTwoLine(25.0)); // recorded, no alarm
        QCoreApplication::processEvents();
        QSignalSpy replots(chart, &QCustomPlot::afterReplot);
        w.boards()[2].alarmHigh[5] = 0.001;
        f.feed(2, classTwoLine(25.0)); // within the interval: not recorded
        QCOMPARE(w.runtimes()[2].sampleCount, 1);
        QVERIFY(chart->alarmBackground());
        QTRY_VERIFY(!replots.isEmpty());
    }
};

QTEST_MAIN(LiveBoardPageTest)
#include "tst_LiveBoardPage.moc"
