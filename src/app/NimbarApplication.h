#pragma once

#include "settings/ExceptionLog.h"

#include <QApplication>

#include <optional>

namespace nimbar {

// The application object: an exception that escapes any event handler of the message loop is
// appended to the exception log instead of ending the program.
class NimbarApplication : public QApplication {
    Q_OBJECT
public:
    NimbarApplication(int& argc, char** argv);

    void setExceptionLog(const ExceptionLog& log) { m_log = log; }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::optional<ExceptionLog> m_log;
};

} // namespace nimbar
