#include "app/NimbarApplication.h"

#include <exception>

namespace nimbar {

NimbarApplication::NimbarApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool NimbarApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        if (m_log)
            m_log->append(receiver ? receiver->metaObject()->className() : "QObject",
                          QString::fromLocal8Bit(error.what()));
    } catch (...) {
        if (m_log)
            m_log->append(receiver ? receiver->metaObject()->className() : "QObject",
                          "unknown exception");
    }
    return false;
}

} // namespace nimbar
