#pragma once

#include "settings/ExceptionLog.h"

#include <QObject>

#include <exception>
#include <optional>

namespace nimbar {

// Delivers an event through deliver; an exception that escapes the receiver's handler is
// appended to the exception log (when there is one) instead of ending the program.
template <typename Deliver>
bool notifyLoggingExceptions(const std::optional<ExceptionLog>& log, QObject* receiver,
                             Deliver&& deliver) {
    const auto append = [&](const QString& message) {
        if (log)
            log->append(receiver ? receiver->metaObject()->className() : "QObject", message);
    };
    try {
        return deliver();
    } catch (const std::exception& error) {
        append(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        append("unknown exception");
    }
    return false;
}

} // namespace nimbar
