// The client program's settings file and the uses of its untrusted counts and texts.
#include "FuzzFile.h"
#include "settings/ClientSettings.h"
#include "settings/RecordText.h"
#include "settings/SettingsFile.h"

#include <cstddef>
#include <cstdint>

using namespace nimbar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzzFile(QByteArrayView(data, static_cast<qsizetype>(size)));
    const ClientSettings settings = loadClientSettings(path, "C:\\KARN");
    const int servers = usableServerCount(settings);
    for (int i = 0; i < servers; ++i)
        fieldText(settings.serverAddress[i]);
    for (int board = 0; board < 4; ++board)
        usableRemoteBoard(settings, board);
    fieldText(settings.dataDir);
    return 0;
}
