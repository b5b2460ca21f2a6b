// The logger installed where its user cannot write, and a user whose home is not ASCII: the
// settings and the recordings must land where the next start finds them.
#include "Simulator.h"
#include "settings/BoardConfig.h"
#include "settings/RecordText.h"
#include "settings/SettingsFile.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace nimbar;

namespace {

constexpr uid_t kNobody = 65534;

// Root writes everywhere: the logger then runs as nobody, so that a folder it does not own is
// really closed to it.
bool asRoot() {
    return ::geteuid() == 0;
}

void giveToUser(const QString& path) {
    if (!asRoot())
        return;
    QDirIterator entries(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                         QDirIterator::Subdirectories);
    QStringList all{path};
    while (entries.hasNext())
        all << entries.next();
    for (const QString& entry : all)
        QVERIFY(::chown(QFile::encodeName(entry).constData(), kNobody, kNobody) == 0);
}

void startLogger(QProcess& logger, const QString& program, const QStringList& arguments,
                 const QProcessEnvironment& env) {
    logger.setProcessEnvironment(env);
    if (asRoot())
        logger.start("setpriv",
                     QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", program} +
                         arguments);
    else
        logger.start(program, arguments);
    QVERIFY2(logger.waitForStarted(), qPrintable(logger.errorString()));
}

void stopLogger(QProcess& logger) {
    ::kill(static_cast<pid_t>(logger.processId()), SIGTERM);
    QVERIFY(logger.waitForFinished(20000));
    QCOMPARE(logger.exitCode(), 0);
}

QProcessEnvironment loggerEnvironment(const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("LC_ALL", "C.UTF-8");
    env.insert("HOME", home);
    env.remove("XDG_DATA_HOME");
    // The leak checker needs to trace the process, which another user may not.
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    return env;
}

} // namespace

class UserDirectoriesTest : public QObject {
    Q_OBJECT
private slots:
    void readOnlyProgramDirectoryKeepsSettingsPerUser() {
        QTemporaryDir dir;
        QFile(dir.path())
            .setPermissions(QFile::permissions(dir.path()) | QFile::ExeOther | QFile::ReadOther);
        const QString program = dir.filePath("program/Nimbar5610");
        QVERIFY(QDir().mkpath(dir.filePath("program")));
        QVERIFY(QFile::copy(qEnvironmentVariable("NIMBAR_BIN_DIR") + "/Nimbar5610", program));
        QVERIFY(QDir().mkpath(dir.filePath("user")));
        QVERIFY(QDir().mkpath(dir.filePath("xdg")));
        giveToUser(dir.filePath("user"));
        giveToUser(dir.filePath("xdg"));
        const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                              QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile(program).setPermissions(readOnly));
        QVERIFY(QFile(dir.filePath("program")).setPermissions(readOnly));

        // First run: the defaults are saved in the per-user directory of XDG_DATA_HOME.
        QProcessEnvironment env = loggerEnvironment(dir.filePath("user"));
        env.insert("XDG_DATA_HOME", dir.filePath("xdg"));
        QProcess logger;
        startLogger(logger, program, {}, env);
        QTRY_VERIFY_WITH_TIMEOUT(QDir(dir.filePath("user/Nimbar")).exists(), 20000);
        stopLogger(logger);
        const QString settings = dir.filePath("xdg/Nimbar5610/Nimbar5610.SET");
        QCOMPARE(QFileInfo(settings).size(), kBoardSettingsFileSize);
        QCOMPARE(QDir(dir.filePath("program")).entryList(QDir::Files), QStringList{"Nimbar5610"});

