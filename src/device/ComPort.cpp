#include "device/ComPort.h"

#include <QDeadlineTimer>
#include <QSerialPort>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace nimbar {

namespace {

// Counts a handler or a write as under way for as long as it runs, also when it throws.
class BusyScope {
public:
    explicit BusyScope(int& busy) : m_busy(busy) { ++m_busy; }
    ~BusyScope() { --m_busy; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    int& m_busy;
};

} // namespace

ComPort::ComPort(QObject* parent) : QObject(parent), m_serial(new QSerialPort(this)) {
    connect(m_serial, &QSerialPort::readyRead, this, &ComPort::onReadyRead);
    // Queued: a device that is gone must not be closed under a read or write of QSerialPort's.
    connect(
        m_serial, &QSerialPort::errorOccurred, this,
        [this](QSerialPort::SerialPortError error) { onError(error); }, Qt::QueuedConnection);
}

ComPort::~ComPort() {
    Close();
}

void ComPort::SetPort(const QString& comName) {
    m_port = comName;
}

void ComPort::SetBaudRate(qint32 rate) {
    m_baudRate = rate;
}

void ComPort::SetResolver(Resolver resolver) {
    m_resolver = std::move(resolver);
}

void ComPort::SetPortMap(const PortMap& map) {
    m_resolver = [map](const QString& comName) { return map.devicePath(comName); };
}

QString ComPort::devicePath() const {
    if (m_resolver)
        return m_resolver(m_port);
    return PortMap().devicePath(m_port);
}

void ComPort::fail(const QString& what, const QString& cause) {
    throw PortError(QStringLiteral("%1 %2: %3").arg(what, m_port, cause).toStdString());
}

void ComPort::Open() {
    if (Connected())
        return;
    const QString path = devicePath();
    if (path.isEmpty())
        fail(QStringLiteral("Cannot open"), QStringLiteral("no device is bound to this name"));

    m_serial->setPortName(path);
    m_serial->setBaudRate(m_baudRate);
    m_serial->setDataBits(QSerialPort::Data8);
    m_serial->setParity(QSerialPort::NoParity);
    m_serial->setStopBits(QSerialPort::OneStop);
    m_serial->setFlowControl(QSerialPort::NoFlowControl);
    m_serial->setReadBufferSize(0); // everything is moved into m_rx at once
    if (!m_serial->open(QIODevice::ReadWrite)) {
        const QString cause = path + QStringLiteral(": ") + m_serial->errorString();
        m_serial->close();
        m_serial->clearError();
        fail(QStringLiteral("Cannot open"), cause);
    }
    // A pseudo-terminal has no modem lines and refuses both; a real port takes them.
    if (!m_serial->setDataTerminalReady(true))
        m_serial->clearError();
    if (!m_serial->setRequestToSend(false))
        m_serial->clearError();

    m_rx.clear();
    m_lineFeedPending = false;
    m_charsPending = false;
    emit OnAfterOpen();
}

void ComPort::Close() {
    if (!Connected())
        return;
    m_serial->close();
    m_serial->clearError();
    m_rx.clear();
    m_lineFeedPending = false;
    m_charsPending = false;
}

bool ComPort::Connected() const {
    return m_serial->isOpen();
}

void ComPort::ClearBuffer(bool input, bool output) {
    if (!Connected())
        fail(QStringLiteral("Cannot purge"), QStringLiteral("the port is not open"));
    if (input) {
        m_rx.clear();
        m_lineFeedPending = false;
        m_charsPending = false;
        if (!m_serial->clear(QSerialPort::Input))
            fail(QStringLiteral("Cannot purge"), m_serial->errorString());
    }
    if (output && !m_serial->clear(QSerialPort::Output))
        fail(QStringLiteral("Cannot purge"), m_serial->errorString());
}

void ComPort::takeReceived() {
    if (!Connected())
        return;
    const QByteArray chunk = m_serial->readAll();
    if (chunk.isEmpty())
        return;
    // The event character is seen on arrival, also when the queue has no room left for it;
    // a full queue drops the newest bytes as a driver would.
    if (chunk.contains('\n'))
        m_lineFeedPending = true;
    m_charsPending = true;
    const qsizetype room = std::max<qsizetype>(0, kQueueSize - m_rx.size());
    m_rx.append(chunk.constData(), std::min(room, chunk.size()));
}

int ComPort::ReadStr(QByteArray& text, int max) {
    takeReceived();
    const auto n = std::clamp<qsizetype>(max, 0, m_rx.size());
    text = m_rx.first(n);
    m_rx.remove(0, n);
    return static_cast<int>(n);
}

int ComPort::WriteStr(const QByteArray& text) {
    if (!Connected())
        fail(QStringLiteral("Cannot write to"), QStringLiteral("the port is not open"));
    BusyScope busy(m_busy);
    if (m_serial->write(text) != text.size())
        fail(QStringLiteral("Cannot write to"), m_serial->errorString());
    QDeadlineTimer deadline(100 * static_cast<qint64>(text.size()) + 1000);
    while (m_serial->bytesToWrite() > 0) {
        if (deadline.hasExpired() ||
            !m_serial->waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
            if (m_serial->bytesToWrite() == 0)
                break;
            const QString cause =
                deadline.hasExpired() ? QStringLiteral("write time-out") : m_serial->errorString();
            m_serial->clear(QSerialPort::Output);
            m_serial->clearError();
            announceReceivedDuringWrite();
            fail(QStringLiteral("Cannot write to"), cause);
        }
    }
    announceReceivedDuringWrite();
    return static_cast<int>(text.size());
}

void ComPort::announceReceivedDuringWrite() {
    // The wait for a write may have read bytes without a readyRead: QSerialPort raises none
    // while it is raising one, which is the case when a receive handler writes. Take them in
    // and announce them once the write is over, so that none go unseen.
    takeReceived();
    if (m_lineFeedPending || m_charsPending)
        queueDelivery();
}

bool ComPort::hungUp() const {
#ifdef Q_OS_UNIX
    pollfd descriptor{static_cast<int>(m_serial->handle()), 0, 0};
    return ::poll(&descriptor, 1, 0) == 1 && (descriptor.revents & (POLLHUP | POLLERR | POLLNVAL));
#else
    return false;
#endif
}

void ComPort::onError(int error) {
    // A vanished device keeps its descriptor readable forever, reading nothing (a hung-up
    // terminal) or failing (a removed adapter); left open it keeps the event loop spinning.
    // Closed, the board is silent, as a device that stopped sending.
    if (!Connected())
        return;
    QString cause;
    if (error == QSerialPort::ResourceError)
        cause = m_serial->errorString();
    else if (error == QSerialPort::ReadError && hungUp())
        cause = QStringLiteral("the device hung up");
    else
        return;
    Close();
    emit OnLost(QStringLiteral("Lost %1: %2").arg(m_port, cause));
}

void ComPort::onReadyRead() {
    takeReceived();
    if (m_busy > 0) {
        queueDelivery();
        return;
    }
    deliverPending();
}

void ComPort::queueDelivery() {
    if (m_deliveryQueued)
        return;
    m_deliveryQueued = true;
    QMetaObject::invokeMethod(this, &ComPort::deliverPending, Qt::QueuedConnection);
}

void ComPort::deliverPending() {
    m_deliveryQueued = false;
    if (m_busy > 0)
        return; // the one under way queues it again when it ends
    BusyScope busy(m_busy);
    while (Connected() && (m_lineFeedPending || m_charsPending)) {
        const bool lineFeed = m_lineFeedPending;
        m_lineFeedPending = false;
        m_charsPending = false;
        if (m_rxEvent == RxEvent::LineFeed) {
            if (lineFeed)
                emit OnRxFlag();
        } else {
            emit OnRxChar(BytesWaiting());
        }
    }
}

} // namespace nimbar
