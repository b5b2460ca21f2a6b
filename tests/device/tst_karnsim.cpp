// The karnsim device simulator as the logger meets it: through its pseudo-terminal, opened
// here the way a serial port is, and through its command line.
#include "device/ConfigFrameCollector.h"
#include "device/ConfigReport.h"
#include "device/DeviceCommands.h"
#include "device/LineAcceptance.h"
#include "settings/ModelClass.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace nimbar;

namespace {

QString karnsimProgram() {
    return qEnvironmentVariable("NIMBAR_BIN_DIR") + "/tools/karnsim/karnsim";
}

// One simulated device on a link in a temporary directory, with the port opened raw.
class Device {
public:
    explicit Device(const QStringList& arguments) {
        m_process.setProgram(karnsimProgram());
        m_process.setArguments(QStringList{"--link", link(), "--log", logPath()} + arguments);
        m_process.start();
    }
    ~Device() {
        if (m_fd >= 0)
            ::close(m_fd);
        stop();
    }
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    QString link() const { return m_dir.filePath("karn"); }
    QString logPath() const { return m_dir.filePath("commands.log"); }

    // Waits for the link, then opens the port behind it as a raw serial line.
    bool open() {
        QDeadlineTimer deadline(10000);
        while (!QFileInfo::exists(link())) {
            if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
                return false;
            QThread::msleep(10);
        }
        m_fd = ::open(QFile::encodeName(link()).constData(), O_RDWR | O_NOCTTY);
        termios t{};
        if (m_fd < 0 || tcgetattr(m_fd, &t) != 0)
            return false;
        cfmakeraw(&t);
        return tcsetattr(m_fd, TCSANOW, &t) == 0;
    }

    bool send(QByteArrayView bytes) const {
        return ::write(m_fd, bytes.data(), std::size_t(bytes.size())) == bytes.size();
    }

    // The reads of the port, one entry per read, until done says so or the time is up.
    QList<QByteArray> readChunks(int timeoutMs,
                                 const std::function<bool(const QByteArray&)>& done) const {
        QList<QByteArray> chunks;
        QByteArray all;
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired() && !done(all)) {
            pollfd pfd{m_fd, POLLIN, 0};
            if (poll(&pfd, 1, int(std::max<qint64>(1, deadline.remainingTime()))) <= 0)
                continue;
            char buffer[1024];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n > 0) {
                chunks << QByteArray(buffer, n);
                all += chunks.last();
            }
        }
        return chunks;
    }
    QByteArray readFor(int timeoutMs, const std::function<bool(const QByteArray&)>& done) const {
        return readChunks(timeoutMs, done).join();
    }

    QStringList commands() const {
        QFile file(logPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    // Ends the simulator as a service manager does.
    bool stop() {
        if (m_process.state() == QProcess::NotRunning)
            return true;
        m_process.terminate();
        if (m_process.waitForFinished(5000))
            return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
        m_process.kill();
        m_process.waitForFinished();
        return false;
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_fd = -1;
};

// The pieces of a byte stream, each up to and with its line feed; an unfinished tail is left
// out.
QList<QByteArray> linesOf(const QByteArray& bytes) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype lf = bytes.indexOf('\n'); lf >= 0; lf = bytes.indexOf('\n', start)) {
        lines << bytes.sliced(start, lf + 1 - start);
        start = lf + 1;
    }
    return lines;
}

auto atLeastLines(int n) {
    return [n](const QByteArray& all) { return all.count('\n') >= n; };
}

