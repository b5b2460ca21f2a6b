#pragma once

#include <QObject>

class QSocketNotifier;

namespace nimbar {

// Turns SIGTERM, SIGINT and SIGHUP into a signal on the message loop, so that a service manager or
// a terminal stops the program through its ordinary shutdown. Call block() in main() before any
// thread starts: the signals are then taken from a signalfd instead of interrupting a thread.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    static void block();
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    void drain();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace nimbar
