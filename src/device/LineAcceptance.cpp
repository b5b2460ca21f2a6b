#include "device/LineAcceptance.h"

#include "processing/BoardRuntime.h"

#include <cstring>

namespace nimbar {

LineVerdict judgeLine(QByteArrayView bytes, int expectedLength, bool chartBusy) {
    if (expectedLength <= 0 || bytes.size() != expectedLength)
        return LineVerdict::WrongLength;
    if (chartBusy)
        return LineVerdict::ChartBusy;
    if (bytes.indexOf('\n') != bytes.size() - 1)
        return LineVerdict::LineFeedNotLast;
    return LineVerdict::Accept;
}

LineVerdict acceptLine(BoardRuntime& runtime, QByteArrayView bytes, bool chartBusy) {
    const LineVerdict verdict = judgeLine(bytes, runtime.expectedLineLength, chartBusy);
    if (verdict != LineVerdict::Accept)
        return verdict;
    // The expected lengths are far below the buffer; the bound guards an untrusted record.
    if (bytes.size() >= kLineBufferSize)
        return LineVerdict::WrongLength;
    std::memset(runtime.lineBuffer, 0, sizeof runtime.lineBuffer);
    std::memcpy(runtime.lineBuffer, bytes.data(), static_cast<std::size_t>(bytes.size()));
    runtime.lineReady = true;
    return verdict;
}

} // namespace nimbar
