#pragma once

#include "device/ConfigFrameCollector.h"
#include "device/PortMap.h"
#include "engine/LiveFeed.h"
#include "processing/AlarmEvaluation.h"
#include "processing/AlarmLimitEntry.h"
#include "processing/BoardRuntime.h"
#include "processing/ChannelConversion.h"
#include "processing/OutputControl.h"
#include "recording/RecordingWriter.h"
#include "settings/BoardConfig.h"
#include "settings/BuildKind.h"
#include "settings/ClientSettings.h"
#include "settings/ExceptionLog.h"
#include "settings/ProgramPaths.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QTranslator>

#include <array>
#include <exception>
#include <functional>
#include <optional>

namespace nimbar {

class ComPort;
class NetClient;
class NetServer;

// The running system without any window: the boards' records and runtime state, the serial
// ports with their greeting, loss and reopening, the configuration exchange, the sample
// pipeline, alarms and outputs, the event log, the recording files, the board server (logger
// build) and the board connections (client build).
//
// It owns that state, reports every change as a signal and takes the user's actions as calls.
// Everything runs on the thread that owns it: timer ticks, port and socket events and calls
// are handlers that run one at a time to completion; signals are delivered before the handler
// that emits them goes on, so a view sees the state as the signal describes it.
class Engine : public QObject {
    Q_OBJECT
public:
    // ComPort1..ComPort4 of the boards (index 0..3) and ComPort5 of the configuration exchange.
    static constexpr int kExchangePort = 4;

    Engine(BuildKind kind, ProgramPaths paths, QObject* parent = nullptr);
    ~Engine() override;

    BuildKind buildKind() const { return m_kind; }
    const ProgramPaths& paths() const { return m_paths; }
    const ExceptionLog& exceptionLog() const { return m_exceptionLog; }
    BoardConfigs& boards() { return m_boards; }
    const BoardConfigs& boards() const { return m_boards; }
    BoardRuntimes& runtimes() { return m_runtimes; }
    const BoardRuntimes& runtimes() const { return m_runtimes; }
    ClientSettings& clientSettings() { return m_clientSettings; }
    // The live data for listeners that are not windows (web side, broker publisher).
    LiveFeed& liveFeed() { return m_feed; }
    // Where the recording files are written, off the tick; tests wait for it before reading them.
    RecordingWriter& recordingWriter() { return m_writer; }
    bool korean() const { return m_korean; }
    bool started() const { return m_started; }
    bool firstRun() const { return m_firstRun; }
    bool elapse() const { return m_elapse; }
    QString dataDirectory() const { return m_dataDirectory; }
    // Set while a chart, export, browser or print operation runs: received lines are thrown
    // away and the main timers only count down.
    bool chartBusy = false;

    // The local clock of the pipeline; tests set their own.
    QDateTime now() const { return m_clock(); }
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    QTimer& timer1() { return m_timer1; }
    QTimer& timer2() { return m_timer2; }
    QTimer& timerC() { return m_timerC; }
    QTimer& reopenTimer() { return m_reopenTimer; }

    // A status text: the window's status bar, standard error without one, the live feed.
    void ShowStatus(const QString& text);

    // Start-up, once: reads the settings, sets the boards up and, unless it is the logger's
    // first run, starts the main timer, the server and the ports (logger) or the poll timer and
    // the connections (client).
    void TimerSTimer();
    void Timer1Timer();
    void Timer2Timer();
    // The pipeline that the main timer (or the network client) hands each line to.
    void ProcessLine(int board, const char* line);
    void RestartBoard(int board);

    // Alarms and outputs.
    void EvaluateAlarms(int board, double now);
    // False when the output command could not be sent.
    bool AlarmAction(int board, int count, const QString& text, const QByteArray& outputCommand);
    // Enter in a limit edit: the outcome tells the window what its edit shows next.
    AlarmLimitEntry EdHighA1KeyUp(int board, int channel, const QString& text);
    AlarmLimitEntry EdLowA1KeyUp(int board, int channel, const QString& text);
    // The limit edits' texts as typed: taken into the records when the settings are saved.
    void setTypedAlarmLimits(int board, int channel, const QString& high, const QString& low);
    void ChkAlA1Click(int board, int channel, bool enabled);
    void ChkR1Click(int board, bool interlocked);
    void ChkDOA1Click(int board, int output, bool on);
    bool interlocked(int board) const { return m_interlocked[static_cast<std::size_t>(board)]; }
    bool manualOutput(int board, int output) const;
    // The "Use" box and the Tref text of the fixed reference junction.
    void setFixedReference(bool use, const QString& text);

