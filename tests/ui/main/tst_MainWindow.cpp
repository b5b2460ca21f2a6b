// The main window driven offscreen by control name: start-up, configuration pages, captions,
// main timer and shutdown.
#include "WindowFixture.h"
#include "settings/RecordText.h"
#include "settings/SettingsFile.h"
#include "ui/main/TForm1.h"
#include "ui/widgets/DirectoryListBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTest>
#include <qcustomplot.h>

#include <cstring>

using namespace nimbar;

namespace {

void clickRadio(WindowFixture& f, const QString& group, int index) {
    auto* box = f.find<QGroupBox>(group);
    QVERIFY(box);
    const auto buttons = box->findChildren<QRadioButton*>();
    buttons.at(index)->click();
}

QString timeAxisTitle(WindowFixture& f, int board) {
    return f.find<QCustomPlot>(QString("Chart%1").arg(board))->xAxis->label();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void firstRunShowsConfig1AndStartsNothing() {
        WindowFixture f;
        TForm1& w = f.start();
        QVERIFY(w.firstRun());
        QCOMPARE(w.pages()->currentIndex(), TForm1::kFirstConfigPage);
        QCOMPARE(w.pages()->tabText(TForm1::kFirstConfigPage), QString("Config1"));
        QVERIFY(!w.timer1().isActive());
        QCOMPARE(w.windowTitle(), QString("Nimbar5610 Ver 2.0.2"));
        QCOMPARE(w.size(), QSize(1024, 736));
        QVERIFY(QDir(w.dataDirectory()).exists());

        w.shutdownWithoutConfirmation();
        QVERIFY(f.prompts.confirmations.isEmpty());
        QCOMPARE(QFileInfo(w.paths().settingsFile()).size(), 4640);
    }

    void stopBeforeStartUpKeepsTheSettingsFile() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) { boards[2].comPort = 4; });
        TForm1 w(BuildKind::Logger, f.paths(BuildKind::Logger));
        w.shutdownWithoutConfirmation();
        BoardConfigs saved{};
        QVERIFY(!loadBoardSettings(w.paths().settingsFile(), saved, ""));
        QCOMPARE(saved[2].comPort, 4);
    }

    void pagesAndMenusAreInTheirOrder() {
        WindowFixture f;
        TForm1& w = f.start();
        const QStringList expected{"DAQ1",    "DAQ2",    "DAQ3",    "DAQ4",    "Client",
                                   "Display", "Config1", "Config2", "Config3", "Config4"};
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(w.pages()->tabText(i), expected.at(i));
        QVERIFY(f.find<QAction>("MMExit"));
        QVERIFY(f.find<QAction>("Config41"));
        QVERIFY(f.find<QCheckBox>("Chk38"));
        QVERIFY(f.find<QLineEdit>("EdHighD8"));
        QVERIFY(f.find<QLineEdit>("EdT0C4"));
        QVERIFY(f.find<QComboBox>("CbTyD8"));
        QVERIFY(f.find<QComboBox>("CBRB1"));
        QVERIFY(f.find<QLineEdit>("EdInt3"));
        QCOMPARE(f.find<QComboBox>("CbTyA3")->count(), 8); // with "Z"
        QCOMPARE(f.find<QComboBox>("CbTyA4")->count(), 7);
        QCOMPARE(f.find<QComboBox>("CbTyB1")->count(), 7);
        QCOMPARE(f.find<QCheckBox>("Chk25")->property("Tag").toInt(), 25);
        QCOMPARE(f.find<QCheckBox>("ChkDOC1")->property("Tag").toInt(), 20);
        QCOMPARE(f.find<QCheckBox>("ChkDOC4")->property("Tag").toInt(), 23);
    }

    void normalStartRunsTheMainTimer() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        TForm1& w = f.start();
        QVERIFY(!w.firstRun());
        QCOMPARE(w.pages()->currentIndex(), TForm1::kFirstBoardPage);
        QVERIFY(w.timer1().isActive());
        QVERIFY(!w.korean());
        QCOMPARE(f.find<QLabel>("LblTitle3")->text(), QString("Board C Data"));
        QCOMPARE(f.find<QLineEdit>("EditT3")->text(), QString("Board C Data"));
        QCOMPARE(f.find<QLineEdit>("Ed23")->text(), QString("C-3       "));
        QCOMPARE(f.find<QLineEdit>("EdHighA1")->text(), QString("100.00"));
        QCOMPARE(f.find<QLineEdit>("EdLowA1")->text(), QString("-20.00"));
        QCOMPARE(f.find<QLineEdit>("EdT1A1")->text(), QString("1.00000"));
        QCOMPARE(f.find<QLineEdit>("EdVs1")->text(), QString("0.00000"));
        QCOMPARE(f.find<QComboBox>("CBRA1")->currentIndex(), 5); // 78.125 mV
    }

    void statusMessagesStayAndSpeakTheChosenLanguage() {
        WindowFixture f;
        QFile ports(f.paths(BuildKind::Logger).portMap());
        QVERIFY(ports.open(QIODevice::WriteOnly));
        ports.write("COM3=/dev/ttyUSB7\nnot a binding\n");
        ports.close();
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        TForm1& w = f.start();
        QCOMPARE(w.statusText(),
                 QString("Nimbar5610.ports: line 2 is not COM<n>=<device> and was ignored."));

        // A menu's empty status tip does not wipe the message.
        w.ShowStatus("kept");
        QStatusTipEvent tip(QString{});
        QCoreApplication::sendEvent(w.menuBar(), &tip); // where a hovered menu item sends it
        QCOMPARE(w.statusText(), QString("kept"));
    }

    void unreadablePortMapIsSaidSo() {
        WindowFixture f;
        QDir().mkpath(f.paths(BuildKind::Logger).portMap()); // a folder is read by no one
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        QCOMPARE(f.start().statusText(), QString("Nimbar5610.ports cannot be read."));
    }

    void koreanStartShowsKoreanCaptions() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs&) {});
        TForm1& w = f.start();
        QVERIFY(w.korean());
        QCOMPARE(f.find<QMenu>("MMFile")->title(), QString("파일"));
        QCOMPARE(f.find<QMenu>("MMConf")->title(), QString("구성"));
        QCOMPARE(f.find<QAction>("MMBrowser")->text(), QString("차트 보기"));
        for (int b = 1; b <= 4; ++b) {
            QCOMPARE(f.find<QPushButton>(QString("BtRestart%1").arg(b))->text(),
                     QString("기록 재시작"));
            QCOMPARE(timeAxisTitle(f, b), QString("기록 시각 "));
        }
        QCOMPARE(f.find<QCheckBox>("ChkDOB3")->text(), QString("채널3 릴레이 출력   "));
        QCOMPARE(f.find<QCheckBox>("ChkR4")->text(), QString("알람 D/O 연동"));
        QCOMPARE(f.find<QPushButton>("OKBtn2")->text(), QString("저장"));
        QCOMPARE(f.find<QCheckBox>("ChkElapse")->text(), QString("경과시간  "));
        QCOMPARE(f.find<QLabel>("PlClient")->text(), QString("접속자 목록"));
        QCOMPARE(f.find<QWidget>("Memo2")->toolTip(),
                 QString("메모를 중지하려면 메모장을 더블클릭하세요.\n"
                         "알람 후에는 클릭할 때까지 빨간색으로 남습니다"));
        QVERIFY(f.find<QLabel>("PnlMTitle2")->toolTip().isEmpty());
        QCOMPARE(w.pages()->tabText(4), QString("Client"));
        QVERIFY(!f.find<QCheckBox>("ChbEnglish")->isChecked());
    }

    void elapseTitlesTheTimeAxis_data() {
        QTest::addColumn<int>("english");
        QTest::addColumn<QString>("title");
        QTest::newRow("english") << 1 << "Elapse Time";
        QTest::newRow("korean") << 0 << "경과 시간 ";
    }
    void elapseTitlesTheTimeAxis() {
        QFETCH(int, english);
        QFETCH(QString, title);
        WindowFixture f;
        f.writeSettings([&](BoardConfigs& boards) {
            boards[0].english = english;
            boards[0].elapsedAxis = 1;
        });
        f.start();
        for (int b = 1; b <= 4; ++b)
            QCOMPARE(timeAxisTitle(f, b), title);
    }

    void englishKeepsTheDesignCaptions() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        f.start();
        QCOMPARE(f.find<QMenu>("MMFile")->title(), QString("File"));
        QCOMPARE(f.find<QPushButton>("BtRestart1")->text(), QString("Restart"));
        QCOMPARE(timeAxisTitle(f, 1), QString("Record Time"));
        QCOMPARE(f.find<QCheckBox>("ChkR1")->text(), QString("Interlock D/O"));
        QCOMPARE(f.find<QCheckBox>("ChkR2")->text(), QString("Interlock D/O "));
        QVERIFY(f.find<QCheckBox>("ChbEnglish")->isChecked());
    }

    void controlsFollowTheModel() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) {
            setFieldText(boards[1].model, "KARN-5400");
            boards[1].rangeMv[1] = 5000.0;
            setFieldText(boards[2].model, "KARN-5800");
        });
        TForm1& w = f.start();

        // KARN-5610: CH7, CH8 and the outputs CH2..CH4 are off.
        for (const char* name : {"Chk07", "ChkAlA7", "EdHighA8", "EdLowA7", "Ed08", "EdA7", "CBRA8",
                                 "EdT1A7", "EdT0A8", "CbTyA7", "ChkDOA2", "ChkDOA4"})
            QVERIFY2(!f.find<QWidget>(name)->isEnabled(), name);
        for (const char* name : {"Chk06", "EdHighA6", "CBRA6", "EdT1A1", "Ed06", "ChkDOA1"})
            QVERIFY2(f.find<QWidget>(name)->isEnabled(), name);

        // KARN-5400: CH5..CH8 off, its own range table.
        QCOMPARE(w.runtimes()[1].modelClass, 1);
        QCOMPARE(w.runtimes()[1].expectedLineLength, 40);
        QVERIFY(!f.find<QWidget>("EdT1B5")->isEnabled());
        QVERIFY(f.find<QWidget>("EdT1B4")->isEnabled());
        QVERIFY(f.find<QWidget>("ChkDOB4")->isEnabled());
        auto* range = f.find<QComboBox>("CBRB1");
        QCOMPARE(range->itemText(0), QString("5000 mV "));
        QCOMPARE(range->count(), 7);
        QCOMPARE(range->currentIndex(), 0);

        // KARN-5800: everything on.
        QVERIFY(f.find<QWidget>("EdT1C8")->isEnabled());
        QCOMPARE(w.runtimes()[2].expectedLineLength, 72);
        QCOMPARE(w.runtimes()[2].offset[0], -40.0);
    }

    void storedRangesSelectTheirItem() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) {
            boards[0].rangeMv[1] = 100.0;
            boards[0].rangeMv[2] = 19.5313;
            boards[0].rangeMv[3] = 0.0;
            boards[0].rangeMv[4] = 3000.0;
            boards[0].english = 1;
        });
        TForm1& w = f.start();
        QCOMPARE(f.find<QComboBox>("CBRA1")->currentIndex(), 4);
        QCOMPARE(f.find<QComboBox>("CBRA2")->currentIndex(), 7);
        QCOMPARE(f.find<QComboBox>("CBRA3")->currentIndex(), 7);
        QCOMPARE(f.find<QComboBox>("CBRA4")->currentIndex(), -1);
        QVERIFY(w.ApplyConfigPages());
        QCOMPARE(w.boards()[0].rangeMv[1], 156.25);
        QCOMPARE(w.boards()[0].rangeMv[4], 3000.0); // no selection keeps the stored range
    }

    void sensorTypeSetsTheChannelTypeBoxes() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) {
            boards[0].tcType = 7;
            for (int ch = 1; ch < 9; ++ch)
                boards[0].channelType[ch] = ch % 3;
        });
        TForm1& w = f.start();
        QVERIFY(f.find<QComboBox>("CbTyA1")->isEnabled());
        QCOMPARE(f.find<QComboBox>("CbTyA2")->currentIndex(), 2);

        clickRadio(f, "RgTC1", 3); // J
        QCOMPARE(w.boards()[0].tcType, 3);
        for (int ch = 1; ch <= 6; ++ch) {
            auto* box = f.find<QComboBox>(QString("CbTyA%1").arg(ch));
            QCOMPARE(box->currentIndex(), 3);
            QVERIFY(!box->isEnabled());
        }
        clickRadio(f, "RgTC1", 7); // H: per channel again, the current choices stay
        QCOMPARE(w.boards()[0].tcType, 7);
        for (int ch = 1; ch <= 6; ++ch)
            QVERIFY(f.find<QComboBox>(QString("CbTyA%1").arg(ch))->isEnabled());
        QVERIFY(!f.find<QComboBox>("CbTyA7")->isEnabled());
        QCOMPARE(f.find<QComboBox>("CbTyA2")->currentIndex(), 3);
    }

    void invalidNumberStopsTheApplyThere() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        TForm1& w = f.start();
        auto* port = f.find<QComboBox>("CBPort1");
        port->clear();
        port->addItems({"No Use", "COM3"});
        port->setCurrentIndex(1);
        f.find<QLineEdit>("EdVs2")->setText("4.5");
        f.find<QLineEdit>("EdP2A1")->setText("2");
        f.find<QLineEdit>("EdP2A0")->setText("zero");
        f.find<QLineEdit>("EdP3A1")->setText("9");
        QVERIFY(!w.ApplyConfigPages());
        QCOMPARE(f.prompts.messages, QStringList{"Invalid data"});
        QCOMPARE(f.prompts.beeps, 1);
        QCOMPARE(w.boards()[0].comPort, 3);
        QCOMPARE(w.boards()[1].cjcRefVolts, 4.5);
        QCOMPARE(w.boards()[1].corrA1, 2.0);
        QCOMPARE(w.boards()[1].corrA0, 0.0);
        QCOMPARE(w.boards()[2].corrA1, 1.0);
    }

    void dataDirectoryIsStoredUnderTheHomeOrRefused() {
        WindowFixture f;
        const QString home = f.home.filePath(QString::fromUtf8("jos\u00e9"));
        QDir().mkpath(home + "/sub");
        qputenv("HOME", home.toUtf8());
        TForm1& first = f.start(); // first run: the default directory
        QCOMPARE(first.dataDirectory(), home + "/Nimbar");
        QVERIFY(QDir(home + "/Nimbar").exists());
        f.find<QCheckBox>("ChbEnglish")->setChecked(true);
        QVERIFY(first.ApplyConfigPages());
        QCOMPARE(QByteArray(first.boards()[0].dataDir), QByteArray("~/Nimbar"));

        f.find<DirectoryListBox>("DirectoryListBox1")->setDirectory(home + "/sub");
        QVERIFY(first.ApplyConfigPages());
        QCOMPARE(QByteArray(first.boards()[0].dataDir), QByteArray("~/sub"));

        const QString foreign = f.home.filePath(QString::fromUtf8("caf\u00e9"));
        QDir().mkpath(foreign);
        f.find<DirectoryListBox>("DirectoryListBox1")->setDirectory(foreign);
        QVERIFY(!first.ApplyConfigPages());
        QCOMPARE(QByteArray(first.boards()[0].dataDir), QByteArray("~/sub"));
        // In Korean: the first run starts in the default language.
        QVERIFY(f.prompts.messages.last().startsWith(QString::fromUtf8("데이터 폴더 ") + foreign));

        QVERIFY(saveBoardSettings(f.paths(BuildKind::Logger).settingsFile(), first.boards()));
        f.window.reset();
        QCOMPARE(f.start().dataDirectory(), home + "/sub");
    }

    // Not the working directory: a damaged record would scatter folders wherever the program
    // happened to be started.
    void relativeDataDirectoryLiesInTheProgramsHome() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) { std::strcpy(boards[0].dataDir, "rel/data"); });
        QCOMPARE(f.start().dataDirectory(), f.home.filePath("rel/data"));
        f.window.reset();
        QVERIFY(saveClientSettings(f.paths(BuildKind::Client).settingsFile(),
                                   defaultClientSettings("./client/../records")));
        QCOMPARE(f.start(BuildKind::Client).dataDirectory(), f.home.filePath("records"));
    }

    void usbPortIsBoundToItsAdapterAtOK() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) {
            boards[0].english = 1;
            boards[1].comPort = 20; // ttyUSB3, which has a by-id link
            boards[2].comPort = 21; // ttyUSB4, which has none
        });
        const QString portMap = f.paths(BuildKind::Logger).portMap();
        QFile map(portMap);
        QVERIFY(map.open(QIODevice::WriteOnly));
        map.write("# mine\nCOM7=/dev/ttyS9");
        map.close();
        QDir().mkpath(f.home.filePath("by-id"));
        const QString link = f.home.filePath("by-id/usb-FTDI_FT232R_A1B2C3-if00-port0");
        QVERIFY(QFile::link("/dev/ttyUSB3", link));
        TForm1& w = f.start();
        w.setSerialByIdDirectory(f.home.filePath("by-id"));
        QVERIFY(w.ApplyConfigPages());
        QVERIFY(w.ApplyConfigPages()); // bound once
        QVERIFY(map.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(map.readAll()), "# mine\nCOM7=/dev/ttyS9\nCOM20=" + link + "\n");
        QCOMPARE(w.boards()[1].comPort, 20);
        QCOMPARE(w.boards()[2].comPort, 21);
    }

    void invalidDataMessageIsKoreanInKorean() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs&) {});
        TForm1& w = f.start();
        f.find<QLineEdit>("EdT0D2")->setText("?");
        QVERIFY(!w.ApplyConfigPages());
        QCOMPARE(f.prompts.messages, QStringList{"값이 올바르지 않습니다."});
    }

    void shutdownHarvestsIntervalsQueueAndSoundLimits() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        TForm1& w = f.start();
        f.find<QLineEdit>("EdHighA1")->setText("10");
        f.find<QLineEdit>("EdLowA1")->setText("10");
        f.find<QLineEdit>("EdHighB2")->setText("55.5");
        f.find<QLineEdit>("EdLowB2")->setText("-5");
        f.find<QLineEdit>("EdHighC3")->setText("high");
        f.find<QSpinBox>("UDQueue")->setValue(3600);
        f.find<QSpinBox>("UDInt2")->setValue(10);
        QVERIFY(w.close());
        QCOMPARE(f.prompts.confirmations,
                 QStringList{"Exit Confirmation: Program Terminating... "});

        BoardConfigs saved{};
        QVERIFY(!loadBoardSettings(w.paths().settingsFile(), saved, ""));
        QCOMPARE(saved[0].alarmHigh[1], 100.0);
        QCOMPARE(saved[0].alarmLow[1], -20.0);
        QCOMPARE(saved[1].alarmHigh[2], 55.5);
        QCOMPARE(saved[1].alarmLow[2], -5.0);
        QCOMPARE(saved[2].alarmHigh[3], 100.0);
        QCOMPARE(saved[1].interval, 10);
        for (const BoardConfig& board : saved)
            QCOMPARE(board.queueLength, 3600);
    }

    void cancelInTheExitBoxChangesNothing() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        TForm1& w = f.start();
        QFile::remove(w.paths().settingsFile());
        f.prompts.answer = false;
        QVERIFY(!w.close());
        QVERIFY(w.timer1().isActive());
        QVERIFY(!QFile::exists(w.paths().settingsFile()));
    }

    void intervalEditRestartsTheCountdown() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs&) {});
        TForm1& w = f.start();
        QCOMPARE(w.runtimes()[0].recordCountdown, 3);
        f.find<QSpinBox>("UDInt1")->setValue(10);
        QCOMPARE(w.boards()[0].interval, 10);
        QCOMPARE(w.runtimes()[0].recordCountdown, 10);
    }

    void mainTimerHandsOverReadyLines() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs&) {});
        TForm1& w = f.start();
        BoardRuntime& ready = w.runtimes()[1];
        std::memset(ready.lineBuffer, 'L', sizeof ready.lineBuffer - 1);
        ready.lineReady = true;

        w.engine().chartBusy = true;
        w.Timer1Timer();
        QCOMPARE(w.runtimes()[0].recordCountdown, 2);
        QCOMPARE(w.runtimes()[0].linkIdle, -1);
        QCOMPARE(ready.servedLine[0], '\0');

        w.engine().chartBusy = false;
        w.Timer1Timer();
        QCOMPARE(w.runtimes()[0].recordCountdown, 1);
        QCOMPARE(w.runtimes()[0].linkIdle, 0);
        QCOMPARE(ready.linkIdle, -2); // the pipeline took the line
        QCOMPARE(QByteArray(ready.servedLine), QByteArray(80, 'L'));
    }

    void portComboSelection() {
        WindowFixture f;
        TForm1& w = f.start();
        auto* combo = f.find<QComboBox>("CBPort2");
        combo->clear();
        combo->addItems({"No Use", "COM1", "COM10", "COM2"});
        w.SelectPort(combo, 10);
        QCOMPARE(combo->currentIndex(), 2);
        QCOMPARE(w.PortNumberOf(combo), 10);
        w.SelectPort(combo, 5); // absent now: listed in its place and kept
        QCOMPARE(combo->currentIndex(), 4);
        QCOMPARE(w.PortNumberOf(combo), 5);
        w.SelectPort(combo, -1);
        QCOMPARE(combo->currentIndex(), 0);
    }

    void unpluggedPortStaysConfiguredThroughOK() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) {
            boards[0].english = 1;
            boards[1].comPort = 9876; // no such device on any machine
        });
        TForm1& w = f.start();
        QCOMPARE(f.find<QComboBox>("CBPort2")->currentText(), QString("COM9876"));
        QVERIFY(w.ApplyConfigPages());
        QCOMPARE(w.boards()[1].comPort, 9876);
        QCOMPARE(w.boards()[0].comPort, 0);
    }

    void configureMenuShowsItsPage() {
        WindowFixture f;
        TForm1& w = f.start();
        w.ShowStatus("something");
        f.find<QAction>("Config31")->trigger();
        QCOMPARE(w.pages()->currentIndex(), TForm1::kFirstConfigPage + 2);
        QVERIFY(w.statusText().isEmpty());
    }

    void clientBuildStartsFromItsOwnSettings() {
        WindowFixture f;
        TForm1& w = f.start(BuildKind::Client);
        QCOMPARE(w.windowTitle(), QString("Tessel5610 Ver 2.0.2"));
        QCOMPARE(w.pages()->currentIndex(), TForm1::kFirstConfigPage);
        QVERIFY(w.timer2().isActive());
        QVERIFY(!w.timer1().isActive());
        for (int b = 1; b <= 4; ++b) {
            QCOMPARE(f.find<QSpinBox>(QString("UDPort%1").arg(b))->value(), b);
            QCOMPARE(f.find<QSpinBox>(QString("UDInt%1").arg(b))->value(), 2);
            auto* addresses = f.find<QComboBox>(QString("CBAddr%1").arg(b));
            QCOMPARE(addresses->count(), 1);
            QCOMPARE(addresses->currentText(), QString("127.0.0.1"));
            QVERIFY(!f.find<QGroupBox>(QString("GBIP%1").arg(b))->isHidden());
            QVERIFY(f.find<QGroupBox>(QString("GBCPort%1").arg(b))->isHidden());
            QVERIFY(f.find<QGroupBox>(QString("GBDO%1").arg(b))->isHidden());
            QVERIFY(f.find<QPushButton>(QString("BtnGet%1").arg(b))->isHidden());
        }
        QVERIFY(f.find<QCheckBox>("ChkNetOff")->isHidden());
        QCOMPARE(w.pages()->tabText(TForm1::kClientPage), QString("Server"));
        // Korean by default.
        QCOMPARE(f.find<QLabel>("PlClient")->text(), QString("서버 목록"));
        QCOMPARE(f.find<QGroupBox>("GBIP2")->title(), QString("IP 주소"));
        QCOMPARE(f.find<QPushButton>("BtConnect3")->text(), QString("연   결"));

        f.find<QSpinBox>("UDInt3")->setValue(7);
        QCOMPARE(w.clientSettings().interval[2], 7);
        QCOMPARE(w.runtimes()[2].recordCountdown, 7);
        QCOMPARE(w.boards()[2].interval, 1);

        w.shutdownWithoutConfirmation();
        ClientSettings saved = loadClientSettings(w.paths().settingsFile(), "");
        QCOMPARE(saved.interval[2], 7);
        QCOMPARE(saved.serverCount, 1);
        QCOMPARE(fieldText(saved.serverAddress[0]), QString("127.0.0.1"));
        QCOMPARE(QFileInfo(w.paths().settingsFile()).size(), 372);
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_MainWindow.moc"
