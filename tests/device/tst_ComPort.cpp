// ComPort on a pseudo-terminal: the test holds the device end and plays the data logger.
#include "device/ComPort.h"
#include "device/PortMap.h"

#include <QDeadlineTimer>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

using namespace nimbar;

namespace {

// The device end of a pseudo-terminal; its other end is what ComPort opens.
class DeviceEnd {
public:
    DeviceEnd() {
        m_fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0 || grantpt(m_fd) != 0 || unlockpt(m_fd) != 0)
            return;
        if (const char* name = ptsname(m_fd))
            m_portPath = QString::fromLocal8Bit(name);
    }
    ~DeviceEnd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    DeviceEnd(const DeviceEnd&) = delete;
    DeviceEnd& operator=(const DeviceEnd&) = delete;

    bool valid() const { return m_fd >= 0 && !m_portPath.isEmpty(); }
    // Closes the device end, as a device that is pulled out.
    void hangUp() {
        ::close(m_fd);
        m_fd = -1;
    }
    QString portPath() const { return m_portPath; }

    bool send(QByteArrayView bytes) const {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_fd, bytes.data() + done, std::size_t(bytes.size() - done));
            if (n < 0 && errno != EINTR && errno != EAGAIN)
                return false;
            done += std::max<ssize_t>(n, 0);
        }
        return true;
    }

    // What the port sent, until count bytes have come or the time is up.
    QByteArray receive(qsizetype count, int timeoutMs = 3000) const {
        QByteArray got;
        QDeadlineTimer deadline(timeoutMs);
        while (got.size() < count && !deadline.hasExpired()) {
            pollfd pfd{m_fd, POLLIN, 0};
            if (poll(&pfd, 1, int(std::max<qint64>(1, deadline.remainingTime()))) <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, n);
        }
        return got;
    }

private:
    int m_fd = -1;
    QString m_portPath;
};

// A port named COM5 that opens the device end's port.
void bind(ComPort& port, const DeviceEnd& device) {
    port.SetPort("COM5");
    const QString path = device.portPath();
    port.SetResolver([path](const QString& name) { return name == "COM5" ? path : QString(); });
}

} // namespace

class ComPortTest : public QObject {
    Q_OBJECT
private slots:
    void afterOpenIsRaisedOncePerOpen() {
        DeviceEnd device;
        QVERIFY(device.valid());
        ComPort port;
        port.SetPort("COM42");
        port.SetPortMap(PortMap::parse(("COM42=" + device.portPath()).toUtf8()));
        QCOMPARE(port.devicePath(), device.portPath());

        // The owner greets the device from the handler, as the window does.
        int opened = 0;
        connect(&port, &ComPort::OnAfterOpen, this, [&] {
            ++opened;
            QVERIFY(port.Connected());
            port.ClearBuffer(true, true);
            port.WriteStr("DK\r");
        });
        port.Open();
        QCOMPARE(opened, 1);
        QVERIFY(port.Connected());
        QCOMPARE(device.receive(3), QByteArray("DK\r"));
        port.Open();
        QCOMPARE(opened, 1);
        port.Close();
        QVERIFY(!port.Connected());
        port.Close();
        port.Open();
        QCOMPARE(opened, 2);
        QCOMPARE(device.receive(3), QByteArray("DK\r"));
    }

    void aDeviceThatGoesAwayClosesThePortOnce() {
        DeviceEnd device;
        QVERIFY(device.valid());
        ComPort port;
        bind(port, device);
        QStringList causes;
        connect(&port, &ComPort::OnLost, this, [&](const QString& cause) { causes << cause; });
        port.Open();
        device.hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(!port.Connected(), 3000);
        QTest::qWait(100);
        QCOMPARE(causes.size(), 1);
        QVERIFY2(causes[0].startsWith("Lost COM5: "), qPrintable(causes[0]));
    }

    void openingAMissingDeviceFails() {
        DeviceEnd device;
        QVERIFY(device.valid());
        ComPort port;
        int opened = 0;
        connect(&port, &ComPort::OnAfterOpen, this, [&] { ++opened; });
        port.SetPort("COM5");
        port.SetResolver([](const QString&) { return QString("/nonexistent/ttyKARN"); });
        QVERIFY_THROWS_EXCEPTION(PortError, port.Open());
        QVERIFY(!port.Connected());
        try {
            port.Open();
        } catch (const PortError& error) {
            QVERIFY2(QString(error.what()).contains("COM5"), error.what());
        }

        // A name that neither a binding nor the rule resolves.
        ComPort unbound;
        unbound.SetPort("COM49");
        QCOMPARE(unbound.devicePath(), QString());
        QVERIFY_THROWS_EXCEPTION(PortError, unbound.Open());
        QVERIFY(!unbound.Connected());

        // The failure leaves nothing behind that stops the next open.
        bind(port, device);
        port.Open();
        QVERIFY(port.Connected());
        QCOMPARE(opened, 1);
    }

