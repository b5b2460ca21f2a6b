// The printed report of a loaded chart: the label table, "-" for channels not reported, the
// time span in each X-axis mode, smoothing, Korean captions; and the PDF of nimbar-export.
#include "RecordingFiles.h"
#include "browser/ChannelStatistics.h"
#include "browser/RangeScan.h"
#include "ui/browser/TFormB.h"
#include "ui/browser/TFormQ.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QListWidget>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <cstring>

using namespace nimbar;
using recfiles::Layout;

namespace {

const QDate kDay(2007, 3, 15);
const QString kDash = "         -";

// 20 records a second apart from 10:00; record k holds k + 1 + i in channel i.
QString writeFile(const QTemporaryDir& data, const QByteArray& serial,
                  const std::function<void(QByteArray&)>& edit = {}) {
    const QString path = dayDirectory(data.path(), kDay, 'A') + "/100000.KRN";
    if (!recfiles::write(path, Layout::Current, serial, recfiles::dayValue(kDay, 10),
                         recfiles::dayValue(kDay, 10), 20))
        return {};
    if (edit) {
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite))
            return {};
        QByteArray bytes = file.readAll();
        edit(bytes);
        file.seek(0);
        file.write(bytes);
    }
    return path;
}

QByteArray run(const QString& program, const QStringList& arguments, int* status = nullptr) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    if (status)
        *status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return process.readAllStandardOutput() + process.readAllStandardError();
}

} // namespace

class PrintReportTest : public QObject {
    Q_OBJECT

    // A browser that has drawn board A of kDay 10 h to 11 h; Print Chart leaves the report's
    // preview closed and hands over the report.
    struct Browser {
        QTemporaryDir data;
        std::unique_ptr<TFormB> form;
        TFormQ* report = nullptr;

        explicit Browser(const QByteArray& serial, bool korean = false,
                         const std::function<void(QByteArray&)>& edit = {}) {
            writeFile(data, serial, edit);
            form = std::make_unique<TFormB>(nullptr, korean, data.path());
            form->setPreviewOpener([this](QPrintPreviewDialog& dialog) {
                report = qobject_cast<TFormQ*>(form->findChildren<TFormQ*>().last());
                QVERIFY(!dialog.isVisible());
            });
            find<QDateEdit>("DateTimePicker1")->setDate(kDay);
            find<QDateEdit>("DateTimePicker2")->setDate(kDay);
            find<QSpinBox>("UDStart")->setValue(10);
            find<QSpinBox>("UDEnd")->setValue(11);
            find<QPushButton>("BtnDraw")->click();
        }
        template <typename T> T* find(const QString& name) const {
            return form->findChild<T*>(name);
        }
        const ReportForm& print() {
            report = nullptr;
            find<QPushButton>("BtPrint")->click();
            return report->form();
        }
        // The four statistics of report column c.
        QStringList column(int c) const {
            QStringList cells;
            for (int row = 1; row < ReportForm::kTableRows; ++row)
                cells << report->form().cell(row, c).caption;
            return cells;
        }
    };

private slots:
    void nineChannelsFillTheLabelTable() {
        Browser b("A4001");
        QCOMPARE(b.form->data().points(), 20);
        const ReportForm& r = b.print();
        QCOMPARE(r.caption("QRTitle"), QString("Job"));
        QCOMPARE(r.caption("QRStart"), QString("2007-03-15 10:00:00"));
        QCOMPARE(r.caption("QREnd"), QString("2007-03-15 10:00:19"));
        QCOMPARE(r.caption("QRTotal"), QString("20"));
        QCOMPARE(r.caption("QRTime").size(), 19);
        QCOMPARE(r.caption("QRStartL"), QString("Start"));
        QCOMPARE(r.caption("QRStdL"), QString("Std"));
        // Column c is series c + 1 (values 2 + c .. 21 + c): series 0 is never reported.
        for (int c = 0; c < ReportForm::kTableColumns; ++c) {
            QCOMPARE(r.cell(0, c).caption, QString("Ch %1").arg(c + 1));
            QCOMPARE(r.cell(0, c).name, QString("QRCH%1L").arg(c + 1, 2, 10, QChar('0')));
            QCOMPARE(b.column(c),
                     QStringList({QString::asprintf("%10.2f", 2.0 + c),
                                  QString::asprintf("%10.2f", 21.0 + c),
                                  QString::asprintf("%10.2f", 11.5 + c), "      5.77"}));
        }
        QCOMPARE(r.cell(3, 7).name, QString("QRAvg08"));
        QCOMPARE(b.report->picture().size(), QSize(1474, 860));
        QVERIFY(!QFile::exists(QCoreApplication::applicationDirPath() + "/temp.bmp"));
        QVERIFY(!QFile::exists("temp.bmp"));

        // A hidden channel keeps its title and prints "-".
        b.find<QCheckBox>("CheckBox3")->click();
        b.print();
        QCOMPARE(b.report->form().cell(0, 2).caption, QString("Ch 3"));
        QCOMPARE(b.column(2), QStringList(4, kDash));
        QCOMPARE(b.column(3)[0], QString("      5.00"));
    }

