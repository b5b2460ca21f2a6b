#include "app/TForm1.h"

#include "device/ComPort.h"
#include "device/ConfigReport.h"
#include "device/DeviceCommands.h"
#include "device/DeviceTexts.h"
#include "device/LineAcceptance.h"
#include "processing/OutputControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QPushButton>

#include <utility>

namespace nimbar {

void TForm1::createPorts() {
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
    for (int b = 0; b < kBoardCount; ++b)
        connect(m_controls[b].getButton, &QPushButton::clicked, this,
                [this, b] { guarded([&] { BtnGet1Click(b); }); });
}

void TForm1::reportPortMapErrors() {
    // Shown once the language is known: the combos are filled before the settings are read.
    if (!m_portMap.errorLines().isEmpty())
        ShowStatus(portMapErrorText(QFileInfo(m_paths.portMap()).fileName(), m_portMap.errorLines(),
                                    m_korean));
}

void TForm1::fillPortCombos() {
    m_portMap = PortMap::load(m_paths.portMap());
    const QStringList names = EnumComPorts(m_portMap);
    for (BoardControls& c : m_controls) {
        c.portCombo->clear();
        c.portCombo->addItem("No Use");
        c.portCombo->addItems(names);
    }
    for (ComPort* port : m_ports) {
        port->SetPortMap(m_portMap);
        port->SetBaudRate(9600);
    }
}

void TForm1::openBoardPort(ComPort* port) {
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

void TForm1::openBoardPorts() {
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
        m_prompts->showMessage(this, openingPortFailedText(m_korean));
}

void TForm1::boardPortLost(int b, const QString& cause) {
    m_exceptionLog.append(comPort(b)->metaObject()->className(), cause);
    ShowStatus(portLostText(comPort(b)->Port(), m_korean));
    m_portLost[static_cast<std::size_t>(b)] = true;
    m_reopenTimer.start();
}

void TForm1::reopenLostPorts() {
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

void TForm1::ComPort1AfterOpen(int b) {
    ComPort* port = comPort(b);
    port->ClearBuffer(true, true);
    port->WriteStr(kCmdStartStream.toByteArray());
    // A device that was away missed the output changes meanwhile: it gets the current state.
    if (m_portLost[static_cast<std::size_t>(b)] && m_controls[b].interlockBox->isChecked())
        port->WriteStr(outputStateCommand(m_runtimes[b].modelClass, m_runtimes[b].doState));
    ShowStatus(portOpenedText(port->Port(), m_korean));
}

void TForm1::ComPort1RxFlag(int b) {
    ComPort* port = comPort(b);
    QByteArray received;
    port->ReadStr(received, kLineReadMax);
    if (acceptLine(m_runtimes[b], received, chartBusy) != LineVerdict::Accept)
        port->ClearBuffer(true, true);
}

bool TForm1::writeBoardCommand(int b, const QByteArray& command) {
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

void TForm1::switchOutputsOff() {
    for (int b = 0; b < kBoardCount; ++b) {
        BoardRuntime& runtime = m_runtimes[b];
        if (runtime.modelClass != 0)
            runtime.doState = 0;
        writeBoardCommand(b, outputStateCommand(runtime.modelClass, 0));
    }
}

void TForm1::closePorts() {
    for (ComPort* port : m_ports)
        port->Close();
}

void TForm1::BtnGet1Click(int b) {
    // The exchange takes the device over; a lost board port is no longer reopened for it.
    m_portLost[static_cast<std::size_t>(b)] = false;
    comPort(b)->Close();
    comPort(kExchangePort)->Close();
    QComboBox* combo = m_controls[b].portCombo;
    if (combo->currentIndex() <= 0) {
        ShowStatus(selectPortText(m_korean));
        return;
    }
    m_exchangeBoard = b;
    ComPort* port = comPort(kExchangePort);
    try {
        port->SetPort(combo->currentText());
        port->Open();
        port->ClearBuffer(true, true);
        port->WriteStr(kCmdConfigReport.toByteArray());
        beginExchange(b);
    } catch (const PortError&) {
        ShowStatus(cannotOpenPortText(combo->currentText(), m_korean));
    }
}

void TForm1::beginExchange(int b) {
    m_reply.reset();
    m_timerC.start();
    for (BoardControls& c : m_controls)
        c.getButton->setEnabled(false);
    m_exchangeActive[static_cast<std::size_t>(b)] = true;
}

void TForm1::endExchange(int b) {
    m_timerC.stop();
    for (BoardControls& c : m_controls)
        c.getButton->setEnabled(true);
    m_exchangeActive[static_cast<std::size_t>(b)] = false;
}

void TForm1::ComPort5RxChar(int count) {
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

void TForm1::TimerCTimer() {
    m_timerC.stop();
    const int b = m_exchangeBoard;
    if (m_exchangeActive[static_cast<std::size_t>(b)])
        m_prompts->showMessage(this, noReplyText(m_korean));
    endExchange(b);
}

void TForm1::applyConfigReport(int b, const QByteArray& frame) {
    const ConfigReport report = ParseConfigReport(frame);
    if (report.modelClass)
        m_runtimes[b].modelClass = *report.modelClass;
    ConfigReportError error = report.error;
    if (error == ConfigReportError::None)
        error = ApplyConfigReport(m_boards[b], b, PortNumberOf(m_controls[b].portCombo), report);
    if (error != ConfigReportError::None) {
        m_prompts->showMessage(this, configReportText(error, m_korean));
        return;
    }
    refreshRangeCombos(b);
    EnableBoardControls(b, true);
    FillConfigPage(b);
    EnableBoardControls(b, false);
    m_prompts->showMessage(this, configOkText(m_korean));
}

} // namespace nimbar
