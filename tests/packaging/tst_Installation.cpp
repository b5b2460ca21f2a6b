// The build installed as a user installs it (cmake --install into a prefix): every program runs
// from there, an installed program keeps its files per user, and the desktop entries, AppStream
// metadata and the service unit pass the validators that distributions run.
#include "ToolRun.h"
#include "app/DesktopIdentity.h"

#include "ProgramIdentity.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace nimbar;

namespace {

const QStringList kPrograms{"Nimbar5610", "Tessel5610",    "nimbar-export",
                            "nimbar-tc",  "nimbar-config", "karnsim"};

// A validator's verdict: it must end with 0, and what it said is the message when it does not.
void expectValid(const ToolResult& result, const QString& what) {
    QVERIFY2(result.exitCode == 0,
             qPrintable(what + " failed:\n" + QString::fromUtf8(result.out + result.err)));
}

} // namespace

class InstallationTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_prefix;

    QString installed(const QString& path) const { return m_prefix + '/' + path; }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_prefix = m_dir.filePath("prefix");
        const ToolResult install =
            runTool(NIMBAR_CMAKE_COMMAND,
                    {"--install", qEnvironmentVariable("NIMBAR_BIN_DIR"), "--prefix", m_prefix});
        expectValid(install, "cmake --install");
    }

    void everyProgramTellsItsVersionFromThePrefix_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : kPrograms)
            QTest::newRow(qPrintable(name)) << name;
    }
    void everyProgramTellsItsVersionFromThePrefix() {
        QFETCH(QString, name);
        const ToolResult result = runTool(installed("bin/" + name), {"--version"});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(QString::fromUtf8(result.out), name + " Ver " + kProgramVersion + '\n');
        const QString page = installed("share/man/man1/" + name + ".1.gz");
        const ToolResult manual = runTool("gzip", {"-dc", page});
        QCOMPARE(manual.exitCode, 0);
        QVERIFY2(manual.out.contains(QByteArray(".TH ") + name.toUpper().toUtf8()) &&
                     manual.out.contains(QByteArray(" Ver ") + kProgramVersion),
                 qPrintable(page));
    }

    // Root can write the prefix's bin folder: the logger must still leave it alone.
    void installedLoggerKeepsItsFilesPerUser() {
        const QString home = m_dir.filePath("user");
        QVERIFY(QDir().mkpath(home));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home);
        env.remove("XDG_DATA_HOME");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess logger;
        logger.setProcessEnvironment(env);
        logger.start(installed("bin/Nimbar5610"), QStringList{});
        QVERIFY2(logger.waitForStarted(), qPrintable(logger.errorString()));
        QTRY_VERIFY_WITH_TIMEOUT(QDir(home + "/Nimbar").exists(), 20000);
        ::kill(static_cast<pid_t>(logger.processId()), SIGTERM);
        QVERIFY(logger.waitForFinished(20000));
        QCOMPARE(logger.exitCode(), 0);
        QCOMPARE(QFileInfo(home + "/.local/share/Nimbar5610/Nimbar5610.SET").size(), 4640);
        QStringList left = QDir(installed("bin")).entryList(QDir::Files);
        QStringList expected = kPrograms;
        left.sort();
        expected.sort();
        QCOMPARE(left, expected);
    }

    // The names the programs give the desktop (Wayland's app id, the window icon) are the
    // names of the installed entries and icons.
    void desktopEntriesAndIconsValidate() {
        QStringList entries;
        for (const BuildKind kind : {BuildKind::Logger, BuildKind::Client}) {
            const QString id = desktopEntryName(kind);
            entries << installed("share/applications/" + id + ".desktop");
            QVERIFY2(QFile::exists(entries.last()), qPrintable(entries.last()));
            QVERIFY(QFile::exists(installed("share/icons/hicolor/scalable/apps/" + id + ".svg")));
            const QIcon icon = programIcon(kind);
            QCOMPARE(icon.availableSizes().size(), 7);
            for (const QSize& size : icon.availableSizes()) {
                const QString png =
                    QString("share/icons/hicolor/%1x%1/apps/%2.png").arg(size.width()).arg(id);
                QVERIFY2(QFile::exists(installed(png)), qPrintable(png));
                QCOMPARE(icon.pixmap(size).size(), size);
            }
        }
        expectValid(runTool("desktop-file-validate", entries), "desktop-file-validate");
    }

    void appStreamMetadataValidates() {
        QCOMPARE(QDir(installed("share/metainfo")).entryList(QDir::Files).size(), 2);
        // Without the network: the screenshots' addresses are not fetched.
        expectValid(runTool("appstreamcli", {"validate-tree", "--no-net", m_prefix}),
                    "appstreamcli validate-tree");
    }

    void serviceUnitVerifies() {
        const QString unit = installed("lib/systemd/system/nimbar5610.service");
        QFile file(unit);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains(
            ("ExecStart=" + installed("bin/Nimbar5610") + " --headless").toUtf8()));
        // verify checks that the program exists and that man finds the unit's Documentation=.
        QProcess verify;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("MANPATH", installed("share/man"));
        verify.setProcessEnvironment(env);
        verify.start("systemd-analyze", {"verify", unit});
        QVERIFY(verify.waitForFinished(60000));
        // Warnings (an unknown setting, a bad value) end with 0 as well: none may be said.
        const QByteArray said = verify.readAllStandardError() + verify.readAllStandardOutput();
        QVERIFY2(verify.exitCode() == 0 && said.isEmpty(), said.constData());
    }
};

QTEST_MAIN(InstallationTest)
#include "tst_Installation.moc"
