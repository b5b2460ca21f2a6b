#pragma once

#include "settings/ExceptionLog.h"

#include <QCoreApplication>

#include <optional>

namespace nimbar {

// The application object of --headless: no platform plugin, no display. As in the window, an
// exception that escapes any event handler is appended to the exception log.
class NimbarCoreApplication : public QCoreApplication {
    Q_OBJECT
public:
    NimbarCoreApplication(int& argc, char** argv);

    void setExceptionLog(const ExceptionLog& log) { m_log = log; }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::optional<ExceptionLog> m_log;
};

} // namespace nimbar
