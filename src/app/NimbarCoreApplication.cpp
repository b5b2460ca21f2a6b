#include "app/NimbarCoreApplication.h"

#include "app/GuardedNotify.h"

namespace nimbar {

NimbarCoreApplication::NimbarCoreApplication(int& argc, char** argv)
    : QCoreApplication(argc, argv) {}

bool NimbarCoreApplication::notify(QObject* receiver, QEvent* event) {
    return notifyLoggingExceptions(m_log, receiver,
                                   [&] { return QCoreApplication::notify(receiver, event); });
}

} // namespace nimbar
