// The programs without a window (--headless), as a service manager runs them: no display at
// all, simulated devices on pseudo-terminals, a board client on loopback, systemd's
// notification socket stood in for by a datagram socket of the test.
#include "FreePorts.h"
#include "RecordedValues.h"
#include "Simulator.h"
#include "ToolRun.h"
#include "net/NetFrame.h"
#include "settings/BoardConfig.h"
#include "settings/RecordText.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace nimbar;

namespace {

QString program(const QString& name) {
    return qEnvironmentVariable("NIMBAR_BIN_DIR") + '/' + name;
}

// The environment of a machine without a screen: no display of any kind.
QProcessEnvironment headlessEnvironment(const QTemporaryDir& dir) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    env.insert("HOME", dir.path());
    return env;
}

// Four free ports in a row for the logger's boards.
// A datagram socket where the program sends what sd_notify says (NOTIFY_SOCKET). It is read
// whenever something arrives, as a service manager does: a full queue would hold the sender up.
class NotifySocket {
public:
    explicit NotifySocket(const QString& path) : m_path(path) {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray bytes = QFile::encodeName(path);
        std::memcpy(address.sun_path, bytes.constData(),
                    std::min<std::size_t>(bytes.size(), sizeof address.sun_path - 1));
        m_bound = ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { receive(); });
    }
    ~NotifySocket() {
        m_notifier.reset();
        ::close(m_fd);
        QFile::remove(m_path);
    }
    bool bound() const { return m_bound; }
    // Every message received so far, one a line.
    QStringList messages() {
        receive();
        return m_messages;
    }

private:
    void receive() {
        char buffer[4096];
        ssize_t size = 0;
        while ((size = ::recv(m_fd, buffer, sizeof buffer, 0)) > 0)
            m_messages << QString::fromUtf8(buffer, size).split('\n', Qt::SkipEmptyParts);
    }

    QString m_path;
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_bound = false;
    QStringList m_messages;
};

void writeLoggerSettings(const QTemporaryDir& dir, const Simulator& a, const Simulator& b) {
    QFile ports(dir.filePath("Nimbar5610.ports"));
    QVERIFY(ports.open(QIODevice::WriteOnly));
    ports.write(("COM21=" + a.link() + "\nCOM22=" + b.link() + "\n").toUtf8());
    ports.close();
    BoardConfigs boards{};
    fillDefaultBoardConfigs(boards, dir.filePath("data").toUtf8().constData());
    boards[0].english = 1;
    const char* models[] = {"KARN-5610", "KARN-5400"};
    for (int board = 0; board < 2; ++board) {
        BoardConfig& c = boards[board];
        setFieldText(c.model, models[board]);
        c.comPort = 21 + board;
        c.tcType = 1;
        c.cjcRefVolts = 5.0;
        for (int ch = 0; ch < kChannelCount; ++ch)
            c.channelType[ch] = 1;
    }
    QVERIFY(saveBoardSettings(dir.filePath("Nimbar5610.SET"), boards));
}

int recordCount(const QString& directory) {
    return static_cast<int>(readRecordedRecords(directory).size());
}

void stopWithSigterm(QProcess& process) {
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

} // namespace

