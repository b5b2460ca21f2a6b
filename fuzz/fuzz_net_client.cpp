// The client's side of the network: bytes from a logger arrive in pieces of any size and are
// reassembled into frames; a measurement frame becomes a line for the pipeline, a configuration
// frame a board record whose every field is untrusted.
#include "net/NetFrame.h"
#include "processing/MeasurementLine.h"
#include "recording/RecordingFile.h"
#include "settings/BoardConfig.h"
#include "settings/RecordText.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace nimbar;

namespace {

void useFrame(const ReceivedFrame& frame) {
    const QByteArray line = frame.measurementLine();
    for (int modelClass = 0; modelClass < 3; ++modelClass)
        parseMeasurementLine(line.constData(), static_cast<std::size_t>(line.size()), modelClass);
    const BoardConfig board = frame.configuration();
    typeLetter(boardTypeCode(board));
    portNumber(board);
    for (int ch = 0; ch < kChannelCount; ++ch)
        typeLetter(channelTypeCode(board, ch));
    fieldText(board.model);
    fieldText(board.channelName[kChannelCount - 1]);
    buildRecordingHeader(board, 0.0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte sets the size of the pieces the stream arrives in.
    if (size == 0)
        return 0;
    const size_t piece = 1 + data[0] % 64 * 29;
    FrameAssembler assembler;
    for (size_t at = 1; at < size; at += piece) {
        const auto length = static_cast<qsizetype>(std::min(piece, size - at));
        const FrameAssembler::Result result = assembler.feed(QByteArrayView(data + at, length));
        for (const ReceivedFrame& frame : result.frames)
            useFrame(frame);
        if (assembler.pending() > kNetFrameSize)
            __builtin_trap(); // the buffer never holds more than one frame's worth
    }
    return 0;
}
