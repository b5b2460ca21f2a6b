// The logger on the demo's four simulated boards (karnsim, one of each model class), run as a
// user runs it: with --headless, and with its window (offscreen). Reports each program's
// resident memory after 25 seconds of recording (rss_MiB), its peak (peak_MiB) and the CPU the
// whole process used per processed line (cpu_us_per_line: event loop, ports, pipeline, writer).
#include "settings/BoardConfig.h"
#include "settings/RecordText.h"
#include "settings/SettingsFile.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

#include <csignal>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kWarmUpSeconds = 5;
constexpr int kMeasuredSeconds = 20;

// A value of /proc/<pid>/status in kB.
double statusKib(qint64 pid, const QByteArray& key) {
    QFile file(QString("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toDouble();
    return 0;
}

// User and system CPU seconds of a process so far.
double cpuSeconds(qint64 pid) {
    QFile file(QString("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = file.readAll();
    // The fields after the command name, which is in parentheses and may hold blanks.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / ticks;
}

struct Plant {
    QTemporaryDir home;
    std::vector<std::unique_ptr<QProcess>> devices;

    Plant() {
        const QStringList models{"KARN-5610", "KARN-5400", "KARN-5800", "KARN-5600"};
        QFile ports(home.filePath("Nimbar5610.ports"));
        ports.open(QIODevice::WriteOnly);
        nimbar::BoardConfigs boards{};
        nimbar::fillDefaultBoardConfigs(boards, home.filePath("data").toUtf8().constData());
        boards[0].english = 1;
        for (int b = 0; b < nimbar::kBoardCount; ++b) {
            const QString link = home.filePath(QString("board%1").arg(b));
            auto device = std::make_unique<QProcess>();
            device->start(QString(NIMBAR_BIN_DIR) + "/tools/karnsim/karnsim",
                          {"--model", models[b], "--link", link, "--profile", "demo"});
            device->waitForStarted();
            for (int i = 0; i < 100 && !QFileInfo::exists(link); ++i)
                QThread::msleep(20);
            devices.push_back(std::move(device));
            ports.write(QString("COM%1=%2\n").arg(91 + b).arg(link).toUtf8());
            nimbar::BoardConfig& board = boards[static_cast<std::size_t>(b)];
            nimbar::setFieldText(board.model, models[b]);
            board.comPort = 91 + b;
            board.tcType = 1;
            board.cjcRefVolts = 5.0;
            for (int ch = 0; ch < nimbar::kChannelCount; ++ch)
                board.channelType[ch] = 1;
        }
        nimbar::saveBoardSettings(home.filePath("Nimbar5610.SET"), boards);
    }
    ~Plant() {
        for (auto& device : devices) {
            device->terminate();
            device->waitForFinished(3000);
        }
    }
};

void runLogger(benchmark::State& state, bool headless) {
    for (auto _ : state) {
        Plant plant;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        if (!headless)
            env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", plant.home.path());
        env.insert("NIMBAR_BASE_PORT", "0");
        QProcess logger;
        logger.setProcessEnvironment(env);
        logger.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        QStringList arguments{"--home", plant.home.path()};
        if (headless)
            arguments << "--headless";
        logger.start(QString(NIMBAR_BIN_DIR) + "/Nimbar5610", arguments);
        logger.waitForStarted();
        const qint64 pid = logger.processId();
        QThread::sleep(kWarmUpSeconds);
        const double cpuBefore = cpuSeconds(pid);
        QThread::sleep(kMeasuredSeconds);
        const double cpu = cpuSeconds(pid) - cpuBefore;
        state.counters["rss_MiB"] = statusKib(pid, "VmRSS") / 1024.0;
        state.counters["peak_MiB"] = statusKib(pid, "VmHWM") / 1024.0;
        // One line a second from each board.
        state.counters["cpu_us_per_line"] = cpu * 1e6 / (kMeasuredSeconds * nimbar::kBoardCount);
        ::kill(static_cast<pid_t>(pid), SIGTERM);
        logger.waitForFinished(20000);
    }
}

void headless(benchmark::State& state) {
    runLogger(state, true);
}
void window(benchmark::State& state) {
    runLogger(state, false);
}
BENCHMARK(headless)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(window)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
