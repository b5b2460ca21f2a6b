// nimbar-config: writes a logger settings file (Nimbar5610.SET), or a client's
// (Tessel5610.SET), from the command line, for installs prepared by script and for the demos
// that scripts/run starts.
#include "settings/BoardConfig.h"
#include "settings/ClientSettings.h"
#include "settings/ModelClass.h"
#include "settings/ProgramPaths.h"
#include "settings/RecordText.h"
#include "settings/SettingsFile.h"

#include "ProgramIdentity.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using namespace nimbar;

namespace {

constexpr char kUsage[] =
    "Usage: nimbar-config --out FILE [--data-dir DIR] [--english] BOARD...\n"
    "       nimbar-config --client --out FILE [--data-dir DIR] [--english]\n"
    "Writes a Nimbar5610 settings file: the default records, changed for each BOARD given as\n"
    "  INDEX:MODEL:PORT:TYPE      for example 0:KARN-5610:3:K\n"
    "INDEX 0..3, MODEL KARN-5600/5610/5400/5800, PORT the n of COM<n> (0 = none), TYPE one of\n"
    "V K R J S T B (every channel of the board). The reference supply is set to 5 V.\n"
    "With --client it writes a Tessel5610 settings file instead (no boards).\n"
    "DIR must fit the record: at most 80 bytes in code page 949; one inside the home is\n"
    "stored as ~/..., a relative one is taken from the folder of the settings file.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the version\n";

int fail(const QString& message) {
    std::fprintf(stderr, "nimbar-config: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QStringList args = application.arguments().mid(1);
    if (args.contains("--help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.contains("--version")) {
        std::printf("nimbar-config Ver %s\n", kProgramVersion);
        return 0;
    }
    QString out;
    QString dataDir;
    bool english = false;
    bool client = false;
    QStringList boardSpecs;
    for (int i = 0; i < args.size(); ++i) {
        if ((args[i] == "--out" || args[i] == "--data-dir") && i + 1 >= args.size())
            return fail(args[i] + " needs a value");
        if (args[i] == "--out")
            out = args[++i];
        else if (args[i] == "--data-dir")
            dataDir = args[++i];
        else if (args[i] == "--english")
            english = true;
        else if (args[i] == "--client")
            client = true;
        else if (!args[i].startsWith("--"))
            boardSpecs << args[i];
        else
            return fail("unknown option " + args[i] + "\n" + kUsage);
    }
    if (out.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    // The logger would record into whatever a cut or substituted path names, so a directory the
    // record cannot hold exactly is refused, as the configuration page refuses it.
    const auto dataDirText = dataDirectoryRecordText(dataDir, sizeof BoardConfig::dataDir - 1);
    if (!dataDirText)
        return fail("the data directory " + dataDir +
                    " cannot be stored: its path is longer than 80 bytes or holds characters "
                    "outside code page 949");
    if (client) {
        if (!boardSpecs.isEmpty())
            return fail("a client settings file has no boards");
        ClientSettings settings = defaultClientSettings(dataDirText->constData());
        settings.english = english ? 1 : 0;
        if (!saveClientSettings(out, settings))
            return fail("cannot write " + out);
        return 0;
    }
    BoardConfigs boards{};
    fillDefaultBoardConfigs(boards, dataDirText->constData());
    boards[0].english = english ? 1 : 0;
    for (const QString& boardArg : boardSpecs) {
        const QStringList parts = boardArg.split(':');
        bool indexOk = false;
        bool portOk = false;
        const int index = parts.value(0).toInt(&indexOk);
        const int port = parts.value(2).toInt(&portOk);
        const QString type = parts.value(3);
        const qsizetype typeCode =
            type.size() == 1 ? QString(kTypeLetters).left(7).indexOf(type) : -1;
        const auto modelClass = modelClassOf(parts.value(1).toLatin1());
        if (parts.size() != 4 || !indexOk || index < 0 || index >= kBoardCount || !portOk ||
            port < 0 || !modelClass || typeCode < 0)
            return fail("bad board '" + boardArg + "' (INDEX:MODEL:PORT:TYPE)");
        BoardConfig& board = boards[static_cast<std::size_t>(index)];
        setFieldText(board.model, parts[1]);
        board.comPort = port;
        board.tcType = static_cast<int>(typeCode);
        board.cjcRefVolts = 5.0;
        // The channels the model does not send are invalid from the first line, so the logger
        // hides them and saves them hidden: written so here, its first save changes nothing.
        for (int ch = 0; ch < kChannelCount; ++ch) {
            board.channelType[ch] = static_cast<int>(typeCode);
            board.channelVisible[ch] = ch < channelCountOf(*modelClass) ? 1 : 0;
        }
    }
    if (!saveBoardSettings(out, boards))
        return fail("cannot write " + out);
    return 0;
}
