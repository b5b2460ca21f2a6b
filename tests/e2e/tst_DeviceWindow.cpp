// The window with simulated devices on pseudo-terminals: what it shows of the ports, the
// configuration exchange from its page, and the interlock box.
#include "Simulator.h"
#include "WindowFixture.h"
#include "device/ComPort.h"
#include "settings/RecordText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace nimbar;

namespace {

void writePortMap(const WindowFixture& f, const QStringList& lines) {
    QFile file(f.paths(BuildKind::Logger).portMap());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(lines.join('\n').toUtf8() + '\n');
}

} // namespace

class DeviceWindowTest : public QObject {
    Q_OBJECT
private slots:
    void portsOpenedAndFailedAreShown() {
        WindowFixture f;
        Simulator device(f.home.filePath("dev-a"), "KARN-5610", {"--rate", "5"});
        QVERIFY(device.ready());
        writePortMap(f, {"COM9=" + device.link()});
        f.writeSettings([](BoardConfigs& boards) {
            boards[0].english = 1;
            boards[0].comPort = 9;
            boards[1].comPort = 99; // no such port
        });
        TForm1& w = f.start();
        QCOMPARE(f.prompts.messages, QStringList{"Failed in Opening Port"});
        QVERIFY(w.comPort(0)->Connected());
        QCOMPARE(w.statusText(), QString("COM9 was opened"));
        QCOMPARE(f.find<QComboBox>("CBPort1")->currentText(), QString("COM9"));
        QCOMPARE(f.find<QComboBox>("CBPort2")->currentText(), QString("COM99"));
        QTRY_VERIFY_WITH_TIMEOUT(w.runtimes()[0].lineReady, 5000);
        w.Timer1Timer();
        QCOMPARE(w.runtimes()[0].sampleCount, 1);
    }

    void getConfigureFromThePage() {
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
        QCOMPARE(w.boards()[1].comPort, 5);
        QCOMPARE(f.find<QComboBox>("CBRB1")->itemText(0), QString("5000 mV "));
        QVERIFY(!f.find<QWidget>("EdT1B5")->isEnabled());
        QCOMPARE(f.find<QLineEdit>("EdSNum2")->text(), QString("B123"));
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
        QVERIFY(!f.find<QPushButton>("BtnGet3")->isEnabled());
        w.TimerCTimer(); // five seconds without the reply
        QCOMPARE(f.prompts.messages, QStringList{"Failed!!! Check COM Port"});
        for (int b = 1; b <= 4; ++b)
            QVERIFY(f.find<QPushButton>(QString("BtnGet%1").arg(b))->isEnabled());
    }

    void interlockBoxDrivesTheOutputAndShutdownSwitchesItOff() {
        WindowFixture f;
        Simulator device(f.home.filePath("dev-d"), "KARN-5610",
                         {"--rate", "5", "--fixed-temp", "120"});
        QVERIFY(device.ready());
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
        QVERIFY(!f.find<QCheckBox>("ChkDOA1")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(w.runtimes()[0].lineReady, 5000);
        w.Timer1Timer();
        QVERIFY(w.statusText().contains("High Alarm"));
        QTRY_VERIFY_WITH_TIMEOUT(device.commands().contains("D1"), 3000);

        w.shutdownWithoutConfirmation();
        QTRY_COMPARE_WITH_TIMEOUT(device.commands().last(), QString("D0"), 3000);
        QVERIFY(!w.comPort(0)->Connected());
    }
};

QTEST_MAIN(DeviceWindowTest)
#include "tst_DeviceWindow.moc"
