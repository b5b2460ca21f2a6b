// The built programs as a service manager runs them: start on an empty program directory,
// stop on SIGTERM, leave the settings file behind.
#include "ToolRun.h"

#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <utility>

class ProgramLifeTest : public QObject {
    Q_OBJECT
private:
    static QString program(const QString& name) {
        return qEnvironmentVariable("NIMBAR_BIN_DIR") + '/' + name;
    }

    // Starts the program on empty folders and waits until its start-up step has run, which
    // creates the data directory under HOME.
    static void startOnEmptyHome(QProcess& process, const QString& name, const QTemporaryDir& dir,
                                 const QString& dataFolder, const QStringList& extra = {},
                                 int basePort = -1) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir.filePath("user"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        if (basePort >= 0)
            env.insert("NIMBAR_BASE_PORT", QString::number(basePort));
        process.setProcessEnvironment(env);
        QDir().mkpath(dir.filePath("user"));
        QDir().mkpath(dir.filePath("program"));
        process.start(program(name), QStringList{"--home", dir.filePath("program")} + extra);
        QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
        QTRY_VERIFY_WITH_TIMEOUT(QDir(dir.filePath("user/" + dataFolder)).exists(), 20000);
    }

    static void stopWithSigterm(QProcess& process, int signal = SIGTERM) {
        ::kill(static_cast<pid_t>(process.processId()), signal);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }

private slots:
    void loggerFirstRunListensNowhereAndSavesOnSigterm() {
        QTemporaryDir dir;
        // Ports of its own, so that another logger on this machine is not taken for this one.
        QTcpServer spare;
        QVERIFY(spare.listen(QHostAddress::LocalHost));
        const quint16 base = spare.serverPort();
        spare.close();
        QProcess logger;
        startOnEmptyHome(logger, "Nimbar5610", dir, "Nimbar", {}, base);
        for (quint16 port = base; port < base + 4; ++port) {
            QTcpSocket probe;
            probe.connectToHost("127.0.0.1", port);
            QVERIFY(!probe.waitForConnected(500));
        }
        stopWithSigterm(logger);
        QCOMPARE(QFileInfo(dir.filePath("program/Nimbar5610.SET")).size(), 4640);
        QVERIFY(!QFile::exists(dir.filePath("program/Exception1.Err")));
    }

    // The later --home wins; a missing one is made with its parents. Qt's own options pass.
    void closingTheTerminalSavesLikeSigtermIntoAMadeHome() {
        QTemporaryDir dir;
        QProcess logger;
        startOnEmptyHome(logger, "Nimbar5610", dir, "Nimbar",
                         {"-platform", "offscreen", "--home", dir.filePath("new/home")});
        stopWithSigterm(logger, SIGHUP);
        QCOMPARE(QFileInfo(dir.filePath("new/home/Nimbar5610.SET")).size(), 4640);
    }

    void unusableCommandLineStopsBeforeAnyWindow_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown") << "Nimbar5610" << QStringList{"--bogus"} << "unknown option";
        QTest::newRow("client option")
            << "Nimbar5610" << QStringList{"--connect", "h"} << "unknown option '--connect'";
        QTest::newRow("stray word") << "Tessel5610" << QStringList{"home"} << "unexpected";
        QTest::newRow("home without folder")
            << "Tessel5610" << QStringList{"--home"} << "--home needs a folder";
        QTest::newRow("connect without host")
            << "Tessel5610" << QStringList{"--connect", "--home", "x"} << "--connect needs a host";
        QTest::newRow("mqtt without url")
            << "Tessel5610" << QStringList{"--mqtt", "--home", "x"} << "--mqtt needs a broker URL";
        QTest::newRow("web without port") << "Nimbar5610" << QStringList{"--web"} << "--web needs";
        QTest::newRow("web port too big")
            << "Tessel5610" << QStringList{"--web", "0.0.0.0:70000"} << "is not [ADDRESS:]PORT";
        QTest::newRow("token without web")
            << "Nimbar5610" << QStringList{"--web-token-file", "FILE"} << "needs --web";
        QTest::newRow("home is a file")
            << "Nimbar5610" << QStringList{"--home", "FILE"} << "is not a folder";
    }
    void unusableCommandLineStopsBeforeAnyWindow() {
        QFETCH(QString, name);
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QFile file(dir.filePath("file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        arguments.replaceInStrings("FILE", file.fileName());
        const ToolResult result = runTool(program(name), arguments);
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.contains(reason.toUtf8()), result.err.constData());
        QVERIFY(result.err.contains("Try '" + name.toUtf8() + " --help'"));
    }

    void clientSavesItsOwnRecordOnSigterm() {
        QTemporaryDir dir;
        QProcess client;
        startOnEmptyHome(client, "Tessel5610", dir, "Tessel");
        stopWithSigterm(client);
        QCOMPARE(QFileInfo(dir.filePath("program/Tessel5610.SET")).size(), 372);
    }

    void helpAndVersionNeedNoDisplay() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(name);
        const auto run = [&env](const QString& name, const QString& option) {
            QProcess process;
            process.setProcessEnvironment(env);
            process.start(program(name), {option});
            process.waitForFinished(20000);
            return std::pair{process.exitCode(), QString::fromLocal8Bit(process.readAll())};
        };
        const auto [loggerCode, loggerHelp] = run("Nimbar5610", "--help");
        QCOMPARE(loggerCode, 0);
        QVERIFY(loggerHelp.startsWith("Usage: Nimbar5610 [--home DIR] [--headless] [--mqtt URL"));
        QVERIFY(loggerHelp.contains("--mqtt-topic PREFIX"));
        QVERIFY(!loggerHelp.contains("--connect"));
        const auto [clientCode, clientHelp] = run("Tessel5610", "--help");
        QCOMPARE(clientCode, 0);
        QVERIFY(clientHelp.contains("--home DIR"));
        QVERIFY(clientHelp.contains("--connect HOST [--headless]"));
        QVERIFY(loggerHelp.contains("--web [ADDRESS:]PORT") &&
                clientHelp.contains("--web-token-file"));
        QCOMPARE(run("Tessel5610", "--version"), std::pair(0, QString("Tessel5610 Ver 2.0.2\n")));
    }
};

QTEST_GUILESS_MAIN(ProgramLifeTest)
#include "tst_ProgramLife.moc"
