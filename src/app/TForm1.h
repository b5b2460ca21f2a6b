#pragma once

#include "app/BoardConfig.h"
#include "app/BoardControls.h"
#include "app/BuildKind.h"
#include "app/ClientSettings.h"
#include "app/ConfigPageBuilder.h"
#include "app/ExceptionLog.h"
#include "app/ProgramPaths.h"
#include "app/UserPrompts.h"
#include "device/ConfigFrameCollector.h"
#include "device/PortMap.h"
#include "engine/LiveFeed.h"
#include "net/ClientPageBuilder.h"
#include "processing/BoardRuntime.h"
#include "processing/ChannelConversion.h"
#include "recording/RecordingWriter.h"

#include <QDateTime>
#include <QMainWindow>
#include <QTimer>
#include <QTranslator>

#include <exception>
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

// The main window. It owns every object of the running system: the board records and runtime
// state, the page controls, the timers. Everything runs on its thread: timer ticks, port and
// socket events and user actions are handlers that run one at a time to completion.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Page indexes of the page control.
    static constexpr int kFirstBoardPage = 0;
    static constexpr int kClientPage = 4;
    static constexpr int kDisplayPage = 5;
    static constexpr int kFirstConfigPage = 6;

    TForm1(BuildKind kind, ProgramPaths paths, QWidget* parent = nullptr);
    ~TForm1() override;

    BuildKind buildKind() const { return m_kind; }
    const ProgramPaths& paths() const { return m_paths; }
    BoardConfigs& boards() { return m_boards; }
    BoardRuntimes& runtimes() { return m_runtimes; }
    ClientSettings& clientSettings() { return m_clientSettings; }
    const BoardControls& controls(int board) const { return m_controls[board]; }
    QTabWidget* pages() const { return m_pages; }
    QTimer& timer1() { return m_timer1; }
    QTimer& timer2() { return m_timer2; }
    bool korean() const { return m_korean; }
    bool started() const { return m_started; }
    bool firstRun() const { return m_firstRun; }
    bool elapse() const { return m_elapse; }
    QString dataDirectory() const { return m_dataDirectory; }
    bool chartBusy = false;

    // The live data for listeners that are not windows (web side, broker publisher).
    LiveFeed& liveFeed() { return m_feed; }
    // Where the recording files are written, off the tick; tests wait for it before reading them.
    RecordingWriter& recordingWriter() { return m_writer; }

    void setPrompts(std::unique_ptr<UserPrompts> prompts);
    void ShowStatus(const QString& text);
    QString statusText() const;

    // Start-up and main timers.
    void TimerSTimer();
    void Timer1Timer();
    void Timer2Timer();
    // The pipeline that the main timer (or the network client) hands each line to.
    void ProcessLine(int board, const char* line);
    void RestartBoard(int board);
    // The local clock of the pipeline; tests set their own.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // Alarms and outputs.
    void EvaluateAlarms(int board, double now);
    // False when the output command could not be sent.
    bool AlarmAction(int board, int count, const QString& text, const QByteArray& outputCommand);
    void EdHighA1KeyUp(int board, int channel);
    void EdLowA1KeyUp(int board, int channel);
    void ChkAlA1Click(int board, int channel);
    void ChkR1Click(int board);
    void ChkDOA1Click(int board, int output);
    // Device link: ComPort1..ComPort4 of the boards (index 0..3) and ComPort5 (index 4) of the
    // configuration exchange.
    static constexpr int kExchangePort = 4;
    ComPort* comPort(int index) const { return m_ports[static_cast<std::size_t>(index)]; }
    QTimer& timerC() { return m_timerC; }
    QTimer& reopenTimer() { return m_reopenTimer; }
    void ComPort1AfterOpen(int board);
    void ComPort1RxFlag(int board);
    // A board's device went away: its port is closed and reopened every few seconds until the
    // device is back, greeted as at start-up.
    void boardPortLost(int board, const QString& cause);
    void reopenLostPorts();
    void BtnGet1Click(int board);
    void ComPort5RxChar(int count);
    void TimerCTimer();

    // Sends a command to a board's device when its port is open; false when it was not sent.
    bool writeBoardCommand(int board, const QByteArray& command);

    // Closing. FormCloseQuery asks and, on OK, shuts down; false keeps the program running.
    bool FormCloseQuery();
    void FormClose();
    void MMExitClick();
    // SIGTERM / SIGINT / SIGHUP: the shutdown sequence without the confirmation box, then close.
    void shutdownWithoutConfirmation();

    // Network sharing: the server (logger build) and the board connections (client build).
    NetServer* netServer() const { return m_server; }
    NetClient* netClient() const { return m_client; }
    void openServers();
    void ChkNetOffClick();
    void BtConnect1Click(int board);
    void BtC1Click(int board);
    void UDPort1Click(int board);
    void CS1Connect(int board);
    void CS1Disconnect(int board);
    void installReceivedConfig(int board, const BoardConfig& received);
    // Client build: every board connects to the host at start-up and retries when it ends.
    void connectAtStart(const QString& host);

    // Configuration pages.
    void SetupBoardDisplay(int board);
    void EnableBoardControls(int board, bool all);
    void FillConfigPage(int board);
    bool ApplyConfigPages();
    int PortNumberOf(const QComboBox* combo) const;
    // Where the adapters' stable links are looked up; tests give their own.
    void setSerialByIdDirectory(const QString& directory) { m_serialByIdDirectory = directory; }
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
    void connectBoardPage(int board);
    void connectAlarmControls(int board);
    void connectExportButtons();
    template <typename Save> void runExport(int board, const QString& savedText, Save&& save);
    void connectBrowserButtons();
    void createPorts();
    void createNetwork();
    void startConnections();
    void fillPortCombos();
    // Opens a board's port and greets its device; throws PortError, the port left closed.
    void openBoardPort(ComPort* port);
    void reportPortMapErrors();
    void openBoardPorts();
    void switchOutputsOff();
    void closePorts();
    void beginExchange(int board);
    void endExchange(int board);
    void applyConfigReport(int board, const QByteArray& frame);
    void refreshRangeCombos(int board);
    // Binds a rule-named USB port to its adapter's by-id link in the port map file.
    void bindPortToAdapter(int portNumber);
    // The "Use" box and Tref text; a text that is not a number gives a NaN temperature.
    FixedReference readFixedReference();
    void startRecordingFile(int board, const QDateTime& now);
    void appendRecord(int board, double time);
    void reportLostRecord(int board, const QString& path);
    // Waits for the recording writer at shutdown; records it could not write are said.
    void drainRecording();
    void publishLine(int board, const QDateTime& time, double timeValue, bool recorded);
    void publishBoard(int board);
    void applyOutputDecision(int board, const OutputBoxDecision& decision);
    void enterLimit(int board, int channel, AlarmLimit which);
    void arrangeClientBuild();
    void startLogger();
    void startClient();
    void setupBoards();
    void openDataDirectory(const QString& directory);
    void chooseLanguage(bool english);
    // Each returns false when the settings file could not be written.
    bool shutdownLogger();
    bool shutdownClient();
    bool saveLoggerSettings();
    bool saveClientSettingsRecord();
    QString settingsNotSavedText() const;

    // Runs a handler; an exception that escapes it goes to the exception log, never to the user.
    template <typename Handler> void guarded(Handler&& handler);

    BuildKind m_kind;
    ProgramPaths m_paths;
    ExceptionLog m_exceptionLog;
    LiveFeed m_feed;
    RecordingWriter m_writer;
    std::unique_ptr<UserPrompts> m_prompts;

    BoardConfigs m_boards{};
    BoardRuntimes m_runtimes{};
    ClientSettings m_clientSettings{};
    BoardControlTables m_controls{};
    ApplicationOptionControls m_options;
    ClientPageControls m_clientPage;
    QTabWidget* m_pages = nullptr;

    QTimer m_timerS;
    QTimer m_timer1;
    QTimer m_timer2;
    QTimer m_timerC;
    QTimer m_reopenTimer;
    std::array<ComPort*, 5> m_ports{};
    PortMap m_portMap;
    QString m_serialByIdDirectory = kSerialByIdDirectory;
    // A greeting that failed inside the after-open handler, for the opener to handle.
    std::exception_ptr m_greetingError;
    int m_exchangeBoard = 0;
    std::array<bool, kBoardCount> m_exchangeActive{};
    std::array<bool, kBoardCount> m_portLost{};
    ConfigFrameCollector m_reply;
    QTranslator m_translator;
    QTranslator m_toolkitTranslator; // the toolkit's own texts: dialog buttons, file dialogs

    bool m_korean = true;
    bool m_elapse = false;
    bool m_started = false;
    bool m_firstRun = false;
    bool m_shutdownDone = false;
    bool m_badFixedReference = false;
    QString m_dataDirectory;
    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTime(); };
    AlarmSound* m_alarmSound = nullptr;
    NetServer* m_server = nullptr;
    NetClient* m_client = nullptr;
    QString m_connectHost;
    std::function<void(QDialog&)> m_browserHook;
};

template <typename Handler> void TForm1::guarded(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        m_exceptionLog.append(metaObject()->className(), QString::fromLocal8Bit(error.what()));
    } catch (...) {
        m_exceptionLog.append(metaObject()->className(), "unknown exception");
    }
}

} // namespace nimbar
