#pragma once

#include <cstddef>
#include <cstdint>

namespace nimbar {

inline constexpr int kMaxServerAddresses = 10;

// The client build's own settings record: 372 bytes, natural alignment.
struct ClientSettings {
    uint8_t english;
    uint8_t elapsedAxis;
    uint8_t padding2[2];
    int32_t remoteBoard[4]; // the logger's board shown on each local board
    int32_t interval[4];    // seconds between two requests
    int32_t serverCount;
    char serverAddress[kMaxServerAddresses][25];
    char dataDir[82];
};

static_assert(sizeof(ClientSettings) == 372);
static_assert(offsetof(ClientSettings, english) == 0);
static_assert(offsetof(ClientSettings, elapsedAxis) == 1);
static_assert(offsetof(ClientSettings, remoteBoard) == 4);
static_assert(offsetof(ClientSettings, interval) == 20);
static_assert(offsetof(ClientSettings, serverCount) == 36);
static_assert(offsetof(ClientSettings, serverAddress) == 40);
static_assert(offsetof(ClientSettings, dataDir) == 290);

ClientSettings defaultClientSettings(const char* dataDirText);

// serverCount as an index bound: never more than the array holds, never negative.
int usableServerCount(const ClientSettings& settings);
// remoteBoard of a local board, limited to the logger's boards 0..3.
int usableRemoteBoard(const ClientSettings& settings, int board);

} // namespace nimbar
