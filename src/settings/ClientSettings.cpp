#include "settings/ClientSettings.h"

#include <algorithm>
#include <cstring>

namespace nimbar {

ClientSettings defaultClientSettings(const char* dataDirText) {
    ClientSettings s{};
    for (int b = 0; b < 4; ++b) {
        s.remoteBoard[b] = b;
        s.interval[b] = 2;
    }
    s.serverCount = 1;
    std::strncpy(s.serverAddress[0], "127.0.0.1", sizeof s.serverAddress[0] - 1);
    std::strncpy(s.dataDir, dataDirText, sizeof s.dataDir - 1);
    return s;
}

int usableServerCount(const ClientSettings& settings) {
    return std::clamp(settings.serverCount, 0, kMaxServerAddresses);
}

int usableRemoteBoard(const ClientSettings& settings, int board) {
    return std::clamp(settings.remoteBoard[board], 0, 3);
}

} // namespace nimbar
