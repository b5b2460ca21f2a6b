// The network controls of both programs' windows, driven offscreen by control name.
#include "WindowFixture.h"
#include "net/NetClient.h"
#include "net/NetFrame.h"
#include "net/NetServer.h"
#include "settings/RecordText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <cstring>

using namespace nimbar;

class NetWindowTest : public QObject {
    Q_OBJECT
private slots:
    void clientConnectsKeepsHistoryAndInstallsConfigurations() {
        WindowFixture f;
        QTcpServer logger;
        QVERIFY(logger.listen(QHostAddress::LocalHost));
        ClientSettings settings = defaultClientSettings(f.home.filePath("data").toUtf8());
        settings.english = 1;
        settings.remoteBoard[0] = 2;
        QVERIFY(saveClientSettings(f.paths(BuildKind::Client).settingsFile(), settings));
        qputenv("NIMBAR_BASE_PORT", QByteArray::number(logger.serverPort() - 2));
        TForm1& w = f.start(BuildKind::Client);
        QCOMPARE(w.netClient()->port(0), int(logger.serverPort()));

        auto* address = f.find<QComboBox>("CBAddr1");
        auto* connectButton = f.find<QPushButton>("BtConnect1");
        auto* configButton = f.find<QPushButton>("BtC1");
        QVERIFY(!configButton->isEnabled());
        address->setEditText("");
        connectButton->click();
        QCOMPARE(w.statusText(), QString("Input Nimbar IP address"));

        address->setEditText("localhost");
        connectButton->click();
        QVERIFY(QTest::qWaitFor([&] { return logger.hasPendingConnections(); }, 3000));
        QTcpSocket* peer = logger.nextPendingConnection();
        QVERIFY(QTest::qWaitFor([&] { return w.netClient()->isConnected(0); }, 3000));
        QCOMPARE(address->itemText(0), QString("localhost"));
        QCOMPARE(address->itemText(1), QString("127.0.0.1"));
        QCOMPARE(connectButton->text(), QString("Disconnect"));
        QVERIFY(configButton->isEnabled());

        // A hostile record: every byte 0xFF. It installs without reading or writing out of
        // bounds and leaves the client's own directory, language and Elapse option alone.
        const QString directory = w.dataDirectory();
        const BoardConfig own = w.boards()[0];
        QByteArray record(sizeof(BoardConfig), char(0xFF));
        const QByteArray frame = encodeResponse(NetCode::Configuration, record);
        peer->write(frame.left(600));
        peer->flush();
        QTest::qWait(20);
        peer->write(frame.mid(600));
        peer->flush();
        QVERIFY(QTest::qWaitFor([&] { return w.statusText() == "OK"; }, 3000));
        QVERIFY(w.runtimes()[0].headerRewrite);
        QCOMPARE(w.boards()[0].english, own.english);
        QCOMPARE(w.boards()[0].elapsedAxis, own.elapsedAxis);
        QVERIFY(std::memcmp(w.boards()[0].dataDir, own.dataDir, sizeof own.dataDir) == 0);
        QCOMPARE(w.boards()[0].queueLength, -1);
        QCOMPARE(w.dataDirectory(), directory);
        QVERIFY(!w.korean());

        // Disconnecting and connecting again does not repeat the address.
        connectButton->click();
        QVERIFY(QTest::qWaitFor([&] { return connectButton->text() == "Connect"; }, 3000));
        QVERIFY(!configButton->isEnabled());
        connectButton->click();
        QCOMPARE(address->count(), 2);
        QVERIFY(QTest::qWaitFor([&] { return logger.hasPendingConnections(); }, 3000));

        w.shutdownWithoutConfirmation();
        QVERIFY(!w.netClient()->isConnected(0));
        const ClientSettings saved =
            loadClientSettings(f.paths(BuildKind::Client).settingsFile(), "");
        QCOMPARE(saved.serverCount, 2);
        QCOMPARE(QByteArray(saved.serverAddress[0]), QByteArray("localhost"));
        qunsetenv("NIMBAR_BASE_PORT");
    }

    void netOffSwitchClosesAndReopensTheServer() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        TForm1& w = f.start();
        for (int b = 0; b < kBoardCount; ++b)
            QVERIFY(w.netServer()->isListening(b));
        QTcpSocket client;
        client.connectToHost("127.0.0.1", static_cast<quint16>(w.netServer()->port(0)));
        QVERIFY(client.waitForConnected(3000));
        auto* memoC = f.find<QPlainTextEdit>("MemoC");
        QVERIFY(QTest::qWaitFor(
            [&] { return memoC->blockCount() == 1 && !memoC->toPlainText().isEmpty(); }, 3000));

        auto* netOff = f.find<QCheckBox>("ChkNetOff");
        netOff->click();
        QVERIFY(memoC->toPlainText().isEmpty());
        for (int b = 0; b < kBoardCount; ++b)
            QVERIFY(!w.netServer()->isListening(b));
        QVERIFY(QTest::qWaitFor([&] { return client.bytesAvailable() >= 24; }, 3000));
        QCOMPARE(client.readAll(), closingResponse("Server is closed"));

        auto* memoR = f.find<QPlainTextEdit>("MemoR");
        memoR->clear();
        netOff->click();
        QCOMPARE(memoR->toPlainText().count("Listening: "), 4);
        QVERIFY(w.statusText().startsWith("Listening: "));
        w.shutdownWithoutConfirmation();
        for (int b = 0; b < kBoardCount; ++b)
            QVERIFY(!w.netServer()->isListening(b));
    }
};

QTEST_MAIN(NetWindowTest)
#include "tst_NetWindow.moc"
