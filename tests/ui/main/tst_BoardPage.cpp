// The board pages driven offscreen by control name: chart tools, title and name edits, memo.
#include "WindowFixture.h"
#include "settings/RecordText.h"
#include "ui/main/BoardMemo.h"
#include "ui/main/LiveChart.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

using namespace nimbar;

class BoardPageTest : public QObject {
    Q_OBJECT
private:
    static TForm1& startEnglish(WindowFixture& f) {
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        return f.start();
    }

private slots:
    void yMaxMustStayAboveTheMinimum() {
        WindowFixture f;
        TForm1& w = startEnglish(f);
        auto* chart = f.find<LiveChart>("Chart2");
        chart->setValueMinimum(-10);
        chart->setValueMaximum(50);

        f.prompts.inputAnswers = {"-10"};
        f.find<QAction>("YMax2")->trigger();
        QCOMPARE(f.prompts.inputs, QStringList{"Y-Range(50, -10)  : Enter Y-Max  [50]"});
        QCOMPARE(f.prompts.messages, QStringList{"The value is lower than minimum value!"});
        QCOMPARE(chart->valueRange().upper, 50.0);

        f.prompts.inputAnswers = {"80.5"};
        w.YMax1Click(1);
        QCOMPARE(chart->valueRange().upper, 80.5);
        QVERIFY(!chart->valueAutomatic());

        f.prompts.inputAnswers = {"80.5"};
        w.YMin1Click(1);
        QCOMPARE(f.prompts.messages.last(), QString("The value is greater than maximum value!"));
        f.prompts.inputAnswers = {"0"};
        w.YMin1Click(1);
        QCOMPARE(f.prompts.inputs.last(), QString("Y-Range (80.5, -10)  : Enter Y-Min  [-10]"));
        QCOMPARE(chart->valueRange().lower, 0.0);

        f.find<QAction>("YAuto2")->trigger();
        QVERIFY(chart->valueAutomatic());

        // Numbers read as typed, without exponents.
        chart->setValueMinimum(0.0001);
        chart->setValueMaximum(100000);
        f.prompts.inputAnswers = {"100000"};
        w.YMax1Click(1);
        QCOMPARE(f.prompts.inputs.last(),
                 QString("Y-Range(100000, 0.0001)  : Enter Y-Max  [100000]"));
    }

