// The engine's network side: it hands the work to the server (logger build) or the client
// (client build) and reports what those tell.
#include "engine/Engine.h"

#include "net/AllowList.h"
#include "net/NetClient.h"
#include "net/NetServer.h"
#include "net/NetTexts.h"
#include "processing/InvalidValue.h"

#include <QFileInfo>

#include <cstring>

namespace nimbar {

namespace {

// Tests and a second logger on one machine move the four ports with NIMBAR_BASE_PORT (0: any
// free ports, for tests of the window).
int firstBoardPort() {
    bool ok = false;
    const int port = qEnvironmentVariableIntValue("NIMBAR_BASE_PORT", &ok);
    return ok && port >= 0 && port <= 65535 - kBoardCount ? port : kFirstBoardPort;
}

} // namespace

void Engine::createNetwork() {
    const int firstPort = firstBoardPort();
    if (m_kind == BuildKind::Logger) {
        m_server = new NetServer(m_boards, m_runtimes, firstPort, this);
        connect(m_server, &NetServer::receiveLogged, this, &Engine::receiveLogged);
        connect(m_server, &NetServer::sendLogged, this, &Engine::sendLogged);
        connect(m_server, &NetServer::statusShown, this, &Engine::ShowStatus);
        connect(m_server, &NetServer::listChanged, this, &Engine::clientListChanged);
        connect(m_server, &NetServer::unhandledError, this,
                [this](const QString& text) { m_exceptionLog.append("TServerWinSocket", text); });
        connect(m_server, &NetServer::listenFailed, this, [this](int port, const QString& reason) {
            m_listenFailure = listenFailedText(port, reason, m_korean);
            emit receiveLogged(m_listenFailure);
            m_exceptionLog.append("TServerWinSocket", m_listenFailure);
        });
        return;
    }

    m_client = new NetClient(m_runtimes, m_clientSettings, firstPort, this);
    connect(m_client, &NetClient::receiveLogged, this, &Engine::receiveLogged);
    connect(m_client, &NetClient::sendLogged, this, &Engine::sendLogged);
    connect(m_client, &NetClient::statusShown, this,
            [this](const QString& text) { ShowStatus(withLostBoards(text)); });
    connect(m_client, &NetClient::serverListed, this, &Engine::serverListed);
    connect(m_client, &NetClient::boardConnected, this,
            [this](int b) { guarded([this, b] { CS1Connect(b); }); });
    connect(m_client, &NetClient::boardDisconnected, this,
            [this](int b) { guarded([this, b] { CS1Disconnect(b); }); });
    connect(m_client, &NetClient::boardError, this, [this](int b, const QString& text) {
        guarded([this, b] { CS1Disconnect(b); });
        m_exceptionLog.append("TClientWinSocket", text);
    });
    connect(m_client, &NetClient::measurementReceived, this, [this](int b, const QByteArray& line) {
        guarded([this, b, &line] { receiveMeasurement(b, line); });
    });
    connect(m_client, &NetClient::configurationReceived, this,
            [this](int b, const BoardConfig& config) {
                guarded([this, b, &config] { installReceivedConfig(b, config); });
            });
}

void Engine::openServers() {
    if (!m_server)
        return;
    m_server->setKorean(m_korean);
    const AllowList allowList = AllowList::load(m_paths.allowList());
    m_server->setAllowList(allowList);
    m_listenFailure.clear();
    m_server->openAll();
    if (!allowList.errorLines().isEmpty())
        ShowStatus(allowListErrorText(QFileInfo(m_paths.allowList()).fileName(),
                                      allowList.errorLines(), m_korean));
    if (m_listenFailure.isEmpty()) {
        setListenProblem(QString());
        return;
    }
    // Said once, a taken port would be gone with the next status: it stays on the page.
    QStringList unserved;
    for (int b = 0; b < kBoardCount; ++b) {
        if (!m_server->isListening(b))
            unserved << QString("DAQ%1").arg(b + 1);
    }
    setListenProblem(m_listenFailure + "  " +
                     tr("Not shared on the network: %1").arg(unserved.join(", ")));
    ShowStatus(m_listenProblem);
}

void Engine::setListenProblem(const QString& text) {
    if (text == m_listenProblem)
        return;
    m_listenProblem = text;
    emit listenProblemChanged(text);
}

void Engine::ChkNetOffClick(bool networkingOff) {
    if (!m_server)
        return;
    m_server->setKorean(m_korean);
    if (networkingOff) {
        m_server->disableNetworking();
        setListenProblem(QString());
    } else {
        openServers();
    }
}

void Engine::Timer2Timer() {
    emit ticked();
    if (m_client)
        m_client->tick(chartBusy);
}

void Engine::BtConnect1Click(int b, const QString& address) {
    if (!m_client)
        return;
    m_client->setKorean(m_korean);
    if (m_client->isConnected(b)) {
        m_client->disconnectBoard(b);
        return;
    }
    if (address.isEmpty()) {
        ShowStatus(inputAddressText(m_korean));
        return;
    }
    if (!m_addresses[static_cast<std::size_t>(b)].contains(address)) {
        m_addresses[static_cast<std::size_t>(b)].prepend(address);
        emit addressesChanged(b);
    }
    m_client->connectBoard(b, address);
}

void Engine::BtC1Click(int b) {
    if (m_client)
        m_client->requestConfiguration(b);
}

void Engine::UDPort1Click(int b, int remoteBoard) {
    m_clientSettings.remoteBoard[b] = remoteBoard;
}

void Engine::CS1Connect(int b) {
    m_linked[static_cast<std::size_t>(b)] = true;
    BoardRuntime& runtime = m_runtimes[b];
    runtime.sampleCount = 0;
    for (int i = 0; i < kChannelCount; ++i) {
        runtime.filters[i].clear();
        runtime.values[i] = InvalidValue;
    }
    publishBoard(b);
    emit boardConnected(b);
}

void Engine::CS1Disconnect(int b) {
    const auto i = static_cast<std::size_t>(b);
    // An error comes before its disconnect, and a retry that fails has no connection to end.
    const bool ended = m_linked[i];
    m_linked[i] = false;
    const bool lost = ended && !m_client->endedByUser(b) && !m_lostSince[i].isValid();
    if (lost)
        m_lostSince[i] = now();
    publishBoard(b);
    emit boardDisconnected(b);
    if (lost)
        emit boardStaleChanged(b);
}

void Engine::receiveMeasurement(int b, const QByteArray& line) {
    const auto i = static_cast<std::size_t>(b);
    m_lastLine[i] = now();
    if (m_lostSince[i].isValid()) {
        m_lostSince[i] = QDateTime();
        emit boardStaleChanged(b);
    }
    ProcessLine(b, line.constData());
}

QString Engine::withLostBoards(const QString& text) const {
    QStringList lost;
    for (int b = 0; b < kBoardCount; ++b) {
        const auto i = static_cast<std::size_t>(b);
        if (m_lostSince[i].isValid() && !m_linked[i])
            lost << tr("DAQ%1 since %2").arg(b + 1).arg(m_lostSince[i].toString("hh:mm:ss"));
    }
    if (lost.isEmpty())
        return text;
    const QString names = tr("Lost: %1").arg(lost.join(", "));
    return text.isEmpty() ? names : text + "  " + names;
}

void Engine::installReceivedConfig(int b, const BoardConfig& received) {
    BoardConfig& board = m_boards[b];
    // The record is the logger's; the client's own directory, language and Elapse option stay.
    const BoardConfig own = board;
    board = received;
    std::memcpy(board.dataDir, own.dataDir, sizeof board.dataDir);
    board.english = own.english;
    board.elapsedAxis = own.elapsedAxis;
    SetupBoard(b);
    emit boardChanged(b);
    m_runtimes[b].headerRewrite = true;
    ShowStatus("OK");
}

void Engine::connectAtStart(const QString& host) {
    m_connectHost = host.trimmed();
}

void Engine::startConnections() {
    if (!m_client || m_connectHost.isEmpty())
        return;
    m_client->setRetry(true);
    for (int b = 0; b < kBoardCount; ++b) {
        QStringList& addresses = m_addresses[static_cast<std::size_t>(b)];
        addresses.removeAll(m_connectHost);
        addresses.prepend(m_connectHost);
        emit addressesChanged(b);
        BtConnect1Click(b, m_connectHost);
    }
}

} // namespace nimbar
