#include "ui/main/TForm1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QThread>

#include <cstdio>

namespace nimbar {

void TForm1::MMExitClick() {
    close();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!m_engine.shutdownDone() && !FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    FormClose();
}

// The engine's shutdown; an exception skips the rest of the sequence, and the program still
// closes.
void TForm1::shutdownEngine(bool& saved) {
    try {
        saved = m_engine.shutdown();
    } catch (...) {
    }
}

bool TForm1::FormCloseQuery() {
    if (!m_prompts->confirm(this, tr("Program Terminating... "), tr("Exit Confirmation")))
        return false;
    bool saved = true;
    shutdownEngine(saved);
    if (!saved)
        m_prompts->showMessage(this, m_engine.settingsNotSavedText());
    return true;
}

void TForm1::shutdownWithoutConfirmation() {
    if (!m_engine.shutdownDone()) {
        guarded([this] {
            const bool saved = m_engine.shutdown();
            // No one may be at the screen: the line goes where the service manager logs.
            if (!saved)
                std::fprintf(stderr, "%s\n",
                             m_engine.settingsNotSavedText().toLocal8Bit().constData());
        });
    }
    close();
}

void TForm1::FormClose() {
    QCoreApplication::processEvents();
    QThread::msleep(500);
    QCoreApplication::quit();
}

} // namespace nimbar
