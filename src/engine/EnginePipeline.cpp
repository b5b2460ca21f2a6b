#include "engine/Engine.h"

#include "net/NetClient.h"
#include "processing/ChannelConversion.h"
#include "processing/ColdJunction.h"
#include "processing/DateTimeValue.h"
#include "processing/DeviceCode.h"
#include "processing/InvalidValue.h"
#include "processing/MeasurementLine.h"
#include "recording/RecordingFile.h"
#include "settings/NumberText.h"

#include <cmath>
#include <limits>

namespace nimbar {

namespace {

constexpr double kReferenceJumpLimit = 10.0;

bool isLinear(char boardLetter, int typeCode) {
    return boardLetter == 'V' || typeCode == 0 || typeCode == kTypePerChannel;
}

} // namespace

void Engine::ProcessLine(int b, const char* line) {
    const QDateTime nowTime = m_clock();
    const double now = toDateTimeValue(nowTime);
    BoardConfig& board = m_boards[b];
    BoardRuntime& runtime = m_runtimes[b];

    publishBoard(b);
    emit lineArrived(b);
    if (strnlen(line, kLineBufferSize) < 10)
        return;

    if (runtime.sampleCount < 1) {
        runtime.startTime = now;
        m_feed.setRecordingStart(b, nowTime);
        startRecordingFile(b, nowTime);
        emit runStarted(b);
    }
    runtime.linkIdle = -2;

    const MeasurementCodes codes = parseMeasurementLine(line, kLineBufferSize, runtime.modelClass);
    std::optional<double> reference;
    if (runtime.modelClass == 0 && runtime.typeLetter == 'V') {
        reference = codes[0] * runtime.scale[0];
    } else {
        if (runtime.modelClass == 0) {
            reference = CjTempFromSensor(codes[0] * runtime.scale[0], board.cjcRefVolts);
            // Without Vs the reference and every thermocouple are invalid and hidden: say why.
            const bool missing = !(board.cjcRefVolts > 0.0);
            if (missing && !runtime.refVoltsMissingReported)
                ShowStatus(tr("DAQ%1: the reference voltage Vs is not set, so CH0 and the "
                              "thermocouple channels are invalid.")
                               .arg(b + 1));
            runtime.refVoltsMissingReported = missing;
        } else if (const auto field = referenceField(line, kLineBufferSize)) {
            reference = CjTempFromFixedPoint(*field) + board.cjcRefVolts;
        }
        if (reference && !std::isfinite(*reference))
            reference.reset();
        if (reference && runtime.sampleCount > 2 &&
            std::abs(*reference - runtime.prevRefTemp) > kReferenceJumpLimit)
            reference = runtime.prevRefTemp;
    }
    runtime.values[0] = reference.value_or(InvalidValue);
    runtime.status[0] = reference ? 0 : 1;

    // The fixed reference is read once per line; a text that is not a number makes this
    // board's thermocouple channels invalid instead of stopping the tick for every board.
    std::optional<FixedReference> fixedReference;
    for (int ch = 1; ch < kChannelCount; ++ch) {
        const int typeCode = channelTypeCode(board, ch);
        std::optional<double> value =
            CodeToMillivolts(codes[static_cast<std::size_t>(ch)], runtime.scale[ch], board.corrA1,
                             board.corrA0, board.gainT1[ch], board.offsetT0[ch]);
        // A type code outside the letters (a foreign file or record) has no meaning to
        // convert by: the channel is invalid rather than shown as millivolts.
        if (!knownTypeCode(board.channelType[ch]))
            value.reset();
        if (value && !isLinear(runtime.typeLetter, typeCode)) {
            if (!fixedReference)
                fixedReference = readFixedReference();
            value = fixedReference->use && !std::isfinite(fixedReference->tempC)
                        ? std::nullopt
                        : ConvertChannel(runtime.typeLetter, typeCode, *value, reference,
                                         *fixedReference);
        }
        runtime.values[ch] = value.value_or(InvalidValue);
        runtime.status[ch] = value ? 0 : 1;
    }
    if (reference)
        runtime.prevRefTemp = *reference;

    const int window = std::clamp(board.queueLength, 0, 3600);
    for (int i = 0; i < kChannelCount; ++i)
        runtime.values[i] = runtime.filters[i].filter(runtime.values[i], window);

    EvaluateAlarms(b, now);

    if (m_kind == BuildKind::Logger) {
        if (runtime.sampleCount > 0 && runtime.recordCountdown > 0) {
            publishLine(b, nowTime, now, false);
            return;
        }
        runtime.recordCountdown = board.interval;
    }
    runtime.lineReady = false;
    hideChannelsInvalidFromStart(b);
    ++runtime.sampleCount;

    if (nowTime.time().hour() != runtime.fileHour || nowTime.date() != runtime.fileDay)
        startRecordingFile(b, nowTime);
    if (runtime.headerRewrite) {
        m_writer.rewriteHeader(runtime.filePath, buildRecordingHeader(board, runtime.startTime));
        runtime.headerRewrite = false;
    }
    appendRecord(b, now);
    publishLine(b, nowTime, now, true);
}

void Engine::hideChannelsInvalidFromStart(int b) {
    BoardRuntime& runtime = m_runtimes[b];
    if (runtime.sampleCount >= 5)
        return;
    for (int i = 0; i < kChannelCount; ++i)
        if (runtime.status[i] != 0)
            m_boards[b].channelVisible[i] = 0;
}

void Engine::publishLine(int b, const QDateTime& time, double timeValue, bool recorded) {
    const BoardRuntime& runtime = m_runtimes[b];
    LiveLine line;
    line.board = b;
    line.time = time;
    line.timeValue = timeValue;
    line.values = runtime.values;
    for (int ch = 0; ch < kChannelCount; ++ch)
        line.valid[ch] = runtime.status[ch] == 0;
    line.alarms = runtime.alarmState;
    line.recorded = recorded;
    emit lineProcessed(line);
    m_feed.publishLine(line);
}

void Engine::publishBoard(int b) {
    const bool active = m_kind == BuildKind::Logger ? portNumber(m_boards[b]) > 0
                                                    : m_client && m_client->isConnected(b);
    m_feed.setBoard(b, m_boards[b], active);
}

void Engine::setFixedReference(bool use, const QString& text) {
    m_fixedReferenceUse = use;
    m_fixedReferenceText = text;
}

FixedReference Engine::readFixedReference() {
    if (!m_fixedReferenceUse) {
        m_badFixedReference = false;
        return {};
    }
    const QString& text = m_fixedReferenceText;
    if (const auto typed = parseNumber(text)) {
        m_badFixedReference = false;
        return FixedReference{true, *typed};
    }
    if (!m_badFixedReference)
        ShowStatus(tr("Tref = '%1' is not a number: thermocouple channels are invalid.").arg(text));
    m_badFixedReference = true;
    return FixedReference{true, std::numeric_limits<double>::quiet_NaN()};
}

void Engine::startRecordingFile(int b, const QDateTime& now) {
    BoardRuntime& runtime = m_runtimes[b];
    int hour = 0;
    runtime.filePath = RecordingBaseName(m_dataDirectory, b, now, hour) + kRecordingExtension;
    runtime.fileHour = static_cast<int16_t>(hour);
    runtime.fileDay = now.date();
    m_writer.createFile(runtime.filePath, buildRecordingHeader(m_boards[b], runtime.startTime));
}

void Engine::appendRecord(int b, double time) {
    const BoardRuntime& runtime = m_runtimes[b];
    m_writer.appendRecord(b, runtime.filePath, buildRecordingHeader(m_boards[b], runtime.startTime),
                          time, runtime.values);
}

// The writer says it once per file, until a record of the board is written again.
void Engine::reportLostRecord(int b, const QString& path) {
    ShowStatus(tr("DAQ%1: record lost, cannot write %2").arg(b + 1).arg(path));
}

void Engine::RestartBoard(int b) {
    BoardRuntime& runtime = m_runtimes[b];
    runtime.sampleCount = 0;
    for (int i = 0; i < kChannelCount; ++i) {
        runtime.filters[i].clear();
        runtime.values[i] = InvalidValue;
    }
    runtime.recordCountdown = 0;
    runtime.lineReady = false;
    ShowStatus(tr("Chart %1 recording re-started.").arg(b + 1));
}

} // namespace nimbar
