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
    try {
        if (m_kind == BuildKind::Logger)
            shutdownLogger();
        else
            shutdownClient();
    } catch (...) {
        // The rest of the sequence is skipped; the program still closes.
    }
    m_shutdownDone = true;
    return true;
}

void TForm1::shutdownWithoutConfirmation() {
    if (!m_shutdownDone) {
        m_shutdownDone = true;
        guarded([this] {
            if (m_kind == BuildKind::Logger)
                shutdownLogger();
            else
                shutdownClient();
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
void TForm1::shutdownLogger() {
    if (!m_started)
        return;
    m_timer1.stop();
    m_reopenTimer.stop();
    saveLoggerSettings();
    m_server->broadcastClosing();
    QThread::msleep(NetServer::kBroadcastPauseMs);
    QCoreApplication::processEvents();
    switchOutputsOff();
    closePorts();
    m_clientPage.listMemo->clear();
    m_server->clearClientList();
    m_server->closeAll();
}

void TForm1::shutdownClient() {
    if (!m_started)
        return;
    m_timer2.stop();
    m_client->closeAll();
    saveClientSettingsRecord();
}

void TForm1::saveLoggerSettings() {
    const int queueLength = m_options.queueUpDown->value();
    for (int b = 0; b < kBoardCount; ++b) {
        BoardConfig& board = m_boards[b];
        const BoardControls& c = m_controls[b];
        board.interval = c.intervalUpDown->value();
        board.queueLength = queueLength;
        for (int ch = 1; ch < kChannelCount; ++ch)
            takeAlarmLimits(board, ch, c.highEdit[ch]->text(), c.lowEdit[ch]->text());
    }
    saveBoardSettings(m_paths.settingsFile(), m_boards);
}

void TForm1::saveClientSettingsRecord() {
    ClientSettings& s = m_clientSettings;
    s.english = m_options.englishBox->isChecked() ? 1 : 0;
    s.elapsedAxis = m_options.elapseBox->isChecked() ? 1 : 0;
    setFieldText(s.dataDir, m_dataDirectory.left(81));
    const QComboBox* addresses = m_controls[0].addressCombo;
    s.serverCount = std::min(addresses->count(), kMaxServerAddresses);
    for (int i = 0; i < s.serverCount; ++i)
        setFieldText(s.serverAddress[i], addresses->itemText(i).left(24));
    saveClientSettings(m_paths.settingsFile(), s);
}

} // namespace nimbar
