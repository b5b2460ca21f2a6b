#include "app/CommandLineHelp.h"

#include "ProgramIdentity.h"

namespace nimbar {

namespace {

QString mqttHelp(BuildKind kind) {
    return QString(
               "  --mqtt URL      publish every record to the MQTT broker at mqtt://host[:port]\n"
               "                  or mqtts://host[:port]; more keys in %1.mqtt\n"
               "  --mqtt-topic PREFIX  the topics' prefix (default %2/<host name>)\n")
        .arg(programName(kind), kind == BuildKind::Logger ? "nimbar" : "tessel");
}

constexpr char kWebHelp[] =
    "  --web [ADDRESS:]PORT    serve the live web page and its API on PORT of the loopback;\n"
    "                  an ADDRESS (0.0.0.0, an interface's) serves the network\n"
    "  --web-token-file FILE   every web request must carry the token in FILE\n";

// Qt's own options: those of QGuiApplication and QApplication, with the number of arguments
// that follow them (a value may also be given as -option=value). -1: not one of them.
int qtOptionValues(QString option) {
    if (option.startsWith("--"))
        option.remove(0, 1); // Qt takes its options with two dashes as well
    const qsizetype equals = option.indexOf('=');
    const bool valueAttached = equals > 0;
    if (valueAttached)
        option.truncate(equals);
    static const QStringList withValue{"-platform",
                                       "-platformpluginpath",
                                       "-platformtheme",
                                       "-plugin",
                                       "-qwindowgeometry",
                                       "-geometry",
                                       "-qwindowtitle",
                                       "-title",
                                       "-qwindowicon",
                                       "-icon",
                                       "-session",
                                       "-display",
                                       "-name",
                                       "-style",
                                       "-stylesheet"};
    static const QStringList flags{"-reverse", "-widgetcount", "-nograb", "-dograb",
                                   "-testability"};
    static const QStringList valueOnlyAttached{"-qmljsdebugger", "-dialogs", "-fontengine",
                                               "-darkmode"};
    if (withValue.contains(option))
        return valueAttached ? 0 : 1;
    if (flags.contains(option) || (valueAttached && valueOnlyAttached.contains(option)))
        return 0;
    return -1;
}

QString headlessHelp(BuildKind kind) {
    if (kind == BuildKind::Logger)
        return "  --headless      run without a window or display: devices, recording, alarms,\n"
               "                  outputs and server; the status on standard error. Needs the\n"
               "                  settings file of a first run or of nimbar-config\n";
    return "  --headless      run without a window or display and record the boards of the\n"
           "                  logger given with --connect; the status on standard error\n";
}

QString helpText(BuildKind kind) {
    const QString name = programName(kind);
    if (kind == BuildKind::Logger)
        return "Usage: " + name +
               " [--home DIR] [--headless] [--mqtt URL [--mqtt-topic PREFIX]]\n"
               "Logger for the KARN-5600, 5610, 5400 and 5800 data loggers on the serial ports:\n"
               "charts, alarms, hourly recording files, and each board served over TCP.\n"
               "\n"
               "  --home DIR      keep the settings, port bindings and logs in DIR instead of\n"
               "                  the program's folder (DIR is created when missing)\n" +
               headlessHelp(kind) + mqttHelp(kind) + kWebHelp +
               "  --help          this text\n"
               "  --version       the version\n"
               "Qt's own options, such as -platform NAME or -style NAME, are also taken.\n";
    return "Usage: " + name +
           " [--home DIR] [--connect HOST [--headless]] [--mqtt URL [--mqtt-topic PREFIX]]\n"
           "Client of the Nimbar5610 logger: follows its boards over TCP, charts, checks and\n"
           "records them as the logger does.\n"
           "\n"
           "  --home DIR      keep the settings and logs in DIR instead of the program's folder\n"
           "                  (DIR is created when missing)\n"
           "  --connect HOST  connect every board to the logger at HOST at start-up\n" +
           headlessHelp(kind) + mqttHelp(kind) + kWebHelp +
           "  --help          this text\n"
           "  --version       the version\n"
           "Qt's own options, such as -platform NAME or -style NAME, are also taken.\n";
}

} // namespace

std::optional<QString> commandLineAnswer(BuildKind kind, const QStringList& arguments) {
    // The program's own name comes first; the options stop at a lone "--".
    for (qsizetype i = 1; i < arguments.size() && arguments[i] != "--"; ++i) {
        if (arguments[i] == "--help" || arguments[i] == "-h")
            return helpText(kind);
        if (arguments[i] == "--version")
            return programName(kind) + " Ver " + kProgramVersion + '\n';
    }
    return std::nullopt;
}

ProgramOptions programOptions(BuildKind kind, const QStringList& arguments) {
    ProgramOptions options;
    // The value of an option is the next argument, unless that is an option itself.
    const auto valueAfter = [&arguments](qsizetype& i) -> std::optional<QString> {
        if (i + 1 >= arguments.size() || arguments[i + 1].startsWith("--"))
            return std::nullopt;
        return arguments[++i];
    };
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size() && options.error.isEmpty(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith('-')) {
            options.error = QString("unexpected argument '%1'").arg(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (const int values = qtOptionValues(argument); values >= 0) {
            // The application object takes it; --headless has none that uses it.
            if (values > 0 && ++i >= arguments.size())
                options.error = QString("%1 needs a value").arg(argument);
        } else if (argument == "--headless") {
            options.headless = true;
        } else if (argument == "--home") {
            options.home = valueAfter(i);
            if (!options.home || options.home->isEmpty())
                options.error = "--home needs a folder";
        } else if (argument == "--connect" && kind == BuildKind::Client) {
            options.connectHost = valueAfter(i);
            if (!options.connectHost || options.connectHost->isEmpty())
                options.error = "--connect needs a host";
        } else if (argument == "--mqtt" || argument == "--mqtt-topic") {
            const bool url = argument == "--mqtt";
            std::optional<QString>& value = url ? options.mqttUrl : options.mqttTopic;
            value = valueAfter(i);
            if (!value || value->isEmpty())
                options.error = url ? "--mqtt needs a broker URL" : "--mqtt-topic needs a prefix";
        } else if (argument == "--web") {
            QString why = "needs [ADDRESS:]PORT";
            const std::optional<QString> value = valueAfter(i);
            options.web = value ? parseListenAddress(*value, why) : std::nullopt;
            if (!options.web)
                options.error = "--web " + why;
        } else if (argument == "--web-token-file") {
            options.webTokenFile = valueAfter(i);
            if (!options.webTokenFile || options.webTokenFile->isEmpty())
                options.error = "--web-token-file needs a file";
        } else {
            options.error = QString("unknown option '%1'").arg(argument);
        }
    }
    if (options.error.isEmpty() && options.webTokenFile && !options.web)
        options.error = "--web-token-file needs --web";
    // A client without a window has nothing to follow unless it is told where.
    if (options.error.isEmpty() && options.headless && kind == BuildKind::Client &&
        !options.connectHost)
        options.error = "--headless needs --connect HOST";
    return options;
}

} // namespace nimbar