class HeadlessTest : public QObject {
    Q_OBJECT
private slots:
    void loggerGreetsRecordsServesAndStopsOnSigterm() {
        QTemporaryDir dir;
        // Board A reads 120 C, above its high limit: alarms and their event log.
        Simulator a(dir.filePath("dev-a"), "KARN-5610", {"--rate", "2", "--fixed-temp", "120"});
        Simulator b(dir.filePath("dev-b"), "KARN-5400", {"--rate", "2"});
        QVERIFY(a.ready() && b.ready());
        writeLoggerSettings(dir, a, b);
        const int basePort = freeBasePort();
        QVERIFY(basePort > 0);
        NotifySocket notify(dir.filePath("notify"));
        QVERIFY(notify.bound());

        QProcess logger;
        QProcessEnvironment env = headlessEnvironment(dir);
        env.insert("NIMBAR_BASE_PORT", QString::number(basePort));
        env.insert("NOTIFY_SOCKET", dir.filePath("notify"));
        env.insert("WATCHDOG_USEC", "10000000");
        logger.setProcessEnvironment(env);
        logger.start(program("Nimbar5610"), {"--headless", "--home", dir.path()});
        QVERIFY2(logger.waitForStarted(), qPrintable(logger.errorString()));

        // Ready once the devices are open and the boards are served; alive with each tick.
        QTRY_VERIFY_WITH_TIMEOUT(notify.messages().contains("READY=1"), 20000);
        QTcpSocket client;
        client.connectToHost("127.0.0.1", static_cast<quint16>(basePort));
        QVERIFY(client.waitForConnected(5000));
        QTRY_VERIFY_WITH_TIMEOUT(notify.messages().contains("WATCHDOG=1"), 5000);
        QVERIFY(a.commands().startsWith("DK"));
        QVERIFY(b.commands().startsWith("DK"));
        const QString data = dir.filePath("data");
        QTRY_VERIFY_WITH_TIMEOUT(
            recordCount(data + "/" + QDate::currentDate().toString("yyyyMMdd") + "/B") >= 3, 20000);

        // No platform plugin was loaded: nothing of a display is in the process.
        QFile maps(QString("/proc/%1/maps").arg(logger.processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped = maps.readAll();
        QVERIFY(mapped.contains("libQt6Core"));
        QVERIFY(!mapped.contains("/platforms/"));

        stopWithSigterm(logger);
        QVERIFY(notify.messages().contains("STOPPING=1"));
        // Outputs off, the client told, the records there, the settings kept.
        QCOMPARE(a.commands().constLast(), QString("D0"));
        QCOMPARE(b.commands().constLast(), QString("P0"));
        QVERIFY(client.bytesAvailable() > 0 || client.waitForReadyRead(3000));
        QVERIFY(client.readAll().contains(closingResponse("Server is closed")));
        QVERIFY(recordCount(data) >= 6);
        QCOMPARE(QFileInfo(dir.filePath("Nimbar5610.SET")).size(), 4640);
        QVERIFY(!QFile::exists(dir.filePath("Exception1.Err")));

        // What the status bar would have said: one line each, with the time.
        const QStringList lines =
            QString::fromUtf8(logger.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        const QRegularExpression stamped("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\S");
        for (const QString& line : lines)
            QVERIFY2(stamped.match(line).hasMatch(), qPrintable(line));
        QVERIFY(lines.filter("COM21 was opened").size() == 1);
        QVERIFY(lines.filter(QString("Listening: ")).size() == 4);
        QVERIFY(!lines.filter("CH1 High Alarm").isEmpty());
        QVERIFY(QFile::exists(data + "/" + QDate::currentDate().toString("yyyyMMdd") + "/" +
                              QDate::currentDate().toString("yyyyMMdd") + ".eve"));
    }

    void aPortThatFailsIsSaidAndWaitsForNoOne() {
        QTemporaryDir dir;
        Simulator a(dir.filePath("dev-a"), "KARN-5610", {"--rate", "2"});
        QVERIFY(a.ready());
        writeLoggerSettings(dir, a, a);
        QFile::remove(dir.filePath("Nimbar5610.ports"));
        QFile ports(dir.filePath("Nimbar5610.ports"));
        QVERIFY(ports.open(QIODevice::WriteOnly));
        ports.write(("COM21=" + a.link() + "\nCOM22=" + dir.filePath("missing") + "\n").toUtf8());
        ports.close();

        // A board port that another program holds is said as well.
        const int basePort = freeBasePort();
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::AnyIPv4, static_cast<quint16>(basePort + 2)));

        QProcess logger;
        QProcessEnvironment env = headlessEnvironment(dir);
        env.insert("NIMBAR_BASE_PORT", QString::number(basePort));
        logger.setProcessEnvironment(env);
        logger.start(program("Nimbar5610"), {"--headless", "--home", dir.path()});
        QVERIFY(logger.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(
            recordCount(dir.filePath("data/" + QDate::currentDate().toString("yyyyMMdd"))) >= 2,
            20000);
        stopWithSigterm(logger);
        const QString said = QString::fromUtf8(logger.readAllStandardError());
        QVERIFY2(said.contains(" Failed in Opening Port\n"), qPrintable(said));
        QVERIFY(said.contains(QString(" Port %1 cannot listen: ").arg(basePort + 2)));
        QVERIFY(said.contains("Not shared on the network: DAQ3, DAQ4\n"));
    }

    void withoutSettingsItWritesNothingAndSaysHow() {
        QTemporaryDir dir;
        QProcess logger;
        logger.setProcessEnvironment(headlessEnvironment(dir));
        logger.start(program("Nimbar5610"), {"--headless", "--home", dir.filePath("home")});
        QVERIFY(logger.waitForFinished(20000));
        QCOMPARE(logger.exitCode(), 2);
        const QByteArray said = logger.readAllStandardError();
        QVERIFY2(said.contains("nimbar-config --out"), said.constData());
        QVERIFY(said.contains("without --headless"));
        QVERIFY(QDir(dir.filePath("home")).isEmpty());
        QVERIFY(!QDir(dir.filePath("Nimbar")).exists());
    }

    void aWrongOptionIsSaidWithoutADisplay_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown") << "Nimbar5610" << QStringList{"--bogus"} << "unknown option";
        QTest::newRow("window option")
            << "Nimbar5610" << QStringList{"--headless", "-bogus"} << "unknown option '-bogus'";
        QTest::newRow("client alone")
            << "Tessel5610" << QStringList{"--headless"} << "--headless needs --connect HOST";
        QTest::newRow("qt option value")
            << "Tessel5610" << QStringList{"-platform"} << "-platform needs a value";
    }
    void aWrongOptionIsSaidWithoutADisplay() {
        QFETCH(QString, name);
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QProcess process;
        process.setProcessEnvironment(headlessEnvironment(dir));
        process.start(program(name), arguments);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 2);
        const QByteArray said = process.readAllStandardError();
        QVERIFY2(said.contains(reason.toUtf8()), said.constData());
    }