// A measurement line of the class: six hex digits a channel, ", " between, CR LF.
bool isMeasurementLine(const QByteArray& line, int modelClass) {
    const QRegularExpression pattern(
        QString("^[0-9A-F]{6}(, [0-9A-F]{6}){%1}\r\n$").arg(channelCountOf(modelClass) - 1));
    return pattern.match(QString::fromLatin1(line)).hasMatch() &&
           judgeLine(line, lineLengthOf(modelClass), false) == LineVerdict::Accept;
}

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runKarnsim(const QStringList& arguments) {
    QProcess process;
    process.start(karnsimProgram(), arguments);
    Run run;
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class KarnsimTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("NIMBAR_BIN_DIR"))
            QSKIP("NIMBAR_BIN_DIR is not set: run through ctest");
        QVERIFY2(QFileInfo(karnsimProgram()).isExecutable(), qPrintable(karnsimProgram()));
    }

    void linesOfTheModelAfterTheStartCommand_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("length");
        QTest::newRow("KARN-5610") << "KARN-5610" << 56;
        QTest::newRow("KARN-5600") << "KARN-5600" << 56;
        QTest::newRow("KARN-5400") << "KARN-5400" << 40;
        QTest::newRow("KARN-5800") << "KARN-5800" << 72;
    }
    void linesOfTheModelAfterTheStartCommand() {
        QFETCH(QString, model);
        QFETCH(int, length);
        const int cls = modelClassOf(model.toLatin1()).value();
        QCOMPARE(lineLengthOf(cls), length);
        Device device({"--model", model, "--rate", "20"});
        QVERIFY(device.open());
        QCOMPARE(device.readFor(300, [](const QByteArray&) { return false; }), QByteArray());

        QVERIFY(device.send(kCmdStartStream));
        const QList<QByteArray> lines = linesOf(device.readFor(5000, atLeastLines(4)));
        QVERIFY(lines.size() >= 4);
        for (const QByteArray& line : lines) {
            QCOMPARE(line.size(), length);
            QVERIFY2(isMeasurementLine(line, cls), line.constData());
        }
        QCOMPARE(device.commands(), QStringList{"DK"});
        QVERIFY(device.stop());
        QVERIFY(!QFileInfo(device.link()).isSymLink()); // removed on exit
    }

    void configReportNamesWhatWasAskedFor_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("streaming");
        QTest::newRow("KARN-5610 K") << "KARN-5610"
                                     << "A12345"
                                     << "K" << false;
        QTest::newRow("KARN-5600 V") << "KARN-5600"
                                     << "Q-1"
                                     << "V" << false;
        QTest::newRow("KARN-5400 J") << "KARN-5400"
                                     << "B123"
                                     << "J" << false;
        QTest::newRow("KARN-5800 T, streaming") << "KARN-5800"
                                                << "X77"
                                                << "T" << true;
    }
    void configReportNamesWhatWasAskedFor() {
        QFETCH(QString, model);
        QFETCH(QString, serial);
        QFETCH(QString, type);
        QFETCH(bool, streaming);
        const int cls = modelClassOf(model.toLatin1()).value();
        Device device({"--model", model, "--serial", serial, "--type", type, "--rate", "20"});
        QVERIFY(device.open());
        if (streaming) {
            QVERIFY(device.send(kCmdStartStream));
            QVERIFY(device.readFor(3000, atLeastLines(2)).count('\n') >= 2);
        }
        QVERIFY(device.send(kCmdConfigReport));
        ConfigFrameCollector collector;
        QByteArray frame;
        qsizetype fed = 0;
        device.readFor(5000, [&](const QByteArray& all) {
            for (; fed < all.size() && frame.isEmpty(); ++fed) {
                if (collector.feed(all[fed]))
                    frame = collector.frame();
            }
            return !frame.isEmpty();
        });
        QVERIFY(!frame.isEmpty());

        const ConfigReport report = ParseConfigReport(frame);
        QCOMPARE(report.error, ConfigReportError::None);
        QCOMPARE(report.model, model.toLatin1());
        QCOMPARE(report.modelClass, std::optional<int>(cls));
        QCOMPARE(report.serial, serial.toLatin1());
        for (int ch = 0; ch < channelCountOf(cls); ++ch)
            QCOMPARE(report.letter[ch], type.toLatin1()[0]);
        // The default range 78.125 mV, in the class's table.
        QCOMPARE(rangeTableOf(cls)[std::size_t(report.rangeIndex[1])], 78.125);
        QCOMPARE(report.cjcRefVolts, 5.0);
    }

    void commandsAreLoggedOneALine() {
        Device device({"--rate", "10"});
        QVERIFY(device.open());
        QVERIFY(device.send("D1\rP0F\r"));
        QVERIFY(device.send("D0\r\n"));
        QVERIFY(device.send("DC"));
        QVERIFY(device.send("\r"));
        QDeadlineTimer deadline(5000);
        while (device.commands().size() < 4 && !deadline.hasExpired())
            QThread::msleep(20);
        QCOMPARE(device.commands(), (QStringList{"D1", "P0F", "D0", "DC"}));
    }

    void splitLinesComeInTwoWrites() {
        Device device({"--fault", "split", "--rate", "10"});
        QVERIFY(device.open());
        QVERIFY(device.send(kCmdStartStream));
        const QList<QByteArray> chunks = device.readChunks(5000, atLeastLines(4));
        const QList<QByteArray> lines = linesOf(chunks.join());
        QVERIFY(lines.size() >= 4);
        for (const QByteArray& line : lines)
            QVERIFY2(isMeasurementLine(line, 0), line.constData());
        QVERIFY(std::any_of(chunks.begin(), chunks.end(),
                            [](const QByteArray& c) { return !c.contains('\n'); }));
    }

    void doubleLinesComeInOneWrite() {
        Device device({"--fault", "double", "--rate", "5", "--model", "KARN-5400"});
        QVERIFY(device.open());
        QVERIFY(device.send(kCmdStartStream));
        const QList<QByteArray> chunks = device.readChunks(5000, atLeastLines(4));
        QVERIFY(std::any_of(chunks.begin(), chunks.end(), [](const QByteArray& c) {
            const QList<QByteArray> pair = linesOf(c);
            return c.size() == 80 && pair.size() == 2 && isMeasurementLine(pair[0], 1) &&
                   isMeasurementLine(pair[1], 1);
        }));
        // What the logger reads on such a line feed is refused.
        QCOMPARE(judgeLine(chunks.join().first(80), 40, false), LineVerdict::WrongLength);
    }

    void badLengthCutsEveryOtherLine() {
        Device device({"--fault", "badlength", "--rate", "20"});
        QVERIFY(device.open());
        QVERIFY(device.send(kCmdStartStream));
        const QList<QByteArray> lines = linesOf(device.readFor(5000, atLeastLines(4)));
        QVERIFY(lines.size() >= 4);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i % 2 == 0) {
                QVERIFY2(isMeasurementLine(lines[i], 0), lines[i].constData());
            } else {
                QCOMPARE(lines[i].size(), 55);
                QCOMPARE(judgeLine(lines[i], 56, false), LineVerdict::WrongLength);
            }
        }
    }

    void garbageComesBetweenTheLines() {
        Device device({"--fault", "garbage", "--rate", "10", "--seed", "7"});
        QVERIFY(device.open());
        QVERIFY(device.send(kCmdStartStream));
        const QList<QByteArray> pieces = linesOf(device.readFor(5000, atLeastLines(6)));
        int lines = 0;
        int garbage = 0;
        for (const QByteArray& piece : pieces) {
            if (isMeasurementLine(piece, 0)) {
                ++lines;
            } else {
                ++garbage;
                QVERIFY(judgeLine(piece, 56, false) != LineVerdict::Accept);
            }
        }
        QVERIFY(lines >= 2);
        QVERIFY(garbage >= 2);
    }

    void silenceAfterStopsTheLines() {
        Device device({"--silence-after", "3", "--rate", "20"});
        QVERIFY(device.open());
        QVERIFY(device.send(kCmdStartStream));
        QByteArray all = device.readFor(5000, atLeastLines(3));
        QCOMPARE(all.count('\n'), 3);
        // Ten periods more bring nothing, also not after another start command.
        QVERIFY(device.send(kCmdStartStream));
        all += device.readFor(500, [](const QByteArray&) { return false; });
        QCOMPARE(linesOf(all).size(), 3);
        QCOMPARE(all.size(), 3 * 56);
    }

    void helpNamesTheOptions() {
        const Run run = runKarnsim({"--help"});
        QCOMPARE(run.exitCode, 0);
        for (const char* name : {"--model", "--rate", "--type", "--serial", "--log", "--fault",
                                 "split", "double", "badlength", "garbage", "--silence-after"})
            QVERIFY2(run.out.contains(name), name);
    }

    void badUsageFailsWithAMessage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{"--bogus", "1"};
        QTest::newRow("option without value") << QStringList{"--rate"};
        QTest::newRow("unknown model") << QStringList{"--model", "KARN-9999"};
        QTest::newRow("unknown fault") << QStringList{"--fault", "noise"};
        QTest::newRow("zero rate") << QStringList{"--rate", "0"};
        QTest::newRow("bad type") << QStringList{"--type", "Q"};
        QTest::newRow("range of another class")
            << QStringList{"--model", "KARN-5400", "--range-mv", "19.5313"};
        QTest::newRow("serial with E") << QStringList{"--serial", "ABE1"};
        QTest::newRow("negative silence") << QStringList{"--silence-after", "-1"};
    }
    void badUsageFailsWithAMessage() {
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        const Run run = runKarnsim(QStringList{"--link", dir.filePath("karn")} + arguments);
        QVERIFY(run.exitCode > 0);
        QVERIFY2(run.err.startsWith("karnsim: "), run.err.constData());
        QVERIFY(!QFileInfo(dir.filePath("karn")).isSymLink());
    }
};

QTEST_GUILESS_MAIN(KarnsimTest)
#include "tst_karnsim.moc"
