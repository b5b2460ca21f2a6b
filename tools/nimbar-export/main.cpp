// nimbar-export: loads recording files as the data browser does and writes its text,
// spreadsheet or CSV export. Exit status: 0 a file was written, 1 nothing could be loaded or
// written, 2 wrong usage.

#include "browser/BrowserExport.h"
#include "browser/BrowserTexts.h"
#include "browser/ChannelStatistics.h"
#include "browser/RangeScan.h"
#include "browser/RecordingLoader.h"
#include "browser/StreamExport.h"
#include "settings/ProgramPaths.h"
#include "settings/RecordText.h"
#include "ui/browser/BrowserReport.h"

#include "ProgramIdentity.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
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
    "  --subsample auto as the browser's Auto: every record up to the limit, beyond it the\n"
    "                   envelope (each time bucket's minimum and maximum per channel), and the\n"
    "                   statistics of every record\n"
    "  --limit N        most records plotted (default 3600, as the browser; 0 = no limit)\n"
    "  --smooth N       smooth every channel N times, as the browser's Smoothing (default 0)\n"
    "  --format F       txt | xls | csv | pdf (default: from the extension of --out)\n"
    "  --out FILE       the file to write; \"-\" writes txt or csv to standard output\n"
    "  --statistics     print the statistics (as the browser's memo, with the standard\n"
    "                   deviation) to standard output; --out is then optional\n"
    "  --korean         Korean texts\n"
    "\n"
    "txt and xls are the browser's text (code page 949) and spreadsheet exports; csv is UTF-8\n"
    "with a header row and one row per plotted record, empty cells for missing values; pdf is\n"
    "the browser's printed report (A4 landscape, texts searchable). Points and rows are in\n"
    "ascending time order. The load's status texts go to standard error.\n"
    "\n"
    "With --limit 0, txt and csv (without --smooth) are written as the files are read, in\n"
    "memory that does not grow with the range: a month exports like an hour. A spreadsheet\n"
    "holds at most 65534 rows; more are refused (status 1).\n"
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
    bool statistics = false;
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
        if (a == "--statistics") {
            o.statistics = true;
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
        } else if (a == "--subsample" && *v == "auto") {
            o.load.automatic = true;
        } else if (a == "--subsample") {
            const auto n = number(*v, 1, kMaxSubsampling);
            if (!n)
                return "--subsample is 1..100 or auto";
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
    if (o.out.isEmpty()) {
        if (!o.statistics)
            return "--out is missing";
        if (!o.format.isEmpty())
            return "--format needs --out";
        return {};
    }
    if (o.statistics && o.out == "-")
        return "--statistics and --out - both write to standard output";
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

// Takes every byte and keeps none: statistics of a stream that goes nowhere.
class Discard : public QIODevice {
public:
    Discard() { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override { return size; }
};

void printStatistics(const BrowserDataSet& data, bool korean) {
    QStringList lines = statisticsMemoLines(data, korean, true);
    lines.removeLast(); // the memo's hint to close it
    std::fputs((lines.join('\n') + '\n').toUtf8().constData(), stdout);
}

// Whether this export is written as the files are read: every record, no smoothing.
bool streams(const Options& o) {
    return o.load.pointLimit == 0 && o.smooth == 0 &&
           (o.out.isEmpty() || o.format == "csv" || o.format == "txt");
}

int streamOut(const Options& o, const QStringList& paths) {
    BrowserDataSet data;
    StreamReport report;
    const ExportFormat format = o.format == "txt" ? ExportFormat::Text : ExportFormat::Csv;
    if (o.out.isEmpty()) {
        Discard nowhere;
        report = streamExport(paths, o.load, format, nowhere, data);
    } else if (o.out == "-") {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered))
            return kExitNothing;
        report = streamExport(paths, o.load, format, out, data);
    } else {
        QSaveFile out(o.out);
        // Unbuffered: a write that the disk cuts short fails at once.
        if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            say(saveErrorText(o.out, o.load.korean));
            return kExitNothing;
        }
        report = streamExport(paths, o.load, format, out, data);
        say(report.load.status);
        if (report.load.outcome != LoadOutcome::Loaded)
            return kExitNothing;
        if (report.load.records == 0) {
            say(noDataText(o.load.korean));
            return kExitNothing;
        }
        const bool written = report.written && out.commit();
        say(written ? savedAsText(o.out, o.load.korean) : saveErrorText(o.out, o.load.korean));
        if (written && o.statistics)
            printStatistics(data, o.load.korean);
        return written ? kExitWritten : kExitNothing;
    }
    say(report.load.status);
    if (report.load.outcome != LoadOutcome::Loaded)
        return kExitNothing;
    if (report.load.records == 0) {
        say(noDataText(o.load.korean));
        return kExitNothing;
    }
    if (!report.written)
        return kExitNothing;
    if (o.statistics)
        printStatistics(data, o.load.korean);
    return kExitWritten;
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

    if (streams(o))
        return streamOut(o, paths);

    // A spreadsheet's rows are counted: a load one row longer than a sheet holds is enough
    // to refuse it.
    const bool sheetCapped =
        o.format == "xls" && (o.load.pointLimit == 0 || o.load.pointLimit > kXlsMaxPoints);
    if (sheetCapped)
        o.load.pointLimit = kXlsMaxPoints + 1;
    BrowserDataSet data;
    const LoadReport report = LoadFiles(paths, data, o.load);
    if (sheetCapped &&
        (report.outcome == LoadOutcome::LimitReached || data.points() > kXlsMaxPoints)) {
        say(spreadsheetTooLongText(o.load.korean));
        return kExitNothing;
    }
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
    if (o.out.isEmpty()) {
        printStatistics(data, o.load.korean);
        return kExitWritten;
    }

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
    if (result.written && o.statistics)
        printStatistics(data, o.load.korean);
    return result.written ? kExitWritten : kExitNothing;
}
