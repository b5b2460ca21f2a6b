// The report's print preview stays open while the logger records two simulated boards:
// recording goes on one record a second per board.
#include "RecordingFiles.h"
#include "TwoRecordingBoards.h"
#include "WindowFixture.h"
#include "browser/RangeScan.h"
#include "settings/RecordText.h"
#include "ui/browser/TFormB.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using namespace nimbar;

class ReportWhileRecordingTest : public QObject {
    Q_OBJECT
private slots:
    void recordingGoesOnWhileThePreviewIsOpen() {
        WindowFixture f;
        TwoRecordingBoards boards(f);
        QVERIFY(boards.ready());
        TForm1& w = boards.start();

        const QDate day(2007, 3, 15);
        QVERIFY(recfiles::write(dayDirectory(w.dataDirectory(), day, 'D') + "/100000.KRN",
                                recfiles::Layout::Current, "A4", recfiles::dayValue(day, 10),
                                recfiles::dayValue(day, 10), 600));
        const QString today = QDate::currentDate().toString("yyyyMMdd");
        const QString boardA = w.dataDirectory() + "/" + today + "/A";
        const QString boardB = w.dataDirectory() + "/" + today + "/B";
        QTRY_VERIFY_WITH_TIMEOUT(recordCount(boardA) > 0 && recordCount(boardB) > 0, 10000);

        int pages = 0;
        bool busyWhileOpen = true;
        int beforeA = 0, beforeB = 0, recordedA = -1, recordedB = -1, seconds = 0;
        QElapsedTimer clock;
        w.setBrowserHook([&](QDialog& dialog) {
            auto& browser = static_cast<TFormB&>(dialog);
            // The preview opens without waiting, so the test can watch while it is open.
            browser.setPreviewOpener([&](QPrintPreviewDialog& preview) {
                preview.show();
                beforeA = recordCount(boardA);
                beforeB = recordCount(boardB);
                clock.start();
                QTimer::singleShot(3500, &preview, [&] {
                    pages = preview.findChild<QPrintPreviewWidget*>()->pageCount();
                    busyWhileOpen = w.chartBusy() || !preview.isVisible();
                    seconds = int(clock.elapsed() / 1000);
                    recordedA = recordCount(boardA) - beforeA;
                    recordedB = recordCount(boardB) - beforeB;
                    preview.close();
                    browser.close();
                });
            });
            QTimer::singleShot(0, &browser, [&] {
                browser.findChild<QComboBox*>("CBSel")->setCurrentText("D");
                browser.findChild<QDateEdit*>("DateTimePicker1")->setDate(day);
                browser.findChild<QDateEdit*>("DateTimePicker2")->setDate(day);
                browser.findChild<QSpinBox*>("UDStart")->setValue(10);
                browser.findChild<QSpinBox*>("UDEnd")->setValue(11);
                browser.findChild<QPushButton*>("BtnDraw")->click();
                browser.findChild<QPushButton*>("BtPrint")->click();
            });
        });
        f.find<QPushButton>("BtBrowser1")->click(); // modal until the preview's timer closes it
        QCOMPARE(pages, 1);
        QVERIFY(!busyWhileOpen);
        QVERIFY(seconds >= 3);
        QVERIFY2(recordedA >= seconds - 1,
                 qPrintable(QString("%1 records in %2 s").arg(recordedA).arg(seconds)));
        QVERIFY(recordedB >= seconds - 1);
        w.shutdownWithoutConfirmation();
    }
};

QTEST_MAIN(ReportWhileRecordingTest)
#include "tst_ReportWhileRecording.moc"
