// What a newcomer reads on the pages: the memo after its automatic clear, the memo's column
// captions, the live chart's legend, the configuration page's folder list.
#include "WindowFixture.h"
#include "settings/RecordText.h"
#include "ui/main/BoardMemo.h"
#include "ui/main/LiveChart.h"
#include "ui/widgets/DirectoryListBox.h"

#include <QCheckBox>
#include <QDir>
#include <QFontInfo>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <cstring>

using namespace nimbar;

namespace {

// A class-0 line (CH0 .. CH6) with every field at the same code.
QByteArray classZeroLine() {
    QByteArray line = "000100";
    for (int ch = 1; ch <= 6; ++ch)
        line += ", 000100";
    return line + "\r\n";
}

void feedRecorded(TForm1& w, int board, const QByteArray& line) {
    w.runtimes()[board].recordCountdown = 0;
    char buffer[180] = {};
    std::memcpy(buffer, line.constData(), std::min<qsizetype>(line.size(), 179));
    w.ProcessLine(board, buffer);
    w.recordingWriter().waitForIdle();
}

// The columns at which the runs of non-blanks of a text end.
QList<qsizetype> wordEnds(const QString& text) {
    QList<qsizetype> ends;
    for (const QRegularExpressionMatch& m : QRegularExpression("\\S+").globalMatch(text))
        ends << m.capturedEnd() - 1;
    return ends;
}

QStringList legendNames(const LiveChart* chart) {
    QStringList names;
    for (int i = 0; i < chart->legend->itemCount(); ++i) {
        if (auto* item = qobject_cast<QCPPlottableLegendItem*>(chart->legend->item(i)))
            names << item->plottable()->name();
    }
    return names;
}

} // namespace

class PageReadabilityTest : public QObject {
    Q_OBJECT
private slots:
    void memoFollowsTheNewestLineAfterItsClearAndKeepsItsColumns() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        TForm1& w = f.start();
        w.setClock([] { return QDateTime(QDate(2026, 3, 15), QTime(10, 0)); });
        w.show();
        auto* memo = f.find<BoardMemo>("Memo1");
        QScrollBar* across = memo->horizontalScrollBar();

        // 250 lines fill the memo and empty it; 60 more overflow the view again. They arrive
        // while another board's page is shown, as they mostly do.
        w.pages()->setCurrentIndex(TForm1::kFirstBoardPage + 1);
        for (int i = 0; i < 310; ++i)
            feedRecorded(w, 0, classZeroLine());
        w.pages()->setCurrentIndex(TForm1::kFirstBoardPage);
        QCoreApplication::processEvents();
        QCOMPARE(memo->blockCount(), 60);
        const QTextBlock newest = memo->document()->lastBlock();
        QVERIFY(newest.text().startsWith("   310 "));
        const QPoint bottomLeft(2, memo->viewport()->height() - 2);
        QCOMPARE(memo->cursorForPosition(bottomLeft).block().blockNumber(), newest.blockNumber());
        QVERIFY(across->maximum() > 0); // the lines are wider than the memo
        QCOMPARE(across->value(), 0);

        // The user's sideways position holds while lines arrive.
        across->triggerAction(QAbstractSlider::SliderPageStepAdd);
        const int chosen = across->value();
        QVERIFY(chosen > 0);
        feedRecorded(w, 0, classZeroLine());
        QCOMPARE(across->value(), chosen);

        // Each caption ends where its column's numbers end, in the memo's fixed-width font.
        QVERIFY(QFontInfo(memo->font()).fixedPitch());
        const QList<qsizetype> valueEnds = wordEnds(newest.text()).mid(3); // count, date, time
        const QList<qsizetype> captionEnds = wordEnds(memo->columnCaptions());
        QCOMPARE(valueEnds.size(), 7);
        QCOMPARE(captionEnds, valueEnds);
        QVERIFY(memo->columnCaptions().trimmed().endsWith("CH6"));
    }

    void legendListsTheModelsVisibleChannelsOutsideThePlot() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) {
            boards[0].english = 1;
            setFieldText(boards[1].model, "KARN-5400");
        });
        f.start();
        auto* chart = f.find<LiveChart>("Chart2");
        QStringList names;
        for (int ch = 0; ch <= 4; ++ch)
            names << chart->graph(ch)->name();
        QCOMPARE(legendNames(chart), names);

        f.find<QCheckBox>("Chk13")->click();
        QCOMPARE(legendNames(chart), (QStringList{names[0], names[1], names[2], names[4]}));
        f.find<QCheckBox>("Chk13")->click();
        QCOMPARE(legendNames(chart), names);

        chart->resize(600, 400);
        chart->replot();
        QVERIFY(!chart->legend->outerRect().intersects(chart->axisRect()->rect()));
        QVERIFY(chart->legend->font().pointSizeF() >= chart->font().pointSizeF());
    }

    void folderListShowsFoldersMadeAfterStartUp() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        TForm1& w = f.start();
        w.show();
        QDir(w.dataDirectory()).mkpath("20260315");
        w.pages()->setCurrentIndex(TForm1::kFirstConfigPage);
        auto* list = f.find<DirectoryListBox>("DirectoryListBox1");
        QVERIFY(!list->findItems("20260315", Qt::MatchExactly).isEmpty());
    }

    void koreanAlsoTranslatesTheToolkitsButtons() {
        WindowFixture f;
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 0; });
        f.start();
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("취소"));
    }
};

QTEST_MAIN(PageReadabilityTest)
#include "tst_PageReadability.moc"
