#pragma once

#include <QObject>

namespace nimbar {

class Engine;

// Tells a service manager (systemd, Type=notify) how the engine is doing: ready once start-up
// has opened the devices and the server listens, a watchdog ping with each tick of the engine,
// so that an engine that stalls is restarted, and stopping at shutdown. (The status texts go to
// standard error, which the journal keeps; as notifications an alarm's flood of them would wait
// on the service manager.)
// Without libsystemd at build time, or without a service manager asking, it does nothing.
class ServiceNotifier : public QObject {
    Q_OBJECT
public:
    explicit ServiceNotifier(Engine& engine, QObject* parent = nullptr);

    // Whether this build can tell a service manager at all.
    static bool supported();
    void stopping();

private:
    void notify(const QByteArray& state);

    bool m_watchdog = false;
};

} // namespace nimbar
