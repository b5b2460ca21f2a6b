#include "app/ServiceNotifier.h"

#include "engine/Engine.h"

#ifdef NIMBAR_HAVE_LIBSYSTEMD
#include <systemd/sd-daemon.h>
#endif

namespace nimbar {

ServiceNotifier::ServiceNotifier(Engine& engine, QObject* parent) : QObject(parent) {
#ifdef NIMBAR_HAVE_LIBSYSTEMD
    uint64_t interval = 0;
    m_watchdog = sd_watchdog_enabled(0, &interval) > 0;
#endif
    connect(&engine, &Engine::running, this, [this] { notify("READY=1"); });
    if (m_watchdog)
        connect(&engine, &Engine::ticked, this, [this] { notify("WATCHDOG=1"); });
}

bool ServiceNotifier::supported() {
#ifdef NIMBAR_HAVE_LIBSYSTEMD
    return true;
#else
    return false;
#endif
}

void ServiceNotifier::stopping() {
    notify("STOPPING=1");
}

void ServiceNotifier::notify(const QByteArray& state) {
#ifdef NIMBAR_HAVE_LIBSYSTEMD
    sd_notify(0, state.constData());
#else
    Q_UNUSED(state);
#endif
}

} // namespace nimbar
