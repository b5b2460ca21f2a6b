// The logger's server taking whatever a connected client sends: the bytes go over a loopback
// connection in pieces, the server reads and answers them as it does in the program.
#include "net/NetServer.h"
#include "processing/BoardRuntime.h"
#include "settings/BoardConfig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace nimbar;

namespace {

struct Harness {
    int argc = 1;
    char name[16] = "fuzz_net_server";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    BoardConfigs boards{};
    BoardRuntimes runtimes{};
    NetServer server{boards, runtimes, 0};
    QTcpSocket client;

    Harness() {
        fillDefaultBoardConfigs(boards, "C:\\KARN");
        server.openAll();
        connectClient();
    }
    void connectClient() {
        client.abort();
        client.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(server.port(0)));
        client.waitForConnected(3000);
        settle([this] { return !server.listed().isEmpty(); });
    }
    template <typename Done> void settle(Done done) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < 1000)
            app.processEvents(QEventLoop::AllEvents, 10);
    }
};

Harness& harness() {
    static Harness h;
    return h;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Harness& h = harness();
    if (h.client.state() != QAbstractSocket::ConnectedState)
        h.connectClient();
    if (size < 2)
        return 0;
    // The first byte: the link watchdog (serving or paused) and the size of the pieces.
    h.runtimes[0].linkIdle = data[0] & 1 ? 1 : 0;
    constexpr size_t kPieces[] = {1, 2, 4, 5, 6, 10, 64, 4096};
    const size_t piece = kPieces[(data[0] >> 1) % 8];
    // The served line is what the device sent: untrusted as well.
    std::memset(h.runtimes[0].servedLine, 0, sizeof h.runtimes[0].servedLine);
    std::memcpy(h.runtimes[0].servedLine, data + 1,
                std::min(size - 1, sizeof h.runtimes[0].servedLine - 1));
    for (size_t at = 1; at < size; at += piece) {
        h.client.write(reinterpret_cast<const char*>(data + at),
                       static_cast<qint64>(std::min(piece, size - at)));
        h.client.waitForBytesWritten(100);
        h.app.processEvents(QEventLoop::AllEvents, 5);
    }
    h.app.processEvents(QEventLoop::AllEvents, 5);
    h.client.readAll();
    return 0;
}