    void yMaxThatIsNotANumberIsLoggedAndChangesNothing() {
        WindowFixture f;
        startEnglish(f);
        auto* chart = f.find<LiveChart>("Chart1");
        chart->setValueMaximum(50);
        f.prompts.inputAnswers = {"fifty"};
        f.find<QAction>("YMax1")->trigger();
        QCOMPARE(chart->valueRange().upper, 50.0);
        QFile log(f.home.filePath("Exception1.Err"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("TForm1 ===> 'fifty' is not a valid floating point value"));
    }

    void titlesAreStoredAndMarkTheHeader() {
        WindowFixture f;
        TForm1& w = startEnglish(f);
        f.find<QAction>("ChartTitle3")->trigger(); // cancelled: the prefill is stored again
        QCOMPARE(f.prompts.inputs.last(), QString("Chart Title: Enter Chart Title [Data Chart]"));
        QVERIFY(w.runtimes()[2].headerRewrite);

        f.prompts.inputAnswers = {QString(90, 'y')};
        f.find<QAction>("YAxisTitle3")->trigger();
        QCOMPARE(f.find<LiveChart>("Chart3")->valueAxisTitle(), QString(80, 'y'));
        QCOMPARE(fieldText(w.boards()[2].yAxisTitle), QString(80, 'y'));

        f.find<QLineEdit>("EditT4")->setText("Furnace 4");
        QCOMPARE(f.find<QLabel>("LblTitle4")->text(), QString("Furnace 4"));
        QCOMPARE(fieldText(w.boards()[3].jobTitle), QString("Furnace 4"));
        QVERIFY(w.runtimes()[3].headerRewrite);
    }

    void channelNamesArePaddedToTenCharacters() {
        WindowFixture f;
        TForm1& w = startEnglish(f);
        f.find<QLineEdit>("Ed12")->setText("Inlet1");
        QCOMPARE(fieldText(w.boards()[1].channelName[2]), QString("Inlet1    "));
        QCOMPARE(f.find<LiveChart>("Chart2")->graph(2)->name(), QString("Inlet1    "));
        f.find<QLineEdit>("Ed12")->setText("A name far longer than ten");
        QCOMPARE(fieldText(w.boards()[1].channelName[2]), QString("A name far"));
        QVERIFY(w.runtimes()[1].headerRewrite);
    }

    void channelBoxShowsAndStoresTheSeries() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) {
            boards[0].english = 1;
            boards[0].channelVisible[6] = 0;
        });
        TForm1& w = f.start();
        QVERIFY(!f.find<QCheckBox>("Chk06")->isChecked());
        QVERIFY(!f.find<LiveChart>("Chart1")->seriesVisible(6));
        auto* box = f.find<QCheckBox>("Chk03");
        box->click();
        QCOMPARE(w.boards()[0].channelVisible[3], 0);
        QVERIFY(!f.find<LiveChart>("Chart1")->seriesVisible(3));
        QVERIFY(!w.chartBusy());
        box->click();
        QCOMPARE(w.boards()[0].channelVisible[3], 1);
        // The stored hidden channel is saved hidden.
        w.shutdownWithoutConfirmation();
        BoardConfigs saved{};
        loadBoardSettings(w.paths().settingsFile(), saved, "");
        QCOMPARE(saved[0].channelVisible[6], 0);
        QCOMPARE(saved[0].channelVisible[3], 1);
    }

    void viewPointAndZoomKeepChartBusyClear() {
        WindowFixture f;
        TForm1& w = startEnglish(f);
        auto* chart = f.find<LiveChart>("Chart1");
        f.find<QCheckBox>("ChkViewP1")->click();
        QVERIFY(!chart->markersVisible());
        f.find<QCheckBox>("ChkViewP1")->click();
        QVERIFY(chart->markersVisible());
        chart->setValueMinimum(0);
        chart->setValueMaximum(100);
        w.BtZoomIn1Click(0);
        QVERIFY(chart->valueRange().size() < 100.0);
        w.BtZoomOut1Click(0);
        QVERIFY(!w.chartBusy());
    }

    void memoPausesOnDoubleClickAndClickClearsTheAlarmColour() {
        WindowFixture f;
        TForm1& w = startEnglish(f);
        auto* memo = f.find<BoardMemo>("Memo1");
        w.Memo1DblClick(0);
        QVERIFY(w.display(0).memoPaused);
        QCOMPARE(w.statusText(), QString("Memo Log paused. DblClick the memo to resume logging"));
        w.Memo1DblClick(0);
        QVERIFY(!w.display(0).memoPaused);
        QCOMPARE(w.statusText(), QString("Memo Logging resumed."));
        memo->setAlarmColour(true);
        w.Memo1Click(0);
        QVERIFY(!memo->alarmColour());
    }

    void limitEntryRefusesUnsoundLimitsAndMovesTheFocus() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) {
            boards[0].english = 1;
            setFieldText(boards[2].model, "KARN-5800");
        });
        TForm1& w = f.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* high1 = f.find<QLineEdit>("EdHighA1");
        high1->setFocus();
        high1->setText("-20");
        QTest::keyClick(high1, Qt::Key_Return);
        QCOMPARE(w.statusText(), QString("High alarm must be greater than low alarm."));
        QCOMPARE(high1->text(), QString("100.00"));
        QCOMPARE(w.boards()[0].alarmHigh[1], 100.0);

        high1->setText("55.5");
        QTest::keyClick(high1, Qt::Key_Return);
        QCOMPARE(w.boards()[0].alarmHigh[1], 55.5);
        QCOMPARE(w.statusText(), QString("[1,1]HighAlarm = 55.500000"));
        QCOMPARE(QApplication::focusWidget(), f.find<QWidget>("EdHighA2"));

        auto* low6 = f.find<QLineEdit>("EdLowA6");
        low6->setFocus();
        low6->setText("x");
        QTest::keyClick(low6, Qt::Key_Return);
        QCOMPARE(w.statusText(), QString("Invalid data"));
        QCOMPARE(low6->text(), QString("-20.00"));

        w.pages()->setCurrentIndex(2);
        auto* high7 = f.find<QLineEdit>("EdHighC7");
        high7->setFocus();
        high7->setText("70");
        QTest::keyClick(high7, Qt::Key_Return);
        QCOMPARE(w.boards()[2].alarmHigh[7], 70.0);
        QCOMPARE(QApplication::focusWidget(), high7);
    }

    void valuePanelsShowTheLastChannelWithThreeDecimals() {
        WindowFixture f;
        TForm1& w = startEnglish(f);
        for (int ch = 1; ch < 9; ++ch)
            w.runtimes()[0].values[ch] = 12.3456 * ch;
        w.RefreshValuePanels(0);
        QCOMPARE(f.find<QLineEdit>("EdA1")->text(), QString("  12.35 "));
        QCOMPARE(f.find<QLineEdit>("EdA6")->text(), QString(" 74.074 "));
        QCOMPARE(f.find<QLineEdit>("EdA8")->text(), QString("  98.76 "));
    }
};

QTEST_MAIN(BoardPageTest)
#include "tst_BoardPage.moc"
