#pragma once

#include "engine/Engine.h"
#include "processing/BoardRuntime.h"
#include "settings/BoardConfig.h"
#include "settings/BuildKind.h"
#include "settings/ClientSettings.h"
#include "settings/ProgramPaths.h"
#include "ui/main/BoardControls.h"
#include "ui/main/ClientPageBuilder.h"
#include "ui/main/ConfigPageBuilder.h"
#include "ui/widgets/UserPrompts.h"

#include <QDateTime>
#include <QMainWindow>
#include <QTimer>
#include <QTranslator>

#include <functional>
#include <memory>

class QComboBox;
class QDialog;
class QTabWidget;

namespace nimbar {

class AlarmSound;
class ComPort;
class NetClient;
class NetServer;
struct OutputBoxDecision;
enum class AlarmLimit;

// What a board page shows beyond the engine's state: where its chart starts, the newest
// point's position, the memo's pause and the lamp.
struct BoardDisplay {
    double chartOrigin = 0.0;
    double lastX = 0.0;
    bool memoPaused = false;
    bool lampOn = false;
};

// The main window: it shows the engine, the running system, and forwards the user's edits to
// it. It builds the pages, owns their controls and what only they display; the boards' records,
// runtime state, ports, timers and network belong to the engine. Everything runs on the window's
// thread: the engine's signals, timer ticks and user actions are handlers that run one at a time
// to completion.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Page indexes of the page control.
    static constexpr int kFirstBoardPage = 0;
    static constexpr int kClientPage = 4;
    static constexpr int kDisplayPage = 5;
    static constexpr int kFirstConfigPage = 6;
    static constexpr int kExchangePort = Engine::kExchangePort;

    TForm1(BuildKind kind, ProgramPaths paths, QWidget* parent = nullptr);
    ~TForm1() override;

    Engine& engine() { return m_engine; }
    BuildKind buildKind() const { return m_engine.buildKind(); }
    const ProgramPaths& paths() const { return m_engine.paths(); }
    BoardConfigs& boards() { return m_engine.boards(); }
    BoardRuntimes& runtimes() { return m_engine.runtimes(); }
    ClientSettings& clientSettings() { return m_engine.clientSettings(); }
    const BoardControls& controls(int board) const { return m_controls[board]; }
    BoardDisplay& display(int board) { return m_display[static_cast<std::size_t>(board)]; }
    QTabWidget* pages() const { return m_pages; }
    QTimer& timer1() { return m_engine.timer1(); }
    QTimer& timer2() { return m_engine.timer2(); }
    QTimer& timerC() { return m_engine.timerC(); }
    QTimer& reopenTimer() { return m_engine.reopenTimer(); }
    bool korean() const { return m_engine.korean(); }
    bool started() const { return m_engine.started(); }
    bool firstRun() const { return m_engine.firstRun(); }
    bool elapse() const { return m_engine.elapse(); }
    QString dataDirectory() const { return m_engine.dataDirectory(); }
    bool chartBusy() const { return m_engine.chartBusy; }
    LiveFeed& liveFeed() { return m_engine.liveFeed(); }
    RecordingWriter& recordingWriter() { return m_engine.recordingWriter(); }
    ComPort* comPort(int index) const { return m_engine.comPort(index); }
    NetServer* netServer() const { return m_engine.netServer(); }
    NetClient* netClient() const { return m_engine.netClient(); }

    void setPrompts(std::unique_ptr<UserPrompts> prompts);
    // Shows a status text; the engine's texts come here too.
    void ShowStatus(const QString& text);
    QString statusText() const;

    // Start-up: the window's part, then the engine's.
    void TimerSTimer();
    // The engine's handlers, for those who drive the window.
    void Timer1Timer() { m_engine.Timer1Timer(); }
    void Timer2Timer() { m_engine.Timer2Timer(); }
    void ProcessLine(int board, const char* line) { m_engine.ProcessLine(board, line); }
    void reopenLostPorts() { m_engine.reopenLostPorts(); }
    void boardPortLost(int board, const QString& cause) { m_engine.boardPortLost(board, cause); }
    void TimerCTimer() { m_engine.TimerCTimer(); }
    void setClock(std::function<QDateTime()> clock) { m_engine.setClock(std::move(clock)); }
    void setSerialByIdDirectory(const QString& directory) {
        m_engine.setSerialByIdDirectory(directory);
    }
    void connectAtStart(const QString& host) { m_engine.connectAtStart(host); }
    void RestartBoard(int board);

    // Alarms and outputs: the edits and boxes of the board and configuration pages.
    void EdHighA1KeyUp(int board, int channel);
    void EdLowA1KeyUp(int board, int channel);
    void ChkAlA1Click(int board, int channel);
    void ChkR1Click(int board);
    void ChkDOA1Click(int board, int output);
    // "Get Configure" with the port that the board's combo names.
    void BtnGet1Click(int board);

