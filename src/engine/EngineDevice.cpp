#include "engine/Engine.h"

#include "device/ComPort.h"
#include "device/ConfigReport.h"
#include "device/DeviceCommands.h"
#include "device/DeviceTexts.h"
#include "device/LineAcceptance.h"
#include "processing/OutputControl.h"

#include <QFileInfo>

#include <utility>

namespace nimbar {

void Engine::createPorts() {
    for (int i = 0; i < 5; ++i) {
        auto* port = new ComPort(this);
        port->setObjectName(QString("ComPort%1").arg(i + 1));
        m_ports[static_cast<std::size_t>(i)] = port;
    }
    for (int b = 0; b < kBoardCount; ++b) {
        ComPort* port = comPort(b);
        port->SetRxEvent(ComPort::RxEvent::LineFeed);
        connect(port, &ComPort::OnAfterOpen, this, [this, b] {
            guarded([&] {
                try {
                    ComPort1AfterOpen(b);
                } catch (const PortError&) {
                    m_greetingError = std::current_exception();
                }
            });
        });
        connect(port, &ComPort::OnRxFlag, this, [this, b] { guarded([&] { ComPort1RxFlag(b); }); });
        connect(port, &ComPort::OnLost, this,
                [this, b](const QString& cause) { guarded([&] { boardPortLost(b, cause); }); });
    }
    comPort(kExchangePort)->SetRxEvent(ComPort::RxEvent::Chars);
    connect(comPort(kExchangePort), &ComPort::OnRxChar, this,
            [this](int count) { guarded([&] { ComPort5RxChar(count); }); });
    m_timerC.setInterval(5000);
    connect(&m_timerC, &QTimer::timeout, this, [this] { guarded([this] { TimerCTimer(); }); });
    m_reopenTimer.setInterval(5000);
    connect(&m_reopenTimer, &QTimer::timeout, this,
            [this] { guarded([this] { reopenLostPorts(); }); });
}

void Engine::reportPortMapErrors() {
    // Shown once the language is known: the combos are filled before the settings are read.
    if (!m_portMap.errorLines().isEmpty())
        ShowStatus(portMapErrorText(QFileInfo(m_paths.portMap()).fileName(), m_portMap.errorLines(),
                                    m_korean));
}

void Engine::loadPortMap() {
    m_portMap = PortMap::load(m_paths.portMap());
    m_portNames = EnumComPorts(m_portMap);
    for (ComPort* port : m_ports) {
        port->SetPortMap(m_portMap);
        port->SetBaudRate(9600);
    }
}

void Engine::openBoardPort(ComPort* port) {
    try {
        port->Open();
        // A port that cannot be greeted fails like one that cannot be opened.
        if (m_greetingError)
            std::rethrow_exception(std::exchange(m_greetingError, nullptr));
        // Only the input: purging the output now would throw away the greeting that the
        // after-open handler has just written, before the device has read it.
        port->ClearBuffer(true, false);
    } catch (const PortError&) {
        port->Close();
        throw;
    }
}

void Engine::openBoardPorts() {
    // Every board's port is tried before a box is shown: an unattended start with one adapter
    // missing must not keep the other boards from recording until someone clicks OK. A port
    // that fails is looked for again on the reopen timer, like one lost while running.
    int failures = 0;
    for (int b = 0; b < kBoardCount; ++b) {
        const int number = portNumber(m_boards[b]);
        if (number < 1)
            continue;
        ComPort* port = comPort(b);
        try {
            port->SetPort(QString("COM%1").arg(number));
            openBoardPort(port);
        } catch (const PortError& error) {
            m_exceptionLog.append(port->metaObject()->className(), error.what());
            m_portLost[static_cast<std::size_t>(b)] = true;
            ++failures;
        }
    }
    if (failures > 0)
        m_reopenTimer.start();
    for (int i = 0; i < failures; ++i)
        emit messageShown(openingPortFailedText(m_korean));
}

void Engine::boardPortLost(int b, const QString& cause) {
    m_exceptionLog.append(comPort(b)->metaObject()->className(), cause);
    ShowStatus(portLostText(comPort(b)->Port(), m_korean));
    m_portLost[static_cast<std::size_t>(b)] = true;
    m_reopenTimer.start();
    emit portLost(b);
}

void Engine::reopenLostPorts() {
    bool anyLost = false;
    for (int b = 0; b < kBoardCount; ++b) {
        if (!m_portLost[static_cast<std::size_t>(b)])
            continue;
        try {
            openBoardPort(comPort(b));
            m_portLost[static_cast<std::size_t>(b)] = false;
        } catch (const PortError&) {
            anyLost = true; // still away; tried again at the next tick
        }
    }
    if (!anyLost)
        m_reopenTimer.stop();
}

void Engine::ComPort1AfterOpen(int b) {
    ComPort* port = comPort(b);
    port->ClearBuffer(true, true);
    port->WriteStr(kCmdStartStream.toByteArray());
    // A device that was away missed the output changes meanwhile: it gets the current state.
    if (m_portLost[static_cast<std::size_t>(b)] && m_interlocked[static_cast<std::size_t>(b)])
        port->WriteStr(outputStateCommand(m_runtimes[b].modelClass, m_runtimes[b].doState));
    ShowStatus(portOpenedText(port->Port(), m_korean));
    emit portOpened(b);
}

void Engine::ComPort1RxFlag(int b) {
    ComPort* port = comPort(b);
    QByteArray received;
    port->ReadStr(received, kLineReadMax);
    if (acceptLine(m_runtimes[b], received, chartBusy) != LineVerdict::Accept)
        port->ClearBuffer(true, true);
}

bool Engine::writeBoardCommand(int b, const QByteArray& command) {
    ComPort* port = comPort(b);
    if (!port->Connected())
        return false;
    // A command that cannot be written must not end the pipeline step that sent it.
    try {
        port->WriteStr(command);
        return true;
    } catch (const PortError& error) {
        m_exceptionLog.append(port->metaObject()->className(), error.what());
        return false;
    }
}

void Engine::switchOutputsOff() {
    for (int b = 0; b < kBoardCount; ++b) {
        BoardRuntime& runtime = m_runtimes[b];
        if (runtime.modelClass != 0)
            runtime.doState = 0;
        writeBoardCommand(b, outputStateCommand(runtime.modelClass, 0));
    }
}

void Engine::closePorts() {
    for (ComPort* port : m_ports)
        port->Close();
}

void Engine::BtnGet1Click(int b, const QString& portName) {
    // The exchange takes the device over; a lost board port is no longer reopened for it.
    m_portLost[static_cast<std::size_t>(b)] = false;
    comPort(b)->Close();
    comPort(kExchangePort)->Close();
    if (portName.isEmpty()) {
        ShowStatus(selectPortText(m_korean));
        return;
    }
    m_exchangeBoard = b;
    m_exchangePortNumber = comPortNumber(portName);
    ComPort* port = comPort(kExchangePort);
    try {
        port->SetPort(portName);
        port->Open();
        port->ClearBuffer(true, true);
        port->WriteStr(kCmdConfigReport.toByteArray());
        beginExchange(b);
    } catch (const PortError&) {
        ShowStatus(cannotOpenPortText(portName, m_korean));
    }
}

void Engine::beginExchange(int b) {
    m_reply.reset();
    m_timerC.start();
    m_exchangeActive[static_cast<std::size_t>(b)] = true;
    emit exchangeChanged(true);
}

void Engine::endExchange(int b) {
    m_timerC.stop();
    m_exchangeActive[static_cast<std::size_t>(b)] = false;
    emit exchangeChanged(false);
}

void Engine::ComPort5RxChar(int count) {
    const int b = m_exchangeBoard;
    if (!m_exchangeActive[static_cast<std::size_t>(b)])
        return;
    QByteArray received;
    comPort(kExchangePort)->ReadStr(received, count);
    for (const char c : received) {
        if (m_reply.feed(c)) {
            const QByteArray frame = m_reply.frame();
            endExchange(b);
            applyConfigReport(b, frame);
            m_reply.reset();
            return;
        }
    }
}

void Engine::TimerCTimer() {
    m_timerC.stop();
    const int b = m_exchangeBoard;
    if (m_exchangeActive[static_cast<std::size_t>(b)])
        emit messageShown(noReplyText(m_korean));
    endExchange(b);
}

void Engine::applyConfigReport(int b, const QByteArray& frame) {
    const ConfigReport report = ParseConfigReport(frame);
    if (report.modelClass)
        m_runtimes[b].modelClass = *report.modelClass;
    ConfigReportError error = report.error;
    if (error == ConfigReportError::None)
        error = ApplyConfigReport(m_boards[b], b, m_exchangePortNumber, report);
    if (error != ConfigReportError::None) {
        emit messageShown(configReportText(error, m_korean));
        return;
    }
    emit configReportApplied(b);
    emit messageShown(configOkText(m_korean));
}

} // namespace nimbar
