// The engine's life without a window: start-up as the settings say, serving, the ticks that
// show it alive, and the shutdown that saves, tells the clients and closes.
#include "EngineFixture.h"
#include "net/NetClient.h"
#include "net/NetFrame.h"
#include "net/NetServer.h"
#include "settings/RecordText.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace nimbar;

class LifecycleTest : public QObject {
    Q_OBJECT
private slots:
    void firstRunStartsNothing() {
        EngineFixture f;
        Engine& w = f.create();
        QSignalSpy loaded(&w, &Engine::settingsLoaded);
        QSignalSpy running(&w, &Engine::running);
        w.TimerSTimer();
        QVERIFY(w.firstRun());
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(running.size(), 0);
        QVERIFY(!w.timer1().isActive());
        QVERIFY(!w.netServer()->isListening(0));
        QVERIFY(QDir(w.dataDirectory()).exists());
        QVERIFY(w.shutdown());
        QCOMPARE(QFileInfo(w.paths().settingsFile()).size(), 4640);
    }

    void stoppedBeforeStartUpWritesNothing() {
        EngineFixture f;
        Engine& w = f.create();
        QVERIFY(w.shutdown());
        QVERIFY(!QFile::exists(w.paths().settingsFile()));
    }

    void servesTicksAndShutsDownTellingTheClients() {
        EngineFixture f;
        f.writeSettings([](BoardConfigs& boards) {
            boards[0].english = 1;
            boards[1].interval = 0;          // outside the page's range: saved as 1
            boards[0].queueLength = 9999;    // likewise: 3600
            boards[3].alarmHigh[2] = 80.125; // kept exactly unless typed
        });
        Engine& w = f.create();
        QSignalSpy running(&w, &Engine::running);
        QSignalSpy ticks(&w, &Engine::ticked);
        w.TimerSTimer();
        QCOMPARE(running.size(), 1);
        QVERIFY(w.timer1().isActive());
        QVERIFY(w.netServer()->isListening(3));
        QVERIFY(f.statuses.join('\n').contains("Listening"));
        w.Timer1Timer();
        QCOMPARE(ticks.size(), 1);

        QTcpSocket client;
        client.connectToHost("127.0.0.1", static_cast<quint16>(w.netServer()->port(0)));
        QVERIFY(client.waitForConnected(3000));
        QVERIFY(QTest::qWaitFor([&] { return w.netServer()->listed().size() == 1; }, 3000));

        w.setTypedAlarmLimits(0, 1, "90.5", "-5");
        w.setTypedAlarmLimits(0, 2, "oops", "-5"); // not a number: the stored limits stay
        QSignalSpy list(&w, &Engine::clientListChanged);
        QVERIFY(w.shutdown());
        QVERIFY(QTest::qWaitFor([&] { return client.bytesAvailable() >= 24; }, 3000));
        QCOMPARE(client.read(24), closingResponse("Server is closed"));
        QVERIFY(!w.netServer()->isListening(0));
        QVERIFY(!w.timer1().isActive());
        QVERIFY(!list.isEmpty());
        QVERIFY(list.last().at(0).toStringList().isEmpty());
        QVERIFY(w.shutdown()); // once only

        BoardConfigs saved{};
        QVERIFY(!loadBoardSettings(w.paths().settingsFile(), saved, ""));
        QCOMPARE(saved[1].interval, 1);
        QCOMPARE(saved[0].queueLength, 3600);
        QCOMPARE(saved[0].alarmHigh[1], 90.5);
        QCOMPARE(saved[0].alarmLow[1], -5.0);
        QCOMPARE(saved[0].alarmHigh[2], 100.0);
        QCOMPARE(saved[3].alarmHigh[2], 80.125);
    }

    void settingsThatCannotBeSavedAreSaid() {
        EngineFixture f;
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        Engine& w = f.start();
        QFile::remove(w.paths().settingsFile());
        QVERIFY(QDir().mkpath(w.paths().settingsFile())); // a folder where the file belongs
        QVERIFY(!w.shutdown());
        QCOMPARE(w.settingsNotSavedText(),
                 "The settings could not be saved to " + w.paths().settingsFile() + ".");
    }

    void clientConnectsAtStartAndSavesItsAddresses() {
        EngineFixture f;
        QTcpServer logger;
        QVERIFY(logger.listen(QHostAddress::LocalHost));
        ClientSettings settings = defaultClientSettings(f.home.filePath("data").toUtf8());
        settings.english = 1;
        setFieldText(settings.serverAddress[0], "192.168.10.20");
        settings.serverCount = 1;
        QVERIFY(saveClientSettings(f.paths(BuildKind::Client).settingsFile(), settings));
        qputenv("NIMBAR_BASE_PORT", QByteArray::number(logger.serverPort()));
        Engine& w = f.create(BuildKind::Client);
        QSignalSpy addresses(&w, &Engine::addressesChanged);
        QSignalSpy ticks(&w, &Engine::ticked);
        QSignalSpy listed(&w, &Engine::serverListed);
        w.connectAtStart(" 127.0.0.1 ");
        w.TimerSTimer();
        QVERIFY(w.timer2().isActive());
        QCOMPARE(addresses.size(), 4);
        QCOMPARE(w.serverAddresses(2), (QStringList{"127.0.0.1", "192.168.10.20"}));
        QVERIFY(w.netClient()->retrying());
        QVERIFY(QTest::qWaitFor([&] { return w.netClient()->isConnected(0); }, 3000));
        // The server's name is looked up once connected; the test waits for the answer.
        QVERIFY(QTest::qWaitFor([&] { return !listed.isEmpty(); }, 5000));
        w.Timer2Timer();
        QCOMPARE(ticks.size(), 1);

        w.setElapse(true);
        QVERIFY(w.shutdown());
        const ClientSettings saved = loadClientSettings(w.paths().settingsFile(), "");
        QCOMPARE(fieldText(saved.serverAddress[0]), QString("127.0.0.1"));
        QCOMPARE(fieldText(saved.serverAddress[1]), QString("192.168.10.20"));
        QCOMPARE(saved.serverCount, 2);
        QCOMPARE(saved.elapsedAxis, 1);
        QCOMPARE(saved.english, 1);
    }
};

QTEST_GUILESS_MAIN(LifecycleTest)
#include "tst_Lifecycle.moc"
