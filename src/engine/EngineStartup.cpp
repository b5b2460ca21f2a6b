#include "engine/Engine.h"
#include "settings/ModelClass.h"
#include "settings/RecordText.h"
#include "settings/SettingsFile.h"

#include <QCoreApplication>
#include <QDir>

#include <bit>
#include <cstring>

namespace nimbar {

namespace {

constexpr double kFullScaleCounts = 8388607.0; // 2^23 - 1
// CH0 of classes 1 and 2 is a fixed-point temperature: the double with bits 0x3EE9000019000019.
constexpr double kFixedPointReferenceScale = std::bit_cast<double>(0x3EE9000019000019ULL);

} // namespace

void Engine::TimerSTimer() {
    loadPortMap();
    for (BoardRuntime& runtime : m_runtimes)
        runtime.modelClass = 0;
    if (m_kind == BuildKind::Logger)
        startLogger();
    else
        startClient();
}

void Engine::startLogger() {
    m_firstRun = loadBoardSettings(m_paths.settingsFile(), m_boards,
                                   m_paths.defaultDataDirText().constData());
    const BoardConfig& first = m_boards[0];
    chooseLanguage(first.english != 0);
    reportPortMapErrors();
    m_elapse = first.elapsedAxis != 0;
    m_englishChoice = first.english != 0;
    m_elapseChoice = m_elapse;
    m_queueLength = static_cast<int16_t>(first.queueLength);
    for (int b = 0; b < kBoardCount; ++b)
        SetupBoard(b);
    openDataDirectory(fieldText(first.dataDir));
    // The pages are filled from the records before the started flag lets their handlers
    // write back.
    emit settingsLoaded();
    m_started = true;

    if (m_firstRun)
        return;
    m_timer1.start();
    openServers();
    reportPortMapErrors(); // outlasts the servers' "Listening" messages
    openBoardPorts();
    emit running();
}

void Engine::startClient() {
    m_clientSettings =
        loadClientSettings(m_paths.settingsFile(), m_paths.defaultDataDirText().constData());
    fillDefaultBoardConfigs(m_boards, m_paths.defaultDataDirText().constData());
    chooseLanguage(m_clientSettings.english != 0);
    reportPortMapErrors();
    m_elapse = m_clientSettings.elapsedAxis != 0;
    m_englishChoice = m_clientSettings.english != 0;
    m_elapseChoice = m_elapse;

    const int servers = usableServerCount(m_clientSettings);
    for (int b = 0; b < kBoardCount; ++b) {
        m_runtimes[b].recordCountdown = m_clientSettings.interval[b];
        m_clientSettings.remoteBoard[b] = usableRemoteBoard(m_clientSettings, b);
        QStringList& addresses = m_addresses[static_cast<std::size_t>(b)];
        addresses.clear();
        for (int i = 0; i < servers; ++i) {
            const QString address = fieldText(m_clientSettings.serverAddress[i]);
            if (address.size() > 5)
                addresses << address;
        }
    }
    for (int b = 0; b < kBoardCount; ++b)
        SetupBoard(b);
    openDataDirectory(fieldText(m_clientSettings.dataDir));
    emit settingsLoaded();
    m_started = true;
    m_timer2.start();
    startConnections();
    emit running();
}

void Engine::chooseLanguage(bool english) {
    m_korean = !english;
    m_feed.setLanguage(m_korean);
    if (m_korean && m_translator.load(":/i18n/nimbar_ko.qm"))
        QCoreApplication::installTranslator(&m_translator);
}

void Engine::openDataDirectory(const QString& directory) {
    // An empty stored directory (a foreign or short settings file) falls back to the default.
    m_dataDirectory = expandDataDirectory(
        directory.isEmpty() ? decodeCp949(m_paths.defaultDataDirText().constData(), 81) : directory,
        m_paths.home());
    QDir().mkpath(m_dataDirectory);
    m_feed.setDataDirectory(m_dataDirectory);
}

void Engine::SetupBoard(int b) {
    const BoardConfig& board = m_boards[b];
    BoardRuntime& runtime = m_runtimes[b];
    publishBoard(b);

    if (const auto modelClass =
            modelClassOf(QByteArrayView(board.model, strnlen(board.model, sizeof board.model)))) {
        runtime.modelClass = *modelClass;
        runtime.expectedLineLength = lineLengthOf(*modelClass);
    }
    runtime.typeLetter = typeLetter(boardTypeCode(board));

    if (runtime.modelClass == 0) {
        runtime.scale[0] = board.rangeMv[0] / kFullScaleCounts;
        runtime.offset[0] = 0.0;
    } else {
        runtime.scale[0] = kFixedPointReferenceScale;
        runtime.offset[0] = -40.0;
    }
    for (int ch = 1; ch < kChannelCount; ++ch) {
        runtime.scale[ch] = board.rangeMv[ch] / kFullScaleCounts;
        runtime.offset[ch] = 0.0;
    }
}

void Engine::Timer1Timer() {
    emit ticked();
    for (BoardRuntime& runtime : m_runtimes)
        --runtime.recordCountdown;
    if (chartBusy)
        return;
    for (int b = 0; b < kBoardCount; ++b) {
        BoardRuntime& runtime = m_runtimes[b];
        if (runtime.lineReady) {
            std::memcpy(runtime.servedLine, runtime.lineBuffer, kServedLineCopy);
            ProcessLine(b, runtime.lineBuffer);
        } else {
            ++runtime.linkIdle;
        }
    }
}

} // namespace nimbar