    // Device link.
    ComPort* comPort(int index) const { return m_ports[static_cast<std::size_t>(index)]; }
    // The "COM" names the port combos list, read at start-up.
    QStringList portNames() const { return m_portNames; }
    const PortMap& portMap() const { return m_portMap; }
    void ComPort1AfterOpen(int board);
    void ComPort1RxFlag(int board);
    // A board's device went away: its port is closed and reopened every few seconds until the
    // device is back, greeted as at start-up.
    void boardPortLost(int board, const QString& cause);
    void reopenLostPorts();
    // "Get Configure" of board through the port named portName ("COM3"; empty: no port).
    void BtnGet1Click(int board, const QString& portName);
    void ComPort5RxChar(int count);
    void TimerCTimer();
    bool exchangeRunning() const { return m_timerC.isActive(); }
    // Sends a command to a board's device when its port is open; false when it was not sent.
    bool writeBoardCommand(int board, const QByteArray& command);
    // Where the adapters' stable links are looked up; tests give their own.
    void setSerialByIdDirectory(const QString& directory) { m_serialByIdDirectory = directory; }
    // Binds a rule-named USB port to its adapter's by-id link in the port map file.
    void bindPortToAdapter(int portNumber);

    // Network sharing: the server (logger build) and the board connections (client build).
    NetServer* netServer() const { return m_server; }
    NetClient* netClient() const { return m_client; }
    void ChkNetOffClick(bool networkingOff);
    // Connects board to address, or disconnects it when connected; a new address goes to the
    // top of the board's address list.
    void BtConnect1Click(int board, const QString& address);
    void BtC1Click(int board);
    void UDPort1Click(int board, int remoteBoard);
    // The addresses a client board offers, newest first; board 0's are saved.
    QStringList serverAddresses(int board) const {
        return m_addresses[static_cast<std::size_t>(board)];
    }
    // Client build: every board connects to the host at start-up and retries when it ends.
    void connectAtStart(const QString& host);
    // Client build: a board whose connection ended without the user asking (an error, the
    // logger's closing or pause notice) is lost; its last values stay, stale, until lines
    // arrive on a new connection. Invalid while the board is live.
    QDateTime lostSince(int board) const { return m_lostSince[static_cast<std::size_t>(board)]; }
    // When the board's last line arrived from the logger; invalid before the first.
    QDateTime lastLineTime(int board) const { return m_lastLine[static_cast<std::size_t>(board)]; }
    // Logger build: the port that another program holds and the boards not served for it;
    // empty while every board listens or networking is off.
    QString listenProblem() const { return m_listenProblem; }

    // The records as the configuration pages and the board pages change them.
    void SetupBoard(int board);
    // The configuration pages' OK: the records as the pages give them.
    void applyBoardConfigs(const BoardConfigs& boards);
    void RgTC1Click(int board, int sensorIndex);
    void EdInt1Change(int board, int interval);
    void EditT1Change(int board, const QString& title);
    void Ed01Change(int board, int channel, const QString& name);
    void Chk01Click(int board, int channel, bool visible);
    void setChartTitle(int board, const QString& title);
    void setValueAxisTitle(int board, const QString& title);
    void DirectoryListBox1Change(const QString& directory);
    // Options of the first configuration page that are saved with the records.
    void setQueueLength(int length) { m_queueLength = length; }
    void setEnglish(bool english) { m_englishChoice = english; }
    void setElapse(bool elapse) { m_elapseChoice = elapse; }