    void aClosedPortRefusesWritesAndPurges() {
        ComPort port;
        QVERIFY(!port.Connected());
        QVERIFY_THROWS_EXCEPTION(PortError, port.WriteStr("DC\r"));
        QVERIFY_THROWS_EXCEPTION(PortError, port.ClearBuffer(true, false));
        QVERIFY_THROWS_EXCEPTION(PortError, port.ClearBuffer(false, true));
        QByteArray text = "old";
        QCOMPARE(port.ReadStr(text, 100), 0);
        QVERIFY(text.isEmpty());

        DeviceEnd device;
        QVERIFY(device.valid());
        bind(port, device);
        port.Open();
        port.Close();
        QVERIFY_THROWS_EXCEPTION(PortError, port.WriteStr("DC\r"));
    }

    void writtenBytesReachTheDeviceUnchanged() {
        DeviceEnd device;
        QVERIFY(device.valid());
        ComPort port;
        bind(port, device);
        port.Open();
        QByteArray all;
        for (int i = 0; i < 1024; ++i)
            all += char(i % 256);
        QCOMPARE(port.WriteStr("DC\r"), 3);
        QCOMPARE(port.WriteStr(all), 1024);
        QCOMPARE(device.receive(3 + 1024), "DC\r" + all);
    }

    void aLineInTwoPiecesIsAnnouncedWhenItsLineFeedArrives() {
        DeviceEnd device;
        QVERIFY(device.valid());
        ComPort port;
        bind(port, device);
        QList<QByteArray> reads;
        connect(&port, &ComPort::OnRxFlag, this, [&] {
            QByteArray text;
            port.ReadStr(text, 500);
            reads << text;
        });
        int charEvents = 0;
        connect(&port, &ComPort::OnRxChar, this, [&] { ++charEvents; });
        port.Open();

        const QByteArray line = "0F3A21, 000123, FFFFFF, 7FFFFF, 800000, 000000, 400000\r\n";
        QVERIFY(device.send(line.first(28)));
        QTRY_COMPARE(port.BytesWaiting(), 28);
        QTest::qWait(100);
        QVERIFY(reads.isEmpty());
        QVERIFY(device.send(line.sliced(28)));
        QTRY_COMPARE(reads.size(), 1);
        QCOMPARE(reads[0], line);

        // Two lines in one write: one event, both readable.
        QVERIFY(device.send(line + line));
        QTRY_COMPARE(reads.size(), 2);
        QCOMPARE(reads[1], line + line);
        QTest::qWait(100);
        QCOMPARE(reads.size(), 2);
        QCOMPARE(charEvents, 0);
    }

    void eachChunkWithALineFeedIsOneEvent() {
        DeviceEnd device;
        QVERIFY(device.valid());
        ComPort port;
        bind(port, device);
        int events = 0;
        connect(&port, &ComPort::OnRxFlag, this, [&] { ++events; });
        port.Open();
        // Nobody reads: the bytes wait, every chunk with a line feed is announced.
        QVERIFY(device.send("a\n"));
        QTRY_COMPARE(events, 1);
        QVERIFY(device.send("no line feed"));
        QTRY_COMPARE(port.BytesWaiting(), 14);
        QVERIFY(device.send("b\n"));
        QTRY_COMPARE(events, 2);
        QCOMPARE(port.BytesWaiting(), 16);

        QByteArray text;
        QCOMPARE(port.ReadStr(text, 3), 3);
        QCOMPARE(text, QByteArray("a\nn"));
        QCOMPARE(port.ReadStr(text, 100), 13);
        QCOMPARE(text, QByteArray("o line feedb\n"));
        QCOMPARE(port.ReadStr(text, 100), 0);
        QCOMPARE(text, QByteArray());
    }

