// The user's changes to the boards' records, from the configuration and board pages. Page
// handlers write to the records only after start-up.
#include "engine/Engine.h"

#include "device/ComPort.h"
#include "settings/RecordText.h"

namespace nimbar {

void Engine::applyBoardConfigs(const BoardConfigs& boards) {
    m_boards = boards;
}

void Engine::bindPortToAdapter(int portNumber) {
    // Kernel numbers of USB adapters change with the order they appear in; the by-id link
    // follows the adapter itself.
    if (portNumber < 1 || !m_portMap.mappedPath(portNumber).isEmpty())
        return;
    const QString device = systemPortForComNumber(portNumber);
    if (!device.startsWith("/dev/ttyUSB") && !device.startsWith("/dev/ttyACM"))
        return;
    const QString link = serialByIdLink(m_serialByIdDirectory, device);
    if (link.isEmpty())
        return;
    if (!appendPortBinding(m_paths.portMap(), portNumber, link)) {
        ShowStatus(tr("Cannot write %1: COM%2 stays bound to %3.")
                       .arg(m_paths.portMap())
                       .arg(portNumber)
                       .arg(device));
        return;
    }
    m_portMap.insert(portNumber, link);
    for (ComPort* port : m_ports)
        port->SetPortMap(m_portMap);
}

void Engine::RgTC1Click(int b, int sensorIndex) {
    if (!m_started)
        return;
    m_boards[b].tcType = sensorIndex;
}

void Engine::EdInt1Change(int b, int interval) {
    if (!m_started)
        return;
    if (m_kind == BuildKind::Client)
        m_clientSettings.interval[b] = interval;
    else
        m_boards[b].interval = interval;
    m_runtimes[b].recordCountdown = interval;
}

void Engine::EditT1Change(int b, const QString& title) {
    if (!m_started)
        return;
    setFieldText(m_boards[b].jobTitle, title.left(80));
    m_runtimes[b].headerRewrite = true;
}

void Engine::Ed01Change(int b, int ch, const QString& name) {
    if (!m_started)
        return;
    setFieldText(m_boards[b].channelName[ch], name);
    m_runtimes[b].headerRewrite = true;
}

void Engine::Chk01Click(int b, int ch, bool visible) {
    if (!m_started)
        return;
    m_boards[b].channelVisible[ch] = visible ? 1 : 0;
}

void Engine::setChartTitle(int b, const QString& title) {
    setFieldText(m_boards[b].chartTitle, title.left(80));
    m_runtimes[b].headerRewrite = true;
}

void Engine::setValueAxisTitle(int b, const QString& title) {
    setFieldText(m_boards[b].yAxisTitle, title.left(80));
    m_runtimes[b].headerRewrite = true;
}

void Engine::DirectoryListBox1Change(const QString& directory) {
    if (!m_started)
        return;
    m_dataDirectory = directory;
    m_feed.setDataDirectory(m_dataDirectory);
}

} // namespace nimbar
