#include "engine/Engine.h"

#include "device/ComPort.h"
#include "net/NetClient.h"
#include "net/NetServer.h"

namespace nimbar {

Engine::Engine(BuildKind kind, ProgramPaths paths, QObject* parent)
    : QObject(parent), m_kind(kind), m_paths(std::move(paths)),
      m_exceptionLog(m_paths.exceptionLog()) {
    setObjectName("Engine");
    for (BoardRuntime& runtime : m_runtimes) {
        runtime = BoardRuntime{};
        for (int ch = 0; ch < kChannelCount; ++ch) {
            runtime.values[ch] = 0.0;
            runtime.status[ch] = 1;
        }
    }
    m_timer1.setInterval(1000);
    m_timer2.setInterval(1000);
    connect(&m_timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });
    connect(&m_timer2, &QTimer::timeout, this, [this] { guarded([this] { Timer2Timer(); }); });
    createPorts();
    createNetwork();
    // A listener's notice (a broker lost, a port taken) is said where the status goes.
    connect(&m_feed, &LiveFeed::userNotice, this, &Engine::ShowStatus);
    connect(&m_writer, &RecordingWriter::recordLost, this, &Engine::reportLostRecord);
    connect(&m_writer, &RecordingWriter::queueFull, this, [this](int capacity) {
        ShowStatus(tr("Records are being lost: the disk has not kept up and %1 records are "
                      "waiting to be written.")
                       .arg(capacity));
    });
}

Engine::~Engine() = default;

void Engine::ShowStatus(const QString& text) {
    emit statusShown(text);
    if (!text.isEmpty())
        m_feed.publishStatus(text);
}

bool Engine::manualOutput(int board, int output) const {
    return m_manualOutputs[static_cast<std::size_t>(board)][static_cast<std::size_t>(output)];
}

} // namespace nimbar