    void charModeReportsTheBytesWaiting() {
        DeviceEnd device;
        QVERIFY(device.valid());
        ComPort port;
        bind(port, device);
        port.SetRxEvent(ComPort::RxEvent::Chars);
        QList<int> counts;
        int lineEvents = 0;
        connect(&port, &ComPort::OnRxChar, this, [&](int count) { counts << count; });
        connect(&port, &ComPort::OnRxFlag, this, [&] { ++lineEvents; });
        port.Open();

        QVERIFY(device.send("S\rKARN-56"));
        QTRY_VERIFY(!counts.isEmpty() && counts.last() == 9);
        QVERIFY(device.send("10\r\n"));
        QTRY_COMPARE(counts.last(), 13);
        QVERIFY(std::is_sorted(counts.begin(), counts.end()));
        QCOMPARE(lineEvents, 0);

        QByteArray text;
        QCOMPARE(port.ReadStr(text, counts.last()), 13);
        QCOMPARE(text, QByteArray("S\rKARN-5610\r\n"));
        QVERIFY(device.send("E"));
        QTRY_COMPARE(counts.last(), 1);
    }

    void purgingTheInputDiscardsWhatArrived() {
        DeviceEnd device;
        QVERIFY(device.valid());
        ComPort port;
        bind(port, device);
        int events = 0;
        connect(&port, &ComPort::OnRxFlag, this, [&] { ++events; });
        port.Open();

        QVERIFY(device.send("stale line\n"));
        QTRY_COMPARE(port.BytesWaiting(), 11);
        port.ClearBuffer(false, true); // the output only
        QCOMPARE(port.BytesWaiting(), 11);
        port.ClearBuffer(true, false);
        QCOMPARE(port.BytesWaiting(), 0);
        QByteArray text;
        QCOMPARE(port.ReadStr(text, 100), 0);

        // Bytes the system holds but the port has not taken in yet go as well, and are not
        // announced afterwards.
        events = 0;
        QVERIFY(device.send("also stale\n"));
        QThread::msleep(100); // no event loop: the bytes stay with the system
        port.ClearBuffer(true, false);
        QTest::qWait(200);
        QCOMPARE(events, 0);
        QCOMPARE(port.BytesWaiting(), 0);

        QVERIFY(device.send("fresh\n"));
        QTRY_COMPARE(events, 1);
        QCOMPARE(port.ReadStr(text, 100), 6);
        QCOMPARE(text, QByteArray("fresh\n"));
    }

    void theReceiveQueueIsBounded() {
        DeviceEnd device;
        QVERIFY(device.valid());
        ComPort port;
        bind(port, device);
        int events = 0;
        connect(&port, &ComPort::OnRxFlag, this, [&] { ++events; });
        port.Open();

        QByteArray flood;
        for (int i = 0; i < 3000; ++i)
            flood += char('A' + i % 26);
        QVERIFY(device.send(flood));
        QTRY_COMPARE(port.BytesWaiting(), ComPort::kQueueSize);
        QTest::qWait(100);
        QCOMPARE(port.BytesWaiting(), ComPort::kQueueSize);
        // A line feed that finds no room is still announced.
        QVERIFY(device.send("\n"));
        QTRY_COMPARE(events, 1);
        QCOMPARE(port.BytesWaiting(), ComPort::kQueueSize);

        QByteArray text;
        QCOMPARE(port.ReadStr(text, 5000), ComPort::kQueueSize);
        QCOMPARE(text, flood.first(ComPort::kQueueSize)); // the newest bytes were dropped
        QVERIFY(device.send("next\n"));
        QTRY_COMPARE(events, 2);
        QCOMPARE(port.ReadStr(text, 5000), 5);
        QCOMPARE(text, QByteArray("next\n"));
    }

    void aHandlerThatWritesIsNotReentered() {
        DeviceEnd device;
        QVERIFY(device.valid());
        ComPort port;
        bind(port, device);
        int depth = 0;
        int deepest = 0;
        int calls = 0;
        int waitingAfterWrite = -1;
        QByteArray read;
        connect(&port, &ComPort::OnRxFlag, this, [&] {
            deepest = std::max(deepest, ++depth);
            ++calls;
            QByteArray text;
            port.ReadStr(text, 500);
            read += text;
            if (calls == 1) {
                device.send("second\n");
                QThread::msleep(100); // the answer is there before the write starts
                port.WriteStr("reply\r");
                waitingAfterWrite = port.BytesWaiting();
            }
            --depth;
        });
        port.Open();

        QVERIFY(device.send("first\n"));
        QTRY_COMPARE(calls, 2);
        QCOMPARE(deepest, 1);
        QCOMPARE(read, QByteArray("first\nsecond\n"));
        QCOMPARE(device.receive(6), QByteArray("reply\r"));
        QTest::qWait(200);
        QCOMPARE(calls, 2);
        // Taken in while the write waited, announced once after the handler.
        QCOMPARE(waitingAfterWrite, 7);
    }
};

QTEST_GUILESS_MAIN(ComPortTest)
#include "tst_ComPort.moc"
