// The browser loads 3600 points at subsampling 100 from 100 hourly files and exports them
// while the logger records two simulated boards: recording goes on one record a second.
#include "RecordingFiles.h"
#include "TwoRecordingBoards.h"
#include "WindowFixture.h"
#include "browser/RangeScan.h"
#include "settings/RecordText.h"
#include "ui/browser/TFormB.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using namespace nimbar;

class BrowserWhileRecordingTest : public QObject {
    Q_OBJECT
private slots:
    void recordingGoesOnDuringLoadAndExport() {
        WindowFixture f;
        TwoRecordingBoards boards(f);
        QVERIFY(boards.ready());
        TForm1& w = boards.start();
        QVERIFY(w.timer1().isActive());

        // 100 hourly files of board D, 2007-03-15 00 h to 2007-03-19 04 h.
        const QDate first(2007, 3, 15);
        for (int h = 0; h < 100; ++h) {
            const QDate day = first.addDays(h / 24);
            const QString path = dayDirectory(w.dataDirectory(), day, 'D') +
                                 QString("/%10000.KRN").arg(h % 24, 2, 10, QChar('0'));
            QVERIFY(recfiles::write(path, recfiles::Layout::Current, "A4",
                                    recfiles::dayValue(first, 0), recfiles::dayValue(day, h % 24),
                                    3600));
        }
        const QString today = QDate::currentDate().toString("yyyyMMdd");
        const QString boardA = w.dataDirectory() + "/" + today + "/A";
        const QString boardB = w.dataDirectory() + "/" + today + "/B";
        QTRY_VERIFY_WITH_TIMEOUT(recordCount(boardA) > 0 && recordCount(boardB) > 0, 10000);

        int points = 0;
        QString loadStatus, exportStatus;
        const QString exported = f.home.filePath("export.TXT");
        w.setBrowserHook([&](QDialog& dialog) {
            auto& browser = static_cast<TFormB&>(dialog);
            QTimer::singleShot(0, &browser, [&] {
                browser.findChild<QComboBox*>("CBSel")->setCurrentText("D");
                browser.findChild<QDateEdit*>("DateTimePicker1")->setDate(first);
                browser.findChild<QDateEdit*>("DateTimePicker2")->setDate(first.addDays(4));
                browser.findChild<QSpinBox*>("UDStart")->setValue(0);
                browser.findChild<QSpinBox*>("UDEnd")->setValue(4);
                browser.findChild<QSpinBox*>("UpDown1")->setValue(100);
                browser.findChild<QPushButton*>("BtnDraw")->click();
                points = browser.data().points();
                loadStatus = browser.statusText();
                browser.setSaveChooser([&](const QString&) { return exported; });
                browser.findChild<QPushButton*>("BtTXT")->click();
                exportStatus = browser.statusText();
                // Stay open a while longer, as a user looking at the chart would.
                QTimer::singleShot(2500, &browser, [&] { browser.close(); });
            });
        });
        const int beforeA = recordCount(boardA);
        const int beforeB = recordCount(boardB);
        QElapsedTimer clock;
        clock.start();
        f.find<QPushButton>("BtBrowser1")->click(); // modal until the hook closes it
        const int seconds = int(clock.elapsed() / 1000);
        QCOMPARE(points, 3600);
        QCOMPARE(loadStatus, QString("Too many data!!! Use subsampling.(Max=3600)"));
        QCOMPARE(exportStatus, "Saved as " + exported);
        QCOMPARE(QFileInfo(exported).size() > 3600 * 100, true);
        QVERIFY(!w.chartBusy());
        QVERIFY2(
            recordCount(boardA) - beforeA >= seconds - 1,
            qPrintable(
                QString("%1 records in %2 s").arg(recordCount(boardA) - beforeA).arg(seconds)));
        QVERIFY(recordCount(boardB) - beforeB >= seconds - 1);
        w.shutdownWithoutConfirmation();
    }
};

QTEST_MAIN(BrowserWhileRecordingTest)
#include "tst_BrowserWhileRecording.moc"