    void startAndEndFollowTheXAxisMode() {
        Browser b("A4001");
        b.find<QListWidget>("FileListBox1")->item(0)->setSelected(true);
        const QList<QRadioButton*> modes = b.find<QWidget>("RGX")->findChildren<QRadioButton*>();
        modes[1]->click();
        QCOMPARE(b.print().caption("QRStart"), QString("     0 00:00:00"));
        QCOMPARE(b.report->form().caption("QREnd"), QString("     0 00:00:19"));
        modes[2]->click();
        QCOMPARE(b.print().caption("QRStart"), QString("           0.0    "));
        QCOMPARE(b.report->form().caption("QREnd"), QString("          19.0    "));
    }

    void sevenChannelsLeaveTheLastColumnsEmpty() {
        Browser b("A2001");
        QCOMPARE(b.form->data().channelCount, 7);
        const ReportForm& r = b.print();
        QCOMPARE(r.cell(0, 5).caption, QString("Ch 6"));
        QCOMPARE(b.column(5)[1], QString("     26.00"));
        QCOMPARE(r.cell(0, 6).caption, QString("CH7"));
        QCOMPARE(r.cell(0, 7).caption, QString("CH8"));
        QCOMPARE(b.column(6), QStringList(4, kDash));
        QCOMPARE(b.column(7), QStringList(4, kDash));
    }

    void smoothedValuesAreReported() {
        // A spike of 1000 in record 10 of channel 1.
        Browser b("A4001", false, [](QByteArray& bytes) {
            const double spike = 1000;
            std::memcpy(bytes.data() + 544 + 80 * 10 + 8 + 8, &spike, 8);
        });
        QCOMPARE(b.print().cell(2, 0).caption, QString("   1000.00"));
        b.find<QPushButton>("BtSmth")->click();
        const SeriesStatistics smoothed = ChannelStatistics(b.form->data().series[1]);
        QVERIFY(smoothed.maximum < 500);
        QCOMPARE(b.print().cell(2, 0).caption, QString::asprintf("%10.2f", smoothed.maximum));
        QCOMPARE(b.column(0)[2], QString::asprintf("%10.2f", smoothed.mean));
    }

    void koreanCaptions() {
        QTranslator translator;
        QVERIFY(translator.load(":/i18n/nimbar_ko.qm"));
        QCoreApplication::installTranslator(&translator);
        Browser b("A4001", true);
        const ReportForm& r = b.print();
        QCoreApplication::removeTranslator(&translator);
        const QStringList names{"QRStartL", "QREndL", "QRTotalL", "QRManager", "QRM",   "QRS",
                                "QRMemoL",  "QRMinL", "QRMaxL",   "QRAvgL",    "QRStdL"};
        QStringList captions;
        for (const QString& name : names)
            captions << r.caption(name);
        QCOMPARE(captions, QStringList({"시작 시각", "종료 시각", "총데이터수", "관 리 자", "정",
                                        "부", "메모", "최소값", "최대값", "평균값", "표준편차"}));
    }

    void exportWritesTheReportAsPdf() {
        const QString binDir = qEnvironmentVariable("NIMBAR_BIN_DIR");
        if (binDir.isEmpty())
            QSKIP("NIMBAR_BIN_DIR is not set: run through ctest");
        const QString program = binDir + "/tools/nimbar-export/nimbar-export";
        QTemporaryDir data;
        const QString file = writeFile(data, "A4001");
        const QString pdf = data.filePath("report.pdf");
        int status = -1;
        run(program, {file, "--out", pdf, "--korean"}, &status);
        QCOMPARE(status, 0);
        const QString info = QString::fromUtf8(run("pdfinfo", {pdf}));
        QVERIFY2(info.contains(QRegularExpression("Page size: +841.89 x 595.276 pts \\(A4\\)")) ||
                     info.contains(QRegularExpression("Page size: +842 x 595 pts \\(A4\\)")),
                 qPrintable(info));
        QVERIFY(info.contains(QRegularExpression("Pages: +1\n")));
        const QString text = QString::fromUtf8(run("pdftotext", {"-layout", pdf, "-"}));
        for (const QString& expected :
             {QString("Job"), QString("2007-03-15 10:00:00"), QString("2007-03-15 10:00:19"),
              QString("20"), QString("시작 시각"), QString("표준편차"), QString("Ch 8")})
            QVERIFY2(text.contains(expected), qPrintable(expected + " not in\n" + text));
        QVERIFY(text.contains(QRegularExpression("최소값 +2.00 +3.00 +4.00 +5.00 +6.00 +7.00 "
                                                 "+8.00 +9.00")));
        QVERIFY(text.contains(QRegularExpression("표준편차 +5.77 +5.77")));
        QVERIFY(!text.contains("Ch 0"));

        // A file that cannot be written is said, and nothing is left.
        const QString nowhere = data.filePath("missing/report.pdf");
        QCOMPARE(run(program, {file, "--out", nowhere}, &status).contains("There are some errors"),
                 true);
        QCOMPARE(status, 1);
        QVERIFY(!QFile::exists(nowhere));
    }
};

QTEST_MAIN(PrintReportTest)
#include "tst_PrintReport.moc"
