// nimbar-screenshots: the logger's window on the demo plant, one PNG per board page.
//
// The window runs in this process on a temporary home, with the four boards of scripts/run.
// Instead of ports and a wall clock, each second of the demo is handed to the main timer as
// the devices would have sent it (the karnsim demo profile), with the window's clock set to
// match, so that minutes of charting take a moment and every run draws the same pictures.
#include "SimDevice.h"
#include "SimOptions.h"
#include "settings/BoardConfig.h"
#include "settings/ProgramPaths.h"
#include "settings/RecordText.h"
#include "settings/SettingsFile.h"
#include "ui/main/LiveChart.h"
#include "ui/main/TForm1.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

using namespace nimbar;

namespace {

constexpr char kUsage[] =
    "Usage: nimbar-screenshots --out DIR [--korean] [--seconds N]\n"
    "Runs the logger's window offscreen on the demo plant of scripts/run (KARN-5610, 5400,\n"
    "5800 and 5600; CH2 of DAQ1 rises above its high limit every four minutes) for N seconds\n"
    "of demo time (default 345) and writes DIR/daq1.png .. DIR/daq4.png, one per board page.\n"
    "Run it with QT_QPA_PLATFORM=offscreen.\n";

constexpr const char* kModels[kBoardCount] = {"KARN-5610", "KARN-5400", "KARN-5800", "KARN-5600"};

int fail(const QString& message) {
    std::fprintf(stderr, "nimbar-screenshots: %s\n", qPrintable(message));
    return 1;
}

// The settings that scripts/run writes with nimbar-config, without ports.
void writeDemoSettings(const QString& file, const QString& dataDir, bool english) {
    BoardConfigs boards{};
    fillDefaultBoardConfigs(boards, encodeCp949(dataDir, 80).constData());
    boards[0].english = english ? 1 : 0;
    for (int b = 0; b < kBoardCount; ++b) {
        BoardConfig& board = boards[static_cast<std::size_t>(b)];
        setFieldText(board.model, kModels[b]);
        board.comPort = 0;
        board.tcType = 1; // K
        board.cjcRefVolts = 5.0;
        for (int ch = 0; ch < kChannelCount; ++ch)
            board.channelType[ch] = 1;
    }
    saveBoardSettings(file, boards);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QStringList args = application.arguments().mid(1);
    QString out;
    bool english = true;
    int seconds = 345;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (args[i] == "--out" && i + 1 < args.size())
            out = args[++i];
        else if (args[i] == "--korean")
            english = false;
        else if (args[i] == "--seconds" && i + 1 < args.size())
            seconds = qBound(10, args[++i].toInt(), 3600);
        else
            return fail("unknown option " + args[i] + "\n" + kUsage);
    }
    if (out.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!QDir().mkpath(out))
        return fail("cannot make " + out);

    QTemporaryDir home;
    if (!home.isValid())
        return fail("no temporary directory");
    qputenv("HOME", home.path().toUtf8());
    const ProgramPaths paths(BuildKind::Logger, home.path());
    writeDemoSettings(paths.settingsFile(), home.filePath("data"), english);

    std::vector<karnsim::SimDevice> devices;
    for (int b = 0; b < kBoardCount; ++b) {
        std::vector<std::string> simArgs{"--model", kModels[b], "--profile", "demo"};
        if (b == 0)
            simArgs.insert(simArgs.end(), {"--excursion", "2"});
        const karnsim::ParsedOptions parsed = karnsim::parseOptions(simArgs);
        if (!parsed.error.empty())
            return fail(QString::fromStdString(parsed.error));
        devices.emplace_back(parsed.options);
    }

    QDateTime now(QDate(2026, 3, 15), QTime(10, 0, 0));
    TForm1 window(BuildKind::Logger, paths);
    window.setClock([&now] { return now; });
    window.show();
    window.TimerSTimer();
    window.timer1().stop(); // the demo's seconds are handed over below

    for (int t = 0; t <= seconds; ++t) {
        now = QDateTime(QDate(2026, 3, 15), QTime(10, 0, 0)).addSecs(t);
        for (int b = 0; b < kBoardCount; ++b) {
            BoardRuntime& runtime = window.runtimes()[b];
            const std::string line = devices[static_cast<std::size_t>(b)].sample(t).line;
            std::memset(runtime.lineBuffer, 0, sizeof runtime.lineBuffer);
            std::memcpy(runtime.lineBuffer, line.data(),
                        std::min(line.size(), sizeof runtime.lineBuffer - 1));
            runtime.lineReady = true;
        }
        window.Timer1Timer();
        QCoreApplication::processEvents();
    }

    for (int b = 0; b < kBoardCount; ++b) {
        window.pages()->setCurrentIndex(TForm1::kFirstBoardPage + b);
        QCoreApplication::processEvents();
        // A chart charted while its page was hidden is drawn again at its shown size.
        if (auto* chart = window.findChild<LiveChart*>(QString("Chart%1").arg(b + 1)))
            chart->replot();
        const QString file = QDir(out).filePath(QString("daq%1.png").arg(b + 1));
        if (!window.grab().save(file))
            return fail("cannot write " + file);
        std::printf("%s\n", qPrintable(file));
    }
    return 0;
}
