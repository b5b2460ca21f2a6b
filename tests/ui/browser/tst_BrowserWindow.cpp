// The browser window offscreen, driven by its controls: loads, channel boxes, zoom, smoothing,
// statistics, titles and the exports.
#include "FileContents.h"
#include "RecordingFiles.h"
#include "browser/ChannelStatistics.h"
#include "browser/RangeScan.h"
#include "processing/InvalidValue.h"
#include "recording/XlsWriter.h"
#include "ui/browser/TDlgTitle.h"
#include "ui/browser/TFormB.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <array>
#include <cmath>

using namespace nimbar;
using recfiles::Layout;

namespace {

const QDate kDay(2007, 3, 15);
using Row = std::array<double, 9>;

// A current-layout file of board A, one record a second from 10:00, each row's nine values.
QString writeRows(const QTemporaryDir& data, const QString& name, const std::vector<Row>& rows,
                  const QList<QByteArray>& names = {}, const QByteArray& serial = "A4001") {
    const QString path = dayDirectory(data.path(), kDay, 'A') + '/' + name;
    QDir().mkpath(QFileInfo(path).path());
    const double start = recfiles::dayValue(kDay, 10);
    QByteArray bytes = recfiles::header(Layout::Current, serial, start, names);
    for (std::size_t k = 0; k < rows.size(); ++k)
        bytes += recfiles::recordWith(Layout::Current, start + double(k) / 86400.0, rows[k]);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

Row row(double base) {
    Row r;
    for (int i = 0; i < 9; ++i)
        r[i] = base + i;
    return r;
}

} // namespace

class BrowserWindowTest : public QObject {
    Q_OBJECT

