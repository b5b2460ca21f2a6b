// The engine with simulated devices on pseudo-terminals: port opening, reception, loss and
// reopening, the configuration exchange and the interlocked outputs.
#include "EngineFixture.h"
#include "Simulator.h"
#include "device/ComPort.h"
#include "settings/RecordText.h"

#include <QSignalSpy>
#include <QTest>

using namespace nimbar;

namespace {

// Board A, type K, on the device as COM2, interlocked with its alarms.
Engine& startInterlocked(EngineFixture& f, const Simulator& device) {
    f.writePortMap({"COM2=" + device.link()});
    f.writeSettings([](BoardConfigs& boards) {
        boards[0].english = 1;
        boards[0].comPort = 2;
        boards[0].tcType = 1;
        boards[0].cjcRefVolts = 5.0;
        for (int ch = 1; ch < 9; ++ch)
            boards[0].channelType[ch] = 1;
    });
    Engine& w = f.start();
    w.ChkR1Click(0, true);
    return w;
}

} // namespace

class DevicesTest : public QObject {
    Q_OBJECT
private slots:
    void portsOpenGreetAndReceiveLines() {
        EngineFixture f;
        Simulator device(f.home.filePath("dev-a"), "KARN-5610", {"--rate", "5"});
        QVERIFY(device.ready());
        f.writePortMap({"# simulated", "", "COM9=" + device.link(), "not a binding"});
        f.writeSettings([](BoardConfigs& boards) {
            boards[0].english = 1;
            boards[0].comPort = 9;
            boards[0].tcType = 1;
            boards[0].cjcRefVolts = 5.0;
            for (int ch = 1; ch < 9; ++ch)
                boards[0].channelType[ch] = 1;
            boards[1].comPort = 99; // no such port
        });
        Engine& w = f.start();
        QCOMPARE(f.messages, QStringList{"Failed in Opening Port"});
        QVERIFY(w.comPort(0)->Connected());
        QVERIFY(!w.comPort(1)->Connected());
        QCOMPARE(f.status, QString("COM9 was opened"));
        QVERIFY(w.portNames().contains("COM9"));
        QTRY_COMPARE_WITH_TIMEOUT(device.commands(), QStringList{"DK"}, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(w.runtimes()[0].lineReady, 5000);
        QCOMPARE(strnlen(w.runtimes()[0].lineBuffer, 180), std::size_t(56));
        w.Timer1Timer();
        QCOMPARE(w.runtimes()[0].sampleCount, 1);
        QVERIFY(w.runtimes()[0].values[1] > 10.0 && w.runtimes()[0].values[1] < 160.0);

        // While a chart operation runs, lines are thrown away.
        w.runtimes()[0].lineReady = false;
        w.chartBusy = true;
        QTest::qWait(600);
        QVERIFY(!w.runtimes()[0].lineReady);
        w.chartBusy = false;
    }

    void aDeviceThatGoesAwayIsReopenedWhenItIsBack() {
        EngineFixture f;
        const QString link = f.home.filePath("dev-e");
        auto device = std::make_unique<Simulator>(link, "KARN-5610", QStringList{"--rate", "5"});
        QVERIFY(device->ready());
        f.writePortMap({"COM7=" + link});
        f.writeSettings([](BoardConfigs& boards) {
            boards[0].english = 1;
            boards[0].comPort = 7;
        });
        Engine& w = f.start();
        QVERIFY(w.comPort(0)->Connected());

        device.reset(); // pulled out
        QTRY_VERIFY_WITH_TIMEOUT(!w.comPort(0)->Connected(), 5000);
        QCOMPARE(f.status, QString("COM7 was lost; waiting for the device to come back"));
        QVERIFY(w.reopenTimer().isActive());
        w.reopenLostPorts(); // still away
        QVERIFY(w.reopenTimer().isActive());
        QVERIFY(f.messages.isEmpty());

        device = std::make_unique<Simulator>(link, "KARN-5610", QStringList{"--rate", "5"});
        QVERIFY(device->ready());
        w.reopenLostPorts();
        QVERIFY(w.comPort(0)->Connected());
        QVERIFY(!w.reopenTimer().isActive());
        QCOMPARE(f.status, QString("COM7 was opened"));
        QTRY_COMPARE_WITH_TIMEOUT(device->commands(), QStringList{"DK"}, 5000);
        w.runtimes()[0].lineReady = false;
        QTRY_VERIFY_WITH_TIMEOUT(w.runtimes()[0].lineReady, 5000);

        QFile log(f.home.filePath("Exception1.Err"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("ComPort ===> Lost COM7: "));
    }

    void aDeviceMissingAtStartUpHoldsUpNoOtherBoardAndIsOpenedWhenItAppears() {
        EngineFixture f;
        const QString missingLink = f.home.filePath("dev-m");
        Simulator present(f.home.filePath("dev-p"), "KARN-5610", {"--rate", "5"});
        QVERIFY(present.ready());
        f.writePortMap({"COM1=" + missingLink, "COM2=" + present.link()});
        f.writeSettings([](BoardConfigs& boards) {
            boards[0].english = 1;
            boards[0].comPort = 1;
            boards[1].comPort = 2;
        });
        Engine& w = f.create();
        bool laterBoardOpenWhileBoxShown = false;
        QObject::connect(&w, &Engine::messageShown,
                         [&] { laterBoardOpenWhileBoxShown = w.comPort(1)->Connected(); });
        w.TimerSTimer();
        QCOMPARE(f.messages, QStringList{"Failed in Opening Port"});
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
        EngineFixture f;
        Simulator device(f.home.filePath("dev-b"), "KARN-5400",
                         {"--type", "J", "--serial", "B123"});
        QVERIFY(device.ready());
        f.writePortMap({"COM5=" + device.link()});
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        Engine& w = f.start();
        QSignalSpy exchange(&w, &Engine::exchangeChanged);
        QSignalSpy applied(&w, &Engine::configReportApplied);
        w.BtnGet1Click(1, "COM5");
        QVERIFY(w.exchangeRunning());
        QCOMPARE(exchange.size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(f.messages, QStringList{"OK"}, 5000);
        QVERIFY(!w.exchangeRunning());
        QCOMPARE(exchange.size(), 2);
        QCOMPARE(applied.size(), 1);
        QCOMPARE(applied.at(0).at(0).toInt(), 1);
        const BoardConfig& board = w.boards()[1];
        QCOMPARE(fieldText(board.model), QString("KARN-5400"));
        QCOMPARE(fieldText(board.serial), QString("B123"));
        QCOMPARE(board.tcType, 3);
        QCOMPARE(board.comPort, 5);
        QCOMPARE(board.cjcRefVolts, 5.0);
        QCOMPARE(w.runtimes()[1].modelClass, 1);
        QVERIFY(device.commands().contains("DC"));
    }

    void getConfigureReadsATypeSDevice() {
        EngineFixture f;
        Simulator device(f.home.filePath("dev-s"), "KARN-5610", {"--type", "S"});
        QVERIFY(device.ready());
        f.writePortMap({"COM6=" + device.link()});
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        Engine& w = f.start();
        w.BtnGet1Click(0, "COM6");
        QTRY_COMPARE_WITH_TIMEOUT(f.messages, QStringList{"OK"}, 5000);
        QCOMPARE(w.boards()[0].tcType, 4); // S
    }

    void getConfigureWithoutPortOrReply() {
        EngineFixture f;
        Simulator device(f.home.filePath("dev-c"), "KARN-5610");
        QVERIFY(device.ready());
        f.writePortMap({"COM4=" + device.link()});
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        Engine& w = f.start();
        w.BtnGet1Click(0, QString()); // "No Use"
        QCOMPARE(f.status, QString("Select your communication port."));
        QVERIFY(f.messages.isEmpty());

        w.BtnGet1Click(0, "COM4");
        QVERIFY(w.timerC().isActive());
        w.TimerCTimer(); // five seconds without the reply
        QCOMPARE(f.messages, QStringList{"Failed!!! Check COM Port"});
        QVERIFY(!w.timerC().isActive());
        QVERIFY(!w.exchangeRunning());
        QTest::qWait(300); // a late reply is ignored
        QCOMPARE(f.messages.size(), 1);
    }

    void interlockDrivesTheOutputAndShutdownSwitchesItOff() {
        EngineFixture f;
        Simulator device(f.home.filePath("dev-d"), "KARN-5610",
                         {"--rate", "5", "--fixed-temp", "120"});
        QVERIFY(device.ready());
        Engine& w = startInterlocked(f, device);
        QVERIFY(w.interlocked(0));
        QTRY_VERIFY_WITH_TIMEOUT(w.runtimes()[0].lineReady, 5000);
        w.Timer1Timer();
        QVERIFY(f.status.contains("High Alarm"));
        QTRY_VERIFY_WITH_TIMEOUT(device.commands().contains("D1"), 3000);

        QFile log(w.dataDirectory() + "/" + QDate::currentDate().toString("yyyyMMdd") + "/" +
                  QDate::currentDate().toString("yyyyMMdd") + ".eve");
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count("High Alarm"), 6); // CH1..CH6

        QVERIFY(w.shutdown());
        QTRY_COMPARE_WITH_TIMEOUT(device.commands().last(), QString("D0"), 3000);
        QVERIFY(!w.comPort(0)->Connected());
    }

    void outputsCatchUpAfterTheDeviceWasAway() {
        EngineFixture f;
        Simulator device(f.home.filePath("dev-e"), "KARN-5610",
                         {"--rate", "5", "--fixed-temp", "120"});
        QVERIFY(device.ready());
        Engine& w = startInterlocked(f, device);
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
        QTRY_VERIFY2_WITH_TIMEOUT(device.commands().mid(device.commands().lastIndexOf("DK")) ==
                                      (QStringList{"DK", "D1"}),
                                  qPrintable(device.commands().join(' ')), 3000);
        tickWithLine();
        QTRY_COMPARE_WITH_TIMEOUT(device.commands().last(), QString("D0"), 3000);
        QCOMPARE(w.runtimes()[0].doState, 0);
    }
};

QTEST_GUILESS_MAIN(DevicesTest)
#include "tst_Devices.moc"
