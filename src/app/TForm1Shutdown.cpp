#include "app/AlarmLimits.h"
#include "app/RecordText.h"
#include "app/SettingsFile.h"
#include "app/TForm1.h"
#include "net/NetClient.h"
#include "net/NetServer.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace nimbar {

void TForm1::MMExitClick() {
    close();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!m_shutdownDone && !FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    FormClose();
}

bool TForm1::FormCloseQuery() {
    if (!m_prompts->confirm(this, tr("Program Terminating... "), tr("Exit Confirmation")))
        return false;
    bool saved = true;
    try {
        saved = m_kind == BuildKind::Logger ? shutdownLogger() : shutdownClient();
    } catch (...) {
        // The rest of the sequence is skipped; the program still closes.
    }
    m_shutdownDone = true;
    if (!saved)
        m_prompts->showMessage(this, settingsNotSavedText());
    return true;
}

void TForm1::shutdownWithoutConfirmation() {
    if (!m_shutdownDone) {
        m_shutdownDone = true;
        guarded([this] {
            const bool saved = m_kind == BuildKind::Logger ? shutdownLogger() : shutdownClient();
            // No one may be at the screen: the line goes where the service manager logs.
            if (!saved)
                std::fprintf(stderr, "%s\n", settingsNotSavedText().toLocal8Bit().constData());
        });
    }
    close();
}

void TForm1::FormClose() {
    QCoreApplication::processEvents();
    QThread::msleep(500);
    QCoreApplication::quit();
}

// Stopped before the start-up step loaded anything: there is nothing to save, and saving the
// empty records would overwrite the settings file.
bool TForm1::shutdownLogger() {
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
    m_clientPage.listMemo->clear();
    m_server->clearClientList();
    m_server->closeAll();
    // Last: outputs off and clients told without waiting for a slow disk.
    drainRecording();
    return saved;
}

bool TForm1::shutdownClient() {
    if (!m_started)
        return true;
    m_timer2.stop();
    m_client->closeAll();
    const bool saved = saveClientSettingsRecord();
    drainRecording();
    return saved;
}

void TForm1::drainRecording() {
    const int left = m_writer.drain();
    if (left == 0)
        return;
    const QString text =
        tr("%1 records could not be written before the program ended: the disk did not answer.")
            .arg(left);
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    m_exceptionLog.append("RecordingWriter", text);
}

QString TForm1::settingsNotSavedText() const {
    return tr("The settings could not be saved to %1.").arg(m_paths.settingsFile());
}

bool TForm1::saveLoggerSettings() {
    const int queueLength = m_options.queueUpDown->value();
    for (int b = 0; b < kBoardCount; ++b) {
        BoardConfig& board = m_boards[b];
        const BoardControls& c = m_controls[b];
        board.interval = c.intervalUpDown->value();
        board.queueLength = queueLength;
        for (int ch = 1; ch < kChannelCount; ++ch)
            takeAlarmLimits(board, ch, c.highEdit[ch]->text(), c.lowEdit[ch]->text());
    }
    return saveBoardSettings(m_paths.settingsFile(), m_boards);
}

bool TForm1::saveClientSettingsRecord() {
    ClientSettings& s = m_clientSettings;
    s.english = m_options.englishBox->isChecked() ? 1 : 0;
    s.elapsedAxis = m_options.elapseBox->isChecked() ? 1 : 0;
    // A directory the record cannot hold exactly keeps the stored one.
    if (const auto text = dataDirectoryRecordText(m_dataDirectory, sizeof s.dataDir - 1)) {
        std::memset(s.dataDir, 0, sizeof s.dataDir);
        std::memcpy(s.dataDir, text->constData(), static_cast<std::size_t>(text->size()));
    }
    const QComboBox* addresses = m_controls[0].addressCombo;
    s.serverCount = std::min(addresses->count(), kMaxServerAddresses);
    for (int i = 0; i < s.serverCount; ++i)
        setFieldText(s.serverAddress[i], addresses->itemText(i).left(24));
    return saveClientSettings(m_paths.settingsFile(), s);
}

} // namespace nimbar
