// The window with simulated devices on pseudo-terminals: port opening, reception, the
// configuration exchange and the interlocked outputs.
#include "Simulator.h"
#include "WindowFixture.h"
#include "app/RecordText.h"
#include "device/ComPort.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

using namespace nimbar;

namespace {

void writePortMap(const WindowFixture& f, const QStringList& lines) {
    QFile file(f.paths(BuildKind::Logger).portMap());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(lines.join('\n').toUtf8() + '\n');
}

// Board A, type K, on the device as COM2, with its interlock box ticked.
TForm1& startInterlocked(WindowFixture& f, const Simulator& device) {
    writePortMap(f, {"COM2=" + device.link()});
    f.writeSettings([](BoardConfigs& boards) {
        boards[0].english = 1;
        boards[0].comPort = 2;
        boards[0].tcType = 1;
        boards[0].cjcRefVolts = 5.0;
        for (int ch = 1; ch < 9; ++ch)
            boards[0].channelType[ch] = 1;
    });
    TForm1& w = f.start();
    f.find<QCheckBox>("ChkR1")->click();
    return w;
}

} // namespace

class DeviceWindowTest : public QObject {
    Q_OBJECT
private slots:
    void portsOpenGreetAndReceiveLines() {
        WindowFixture f;
        Simulator device(f.home.filePath("dev-a"), "KARN-5610", {"--rate", "5"});
        QVERIFY(device.ready());
        writePortMap(f, {"# simulated", "", "COM9=" + device.link(), "not a binding"});
        f.writeSettings([](BoardConfigs& boards) {
            boards[0].english = 1;
            boards[0].comPort = 9;
            boards[0].tcType = 1;
            boards[0].cjcRefVolts = 5.0;
            for (int ch = 1; ch < 9; ++ch)
                boards[0].channelType[ch] = 1;
            boards[1].comPort = 99; // no such port
        });
        TForm1& w = f.start();
        QCOMPARE(f.prompts.messages, QStringList{"Failed in Opening Port"});
        QVERIFY(w.comPort(0)->Connected());
        QVERIFY(!w.comPort(1)->Connected());
        QCOMPARE(w.statusText(), QString("COM9 was opened"));
        QTRY_COMPARE_WITH_TIMEOUT(device.commands(), QStringList{"DK"}, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(w.runtimes()[0].lineReady, 5000);
        QCOMPARE(strnlen(w.runtimes()[0].lineBuffer, 180), std::size_t(56));
        w.Timer1Timer();
        QCOMPARE(w.runtimes()[0].sampleCount, 1);
        QVERIFY(w.runtimes()[0].values[1] > 10.0 && w.runtimes()[0].values[1] < 160.0);
        QCOMPARE(f.find<QComboBox>("CBPort1")->currentText(), QString("COM9"));

        // While a chart operation runs, lines are thrown away.
        w.runtimes()[0].lineReady = false;
        w.engine().chartBusy = true;
        QTest::qWait(600);
        QVERIFY(!w.runtimes()[0].lineReady);
        w.engine().chartBusy = false;
    }

    void aDeviceThatGoesAwayIsReopenedWhenItIsBack() {
        WindowFixture f;
        const QString link = f.home.filePath("dev-e");
        auto device = std::make_unique<Simulator>(link, "KARN-5610", QStringList{"--rate", "5"});
        QVERIFY(device->ready());
        writePortMap(f, {"COM7=" + link});
        f.writeSettings([](BoardConfigs& boards) {
            boards[0].english = 1;
            boards[0].comPort = 7;
        });
        TForm1& w = f.start();
        QVERIFY(w.comPort(0)->Connected());

        device.reset(); // pulled out
        QTRY_VERIFY_WITH_TIMEOUT(!w.comPort(0)->Connected(), 5000);
        QCOMPARE(w.statusText(), QString("COM7 was lost; waiting for the device to come back"));
        QVERIFY(w.reopenTimer().isActive());
        w.reopenLostPorts(); // still away
        QVERIFY(w.reopenTimer().isActive());
        QVERIFY(f.prompts.messages.isEmpty());

        device = std::make_unique<Simulator>(link, "KARN-5610", QStringList{"--rate", "5"});
        QVERIFY(device->ready());
        w.reopenLostPorts();
        QVERIFY(w.comPort(0)->Connected());
        QVERIFY(!w.reopenTimer().isActive());
        QCOMPARE(w.statusText(), QString("COM7 was opened"));
        QTRY_COMPARE_WITH_TIMEOUT(device->commands(), QStringList{"DK"}, 5000);
        w.runtimes()[0].lineReady = false;
        QTRY_VERIFY_WITH_TIMEOUT(w.runtimes()[0].lineReady, 5000);

        QFile log(f.home.filePath("Exception1.Err"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("ComPort ===> Lost COM7: "));
    }

    void aDeviceMissingAtStartUpHoldsUpNoOtherBoardAndIsOpenedWhenItAppears() {
        WindowFixture f;
        const QString missingLink = f.home.filePath("dev-m");
        Simulator present(f.home.filePath("dev-p"), "KARN-5610", {"--rate", "5"});
        QVERIFY(present.ready());
        writePortMap(f, {"COM1=" + missingLink, "COM2=" + present.link()});
        f.writeSettings([](BoardConfigs& boards) {
            boards[0].english = 1;
            boards[0].comPort = 1;
            boards[1].comPort = 2;
        });
        bool laterBoardOpenWhileBoxShown = false;
        f.prompts.whileMessageShown = [&] {
            laterBoardOpenWhileBoxShown = f.window->comPort(1)->Connected();
        };
        TForm1& w = f.start();
        QCOMPARE(f.prompts.messages, QStringList{"Failed in Opening Port"});
        QVERIFY(laterBoardOpenWhileBoxShown);
        QVERIFY(w.reopenTimer().isActive());

        Simulator late(missingLink, "KARN-5610", {"--rate", "5"});
        QVERIFY(late.ready());
        w.reopenLostPorts();
        QVERIFY(w.comPort(0)->Connected());
        QVERIFY(!w.reopenTimer().isActive());
        QTRY_COMPARE_WITH_TIMEOUT(late.commands(), QStringList{"DK"}, 5000);
    }

    void getConfigureStoresTheReport() {
        WindowFixture f;
        Simulator device(f.home.filePath("dev-b"), "KARN-5400",
                         {"--type", "J", "--serial", "B123"});
        QVERIFY(device.ready());
        writePortMap(f, {"COM5=" + device.link()});
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        TForm1& w = f.start();
        auto* combo = f.find<QComboBox>("CBPort2");
        combo->setCurrentText("COM5");
        QCOMPARE(combo->currentText(), QString("COM5"));
        f.find<QPushButton>("BtnGet2")->click();
        QVERIFY(!f.find<QPushButton>("BtnGet1")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(f.prompts.messages, QStringList{"OK"}, 5000);
        QVERIFY(f.find<QPushButton>("BtnGet1")->isEnabled());
        const BoardConfig& board = w.boards()[1];
        QCOMPARE(fieldText(board.model), QString("KARN-5400"));
        QCOMPARE(fieldText(board.serial), QString("B123"));
        QCOMPARE(board.tcType, 3);
        QCOMPARE(board.comPort, 5);
        QCOMPARE(board.cjcRefVolts, 5.0);
        QCOMPARE(w.runtimes()[1].modelClass, 1);
        QCOMPARE(f.find<QComboBox>("CBRB1")->itemText(0), QString("5000 mV "));
        QVERIFY(!f.find<QWidget>("EdT1B5")->isEnabled());
        QVERIFY(device.commands().contains("DC"));
    }

    void getConfigureReadsATypeSDevice() {
        WindowFixture f;
        Simulator device(f.home.filePath("dev-s"), "KARN-5610", {"--type", "S"});
        QVERIFY(device.ready());
        writePortMap(f, {"COM6=" + device.link()});
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        TForm1& w = f.start();
        f.find<QComboBox>("CBPort1")->setCurrentText("COM6");
        f.find<QPushButton>("BtnGet1")->click();
        QTRY_COMPARE_WITH_TIMEOUT(f.prompts.messages, QStringList{"OK"}, 5000);
        QCOMPARE(w.boards()[0].tcType, 4); // S
    }

    void getConfigureWithoutPortOrReply() {
        WindowFixture f;
        Simulator device(f.home.filePath("dev-c"), "KARN-5610");
        QVERIFY(device.ready());
        writePortMap(f, {"COM4=" + device.link()});
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        TForm1& w = f.start();
        w.BtnGet1Click(0); // "No Use"
        QCOMPARE(w.statusText(), QString("Select your communication port."));
        QVERIFY(f.prompts.messages.isEmpty());

        f.find<QComboBox>("CBPort1")->setCurrentText("COM4");
        w.BtnGet1Click(0);
        QVERIFY(w.timerC().isActive());
        w.TimerCTimer(); // five seconds without the reply
        QCOMPARE(f.prompts.messages, QStringList{"Failed!!! Check COM Port"});
        QVERIFY(!w.timerC().isActive());
        for (int b = 1; b <= 4; ++b)
            QVERIFY(f.find<QPushButton>(QString("BtnGet%1").arg(b))->isEnabled());
        QTest::qWait(300); // a late reply is ignored
        QCOMPARE(f.prompts.messages.size(), 1);
    }

    void interlockDrivesTheOutputAndShutdownSwitchesItOff() {
        WindowFixture f;
        Simulator device(f.home.filePath("dev-d"), "KARN-5610",
                         {"--rate", "5", "--fixed-temp", "120"});
        QVERIFY(device.ready());
        TForm1& w = startInterlocked(f, device);
        QVERIFY(!f.find<QCheckBox>("ChkDOA1")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(w.runtimes()[0].lineReady, 5000);
        w.Timer1Timer();
        QVERIFY(w.statusText().contains("High Alarm"));
        QTRY_VERIFY_WITH_TIMEOUT(device.commands().contains("D1"), 3000);

        QFile log(w.dataDirectory() + "/" + QDate::currentDate().toString("yyyyMMdd") + "/" +
                  QDate::currentDate().toString("yyyyMMdd") + ".eve");
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count("High Alarm"), 6); // CH1..CH6

        w.shutdownWithoutConfirmation();
        QTRY_COMPARE_WITH_TIMEOUT(device.commands().last(), QString("D0"), 3000);
        QVERIFY(!w.comPort(0)->Connected());
    }

    void outputsCatchUpAfterTheDeviceWasAway() {
        WindowFixture f;
        Simulator device(f.home.filePath("dev-e"), "KARN-5610",
                         {"--rate", "5", "--fixed-temp", "120"});
        QVERIFY(device.ready());
        TForm1& w = startInterlocked(f, device);
        const auto tickWithLine = [&] {
            w.runtimes()[0].lineReady = false;
            QTRY_VERIFY_WITH_TIMEOUT(w.runtimes()[0].lineReady, 5000);
            w.Timer1Timer();
        };
        tickWithLine();
        QTRY_VERIFY_WITH_TIMEOUT(device.commands().contains("D1"), 3000);
        QCOMPARE(w.runtimes()[0].doState, 1);

        // Away: the alarm ends, and the D0 cannot be sent.
        w.boardPortLost(0, "gone");
        w.comPort(0)->Close();
        for (int ch = 1; ch < 9; ++ch)
            w.boards()[0].alarmHigh[ch] = 1000;
        w.runtimes()[0].lineReady = true; // the last line again
        w.Timer1Timer();
        QCOMPARE(w.runtimes()[0].doState, 1);

        // Back: greeted with the outputs as they stand, then the change follows.
        w.reopenLostPorts();
        QVERIFY(w.comPort(0)->Connected());
        QTRY_VERIFY_WITH_TIMEOUT(device.commands().mid(device.commands().lastIndexOf("DK")) ==
                                     (QStringList{"DK", "D1"}),
                                 3000);
        tickWithLine();
        QTRY_COMPARE_WITH_TIMEOUT(device.commands().last(), QString("D0"), 3000);
        QCOMPARE(w.runtimes()[0].doState, 0);
    }
};

QTEST_MAIN(DeviceWindowTest)
#include "tst_DeviceWindow.moc"
