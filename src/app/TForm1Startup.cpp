#include "app/KoreanCaptions.h"
#include "app/RecordText.h"
#include "app/SettingsFile.h"
#include "app/TForm1.h"

#include "app/DirectoryListBox.h"

#include "ProgramIdentity.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLibraryInfo>
#include <QSpinBox>
#include <QTabWidget>

#include <cstring>

namespace nimbar {

void TForm1::TimerSTimer() {
    move(0, 0);
    m_timerS.stop();
    m_pages->setCurrentIndex(kFirstBoardPage);
    fillPortCombos();
    for (BoardRuntime& runtime : m_runtimes)
        runtime.modelClass = 0;
    setWindowTitle(programName(m_kind) + " Ver " + kProgramVersion);

    if (m_kind == BuildKind::Logger)
        startLogger();
    else
        startClient();
}

void TForm1::startLogger() {
    m_firstRun = loadBoardSettings(m_paths.settingsFile(), m_boards,
                                   m_paths.defaultDataDirText().constData());
    const BoardConfig& first = m_boards[0];
    chooseLanguage(first.english != 0);
    reportPortMapErrors();
    m_elapse = first.elapsedAxis != 0;
    m_options.elapseBox->setChecked(m_elapse);
    m_options.queueUpDown->setValue(static_cast<int16_t>(first.queueLength));

    setupBoards();
    openDataDirectory(fieldText(first.dataDir));
    applyKoreanCaptions(this, m_kind, m_korean, m_elapse);
    m_started = true;

    if (m_firstRun) {
        m_pages->setCurrentIndex(kFirstConfigPage);
        return;
    }
    m_timer1.start();
    openServers();
    reportPortMapErrors(); // outlasts the servers' "Listening" messages
    openBoardPorts();
}

void TForm1::startClient() {
    m_clientSettings =
        loadClientSettings(m_paths.settingsFile(), m_paths.defaultDataDirText().constData());
    fillDefaultBoardConfigs(m_boards, m_paths.defaultDataDirText().constData());
    chooseLanguage(m_clientSettings.english != 0);
    reportPortMapErrors();
    m_elapse = m_clientSettings.elapsedAxis != 0;
    m_options.elapseBox->setChecked(m_elapse);

    const int servers = usableServerCount(m_clientSettings);
    for (int b = 0; b < kBoardCount; ++b) {
        BoardControls& c = m_controls[b];
        c.intervalUpDown->setValue(m_clientSettings.interval[b]);
        m_runtimes[b].recordCountdown = m_clientSettings.interval[b];
        c.remoteBoardUpDown->setValue(usableRemoteBoard(m_clientSettings, b) + 1);
        c.addressCombo->clear();
        for (int i = 0; i < servers; ++i) {
            const QString address = fieldText(m_clientSettings.serverAddress[i]);
            if (address.size() > 5)
                c.addressCombo->addItem(address);
        }
        c.addressCombo->setCurrentIndex(0);
    }
    setupBoards();
    openDataDirectory(fieldText(m_clientSettings.dataDir));
    applyKoreanCaptions(this, m_kind, m_korean, m_elapse);
    m_pages->setCurrentIndex(kFirstConfigPage);
    m_started = true;
    m_timer2.start();
    startConnections();
}

void TForm1::chooseLanguage(bool english) {
    m_korean = !english;
    m_feed.setLanguage(m_korean);
    m_options.englishBox->setChecked(english);
    if (!m_korean)
        return;
    if (m_translator.load(":/i18n/nimbar_ko.qm"))
        QCoreApplication::installTranslator(&m_translator);
    if (m_toolkitTranslator.load(QLocale(QLocale::Korean, QLocale::SouthKorea), "qtbase", "_",
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&m_toolkitTranslator);
}

void TForm1::setupBoards() {
    for (int b = 0; b < kBoardCount; ++b) {
        SetupBoardDisplay(b);
        EnableBoardControls(b, true);
        FillConfigPage(b);
        EnableBoardControls(b, false);
    }
}

void TForm1::openDataDirectory(const QString& directory) {
    // An empty stored directory (a foreign or short settings file) falls back to the default.
    m_dataDirectory = expandDataDirectory(
        directory.isEmpty() ? decodeCp949(m_paths.defaultDataDirText().constData(), 81) : directory,
        m_paths.home());
    QDir().mkpath(m_dataDirectory);
    m_feed.setDataDirectory(m_dataDirectory);
    m_options.directoryList->setDirectory(m_dataDirectory);
    m_options.pathLabel->setText(m_dataDirectory);
}

void TForm1::Timer1Timer() {
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
