#include "ui/main/TForm1.h"

#include "settings/RecordText.h"
#include "ui/main/KoreanCaptions.h"
#include "ui/widgets/DirectoryListBox.h"

#include "ProgramIdentity.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QSpinBox>
#include <QTabWidget>

namespace nimbar {

void TForm1::TimerSTimer() {
    move(0, 0);
    m_timerS.stop();
    m_pages->setCurrentIndex(kFirstBoardPage);
    setWindowTitle(programName(buildKind()) + " Ver " + kProgramVersion);
    // The pages are filled when the engine has read the settings (showSettings), before it
    // opens the ports.
    m_engine.TimerSTimer();
}

void TForm1::showSettings() {
    fillPortCombos();
    const bool english = !korean();
    m_options.englishBox->setChecked(english);
    m_options.elapseBox->setChecked(elapse());
    chooseToolkitLanguage();
    if (buildKind() == BuildKind::Logger) {
        m_options.queueUpDown->setValue(static_cast<int16_t>(boards()[0].queueLength));
    } else {
        const ClientSettings& settings = m_engine.clientSettings();
        for (int b = 0; b < kBoardCount; ++b) {
            BoardControls& c = m_controls[b];
            c.intervalUpDown->setValue(settings.interval[b]);
            c.remoteBoardUpDown->setValue(settings.remoteBoard[b] + 1);
            showAddresses(b);
        }
    }
    // The engine saves what the boxes hold.
    m_engine.setEnglish(m_options.englishBox->isChecked());
    m_engine.setElapse(m_options.elapseBox->isChecked());
    m_engine.setQueueLength(m_options.queueUpDown->value());

    for (int b = 0; b < kBoardCount; ++b) {
        SetupBoardDisplay(b);
        EnableBoardControls(b, true);
        FillConfigPage(b);
        EnableBoardControls(b, false);
    }
    const QString directory = dataDirectory();
    m_options.directoryList->setDirectory(directory);
    m_options.pathLabel->setText(directory);
    applyKoreanCaptions(this, buildKind(), korean(), elapse());
    if (buildKind() == BuildKind::Client || firstRun())
        m_pages->setCurrentIndex(kFirstConfigPage);
}

void TForm1::chooseToolkitLanguage() {
    if (korean() &&
        m_toolkitTranslator.load(QLocale(QLocale::Korean, QLocale::SouthKorea), "qtbase", "_",
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&m_toolkitTranslator);
}

void TForm1::fillPortCombos() {
    const QStringList names = m_engine.portNames();
    for (BoardControls& c : m_controls) {
        c.portCombo->clear();
        c.portCombo->addItem("No Use");
        c.portCombo->addItems(names);
    }
}

} // namespace nimbar
