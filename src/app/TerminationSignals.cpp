#include "app/TerminationSignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>
#endif

namespace nimbar {

#ifdef Q_OS_LINUX

namespace {
sigset_t terminationSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    // Closing the terminal that started the program: shut down as on SIGTERM.
    sigaddset(&set, SIGHUP);
    return set;
}
} // namespace

void TerminationSignals::block() {
    const sigset_t set = terminationSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    const sigset_t set = terminationSet();
    m_fd = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::drain);
}

TerminationSignals::~TerminationSignals() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void TerminationSignals::drain() {
    signalfd_siginfo info;
    bool received = false;
    while (::read(m_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        received = true;
    if (received)
        emit terminationRequested();
}

#else

void TerminationSignals::block() {}
TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {}
TerminationSignals::~TerminationSignals() = default;
void TerminationSignals::drain() {}

#endif

} // namespace nimbar
