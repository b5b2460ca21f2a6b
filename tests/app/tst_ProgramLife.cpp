// The built programs as a service manager runs them: start on an empty program directory,
// stop on SIGTERM, leave the settings file behind.
#include <QDir>
#include <QProcess>
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
                                 const QString& dataFolder) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir.filePath("user"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        QDir().mkpath(dir.filePath("user"));
        QDir().mkpath(dir.filePath("program"));
        process.start(program(name), {"--home", dir.filePath("program")});
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
        QProcess logger;
        startOnEmptyHome(logger, "Nimbar5610", dir, "Nimbar");
        for (quint16 port = 7996; port <= 7999; ++port) {
            QTcpSocket probe;
            probe.connectToHost("127.0.0.1", port);
            QVERIFY(!probe.waitForConnected(500));
        }
        stopWithSigterm(logger);
        QCOMPARE(QFileInfo(dir.filePath("program/Nimbar5610.SET")).size(), 4640);
        QVERIFY(!QFile::exists(dir.filePath("program/Exception1.Err")));
    }

    void closingTheTerminalSavesLikeSigterm() {
        QTemporaryDir dir;
        QProcess logger;
        startOnEmptyHome(logger, "Nimbar5610", dir, "Nimbar");
        stopWithSigterm(logger, SIGHUP);
        QCOMPARE(QFileInfo(dir.filePath("program/Nimbar5610.SET")).size(), 4640);
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
        QVERIFY(loggerHelp.startsWith("Usage: Nimbar5610 [--home DIR]\n"));
        QVERIFY(!loggerHelp.contains("--connect"));
        const auto [clientCode, clientHelp] = run("Tessel5610", "--help");
        QCOMPARE(clientCode, 0);
        QVERIFY(clientHelp.contains("--home DIR"));
        QVERIFY(clientHelp.contains("--connect HOST"));
        QCOMPARE(run("Tessel5610", "--version"), std::pair(0, QString("Tessel5610 Ver 2.0.2\n")));
    }
};

QTEST_GUILESS_MAIN(ProgramLifeTest)
#include "tst_ProgramLife.moc"
