// Measurement lines: the bytes one line-feed event reads, judged and kept as the logger does,
// then parsed and converted for each model class.
#include "device/LineAcceptance.h"
#include "processing/BoardRuntime.h"
#include "processing/ColdJunction.h"
#include "processing/DeviceCode.h"
#include "processing/MeasurementLine.h"
#include "settings/ModelClass.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace nimbar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The handler reads at most kLineReadMax bytes at a time.
    const QByteArrayView bytes(data, static_cast<qsizetype>(std::min<size_t>(size, kLineReadMax)));
    for (int modelClass = 0; modelClass < kModelClassCount; ++modelClass) {
        BoardRuntime runtime;
        runtime.modelClass = modelClass;
        runtime.expectedLineLength = lineLengthOf(modelClass);
        acceptLine(runtime, bytes, false);
        // Parsed as the pipeline parses the kept line, and also the raw bytes unterminated.
        const MeasurementCodes kept =
            parseMeasurementLine(runtime.lineBuffer, sizeof runtime.lineBuffer, modelClass);
        const MeasurementCodes raw = parseMeasurementLine(bytes.data(), bytes.size(), modelClass);
        referenceField(bytes.data(), bytes.size());
        for (int ch = 0; ch < kChannelCount; ++ch) {
            CodeToMillivolts(kept[ch], channelScale(100.0), 1.0, 0.0, 1.0, 0.0);
            decodeDeviceCode(raw[ch]);
        }
        CjTempFromFixedPoint(kept[0]);
    }
    return 0;
}
