// The network controls of both programs' windows, driven offscreen by control name.
#include "FreePorts.h"
#include "WindowFixture.h"
#include "net/NetClient.h"
#include "net/NetFrame.h"
#include "net/NetServer.h"
#include "settings/RecordText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <cstring>

using namespace nimbar;

namespace {

bool greyed(const QLineEdit* box) {
    return box->palette().color(QPalette::Text) == QColor(Qt::gray);
}

} // namespace

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

    // Boards whose logger went away keep their last values, greyed, and the status names every
    // lost board; the first line on a new connection shows the board live again.
    void lostBoardsShowStaleUntilLinesArriveAgain() {
        WindowFixture f;
        QTcpServer logger;
        QVERIFY(logger.listen(QHostAddress::LocalHost));
        ClientSettings settings = defaultClientSettings(f.home.filePath("data").toUtf8());
        settings.english = 1;
        settings.remoteBoard[0] = 0;
        settings.remoteBoard[1] = 0;
        QVERIFY(saveClientSettings(f.paths(BuildKind::Client).settingsFile(), settings));
        qputenv("NIMBAR_BASE_PORT", QByteArray::number(logger.serverPort()));
        TForm1& w = f.start(BuildKind::Client);
        qunsetenv("NIMBAR_BASE_PORT");

        const auto connectBoard = [&](int b) -> QTcpSocket* {
            f.find<QComboBox>(QString("CBAddr%1").arg(b + 1))->setEditText("127.0.0.1");
            f.find<QPushButton>(QString("BtConnect%1").arg(b + 1))->click();
            if (!QTest::qWaitFor([&] { return logger.hasPendingConnections(); }, 3000))
                return nullptr;
            QTcpSocket* peer = logger.nextPendingConnection();
            if (!QTest::qWaitFor([&] { return w.netClient()->isConnected(b); }, 3000))
                return nullptr;
            return peer;
        };
        char line[kLineBufferSize] = "0001, 0002\r\n";
        const auto sendLine = [&](QTcpSocket* peer) {
            peer->write(measurementResponse(line));
            peer->flush();
        };
        QSignalSpy arrived(&w.engine(), &Engine::lineArrived);
        QTcpSocket* peerA = connectBoard(0);
        QTcpSocket* peerB = connectBoard(1);
        QVERIFY(peerA && peerB);
        sendLine(peerA);
        sendLine(peerB);
        QVERIFY(QTest::qWaitFor([&] { return arrived.size() == 2; }, 3000));
        auto* valueA = f.find<QLineEdit>("EdA1");
        auto* valueB = f.find<QLineEdit>("EdB1");
        auto* lampA = f.find<QFrame>("Shape1");
        const QString lastValue = valueA->text();
        QVERIFY(!greyed(valueA) && !greyed(valueB));

        // The logger's closing notice on board 1; board 2's connection just ends.
        peerA->write(closingResponse("Server is closed"));
        peerA->flush();
        QVERIFY(QTest::qWaitFor([&] { return greyed(valueA); }, 3000));
        QCOMPARE(valueA->text(), lastValue);
        QVERIFY(lampA->styleSheet().contains("lightgray"));
        QVERIFY(valueA->toolTip().startsWith("DAQ1 lost at "));
        QVERIFY(valueA->toolTip().contains("; last line at "));
        QVERIFY(!greyed(valueB));
        QVERIFY(w.statusText().contains("Lost: DAQ1 since "));
        peerB->abort();
        QVERIFY(QTest::qWaitFor([&] { return greyed(valueB); }, 3000));
        QVERIFY2(QTest::qWaitFor([&] { return w.statusText().contains("DAQ2 since "); }, 3000),
                 qPrintable(w.statusText()));
        QVERIFY2(w.statusText().contains("Lost: DAQ1 since "), qPrintable(w.statusText()));

        // Back again: no longer listed as lost, but stale until its first line.
        peerA = connectBoard(0);
        QVERIFY(peerA);
        QVERIFY(QTest::qWaitFor([&] { return w.statusText().startsWith("DAQ1 connected"); }, 3000));
        QVERIFY(!w.statusText().contains("DAQ1 since"));
        QVERIFY(w.statusText().contains("Lost: DAQ2 since "));
        QVERIFY(greyed(valueA));
        sendLine(peerA);
        QVERIFY(QTest::qWaitFor([&] { return !greyed(valueA); }, 3000));
        QVERIFY(valueA->toolTip().isEmpty());
        QVERIFY(!lampA->styleSheet().contains("lightgray"));
        QVERIFY(greyed(valueB));

        // The user's own disconnect loses nothing.
        auto* connectA = f.find<QPushButton>("BtConnect1");
        connectA->click();
        QVERIFY(QTest::qWaitFor([&] { return connectA->text() == "Connect"; }, 3000));
        QVERIFY(!greyed(valueA));
        w.shutdownWithoutConfirmation();
    }

    // A board port that another program holds stays said in red on the Client page and in the
    // exception log, over any later status, until the servers open again.
    void portHeldElsewhereStaysShown() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        const int base = freeBasePort();
        QVERIFY(base > 0);
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::AnyIPv4, static_cast<quint16>(base + 1)));
        qputenv("NIMBAR_BASE_PORT", QByteArray::number(base));
        TForm1& w = f.start();
        qunsetenv("NIMBAR_BASE_PORT");
        QVERIFY(w.netServer()->isListening(0));
        QVERIFY(!w.netServer()->isListening(1));

        auto* problem = f.find<QLabel>("LblNetProblem");
        QVERIFY(!problem->isHidden());
        const QString held = QString("Port %1 cannot listen").arg(base + 1);
        QVERIFY2(problem->text().startsWith(held), qPrintable(problem->text()));
        QVERIFY(problem->text().endsWith("Not shared on the network: DAQ2, DAQ3, DAQ4"));
        QCOMPARE(problem->palette().color(QPalette::WindowText), QColor(Qt::red));
        w.ShowStatus("something else");
        QVERIFY(!problem->isHidden());
        QFile log(w.engine().exceptionLog().path());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromLocal8Bit(log.readAll()).contains(held));

        // Once the port is free, the switch's reopening serves every board and clears it.
        holder.close();
        auto* netOff = f.find<QCheckBox>("ChkNetOff");
        netOff->click();
        netOff->click();
        for (int b = 0; b < kBoardCount; ++b)
            QVERIFY(w.netServer()->isListening(b));
        QVERIFY(problem->isHidden());
        w.shutdownWithoutConfirmation();
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
