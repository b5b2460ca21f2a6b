// The main window's network handlers: they hand the work to the server (logger build) or the
// client (client build) and show what those report.
#include "app/TForm1.h"

#include "app/RecordText.h"
#include "display/BoardMemo.h"
#include "display/LiveChart.h"
#include "net/AllowList.h"
#include "net/NetClient.h"
#include "net/NetServer.h"
#include "net/NetTexts.h"
#include "processing/InvalidValue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

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

void TForm1::createNetwork() {
    const int firstPort = firstBoardPort();
    QPlainTextEdit* receiveMemo = m_clientPage.receiveMemo;
    QPlainTextEdit* sendMemo = m_clientPage.sendMemo;
    if (m_kind == BuildKind::Logger) {
        m_server = new NetServer(m_boards, m_runtimes, firstPort, this);
        connect(m_server, &NetServer::receiveLogged, receiveMemo, &QPlainTextEdit::appendPlainText);
        connect(m_server, &NetServer::sendLogged, sendMemo, &QPlainTextEdit::appendPlainText);
        connect(m_server, &NetServer::statusShown, this, &TForm1::ShowStatus);
        connect(m_server, &NetServer::listChanged, this, [this](const QStringList& lines) {
            m_clientPage.listMemo->setPlainText(lines.join('\n'));
        });
        connect(m_server, &NetServer::unhandledError, this,
                [this](const QString& text) { m_exceptionLog.append("TServerWinSocket", text); });
        connect(m_server, &NetServer::listenFailed, this, [this](int port, const QString& reason) {
            const QString text = listenFailedText(port, reason, m_korean);
            m_clientPage.receiveMemo->appendPlainText(text);
            ShowStatus(text);
        });
        connect(m_clientPage.netOffBox, &QCheckBox::clicked, this,
                [this] { guarded([this] { ChkNetOffClick(); }); });
        return;
    }

    m_client = new NetClient(m_runtimes, m_clientSettings, firstPort, this);
    connect(m_client, &NetClient::receiveLogged, receiveMemo, &QPlainTextEdit::appendPlainText);
    connect(m_client, &NetClient::sendLogged, sendMemo, &QPlainTextEdit::appendPlainText);
    connect(m_client, &NetClient::statusShown, this, &TForm1::ShowStatus);
    connect(m_client, &NetClient::serverListed, m_clientPage.listMemo,
            &QPlainTextEdit::appendPlainText);
    connect(m_client, &NetClient::boardConnected, this,
            [this](int b) { guarded([this, b] { CS1Connect(b); }); });
    connect(m_client, &NetClient::boardDisconnected, this,
            [this](int b) { guarded([this, b] { CS1Disconnect(b); }); });
    connect(m_client, &NetClient::boardError, this, [this](int b, const QString& text) {
        guarded([this, b] { CS1Disconnect(b); });
        m_exceptionLog.append("TClientWinSocket", text);
    });
    connect(m_client, &NetClient::measurementReceived, this, [this](int b, const QByteArray& line) {
        guarded([this, b, &line] { ProcessLine(b, line.constData()); });
    });
    connect(m_client, &NetClient::configurationReceived, this,
            [this](int b, const BoardConfig& config) {
                guarded([this, b, &config] { installReceivedConfig(b, config); });
            });
    for (int b = 0; b < kBoardCount; ++b) {
        BoardControls& c = m_controls[b];
        c.configButton->setEnabled(false);
        connect(c.connectButton, &QPushButton::clicked, this,
                [this, b] { guarded([this, b] { BtConnect1Click(b); }); });
        connect(c.configButton, &QPushButton::clicked, this,
                [this, b] { guarded([this, b] { BtC1Click(b); }); });
        connect(c.remoteBoardUpDown, &QSpinBox::valueChanged, this,
                [this, b] { guarded([this, b] { UDPort1Click(b); }); });
    }
}

void TForm1::openServers() {
    if (!m_server)
        return;
    m_server->setKorean(m_korean);
    const AllowList allowList = AllowList::load(m_paths.allowList());
    m_server->setAllowList(allowList);
    m_server->openAll();
    if (!allowList.errorLines().isEmpty())
        ShowStatus(allowListErrorText(QFileInfo(m_paths.allowList()).fileName(),
                                      allowList.errorLines(), m_korean));
}

void TForm1::ChkNetOffClick() {
    if (!m_server)
        return;
    m_server->setKorean(m_korean);
    if (m_clientPage.netOffBox->isChecked())
        m_server->disableNetworking();
    else
        m_server->openAll();
}

void TForm1::Timer2Timer() {
    if (m_client)
        m_client->tick(chartBusy);
}

void TForm1::BtConnect1Click(int b) {
    if (!m_client)
        return;
    m_client->setKorean(m_korean);
    if (m_client->isConnected(b)) {
        m_client->disconnectBoard(b);
        return;
    }
    QComboBox* addresses = m_controls[b].addressCombo;
    const QString address = addresses->currentText();
    if (address.isEmpty()) {
        ShowStatus(inputAddressText(m_korean));
        return;
    }
    if (addresses->findText(address, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0) {
        addresses->insertItem(0, address);
        addresses->setCurrentIndex(0);
    }
    m_client->connectBoard(b, address);
}

void TForm1::BtC1Click(int b) {
    if (m_client)
        m_client->requestConfiguration(b);
}

void TForm1::UDPort1Click(int b) {
    m_clientSettings.remoteBoard[b] = m_controls[b].remoteBoardUpDown->value() - 1;
}

void TForm1::CS1Connect(int b) {
    BoardRuntime& runtime = m_runtimes[b];
    BoardControls& c = m_controls[b];
    runtime.sampleCount = 0;
    c.chart->clearPoints();
    c.chart->refresh();
    for (int i = 0; i < kChannelCount; ++i) {
        runtime.filters[i].clear();
        runtime.values[i] = InvalidValue;
    }
    c.memo->clear();
    publishBoard(b);
    c.connectButton->setText(disconnectCaption(m_korean));
    c.configButton->setEnabled(true);
}

void TForm1::CS1Disconnect(int b) {
    BoardControls& c = m_controls[b];
    publishBoard(b);
    c.connectButton->setText(connectCaption(m_korean));
    c.configButton->setEnabled(false);
}

void TForm1::installReceivedConfig(int b, const BoardConfig& received) {
    BoardConfig& board = m_boards[b];
    // The record is the logger's; the client's own directory, language and Elapse option stay.
    const BoardConfig own = board;
    board = received;
    std::memcpy(board.dataDir, own.dataDir, sizeof board.dataDir);
    board.english = own.english;
    board.elapsedAxis = own.elapsedAxis;
    SetupBoardDisplay(b);
    EnableBoardControls(b, true);
    FillConfigPage(b);
    EnableBoardControls(b, false);
    m_runtimes[b].headerRewrite = true;
    ShowStatus("OK");
}

void TForm1::connectAtStart(const QString& host) {
    m_connectHost = host.trimmed();
}

void TForm1::startConnections() {
    if (!m_client || m_connectHost.isEmpty())
        return;
    m_client->setRetry(true);
    for (int b = 0; b < kBoardCount; ++b) {
        QComboBox* addresses = m_controls[b].addressCombo;
        const int existing =
            addresses->findText(m_connectHost, Qt::MatchFixedString | Qt::MatchCaseSensitive);
        if (existing >= 0)
            addresses->removeItem(existing);
        addresses->insertItem(0, m_connectHost);
        addresses->setCurrentIndex(0);
        BtConnect1Click(b);
    }
}

} // namespace nimbar
