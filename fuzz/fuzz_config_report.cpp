// The device's configuration report: the bytes a port delivers go through the frame collector;
// every closed frame is parsed and stored into a board record as the logger does.
#include "device/ConfigFrameCollector.h"
#include "device/ConfigReport.h"
#include "settings/BoardConfig.h"

#include <cstddef>
#include <cstdint>

using namespace nimbar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ConfigFrameCollector collector;
    BoardConfig board = defaultBoardConfig(0, "C:\\KARN");
    for (size_t i = 0; i < size; ++i) {
        if (!collector.feed(static_cast<char>(data[i])))
            continue;
        const ConfigReport report = ParseConfigReport(collector.frame());
        ApplyConfigReport(board, 0, 1, report);
    }
    // The whole input as one frame too, so that the parser sees bytes the collector never passes.
    ApplyConfigReport(board, 1, 2,
                      ParseConfigReport(QByteArrayView(data, static_cast<qsizetype>(size))));
    return 0;
}
