#include "ui/main/TForm1.h"

#include "recording/ExportFileName.h"
#include "recording/LiveExport.h"
#include "ui/main/BoardMemo.h"
#include "ui/main/ChartPicture.h"
#include "ui/main/LiveChart.h"

#include <QAction>
#include <QCoreApplication>
#include <QPushButton>
#include <QTabWidget>

namespace nimbar {

namespace {

ChartSnapshot snapshotOf(const LiveChart& chart, double startTime, bool elapse) {
    ChartSnapshot snapshot;
    snapshot.times = chart.pointTimes();
    // On the elapsed-time axis the points hold the time since the run's start.
    if (elapse)
        for (double& time : snapshot.times)
            time += startTime;
    for (int i = 0; i < kChannelCount; ++i)
        snapshot.values[i] = chart.pointValues(i);
    return snapshot;
}

// The window's events between chunks of a long export: lines keep being received and recorded.
// The chart is written from its copy, so what the events change does not reach the file.
void processWindowEvents() {
    QCoreApplication::processEvents();
}

QStringList memoLines(const BoardMemo& memo) {
    const QString text = memo.toPlainText();
    return text.isEmpty() ? QStringList() : text.split('\n');
}

} // namespace

void TForm1::connectExportButtons() {
    for (int b = 0; b < kBoardCount; ++b) {
        const BoardControls& c = m_controls[b];
        const auto on = [this, b](QPushButton* button, void (TForm1::*handler)(int)) {
            connect(button, &QPushButton::clicked, this,
                    [this, b, handler] { guarded([&] { (this->*handler)(b); }); });
        };
        on(c.txtButton, &TForm1::BtTxt1Click);
        on(c.xlsButton, &TForm1::BtXLS1Click);
        on(c.memoButton, &TForm1::BtSaveM1Click);
        on(c.bmpButton, &TForm1::BtSaveBmp1Click);
    }
}

template <typename Save> void TForm1::runExport(int b, const QString& savedText, Save&& save) {
    EnableExportButtons(b, false);
    ExportOutcome outcome;
    try {
        outcome = save(ExportFileName(dataDirectory(), b, m_engine.now()));
    } catch (...) {
        EnableExportButtons(b, true);
        throw;
    }
    EnableExportButtons(b, true);
    switch (outcome.result) {
    case ExportOutcome::Result::Saved:
        ShowStatus(savedText.arg(outcome.path));
        break;
    case ExportOutcome::Result::NothingToSave:
        break;
    case ExportOutcome::Result::Failed:
        ShowStatus(tr("There are some errors (%1 was not saved)").arg(outcome.path));
        m_engine.exceptionLog().append(metaObject()->className(),
                                       "Export of " + outcome.path + " failed: " + outcome.cause);
        break;
    }
}

void TForm1::BtTxt1Click(int b) {
    const ChartSnapshot chart = snapshotOf(*m_controls[b].chart, runtimes()[b].startTime, elapse());
    if (chart.times.empty())
        return;
    const ExportTexts texts = exportTextsOf(boards()[b], runtimes()[b].startTime);
    runExport(b, tr("The Chart is saved as %1 file"), [&](const QString& base) {
        return SaveChartTxt(base, texts, chart, processWindowEvents);
    });
}

void TForm1::BtXLS1Click(int b) {
    const ChartSnapshot chart = snapshotOf(*m_controls[b].chart, runtimes()[b].startTime, elapse());
    const ExportTexts texts = exportTextsOf(boards()[b], runtimes()[b].startTime);
    runExport(b, tr("The Chart is saved as %1 file"), [&](const QString& base) {
        return SaveChartXls(base, texts, chart, processWindowEvents);
    });
}

void TForm1::BtSaveM1Click(int b) {
    const QStringList lines = memoLines(*m_controls[b].memo);
    if (lines.isEmpty())
        return;
    runExport(b, tr("The Log is saved as %1 file"),
              [&](const QString& base) { return SaveMemoLog(base, lines); });
}

void TForm1::BtSaveBmp1Click(int b) {
    if (m_controls[b].chart->pointCount() == 0)
        return;
    runExport(b, tr("The Chart is saved as %1 file"),
              [&](const QString& base) { return SaveChartBmp(base, *m_controls[b].chart); });
}

// The memo button stays usable: saving the memo needs no chart.
void TForm1::EnableExportButtons(int b, bool enabled) {
    const BoardControls& c = m_controls[b];
    for (QPushButton* button : {c.txtButton, c.xlsButton, c.bmpButton})
        button->setEnabled(enabled);
}

} // namespace nimbar
