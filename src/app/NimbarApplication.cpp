#include "app/NimbarApplication.h"

#include "app/GuardedNotify.h"

namespace nimbar {

NimbarApplication::NimbarApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool NimbarApplication::notify(QObject* receiver, QEvent* event) {
    return notifyLoggingExceptions(m_log, receiver,
                                   [&] { return QApplication::notify(receiver, event); });
}

} // namespace nimbar
