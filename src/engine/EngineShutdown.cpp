#include "engine/Engine.h"
#include "net/NetClient.h"
#include "net/NetServer.h"
#include "settings/AlarmLimits.h"
#include "settings/RecordText.h"
#include "settings/SettingsFile.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace nimbar {

bool Engine::shutdown() {
    if (m_shutdownDone)
        return true;
    m_shutdownDone = true;
    return m_kind == BuildKind::Logger ? shutdownLogger() : shutdownClient();
}

// Stopped before the start-up step loaded anything: there is nothing to save, and saving the
// empty records would overwrite the settings file.
bool Engine::shutdownLogger() {
    if (!m_started)
        return true;
    m_timer1.stop();
    m_reopenTimer.stop();
    const bool saved = saveLoggerSettings();
    m_server->broadcastClosing();
    QThread::msleep(NetServer::kBroadcastPauseMs);
    QCoreApplication::processEvents();
    switchOutputsOff();
    closePorts();
    emit clientListChanged({});
    m_server->clearClientList();
    m_server->closeAll();
    // Last: outputs off and clients told without waiting for a slow disk.
    drainRecording();
    return saved;
}

bool Engine::shutdownClient() {
    if (!m_started)
        return true;
    m_timer2.stop();
    m_client->closeAll();
    const bool saved = saveClientSettingsRecord();
    drainRecording();
    return saved;
}

void Engine::drainRecording() {
    const int left = m_writer.drain();
    if (left == 0)
        return;
    const QString text =
        tr("%1 records could not be written before the program ended: the disk did not answer.")
            .arg(left);
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    m_exceptionLog.append("RecordingWriter", text);
}

QString Engine::settingsNotSavedText() const {
    return tr("The settings could not be saved to %1.").arg(m_paths.settingsFile());
}

bool Engine::saveLoggerSettings() {
    // The ranges of the pages' up-down boxes.
    const int queueLength = std::clamp(m_queueLength, 0, 3600);
    for (int b = 0; b < kBoardCount; ++b) {
        BoardConfig& board = m_boards[b];
        board.interval = std::clamp(board.interval, 1, 1000);
        board.queueLength = queueLength;
        for (int ch = 1; ch < kChannelCount; ++ch)
            if (const auto& typed =
                    m_typedLimits[static_cast<std::size_t>(b)][static_cast<std::size_t>(ch)])
                takeAlarmLimits(board, ch, typed->high, typed->low);
    }
    return saveBoardSettings(m_paths.settingsFile(), m_boards);
}

bool Engine::saveClientSettingsRecord() {
    ClientSettings& s = m_clientSettings;
    s.english = m_englishChoice ? 1 : 0;
    s.elapsedAxis = m_elapseChoice ? 1 : 0;
    // A directory the record cannot hold exactly keeps the stored one.
    if (const auto text = dataDirectoryRecordText(m_dataDirectory, sizeof s.dataDir - 1)) {
        std::memset(s.dataDir, 0, sizeof s.dataDir);
        std::memcpy(s.dataDir, text->constData(), static_cast<std::size_t>(text->size()));
    }
    const QStringList& addresses = m_addresses[0];
    s.serverCount = std::min(static_cast<int>(addresses.size()), kMaxServerAddresses);
    for (int i = 0; i < s.serverCount; ++i)
        setFieldText(s.serverAddress[i], addresses[i].left(24));
    return saveClientSettings(m_paths.settingsFile(), s);
}

} // namespace nimbar
