// nimbar-export: loads recording files as the data browser does and writes its text,
// spreadsheet or CSV export. Exit status: 0 a file was written, 1 nothing could be loaded or
// written, 2 wrong usage.

#include "browser/BrowserExport.h"
#include "browser/BrowserTexts.h"
#include "browser/ChannelStatistics.h"
#include "browser/RangeScan.h"
#include "browser/RecordingLoader.h"
#include "settings/ProgramPaths.h"
#include "settings/RecordText.h"
#include "ui/browser/BrowserReport.h"

#include "ProgramIdentity.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTranslator>

#include <cstdio>
#include <memory>
#include <optional>

using namespace nimbar;

namespace {

constexpr int kExitWritten = 0;
constexpr int kExitNothing = 1;
constexpr int kExitUsage = 2;

constexpr char kUsage[] =
    "Usage: nimbar-export [options] FILE...\n"
    "  or:  nimbar-export [options] --board L --from YYYYMMDD-HH --to YYYYMMDD-HH\n"
    "  or:  nimbar-export --help | --version\n";

constexpr char kHelp[] =
    "\n"
    "Loads recording files (.KRN) as the data browser does and writes its export.\n"
    "\n"
    "  FILE...          load these recording files, in this order\n"
    "  --board L        range scan of board L (A..D): the files whose starting hour h has\n"
    "  --from, --to     from <= h < to\n"
    "  --data DIR       data directory of the range scan (default: the logger's default one)\n"
    "  --x-axis MODE    record | elapsed | seconds (default record)\n"
    "  --subsample N    plot every N-th record of each file, 1..100 (default 1)\n"
    "  --limit N        most records plotted (default 3600, as the browser; 0 = no limit)\n"
    "  --smooth N       smooth every channel N times, as the browser's Smoothing (default 0)\n"
    "  --format F       txt | xls | csv | pdf (default: from the extension of --out)\n"
    "  --out FILE       the file to write; \"-\" writes txt or csv to standard output\n"
    "  --korean         Korean texts\n"
    "\n"
    "txt and xls are the browser's text (code page 949) and spreadsheet exports; csv is UTF-8\n"
    "with a header row and one row per plotted record, empty cells for missing values; pdf is\n"
    "the browser's printed report (A4 landscape, texts searchable). The load's status texts go\n"
    "to standard error.\n"
    "\n"
    "Exit status: 0 a file was written (also after the point limit); 1 nothing could be loaded\n"
    "or written; 2 wrong usage.\n";

struct Options {
    QStringList files;
    QString board;
    QString from;
    QString to;
    QString dataDirectory;
    LoadOptions load;
    int smooth = 0;
    QString format;
    QString out;
};

int usageError(const QString& why = {}) {
    if (!why.isEmpty())
        std::fprintf(stderr, "nimbar-export: %s\n", qPrintable(why));
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

void say(const QString& text) {
    if (!text.isEmpty())
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

std::optional<int> number(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

// YYYYMMDD-HH
bool parseHour(const QString& text, QDate& date, int& hour) {
    static const QRegularExpression pattern("^(\\d{8})-(\\d{2})$");
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    date = QDate::fromString(match.captured(1), "yyyyMMdd");
    hour = match.captured(2).toInt();
    return date.isValid() && hour <= 23;
}

// Parses the arguments; an error text when they are not usable.
QString parse(const QStringList& arguments, Options& o) {
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments[++i];
        };
        if (!a.startsWith("--")) {
            o.files << a;
            continue;
        }
        if (a == "--korean") {
            o.load.korean = true;
            continue;
        }
        const std::optional<QString> v = value();
        if (!v)
            return a + " needs a value";
        if (a == "--board") {
            o.board = v->toUpper();
            if (o.board.size() != 1 || o.board[0] < 'A' || o.board[0] > 'D')
                return "--board is one of A, B, C, D";
        } else if (a == "--from") {
            o.from = *v;
        } else if (a == "--to") {
            o.to = *v;
        } else if (a == "--data") {
            o.dataDirectory = *v;
        } else if (a == "--x-axis") {
            const QStringList modes{"record", "elapsed", "seconds"};
            if (!modes.contains(*v))
                return "--x-axis is record, elapsed or seconds";
            o.load.xMode = static_cast<XAxisMode>(modes.indexOf(*v));
        } else if (a == "--subsample") {
            const auto n = number(*v, 1, kMaxSubsampling);
            if (!n)
                return "--subsample is 1..100";
            o.load.subsampling = *n;
        } else if (a == "--limit") {
            const auto n = number(*v, 0, 1'000'000'000);
            if (!n)
                return "--limit is a number of records, 0 for none";
            o.load.pointLimit = *n;
        } else if (a == "--smooth") {
            const auto n = number(*v, 0, 10'000);
            if (!n)
                return "--smooth is 0..10000";
            o.smooth = *n;
        } else if (a == "--format") {
            o.format = v->toLower();
        } else if (a == "--out") {
            o.out = *v;
        } else {
            return "unknown option " + a;
        }
    }
    const bool range = !o.board.isEmpty() || !o.from.isEmpty() || !o.to.isEmpty();
    if (range && !o.files.isEmpty())
        return "give either files or a range, not both";
    if (range && (o.board.isEmpty() || o.from.isEmpty() || o.to.isEmpty()))
        return "a range needs --board, --from and --to";
    if (!range && o.files.isEmpty())
        return "no files to load";
    if (o.out.isEmpty())
        return "--out is missing";
    if (o.format.isEmpty()) {
        o.format = QFileInfo(o.out).suffix().toLower();
        if (o.out == "-" || o.format.isEmpty())
            return "give --format, or an --out file with the extension txt, xls, csv or pdf";
    }
    if (!QStringList{"txt", "xls", "csv", "pdf"}.contains(o.format))
        return "--format is txt, xls, csv or pdf";
    if (o.out == "-" && o.format != "txt" && o.format != "csv")
        return "only txt and csv go to standard output";
    return {};
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (arguments.contains("--help") || arguments.contains("-h")) {
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return kExitWritten;
    }
    if (arguments.contains("--version")) {
        std::printf("nimbar-export Ver %s\n", kProgramVersion);
        return kExitWritten;
    }
    Options o;
    if (const QString error = parse(arguments, o); !error.isEmpty())
        return usageError(error);
    // The pdf report draws a chart and texts: the GUI side of Qt, without a screen.
    std::unique_ptr<QCoreApplication> app;
    if (o.format == "pdf") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTranslator korean;
    if (o.load.korean && korean.load(":/i18n/nimbar_ko.qm"))
        QCoreApplication::installTranslator(&korean);

    QStringList paths = o.files;
    if (!o.board.isEmpty()) {
        QDate fromDate, toDate;
        int fromHour = 0, toHour = 0;
        if (!parseHour(o.from, fromDate, fromHour) || !parseHour(o.to, toDate, toHour))
            return usageError("--from and --to are YYYYMMDD-HH");
        if (o.dataDirectory.isEmpty())
            o.dataDirectory = decodeCp949(
                ProgramPaths(BuildKind::Logger, {}).defaultDataDirText().constData(), 81);
        paths = scanRecordingRange(o.dataDirectory, o.board[0], fromDate, fromHour, toDate, toHour)
                    .paths;
    }

    BrowserDataSet data;
    const LoadReport report = LoadFiles(paths, data, o.load);
    say(report.status);
    if (report.outcome != LoadOutcome::Loaded && report.outcome != LoadOutcome::LimitReached)
        return kExitNothing;
    if (data.points() == 0) {
        say(noDataText(o.load.korean));
        return kExitNothing;
    }
    for (int pass = 0; pass < o.smooth; ++pass)
        for (BrowserSeries& series : data.series)
            smoothSeries(series.y);

    if (o.out == "-") {
        const QByteArray bytes = o.format == "csv" ? browserCsvBytes(data) : browserTextBytes(data);
        const bool written =
            std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout) ==
                static_cast<std::size_t>(bytes.size()) &&
            std::fflush(stdout) == 0;
        return written ? kExitWritten : kExitNothing;
    }
    ExportResult result;
    if (o.format == "pdf")
        result = ExportBrowserPdf(data, o.out, o.load.korean);
    else if (o.format == "xls")
        result = ExportBrowserXls(data, o.out, o.load.korean);
    else if (o.format == "csv")
        result = ExportBrowserCsv(data, o.out, o.load.korean);
    else
        result = ExportBrowserTxt(data, o.out, o.load.korean);
    say(result.status);
    return result.written ? kExitWritten : kExitNothing;
}
