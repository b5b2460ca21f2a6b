#include "net/PeerReset.h"

#include <QEvent>
#include <QSocketNotifier>
#include <QTcpSocket>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/socket.h>
#endif

namespace nimbar {

namespace {

constexpr char kResetProperty[] = "nimbarPeerReset";
constexpr char kWatchName[] = "nimbarResetWatch";

// Looks at the descriptor before the socket reads it. Peeking takes no data; the error it
// takes would only have told the socket what it reports anyway.
class ResetWatch : public QObject {
public:
    explicit ResetWatch(QTcpSocket* socket) : QObject(socket), m_socket(socket) {
        setObjectName(kWatchName);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::SockAct)
            if (auto* notifier = qobject_cast<QSocketNotifier*>(watched))
                if (resetWaits(notifier->socket()))
                    m_socket->setProperty(kResetProperty, true);
        return false;
    }

private:
    static bool resetWaits(qintptr descriptor) {
#ifdef Q_OS_UNIX
        char byte;
        return ::recv(static_cast<int>(descriptor), &byte, 1, MSG_PEEK | MSG_DONTWAIT) < 0 &&
               errno == ECONNRESET;
#else
        Q_UNUSED(descriptor);
        return false;
#endif
    }

    QTcpSocket* m_socket;
};

} // namespace

void watchForReset(QTcpSocket* socket) {
    socket->setProperty(kResetProperty, false);
    QObject* watch = socket->findChild<QObject*>(kWatchName, Qt::FindDirectChildrenOnly);
    if (!watch)
        watch = new ResetWatch(socket); // owned by the socket
    for (QSocketNotifier* notifier : socket->findChildren<QSocketNotifier*>())
        if (notifier->type() == QSocketNotifier::Read)
            notifier->installEventFilter(watch);
}

bool wasReset(const QTcpSocket* socket) {
    return socket->property(kResetProperty).toBool();
}

} // namespace nimbar