        // Changed settings come back at the next start and are saved again, here under the
        // default ~/.local/share.
        BoardConfigs boards{};
        QVERIFY(!loadBoardSettings(settings, boards, ""));
        boards[0].english = 1;
        boards[2].interval = 7;
        const QString defaultPlace = dir.filePath("user/.local/share/Nimbar5610");
        QVERIFY(QDir().mkpath(defaultPlace));
        QVERIFY(saveBoardSettings(defaultPlace + "/Nimbar5610.SET", boards));
        giveToUser(dir.filePath("user"));
        startLogger(logger, program, {}, loggerEnvironment(dir.filePath("user")));
        QTest::qWait(3000);
        stopLogger(logger);
        BoardConfigs saved{};
        QVERIFY(!loadBoardSettings(defaultPlace + "/Nimbar5610.SET", saved, ""));
        QCOMPARE(saved[2].interval, 7);
        QCOMPARE(saved[0].english, 1);
        QFile(dir.filePath("program")).setPermissions(readOnly | QFile::WriteOwner);
    }

    void settingsFileInAReadOnlyFolderIsWrittenInPlace() {
        QTemporaryDir dir;
        QFile(dir.path())
            .setPermissions(QFile::permissions(dir.path()) | QFile::ExeOther | QFile::ReadOther);
        const QString folder = dir.filePath("program");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QDir().mkpath(dir.filePath("user")));
        BoardConfigs boards{};
        fillDefaultBoardConfigs(boards, "~/Nimbar");
        boards[0].english = 1;
        QVERIFY(saveBoardSettings(folder + "/Nimbar5610.SET", boards));
        giveToUser(folder);
        giveToUser(dir.filePath("user"));
        QVERIFY(QFile(folder).setPermissions(QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                             QFile::ExeOther));

        QProcess logger;
        startLogger(logger, qEnvironmentVariable("NIMBAR_BIN_DIR") + "/Nimbar5610",
                    {"--home", folder}, loggerEnvironment(dir.filePath("user")));
        QTest::qWait(3000);
        const QDateTime before = QFileInfo(folder + "/Nimbar5610.SET").lastModified();
        QTest::qWait(1100);
        stopLogger(logger);
        QVERIFY(QFileInfo(folder + "/Nimbar5610.SET").lastModified() > before);
        QFile(folder).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void homeWithAnAccentRecordsIntoItsDataDirectory() {
        QTemporaryDir dir;
        const QString home = dir.filePath(QString::fromUtf8("jos\u00e9"));
        const QString folder = dir.filePath("program");
        QVERIFY(QDir().mkpath(home));
        QVERIFY(QDir().mkpath(folder));
        QProcessEnvironment env = loggerEnvironment(home);
        env.insert("ASAN_OPTIONS", qEnvironmentVariable("ASAN_OPTIONS"));
        const QString program = qEnvironmentVariable("NIMBAR_BIN_DIR") + "/Nimbar5610";

        // First run, then a device configured in what it saved.
        QProcess logger;
        logger.setProcessEnvironment(env);
        logger.start(program, {"--home", folder});
        QVERIFY(logger.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QDir(home + "/Nimbar").exists(), 20000);
        ::kill(static_cast<pid_t>(logger.processId()), SIGTERM);
        QVERIFY(logger.waitForFinished(20000));

        Simulator device(dir.filePath("dev"), "KARN-5610");
        QVERIFY(device.ready());
        QFile portMap(folder + "/Nimbar5610.ports");
        QVERIFY(portMap.open(QIODevice::WriteOnly));
        portMap.write("COM60=" + device.link().toUtf8() + "\n");
        portMap.close();
        BoardConfigs boards{};
        QVERIFY(!loadBoardSettings(folder + "/Nimbar5610.SET", boards, ""));
        boards[0].comPort = 60;
        boards[0].english = 1;
        QVERIFY(saveBoardSettings(folder + "/Nimbar5610.SET", boards));

        logger.start(program, {"--home", folder});
        QVERIFY(logger.waitForStarted());
        const QString day = home + "/Nimbar/" + QDate::currentDate().toString("yyyyMMdd") + "/A";
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(day).entryList({"*.KRN"}, QDir::Files).isEmpty(), 20000);
        ::kill(static_cast<pid_t>(logger.processId()), SIGTERM);
        QVERIFY(logger.waitForFinished(20000));
        // Nothing recorded beside the home under a mangled name.
        const QStringList made =
            QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
        QVERIFY2(made == (QStringList{"jos\u00e9", "program"}), qPrintable(made.join(", ")));
    }
};

QTEST_GUILESS_MAIN(UserDirectoriesTest)
#include "tst_UserDirectories.moc"