    // Closing. FormCloseQuery asks and, on OK, shuts down; false keeps the program running.
    bool FormCloseQuery();
    void FormClose();
    void MMExitClick();
    // SIGTERM / SIGINT / SIGHUP: the shutdown sequence without the confirmation box, then close.
    void shutdownWithoutConfirmation();

    // Network sharing.
    void ChkNetOffClick();
    void BtConnect1Click(int board);
    void BtC1Click(int board);
    void UDPort1Click(int board);

    // Configuration pages.
    void SetupBoardDisplay(int board);
    void EnableBoardControls(int board, bool all);
    void FillConfigPage(int board);
    bool ApplyConfigPages();
    int PortNumberOf(const QComboBox* combo) const;
    void SelectPort(QComboBox* combo, int portNumber);
    int RangeIndexOf(int board, double millivolts) const;
    void OKBtn1Click(int board);
    void RgTC1Click(int board);
    void EdInt1Change(int board);
    void ShowConfigPage(int board);
    void DirectoryListBox1Change();
    void TabSheet1Show(int board);
    void TabSheet5Show(int board);

    // Board pages and their charts.
    void AddChartPoint(int board, double now, const std::array<double, kChannelCount>& values,
                       const std::array<int32_t, kChannelCount>& status);
    void RefreshValuePanels(int board);
    void ChkScroll1Click(int board);
    void Chart1MouseMove(int board, const QPoint& position);
    void Chk01Click(int board, int channel);
    void BtZoomIn1Click(int board);
    void BtZoomOut1Click(int board);
    void BtA1Click(int board);
    void ChkViewP1Click(int board);
    void YMax1Click(int board);
    void YMin1Click(int board);
    void ChartTitle1Click(int board);
    void YAxisTitle1Click(int board);
    void EditT1Change(int board);
    void Ed01Change(int board, int channel);
    void Memo1DblClick(int board);
    void Memo1Click(int board);

    // Saves of what a board page shows: text, spreadsheet, memo log, chart picture. They write
    // from a copy of the page, so reception and recording carry on meanwhile.
    void BtTxt1Click(int board);
    void BtXLS1Click(int board);
    void BtSaveM1Click(int board);
    void BtSaveBmp1Click(int board);
    void EnableExportButtons(int board, bool enabled);

    // The data browser, opened modally from the board pages and File > Browser.
    void BtBrowser1Click();
    // Called with each browser window before it runs; tests use it to drive the window.
    void setBrowserHook(std::function<void(QDialog&)> hook) { m_browserHook = std::move(hook); }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void FormCreate();
    void buildMenu();
    void buildPages();
    void connectHandlers();
    void connectEngine();
    void connectBoardPage(int board);
    void connectAlarmControls(int board);
    void connectConfigControls(int board);
    void connectClientControls(int board);
    void connectExportButtons();
    template <typename Save> void runExport(int board, const QString& savedText, Save&& save);
    void connectBrowserButtons();
    void arrangeClientBuild();
    void fillPortCombos();
    void refreshRangeCombos(int board);
    void chooseToolkitLanguage();
    // The engine has read the settings: the pages show them.
    void showSettings();
    // What the window shows of the engine's reports.
    void showRunStart(int board);
    void showLineArrived(int board);
    void showAlarms(int board, const AlarmEvaluation& result);
    void showLine(const LiveLine& line);
    void showOutputControls(int board, const OutputBoxDecision& decision);
    void showExchange(bool running);
    void showConfigReport(int board);
    void showReceivedConfig(int board);
    void showBoardConnected(int board);
    void showBoardDisconnected(int board);
    void showBoardStale(int board);
    void showListenProblem(const QString& text);
    void showAddresses(int board);
    void enterLimit(int board, int channel, AlarmLimit which);
    void shutdownEngine(bool& saved);

    // Runs a handler; an exception that escapes it goes to the exception log, never to the user.
    template <typename Handler> void guarded(Handler&& handler);

    std::unique_ptr<UserPrompts> m_prompts;
    BoardControlTables m_controls{};
    ApplicationOptionControls m_options;
    ClientPageControls m_clientPage;
    QTabWidget* m_pages = nullptr;
    std::array<BoardDisplay, kBoardCount> m_display{};

    QTimer m_timerS;
    QTranslator m_toolkitTranslator; // the toolkit's own texts: dialog buttons, file dialogs
    AlarmSound* m_alarmSound = nullptr;
    std::function<void(QDialog&)> m_browserHook;
    // Last, so that it goes first: what it reports while it closes still finds the pages.
    Engine m_engine;
};

template <typename Handler> void TForm1::guarded(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        m_engine.exceptionLog().append(metaObject()->className(),
                                       QString::fromLocal8Bit(error.what()));
    } catch (...) {
        m_engine.exceptionLog().append(metaObject()->className(), "unknown exception");
    }
}

} // namespace nimbar
