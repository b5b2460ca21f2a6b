// What the main window shows of the engine's reports: status texts and boxes, the lines of
// the boards, alarms, outputs, the configuration exchange and the network.
#include "ui/main/TForm1.h"

#include "net/NetTexts.h"
#include "processing/AlarmTexts.h"
#include "processing/DateTimeValue.h"
#include "processing/MeasurementLine.h"
#include "settings/ModelClass.h"
#include "ui/main/AlarmSound.h"
#include "ui/main/BoardMemo.h"
#include "ui/main/LiveChart.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

namespace nimbar {

namespace {

constexpr int kMemoLineLimit = 250;
constexpr int kNetworkMemoLineLimit = 100;

// The value boxes of the "Display" page: pale yellow, red while their channel is in alarm.
void paintValueBox(QLineEdit* box, bool alarm) {
    QPalette colours = box->palette();
    colours.setColor(QPalette::Base, alarm ? QColor(Qt::red) : QColor(0xF3, 0xF5, 0xCB));
    box->setPalette(colours);
}

void paintLamp(QFrame* lamp, const char* colour) {
    lamp->setStyleSheet(
        QString("background: %1; border: 1px solid gray; border-radius: 7px;").arg(colour));
}

} // namespace

void TForm1::connectEngine() {
    Engine* engine = &m_engine;
    connect(engine, &Engine::statusShown, this, [this](const QString& text) {
        if (text.isEmpty())
            statusBar()->clearMessage();
        else
            statusBar()->showMessage(text);
    });
    connect(engine, &Engine::messageShown, this,
            [this](const QString& text) { m_prompts->showMessage(this, text); });
    connect(engine, &Engine::settingsLoaded, this, &TForm1::showSettings);
    connect(engine, &Engine::lineArrived, this, &TForm1::showLineArrived);
    connect(engine, &Engine::runStarted, this, &TForm1::showRunStart);
    connect(engine, &Engine::alarmsEvaluated, this, &TForm1::showAlarms);
    connect(engine, &Engine::lineProcessed, this, &TForm1::showLine);
    connect(engine, &Engine::outputControlsChanged, this, &TForm1::showOutputControls);
    connect(engine, &Engine::exchangeChanged, this, &TForm1::showExchange);
    connect(engine, &Engine::configReportApplied, this, &TForm1::showConfigReport);
    connect(engine, &Engine::boardChanged, this, &TForm1::showReceivedConfig);
    connect(engine, &Engine::boardConnected, this, &TForm1::showBoardConnected);
    connect(engine, &Engine::boardDisconnected, this, &TForm1::showBoardDisconnected);
    connect(engine, &Engine::boardStaleChanged, this, &TForm1::showBoardStale);
    connect(engine, &Engine::addressesChanged, this, &TForm1::showAddresses);
    connect(engine, &Engine::listenProblemChanged, this, &TForm1::showListenProblem);
    connect(engine, &Engine::receiveLogged, m_clientPage.receiveMemo,
            &QPlainTextEdit::appendPlainText);
    connect(engine, &Engine::sendLogged, m_clientPage.sendMemo, &QPlainTextEdit::appendPlainText);
    connect(engine, &Engine::clientListChanged, this, [this](const QStringList& lines) {
        m_clientPage.listMemo->setPlainText(lines.join('\n'));
    });
    connect(engine, &Engine::serverListed, m_clientPage.listMemo, &QPlainTextEdit::appendPlainText);
}

void TForm1::showLineArrived(int b) {
    BoardDisplay& display = m_display[static_cast<std::size_t>(b)];
    display.lampOn = !display.lampOn;
    paintLamp(m_controls[b].lamp, display.lampOn ? "red" : "white");
}

// A lost board keeps its last values, greyed, with the time of its loss and of its last line;
// its first line on a new connection shows it live again.
void TForm1::showBoardStale(int b) {
    BoardControls& c = m_controls[b];
    const QDateTime since = m_engine.lostSince(b);
    const bool stale = since.isValid();
    QString hint;
    if (stale) {
        const QDateTime last = m_engine.lastLineTime(b);
        hint = tr("DAQ%1 lost at %2; last line at %3")
                   .arg(b + 1)
                   .arg(since.toString("hh:mm:ss"))
                   .arg(last.isValid() ? last.toString("hh:mm:ss") : QString("-"));
    }
    for (QLineEdit* box : c.valueEdit) {
        if (!box)
            continue;
        QPalette colours = box->palette();
        colours.setColor(QPalette::Text, stale ? QColor(Qt::gray) : QColor(Qt::black));
        box->setPalette(colours);
        box->setToolTip(hint);
    }
    if (c.jobTitleEdit)
        c.jobTitleEdit->setToolTip(hint);
    const bool lampOn = m_display[static_cast<std::size_t>(b)].lampOn;
    paintLamp(c.lamp, stale ? "lightgray" : lampOn ? "red" : "white");
    c.lamp->setToolTip(hint);
}

void TForm1::showListenProblem(const QString& text) {
    m_clientPage.problemLabel->setText(text);
    m_clientPage.problemLabel->setVisible(!text.isEmpty());
}

void TForm1::showRunStart(int b) {
    const double startTime = m_engine.runtimes()[b].startTime;
    m_display[static_cast<std::size_t>(b)].chartOrigin = elapse() ? 0.0 : startTime;
    m_controls[b].startLabel->setText(LongTimeText(startTime));
}

void TForm1::showAlarms(int b, const AlarmEvaluation& result) {
    BoardControls& c = m_controls[b];
    for (int ch = 1; ch < kChannelCount; ++ch)
        paintValueBox(c.valueEdit[ch], result.alarm[static_cast<std::size_t>(ch)]);
    if (result.count <= 0) {
        c.chart->setAlarmBackground(false);
        return;
    }
    c.memo->setAlarmColour(true);
    if (!m_display[static_cast<std::size_t>(b)].memoPaused)
        c.memo->appendPlainText(alarmMemoLine());
    c.chart->setAlarmBackground(true);
    if (!m_alarmSound)
        m_alarmSound = new AlarmSound(
            paths().alarmSound(), [this] { m_prompts->beep(); }, this);
    m_alarmSound->play();
}

void TForm1::showLine(const LiveLine& line) {
    const int b = line.board;
    RefreshValuePanels(b);
    if (m_clientPage.receiveMemo->blockCount() >= kNetworkMemoLineLimit ||
        m_clientPage.sendMemo->blockCount() >= kNetworkMemoLineLimit) {
        m_clientPage.receiveMemo->clear();
        m_clientPage.sendMemo->clear();
    }
    if (!line.recorded)
        return;
    const BoardRuntime& runtime = m_engine.runtimes()[b];
    BoardControls& c = m_controls[b];
    BoardDisplay& display = m_display[static_cast<std::size_t>(b)];
    AddChartPoint(b, line.timeValue, runtime.values, runtime.status);
    if (!display.memoPaused) {
        c.memo->appendPlainText(memoLine(runtime.sampleCount, ShortTimeText(line.timeValue),
                                         runtime.values, runtime.modelClass));
        if (c.memo->blockCount() >= kMemoLineLimit)
            c.memo->clear();
    }
    if (c.chart->pointCount() >= LiveChart::kPointLimit) {
        c.chart->clearPoints();
        display.chartOrigin = display.lastX;
    }
    c.chart->refresh();
}

void TForm1::RestartBoard(int b) {
    m_controls[b].memo->clear();
    m_controls[b].chart->clearPoints();
    m_controls[b].chart->refresh();
    m_engine.RestartBoard(b);
}

void TForm1::showOutputControls(int b, const OutputBoxDecision& decision) {
    BoardControls& c = m_controls[b];
    if (decision.interlockEnabled)
        c.interlockBox->setEnabled(*decision.interlockEnabled);
    for (int k = 0; k < kManualOutputCount; ++k) {
        if (decision.manualEnabled[static_cast<std::size_t>(k)])
            c.outputBox[k + 1]->setEnabled(*decision.manualEnabled[static_cast<std::size_t>(k)]);
    }
}

void TForm1::BtnGet1Click(int b) {
    const QComboBox* combo = m_controls[b].portCombo;
    m_engine.BtnGet1Click(b, combo->currentIndex() <= 0 ? QString() : combo->currentText());
}

void TForm1::showExchange(bool running) {
    for (BoardControls& c : m_controls)
        c.getButton->setEnabled(!running);
}

void TForm1::showConfigReport(int b) {
    refreshRangeCombos(b);
    EnableBoardControls(b, true);
    FillConfigPage(b);
    EnableBoardControls(b, false);
}

void TForm1::showReceivedConfig(int b) {
    SetupBoardDisplay(b);
    EnableBoardControls(b, true);
    FillConfigPage(b);
    EnableBoardControls(b, false);
}

void TForm1::ChkNetOffClick() {
    m_engine.ChkNetOffClick(m_clientPage.netOffBox->isChecked());
}

void TForm1::BtConnect1Click(int b) {
    m_engine.BtConnect1Click(b, m_controls[b].addressCombo->currentText());
}

void TForm1::BtC1Click(int b) {
    m_engine.BtC1Click(b);
}

void TForm1::UDPort1Click(int b) {
    m_engine.UDPort1Click(b, m_controls[b].remoteBoardUpDown->value() - 1);
}

void TForm1::showAddresses(int b) {
    QComboBox* combo = m_controls[b].addressCombo;
    const QStringList addresses = m_engine.serverAddresses(b);
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i)
        shown << combo->itemText(i);
    if (shown == addresses)
        return;
    combo->clear();
    combo->addItems(addresses);
    combo->setCurrentIndex(0);
}

void TForm1::showBoardConnected(int b) {
    BoardControls& c = m_controls[b];
    c.chart->clearPoints();
    c.chart->refresh();
    c.memo->clear();
    c.connectButton->setText(disconnectCaption(korean()));
    c.configButton->setEnabled(true);
}

void TForm1::showBoardDisconnected(int b) {
    BoardControls& c = m_controls[b];
    c.connectButton->setText(connectCaption(korean()));
    c.configButton->setEnabled(false);
}

} // namespace nimbar