    void clientRecordsARemoteLoggersBoards() {
        QTemporaryDir dir;
        Simulator a(dir.filePath("dev-a"), "KARN-5610", {"--rate", "2"});
        Simulator b(dir.filePath("dev-b"), "KARN-5400", {"--rate", "2"});
        QVERIFY(a.ready() && b.ready());
        writeLoggerSettings(dir, a, b);
        const int basePort = freeBasePort();
        QProcessEnvironment env = headlessEnvironment(dir);
        env.insert("NIMBAR_BASE_PORT", QString::number(basePort));
        QProcess logger;
        logger.setProcessEnvironment(env);
        logger.start(program("Nimbar5610"), {"--headless", "--home", dir.path()});
        QVERIFY(logger.waitForStarted());

        QProcess client;
        client.setProcessEnvironment(env);
        QDir().mkpath(dir.filePath("client"));
        client.start(program("Tessel5610"),
                     {"--headless", "--connect", "127.0.0.1", "--home", dir.filePath("client")});
        QVERIFY(client.waitForStarted());
        // The client's data directory is ~/Tessel by default: HOME is the test's folder.
        const QString clientDay =
            dir.filePath("Tessel/" + QDate::currentDate().toString("yyyyMMdd"));
        QTRY_VERIFY_WITH_TIMEOUT(recordCount(clientDay + "/A") >= 2, 30000);
        stopWithSigterm(client);
        stopWithSigterm(logger);
        QCOMPARE(QFileInfo(dir.filePath("client/Tessel5610.SET")).size(), 372);
        const ClientSettings saved = loadClientSettings(dir.filePath("client/Tessel5610.SET"), "");
        QCOMPARE(fieldText(saved.serverAddress[0]), QString("127.0.0.1"));
        const QString said = QString::fromUtf8(client.readAllStandardError());
        QVERIFY2(said.contains(" DAQ1 "), qPrintable(said)); // connected, in Korean here
    }
};

QTEST_GUILESS_MAIN(HeadlessTest)
#include "tst_Headless.moc"
