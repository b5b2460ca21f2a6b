// nimbar-config as scripts run it: the records it writes, and the data directories it refuses.
#include "ToolRun.h"
#include "settings/BoardConfig.h"
#include "settings/ClientSettings.h"
#include "settings/SettingsFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace nimbar;

class ConfigToolTest : public QObject {
    Q_OBJECT
private:
    static ToolResult configure(const QStringList& arguments) {
        return runTool(qEnvironmentVariable("NIMBAR_BIN_DIR") +
                           "/tools/nimbar-config/nimbar-config",
                       arguments);
    }

private slots:
    // The logger hides and saves as hidden the channels a model does not send; the tool writes
    // them so, so that the logger's first save gives back the same file.
    void channelsTheModelDoesNotSendAreHidden() {
        QTemporaryDir dir;
        const QString out = dir.filePath("Nimbar5610.SET");
        const ToolResult result = configure({"--out", out, "--data-dir", "/" + QString(79, 'd'),
                                             "0:KARN-5610:3:K", "1:KARN-5400:4:V"});
        QCOMPARE(result.exitCode, 0);
        BoardConfigs boards{};
        QVERIFY(!loadBoardSettings(out, boards, ""));
        QCOMPARE(QByteArray(boards[0].dataDir), "/" + QByteArray(79, 'd')); // 80 bytes fit
        const auto visible = [&boards](int b) {
            QString flags;
            for (int ch = 0; ch < kChannelCount; ++ch)
                flags += QString::number(boards[b].channelVisible[ch]);
            return flags;
        };
        QCOMPARE(visible(0), QString("111111100"));
        QCOMPARE(visible(1), QString("111110000"));
        QCOMPARE(visible(2), QString("111111111")); // not named: the defaults
    }

    // The client demo's file: English, its records inside the demo folder.
    void clientSettingsFile() {
        QTemporaryDir dir;
        const QString out = dir.filePath("Tessel5610.SET");
        QCOMPARE(
            configure({"--client", "--out", out, "--data-dir", "/tmp/demo", "--english"}).exitCode,
            0);
        QCOMPARE(QFileInfo(out).size(), qint64(sizeof(ClientSettings)));
        const ClientSettings settings = loadClientSettings(out, "");
        QCOMPARE(settings.english, 1);
        QCOMPARE(QByteArray(settings.dataDir), "/tmp/demo");
        QCOMPARE(configure({"--client", "--out", out, "0:KARN-5610:3:K"}).exitCode, 1);
    }

    void directoryTheRecordCannotHoldIsRefused_data() {
        QTest::addColumn<QString>("directory");
        QTest::newRow("81 bytes") << "/" + QString(80, 'd');
        QTest::newRow("outside code page 949") << QString::fromUtf8("/tmp/data-\U0001F600");
    }
    void directoryTheRecordCannotHoldIsRefused() {
        QFETCH(QString, directory);
        QTemporaryDir dir;
        const QString out = dir.filePath("Nimbar5610.SET");
        const ToolResult result =
            configure({"--out", out, "--data-dir", directory, "0:KARN-5610:3:K"});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains("cannot be stored"), result.err.constData());
        QVERIFY(!QFile::exists(out));
    }
};

QTEST_GUILESS_MAIN(ConfigToolTest)
#include "tst_ConfigTool.moc"
