#pragma once

#include "device/PortMap.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <stdexcept>

class QSerialPort;

namespace nimbar {

// A failing port operation: open, purge, write. what() names the port and the cause.
class PortError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One serial port of the program, addressed by its "COM<n>" name. Line settings are fixed:
// 8 data bits, no parity, 1 stop bit, no flow control, DTR raised and RTS low where the device
// has those lines (a pseudo-terminal has none, which is no failure).
//
// Received bytes are kept here, so that ReadStr returns exactly what has arrived and
// ClearBuffer(true, ...) discards all of it. Events come from the message loop of the thread
// that owns the port, one at a time: a handler never runs inside another handler of the same
// port, also not while it writes; an event that comes up meanwhile is delivered after it.
class ComPort : public QObject {
    Q_OBJECT
public:
    // The receive event the owner of the port wants.
    enum class RxEvent {
        LineFeed, // OnRxFlag: once for every received chunk that holds a line feed
        Chars,    // OnRxChar: once for every received chunk, with the number of bytes waiting
    };
    using Resolver = std::function<QString(const QString& comName)>;

    static constexpr int kQueueSize = 2048;

    explicit ComPort(QObject* parent = nullptr);
    ~ComPort() override;

    // Settings; changed while closed, they take effect at the next Open.
    void SetPort(const QString& comName);
    QString Port() const { return m_port; }
    void SetBaudRate(qint32 rate);
    qint32 BaudRate() const { return m_baudRate; }
    void SetRxEvent(RxEvent event) { m_rxEvent = event; }
    RxEvent rxEvent() const { return m_rxEvent; }
    // How Port() becomes a device path; without one, the naming rule of PortMap applies.
    void SetResolver(Resolver resolver);
    void SetPortMap(const PortMap& map);
    // The device path Open() would use now.
    QString devicePath() const;

    // Opens the device with the fixed settings and raises OnAfterOpen; nothing if open.
    // Throws PortError when the device cannot be opened or set up; the port is closed then.
    void Open();
    // Stops events and closes the device; nothing if closed.
    void Close();
    bool Connected() const;

    // Discards the received bytes (input) and/or the unsent ones (output). Throws PortError
    // when the port is closed or the system refuses.
    void ClearBuffer(bool input, bool output);
    // Moves at most max received bytes into text without waiting; returns their number.
    int ReadStr(QByteArray& text, int max);
    // Number of received bytes waiting to be read.
    int BytesWaiting() const { return static_cast<int>(m_rx.size()); }
    // Sends text and waits until it is written, at most 100 ms a byte plus 1000 ms. Returns
    // the number of bytes written; throws PortError when closed, on error and on time-out.
    int WriteStr(const QByteArray& text);

signals:
    void OnAfterOpen();
    void OnRxFlag();
    void OnRxChar(int count);
    // The device went away (a USB adapter pulled out, the other end of a pseudo-terminal
    // closed): the port has been closed; cause names the port and says why.
    void OnLost(const QString& cause);

private:
    void takeReceived();
    void onReadyRead();
    void onError(int error);
    bool hungUp() const;
    void queueDelivery();
    void announceReceivedDuringWrite();
    void deliverPending();
    [[noreturn]] void fail(const QString& what, const QString& cause);

    QSerialPort* m_serial = nullptr;
    QString m_port = QStringLiteral("COM1");
    qint32 m_baudRate = 19200;
    RxEvent m_rxEvent = RxEvent::LineFeed;
    Resolver m_resolver;
    QByteArray m_rx;
    int m_busy = 0; // handlers or a write under way
    bool m_lineFeedPending = false;
    bool m_charsPending = false;
    bool m_deliveryQueued = false;
};

} // namespace nimbar
