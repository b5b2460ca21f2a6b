// The logger's settings file: four board records read from whatever the file holds, then every
// use of their untrusted fields that the core makes.
#include "FuzzFile.h"
#include "recording/RecordingFile.h"
#include "settings/BoardConfig.h"
#include "settings/RecordText.h"
#include "settings/SettingsFile.h"

#include <cstddef>
#include <cstdint>

using namespace nimbar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzzFile(QByteArrayView(data, static_cast<qsizetype>(size)));
    BoardConfigs boards;
    loadBoardSettings(path, boards, "C:\\KARN");
    for (const BoardConfig& board : boards) {
        boardTypeCode(board);
        typeLetter(boardTypeCode(board));
        portNumber(board);
        for (int ch = 0; ch < kChannelCount; ++ch)
            typeLetter(channelTypeCode(board, ch));
        // Every text field is read by the same bounded decoder; two of them stand for all.
        fieldText(board.dataDir);
        fieldText(board.channelName[kChannelCount - 1]);
        buildRecordingHeader(board, 0.0);
    }
    return 0;
}
