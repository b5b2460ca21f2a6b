#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace nimbar {

inline constexpr int kBoardCount = 4;
inline constexpr int kChannelCount = 9; // CH0 (reference) .. CH8
inline constexpr char kTypeLetters[] = "VKRJSTBHZ";
inline constexpr int kTypeCodeCount = 9;
inline constexpr int kTypePerChannel = 7; // 'H': types are set channel by channel

static_assert(std::endian::native == std::endian::little,
              "records are stored and sent as raw little-endian bytes");

// One board's persistent configuration. The layout is the settings file's and the network's:
// 1160 bytes, natural alignment, every padding byte declared so that the record has none hidden.
struct BoardConfig {
    int32_t boardIndex;
    int32_t comPort; // n of "COM<n>", 0 = no port
    int32_t tcType;  // type code, index into kTypeLetters
    int32_t channelType[kChannelCount];
    double rangeMv[kChannelCount];
    double gainT1[kChannelCount];
    double offsetT0[kChannelCount];
    double cjcRefVolts;
    double corrA1;
    double corrA0;
    int32_t channelVisible[kChannelCount];
    int32_t alarmEnabled[kChannelCount];
    double alarmHigh[kChannelCount];
    double alarmLow[kChannelCount];
    char dataDir[81];
    char channelName[kChannelCount][21];
    uint8_t padding774[2];
    int32_t interval;
    uint8_t elapsedAxis;
    uint8_t padding781[3];
    int32_t english;
    char model[21];
    char serial[21];
    char jobTitle[81];
    char chartTitle[81];
    char xAxisTitle[81];
    char yAxisTitle[81];
    uint8_t padding1154[2];
    int32_t queueLength;
};

static_assert(sizeof(BoardConfig) == 1160);
static_assert(offsetof(BoardConfig, boardIndex) == 0);
static_assert(offsetof(BoardConfig, comPort) == 4);
static_assert(offsetof(BoardConfig, tcType) == 8);
static_assert(offsetof(BoardConfig, channelType) == 12);
static_assert(offsetof(BoardConfig, rangeMv) == 48);
static_assert(offsetof(BoardConfig, gainT1) == 120);
static_assert(offsetof(BoardConfig, offsetT0) == 192);
static_assert(offsetof(BoardConfig, cjcRefVolts) == 264);
static_assert(offsetof(BoardConfig, corrA1) == 272);
static_assert(offsetof(BoardConfig, corrA0) == 280);
static_assert(offsetof(BoardConfig, channelVisible) == 288);
static_assert(offsetof(BoardConfig, alarmEnabled) == 324);
static_assert(offsetof(BoardConfig, alarmHigh) == 360);
static_assert(offsetof(BoardConfig, alarmLow) == 432);
static_assert(offsetof(BoardConfig, dataDir) == 504);
static_assert(offsetof(BoardConfig, channelName) == 585);
static_assert(offsetof(BoardConfig, padding774) == 774);
static_assert(offsetof(BoardConfig, interval) == 776);
static_assert(offsetof(BoardConfig, elapsedAxis) == 780);
static_assert(offsetof(BoardConfig, english) == 784);
static_assert(offsetof(BoardConfig, model) == 788);
static_assert(offsetof(BoardConfig, serial) == 809);
static_assert(offsetof(BoardConfig, jobTitle) == 830);
static_assert(offsetof(BoardConfig, chartTitle) == 911);
static_assert(offsetof(BoardConfig, xAxisTitle) == 992);
static_assert(offsetof(BoardConfig, yAxisTitle) == 1073);
static_assert(offsetof(BoardConfig, queueLength) == 1156);

using BoardConfigs = std::array<BoardConfig, kBoardCount>;

inline char boardLetter(int board) {
    return static_cast<char>('A' + board);
}

// The record of a board as it is before any settings are loaded: every byte zero but the
// documented defaults. dataDirText is the default data directory in the record's encoding.
BoardConfig defaultBoardConfig(int board, const char* dataDirText);
void fillDefaultBoardConfigs(BoardConfigs& boards, const char* dataDirText);

// Stored values are untrusted (files, network). These give the sound meaning of any value.
// A board type above the table means per-channel types; below it, millivolts.
int boardTypeCode(const BoardConfig& board);
// A channel type outside the table is read as millivolts.
int channelTypeCode(const BoardConfig& board, int channel);
// Recording and request intervals are 1..1000 s; a stored value outside reads as the nearest.
inline constexpr int kMinInterval = 1;
inline constexpr int kMaxInterval = 1000;
inline int32_t boundedInterval(int32_t seconds) {
    return seconds < kMinInterval ? kMinInterval : seconds > kMaxInterval ? kMaxInterval : seconds;
}
inline bool knownTypeCode(int code) {
    return code >= 0 && code < kTypeCodeCount;
}
char typeLetter(int typeCode);
// A negative port number means no port.
int portNumber(const BoardConfig& board);

} // namespace nimbar