    struct Window {
        QTemporaryDir data;
        std::unique_ptr<TFormB> form;
        explicit Window(bool korean = false) {
            form = std::make_unique<TFormB>(nullptr, korean, data.path());
        }
        template <typename T> T* find(const QString& name) const {
            return form->findChild<T*>(name);
        }
        // Draws board A of kDay from 10 h to 11 h.
        void draw() {
            find<QDateEdit>("DateTimePicker1")->setDate(kDay);
            find<QDateEdit>("DateTimePicker2")->setDate(kDay);
            find<QSpinBox>("UDStart")->setValue(10);
            find<QSpinBox>("UDEnd")->setValue(11);
            find<QPushButton>("BtnDraw")->click();
        }
    };

private slots:
    void createsInItsInitialState() {
        Window w;
        TFormB& f = *w.form;
        QCOMPARE(f.windowTitle(), QString("Browser"));
        QCOMPARE(f.size(), QSize(1024, 736));
        QCOMPARE(f.minimumSize(), f.maximumSize());
        QVERIFY(f.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(w.find<QDateEdit>("DateTimePicker1")->date(), QDate::currentDate());
        QCOMPARE(w.find<QComboBox>("CBSel")->currentText(), QString("A"));
        QCOMPARE(w.find<QComboBox>("FilterComboBox1")->currentText(), QString("KRN file(*.KRN)"));
        QCOMPARE(f.chart()->xAxis->label(), QString("Record Time(hh:mm:ss)"));
        for (const char* name : {"LblName",
                                 "LblStart",
                                 "ChkViewP1",
                                 "GroupBox1",
                                 "ChartD",
                                 "Memo1",
                                 "GBDate",
                                 "LblPort",
                                 "LblSDate",
                                 "LblEDate",
                                 "LblSTime",
                                 "LblETime",
                                 "EdStart",
                                 "UDStart",
                                 "EdEnd",
                                 "UDEnd",
                                 "BtnDraw",
                                 "DriveComboBox1",
                                 "DirectoryListBox1",
                                 "FileListBox1",
                                 "LblSN",
                                 "LblSer",
                                 "Label2",
                                 "LblX",
                                 "Label3",
                                 "LblY",
                                 "BtZoomIn",
                                 "BtZoomOut",
                                 "BtAuto",
                                 "BtSmth",
                                 "GBSample",
                                 "Edit1",
                                 "UpDown1",
                                 "ChkAutoSub",
                                 "RGX",
                                 "BtTXT",
                                 "BtXLS",
                                 "BtPrint",
                                 "BtClipboard",
                                 "BtClose",
                                 "PM2",
                                 "SBar",
                                 "SaveDialog1",
                                 "CheckBox8"})
            QVERIFY2(f.findChild<QObject*>(name), name);
        // No recording yet: nothing qualifies.
        w.find<QPushButton>("BtnDraw")->click();
        QCOMPARE(f.statusText(), QString("No data!!"));
        QVERIFY(w.find<QPushButton>("BtZoomIn")->isEnabled());
        // The save dialog starts in the data directory.
        QCOMPARE(w.find<QFileDialog>("SaveDialog1")->directory().absolutePath(),
                 QDir(w.data.path()).absolutePath());
        // The menu pops up only outside the plotting rectangle, for the right button.
        f.chart()->replot(); // lays the plot out
        const QPoint inside = f.chart()->axisRect()->rect().center();
        QVERIFY(!f.ChartDMouseDown(Qt::RightButton, inside));
        QVERIFY(f.ChartDMouseDown(Qt::RightButton, QPoint(1, 1)));
        QVERIFY(!f.ChartDMouseDown(Qt::LeftButton, QPoint(1, 1)));
    }

    void rangeLoadFillsChartLabelsAndChannelBoxes() {
        Window w;
        QVERIFY(!writeRows(w.data, "095900.KRN", {row(100)}).isEmpty());
        QVERIFY(!writeRows(w.data, "100000.KRN", {row(1), row(2), row(3)}, {}, "A3777").isEmpty());
        w.draw();
        TFormB& f = *w.form;
        QCOMPARE(f.statusText(), QString("Total data are 3"));
        QCOMPARE(w.find<QLabel>("LblName")->text(), QString("Job"));
        QCOMPARE(w.find<QLabel>("LblSer")->text(), QString("A3777"));
        QCOMPARE(w.find<QLabel>("LblStart")->text(), QString("2007-03-15 10:00:00"));
        QCOMPARE(f.chart()->graph(1)->dataCount(), 3);
        QCOMPARE(f.chart()->graph(1)->name(), QString("Ch 1"));
        QVERIFY(!w.find<QCheckBox>("CheckBox7")->isEnabled());
        QVERIFY(!f.chart()->seriesVisible(7));
        QVERIFY(f.chart()->seriesVisible(6));
        QVERIFY(!w.find<QCheckBox>("ChkViewP1")->isChecked());
        QVERIFY(!f.chart()->markersVisible());
        auto* files = w.find<QListWidget>("FileListBox1");
        QCOMPARE(files->count(), 2); // the scanned day directory is shown

        // The 7-channel memo still lists nine channels.
        f.GetAverage1Click();
        auto* memo = w.find<QPlainTextEdit>("Memo1");
        QVERIFY(memo->isVisible() || !memo->isHidden());
        const QStringList lines = memo->toPlainText().split('\n');
        QCOMPARE(lines.size(), 13);
        QCOMPARE(lines[0], QString("Basic Statistic Properties"));
        QCOMPARE(lines[1], QString(38, '-'));
        QCOMPARE(lines[9], QString("CH7: Count=0,  Average=0.00, Max=0.00, Min=0.00"));
        QCOMPARE(lines[12], QString("Doubleclick on the memo to close it."));
        f.Memo1DblClick();
        QVERIFY(memo->isHidden());

        // A selected 9-channel file enables the boxes again; the X-axis group reloads the
        // selection, and with nothing selected the chart ends up empty.
        QVERIFY(!writeRows(w.data, "103000.KRN", {row(5)}).isEmpty());
        f.FilterComboBox1Change();
        for (int i = 0; i < files->count(); ++i)
            files->item(i)->setSelected(files->item(i)->text() == "103000.KRN");
        f.FileListBox1DblClick();
        QCOMPARE(f.statusText(), QString("Total data are 1"));
        QVERIFY(w.find<QCheckBox>("CheckBox7")->isEnabled());
        QVERIFY(f.chart()->seriesVisible(7));
        files->clearSelection();
        f.FileListBox1DblClick();
        QCOMPARE(f.statusText(), QString("No data!!"));
        QCOMPARE(f.data().points(), 0);

        // A new subsampling factor empties the chart.
        for (int i = 0; i < files->count(); ++i)
            files->item(i)->setSelected(true);
        f.FileListBox1DblClick();
        QCOMPARE(f.data().points(), 5);
        w.find<QSpinBox>("UpDown1")->setValue(2);
        QCOMPARE(f.data().points(), 0);
        QCOMPARE(f.chart()->graph(0)->dataCount(), 0);
    }

    void smoothingChangesOnlyInnerPointsOfShownSeries() {
        Window w;
        std::vector<Row> rows;
        for (int k = 0; k < 12; ++k)
            rows.push_back(row((k % 3) * 10.0));
        QVERIFY(!writeRows(w.data, "100000.KRN", rows).isEmpty());
        w.draw();
        TFormB& f = *w.form;
        w.find<QCheckBox>("CheckBox3")->click();
        QVERIFY(!f.chart()->seriesVisible(3));
        const BrowserDataSet before = f.data();
        w.find<QPushButton>("BtSmth")->click();
        for (int j = 0; j < 12; ++j) {
            const bool inner = j == 5 || j == 6;
            QCOMPARE(f.data().series[1].y[j] != before.series[1].y[j], inner);
            QCOMPARE(f.data().series[3].y[j], before.series[3].y[j]);
        }
        // Point 5 sees its left neighbours smoothed already: 0.333334 y5 + sum c_k (...).
        const auto& y = before.series[1].y;
        const double c[6] = {0.333334, 0.27972, 0.13986, -0.02331, -0.104895, 0.041958};
        double expected = c[0] * y[5];
        for (int k = 1; k <= 5; ++k)
            expected += c[k] * (y[5 - k] + y[5 + k]);
        QCOMPARE(f.data().series[1].y[5], expected);
    }

    void statisticsLeaveOutMissingValues() {
        Window w;
        std::vector<Row> rows{row(0), row(1), row(2), row(3), row(9)};
        rows[4][1] = InvalidValue;
        QVERIFY(!writeRows(w.data, "100000.KRN", rows).isEmpty());
        w.draw();
        TFormB& f = *w.form;
        const SeriesStatistics s = ChannelStatistics(f.data().series[1]);
        QCOMPARE(s.count, 4);
        QCOMPARE(s.mean, 2.5);
        QCOMPARE(s.standardDeviation, std::sqrt(1.25));
        f.GetAverage1Click();
        QCOMPARE(w.find<QPlainTextEdit>("Memo1")->toPlainText().split('\n')[3],
                 QString("CH1: Count=4,  Average=2.50, Max=4.00, Min=1.00"));
        QCOMPARE(ChannelStatistics(BrowserSeries{}).maximum, 0.0);
    }

    void textAndSpreadsheetExports() {
        Window w;
        std::vector<Row> rows{row(1), row(2)};
        rows[1][2] = InvalidValue;
        QVERIFY(!writeRows(w.data, "100000.KRN", rows,
                           {"x", "T", "TwelveChars!", "C3", "C4", "C5", "C6", "C7", "C8"})
                     .isEmpty());
        w.draw();
        TFormB& f = *w.form;
        QString chosen = "  " + w.data.filePath("export.dat") + " ";
        f.setSaveChooser([&](const QString&) { return chosen; });
        w.find<QPushButton>("BtTXT")->click();
        const QString txt = w.data.filePath("export.TXT");
        QCOMPARE(f.statusText(), "Saved as " + txt);
        QList<QByteArray> lines = fileContents(txt).split('\n');
        QCOMPARE(lines[0], QByteArray("Chart # Y # 2007-03-15 10:00:00\r"));
        QVERIFY(lines[1].startsWith("         Time         x         T         TwelveChar"));
        QVERIFY(lines[2].startsWith("2007-03-15 10:00:00     1.000     2.000     3.000"));
        QVERIFY(lines[3].startsWith("2007-03-15 10:00:01     2.000     3.000         *"));

        const QList<QRadioButton*> modes = w.find<QWidget>("RGX")->findChildren<QRadioButton*>();
        auto* files = w.find<QListWidget>("FileListBox1");
        files->item(0)->setSelected(true);
        modes[1]->click();
        QCOMPARE(f.data().xMode, XAxisMode::ElapsedTime);
        w.find<QPushButton>("BtTXT")->click();
        lines = fileContents(txt).split('\n');
        QVERIFY(lines[3].startsWith("     0 00:00:01     2.000"));
        modes[2]->click();
        w.find<QPushButton>("BtTXT")->click();
        lines = fileContents(txt).split('\n');
        QVERIFY(lines[3].startsWith("           1.0         2.000"));

        chosen = w.data.filePath("sheet.xls");
        w.find<QPushButton>("BtXLS")->click();
        const QString xls = w.data.filePath("sheet.XLS");
        QCOMPARE(f.statusText(), "Saved as " + xls);
        const QByteArray sheet = fileContents(xls);
        QVERIFY(sheet.contains(XlsWriter::labelRecord(0, 3, "1.0") +
                               XlsWriter::numberRecord(1, 3, 2) + XlsWriter::numberRecord(2, 3, 3) +
                               XlsWriter::labelRecord(3, 3, "*")));

        // A spreadsheet that cannot be written is said; a cancelled dialog changes nothing.
        chosen = w.data.filePath("missing/dir/sheet.xls");
        w.find<QPushButton>("BtXLS")->click();
        QCOMPARE(f.statusText(), "The spreadsheet file could not be saved: " +
                                     w.data.filePath("missing/dir/sheet.XLS"));
        chosen.clear();
        const QStringList before = QDir(w.data.path()).entryList(QDir::Files);
        w.find<QPushButton>("BtTXT")->click();
        w.find<QPushButton>("BtXLS")->click();
        QCOMPARE(f.statusText(), "The spreadsheet file could not be saved: " +
                                     w.data.filePath("missing/dir/sheet.XLS"));
        QCOMPARE(QDir(w.data.path()).entryList(QDir::Files), before);
    }

    void zoomInThenOutIsNotAuto() {
        Window w;
        QVERIFY(!writeRows(w.data, "100000.KRN", {row(0), row(10), row(20)}).isEmpty());
        w.draw();
        TFormB& f = *w.form;
        w.find<QPushButton>("BtAuto")->click();
        const QCPRange full = f.chart()->xAxis->range();
        const QCPRange fullY = f.chart()->yAxis->range();
        w.find<QPushButton>("BtZoomIn")->click();
        // Keys are seconds since 1970: a few seconds of range keep about seven digits.
        const auto near = [](double a, double b) { return std::fabs(a - b) < 1e-5 * b; };
        QVERIFY(near(f.chart()->xAxis->range().size(), full.size() * 0.8));
        QVERIFY(near(f.chart()->yAxis->range().size(), fullY.size() * 0.8));
        w.find<QPushButton>("BtZoomOut")->click();
        QVERIFY(near(f.chart()->xAxis->range().size(), full.size() * 0.96));
        w.find<QPushButton>("BtAuto")->click();
        QVERIFY(near(f.chart()->xAxis->range().lower, full.lower));
        QVERIFY(near(f.chart()->xAxis->range().size(), full.size()));
        QCOMPARE(f.statusText(), QString());
    }

    void titleDialogChangesTheTitles() {
        Window w;
        QVERIFY(!writeRows(w.data, "100000.KRN", {row(0)}).isEmpty());
        w.draw();
        TFormB& f = *w.form;
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<TDlgTitle*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QString("Dialog"));
            QCOMPARE(dialog->findChild<QLineEdit*>("EdChart")->text(), QString("Chart"));
            dialog->findChild<QLineEdit*>("EdChart")->setText("Oven 3");
            dialog->findChild<QLineEdit*>("EdYAxis")->setText("C");
            dialog->findChild<QPushButton*>("OKBtn")->click();
        });
        f.ModifyTitles1Click();
        QCOMPARE(f.chart()->chartTitle(), QString("Oven 3"));
        QCOMPARE(f.chart()->yAxis->label(), QString("C"));
        QCOMPARE(f.data().chartTitle, QString("Oven 3"));
        QTimer::singleShot(0, [] {
            QApplication::activeModalWidget()->findChild<QLineEdit*>("EdChart")->setText("no");
            QApplication::activeModalWidget()->findChild<QPushButton*>("CancelBtn")->click();
        });
        f.ModifyTitles1Click();
        QCOMPARE(f.data().chartTitle, QString("Oven 3"));
    }

    void koreanCaptionsAndTexts() {
        QTranslator translator;
        QVERIFY(translator.load(":/i18n/nimbar_ko.qm"));
        QCoreApplication::installTranslator(&translator);
        Window w(true);
        QCOMPARE(w.find<QPushButton>("BtnDraw")->text(), QString("그리기"));
        QCOMPARE(w.find<QPushButton>("BtSmth")->text(), QString("노이즈 억제"));
        QCOMPARE(w.find<QCheckBox>("ChkAutoSub")->text(), QString("자동"));
        QCOMPARE(w.find<QLabel>("LblStart")->text(), QString("시작시각 "));
        QCOMPARE(w.find<QWidget>("RGX")->findChildren<QRadioButton*>()[2]->text(),
                 QString("경과 시간 (sec)"));
        QCOMPARE(w.form->chart()->xAxis->label(), QString("기록시각(시:분:초)"));
        w.find<QPushButton>("BtnDraw")->click();
        QCOMPARE(w.form->statusText(), QString("해당하는 내용이 없습니다."));
        // The date pickers' calendars name the months in Korean.
        for (const char* name : {"DateTimePicker1", "DateTimePicker2"}) {
            const QCalendarWidget* calendar = w.find<QDateEdit>(name)->calendarWidget();
            QCOMPARE(calendar->locale().language(), QLocale::Korean);
            QCOMPARE(calendar->locale().monthName(3), QString("3월"));
            QCOMPARE(w.find<QDateEdit>(name)->text(),
                     w.find<QDateEdit>(name)->date().toString("yyyy. M. d."));
        }
        QCoreApplication::removeTranslator(&translator);
    }

    void firstDrawShowsTheCurrentHour() {
        Window w;
        const QDate date = w.find<QDateEdit>("DateTimePicker1")->date();
        const int hour = w.find<QSpinBox>("UDStart")->value();
        // The end hour is not included: it opens one hour after the start, on the next day
        // after 23.
        const QDateTime end(w.find<QDateEdit>("DateTimePicker2")->date(),
                            QTime(w.find<QSpinBox>("UDEnd")->value(), 0));
        QCOMPARE(QDateTime(date, QTime(hour, 0)).secsTo(end), 3600);
        const QString path = dayDirectory(w.data.path(), date, 'A') +
                             QString("/%1%2.KRN").arg(hour, 2, 10, QChar('0')).arg("1530");
        const double start = recfiles::dayValue(date, hour, 15, 30);
        QVERIFY(recfiles::write(path, Layout::Current, "A4", start, start, 3));
        w.find<QPushButton>("BtnDraw")->click();
        QCOMPARE(w.form->statusText(), QString("Total data are 3"));
    }

    void legendListsTheLoadedChannels() {
        Window w;
        QVERIFY(!writeRows(w.data, "100000.KRN", {row(1)}, {}, "A2001").isEmpty());
        w.draw();
        QCPLegend* legend = w.form->chart()->legend;
        QCOMPARE(legend->itemCount(), 7);
        QCOMPARE(legend->itemWithPlottable(w.form->chart()->graph(7)), nullptr);
        w.find<QCheckBox>("CheckBox3")->click();
        QCOMPARE(legend->itemCount(), 6);
        QCOMPARE(legend->itemWithPlottable(w.form->chart()->graph(3)), nullptr);
        QVERIFY(legend->itemWithPlottable(w.form->chart()->graph(4)));
    }

    void zoomReadsThePartAgainInDetail() {
        Window w;
        std::vector<Row> rows;
        for (int k = 0; k < 7200; ++k)
            rows.push_back(row(k % 600));
        QVERIFY(!writeRows(w.data, "100000.KRN", rows).isEmpty());
        w.find<QCheckBox>("ChkAutoSub")->setChecked(true);
        w.draw();
        TFormB& f = *w.form;
        QVERIFY(f.data().summary->envelope);
        QCOMPARE(f.data().points(), 3600);
        // Four steps in leave about 3240 seconds in view: fewer records than the point limit.
        for (int i = 0; i < 4; ++i)
            w.find<QPushButton>("BtZoomIn")->click();
        QTRY_VERIFY(!f.data().summary->envelope);
        const QCPRange shown = f.chart()->xRange();
        const BrowserSeries& s = f.data().series[1];
        QVERIFY(s.count() > 3000 && s.count() < 3600);
        QCOMPARE(qint64(s.count()), f.data().summary->records);
        QVERIFY(s.x.front() >= shown.lower && s.x.back() <= shown.upper);
        QVERIFY(s.x.front() - shown.lower < 1.5 / 86400 && shown.upper - s.x.back() < 1.5 / 86400);
        QCOMPARE(f.statusText(), QString("Total data are %1").arg(s.count()));
        // The range stays where the zoom put it; "Auto" reads the whole range again.
        QCOMPARE(f.chart()->xRange().lower, shown.lower);
        w.find<QPushButton>("BtAuto")->click();
        QVERIFY(f.data().summary->envelope);
        QCOMPARE(f.data().summary->records, 7200);
    }

    void autoDrawsTheEnvelopeOfEveryRecord() {
        Window w;
        std::vector<Row> rows(4000, row(1));
        QVERIFY(!writeRows(w.data, "100000.KRN", rows).isEmpty());
        w.find<QCheckBox>("ChkAutoSub")->setChecked(true);
        w.draw();
        QCOMPARE(w.form->statusText(),
                 QString("Total data are 4000, drawn as their minimum and maximum in 3600 points"));
        QCOMPARE(w.form->data().summary->records, 4000);
    }
};

QTEST_MAIN(BrowserWindowTest)
#include "tst_BrowserWindow.moc"