    // Shutdown, once: the logger saves its settings, tells its clients, switches the outputs
    // off and closes ports and server; the client closes its connections and saves its record.
    // False when the settings file could not be written.
    bool shutdown();
    bool shutdownDone() const { return m_shutdownDone; }
    QString settingsNotSavedText() const;

signals:
    void statusShown(const QString& text);
    // What the window shows in a box (a port that fails to open, the exchange's result).
    // Nothing waits for an answer.
    void messageShown(const QString& text);
    // Start-up has read the settings and set the boards up; ports and server are not open yet.
    void settingsLoaded();
    // Start-up is complete: the devices are opened and the server listens (logger), or the
    // connections are under way (client).
    void running();
    // A tick of the main timer (logger) or the poll timer (client): the engine is alive.
    void ticked();
    // A line reached the pipeline (the board's lamp blinks); short lines go no further.
    void lineArrived(int board);
    // The first line of a run: the board's start time is set and its file begun.
    void runStarted(int board);
    void alarmsEvaluated(int board, const nimbar::AlarmEvaluation& result);
    // A processed line with its values and states; recorded when it became a record.
    void lineProcessed(const nimbar::LiveLine& line);
    // "Get Configure" stored the device's report in the board's record.
    void configReportApplied(int board);
    // A board's record was replaced by one received from the logger (client build).
    void boardChanged(int board);
    void outputControlsChanged(int board, const nimbar::OutputBoxDecision& decision);
    void exchangeChanged(bool running);
    void portOpened(int board);
    void portLost(int board);
    // Network: traffic logs, the client list (logger), server names and board connections
    // (client).
    void receiveLogged(const QString& line);
    void sendLogged(const QString& line);
    void clientListChanged(const QStringList& lines);
    void serverListed(const QString& hostName);
    void boardConnected(int board);
    void boardDisconnected(int board);
    // A board became stale (lost) or live again; lostSince() tells which.
    void boardStaleChanged(int board);
    void addressesChanged(int board);
    void listenProblemChanged(const QString& text);

private:
    void createPorts();
    void createNetwork();
    void loadPortMap();
    void reportPortMapErrors();
    void startLogger();
    void startClient();
    void chooseLanguage(bool english);
    void openDataDirectory(const QString& directory);
    void startConnections();
    void openServers();
    void setListenProblem(const QString& text);
    // A client status with the boards that are lost named after it.
    QString withLostBoards(const QString& text) const;
    void receiveMeasurement(int board, const QByteArray& line);
    // Opens a board's port and greets its device; throws PortError, the port left closed.
    void openBoardPort(ComPort* port);
    void openBoardPorts();
    void switchOutputsOff();
    void closePorts();
    void beginExchange(int board);
    void endExchange(int board);
    void applyConfigReport(int board, const QByteArray& frame);
    void CS1Connect(int board);
    void CS1Disconnect(int board);
    void installReceivedConfig(int board, const BoardConfig& received);
    void addAddress(int board, const QString& address);
    // The "Use" box and Tref text; a text that is not a number gives a NaN temperature.
    FixedReference readFixedReference();
    void hideChannelsInvalidFromStart(int board);
    void startRecordingFile(int board, const QDateTime& now);
    void appendRecord(int board, double time);
    void reportLostRecord(int board, const QString& path);
    // Waits for the recording writer at shutdown; records it could not write are said.
    void drainRecording();
    void publishLine(int board, const QDateTime& time, double timeValue, bool recorded);
    void publishBoard(int board);
    void applyOutputDecision(int board, const OutputBoxDecision& decision);
    AlarmLimitEntry enterLimit(int board, int channel, AlarmLimit which, const QString& text);
    bool shutdownLogger();
    bool shutdownClient();
    bool saveLoggerSettings();
    bool saveClientSettingsRecord();

    // Runs a handler; an exception that escapes it goes to the exception log.
    template <typename Handler> void guarded(Handler&& handler);

    BuildKind m_kind;
    ProgramPaths m_paths;
    ExceptionLog m_exceptionLog;
    LiveFeed m_feed;
    RecordingWriter m_writer;

    BoardConfigs m_boards{};
    BoardRuntimes m_runtimes{};
    ClientSettings m_clientSettings{};

    QTimer m_timer1;
    QTimer m_timer2;
    QTimer m_timerC;
    QTimer m_reopenTimer;
    std::array<ComPort*, 5> m_ports{};
    PortMap m_portMap;
    QStringList m_portNames;
    QString m_serialByIdDirectory = kSerialByIdDirectory;
    // A greeting that failed inside the after-open handler, for the opener to handle.
    std::exception_ptr m_greetingError;
    int m_exchangeBoard = 0;
    int m_exchangePortNumber = 0;
    std::array<bool, kBoardCount> m_exchangeActive{};
    std::array<bool, kBoardCount> m_portLost{};
    ConfigFrameCollector m_reply;
    QTranslator m_translator;

    std::array<bool, kBoardCount> m_interlocked{};
    std::array<std::array<bool, kManualOutputCount>, kBoardCount> m_manualOutputs{};
    struct TypedLimits {
        QString high;
        QString low;
    };
    std::array<std::array<std::optional<TypedLimits>, kChannelCount>, kBoardCount> m_typedLimits;
    bool m_fixedReferenceUse = false;
    QString m_fixedReferenceText;
    bool m_badFixedReference = false;
    int m_queueLength = 0;
    bool m_englishChoice = false;
    bool m_elapseChoice = false;

    bool m_korean = true;
    bool m_elapse = false;
    bool m_started = false;
    bool m_firstRun = false;
    bool m_shutdownDone = false;
    QString m_dataDirectory;
    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTime(); };
    NetServer* m_server = nullptr;
    NetClient* m_client = nullptr;
    std::array<QStringList, kBoardCount> m_addresses;
    std::array<bool, kBoardCount> m_linked{};
    std::array<QDateTime, kBoardCount> m_lostSince;
    std::array<QDateTime, kBoardCount> m_lastLine;
    // What the port in use said during the last opening of the servers.
    QString m_listenFailure;
    QString m_listenProblem;
    QString m_connectHost;
};

template <typename Handler> void Engine::guarded(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        m_exceptionLog.append(metaObject()->className(), QString::fromLocal8Bit(error.what()));
    } catch (...) {
        m_exceptionLog.append(metaObject()->className(), "unknown exception");
    }
}

} // namespace nimbar
