#include "settings/BoardConfig.h"

#include <cstdio>
#include <cstring>

namespace nimbar {

namespace {

template <std::size_t N> void copyText(char (&field)[N], const char* text) {
    std::strncpy(field, text, N - 1);
    field[N - 1] = '\0';
}

} // namespace

BoardConfig defaultBoardConfig(int board, const char* dataDirText) {
    BoardConfig c{};
    const char letter = boardLetter(board);
    c.boardIndex = board;
    c.comPort = 0;
    c.tcType = 0;
    for (int ch = 0; ch < kChannelCount; ++ch) {
        c.channelType[ch] = 0;
        c.rangeMv[ch] = ch == 0 ? 2500.0 : 78.125;
        c.gainT1[ch] = 1.0;
        c.offsetT0[ch] = 0.0;
        c.channelVisible[ch] = 1;
        c.alarmEnabled[ch] = 1;
        c.alarmHigh[ch] = 100.0;
        c.alarmLow[ch] = -20.0;
        std::snprintf(c.channelName[ch], sizeof c.channelName[ch], "%c-%d       ", letter, ch);
    }
    c.cjcRefVolts = 0.0;
    c.corrA1 = 1.0;
    c.corrA0 = 0.0;
    copyText(c.dataDir, dataDirText);
    c.interval = 1;
    c.elapsedAxis = 0;
    c.english = 0;
    copyText(c.model, "KARN-5610");
    copyText(c.serial, "A30000");
    std::snprintf(c.jobTitle, sizeof c.jobTitle, "Board %c Data", letter);
    copyText(c.chartTitle, "Data Chart");
    copyText(c.yAxisTitle, "Temperature (C)");
    c.queueLength = 0;
    return c;
}

void fillDefaultBoardConfigs(BoardConfigs& boards, const char* dataDirText) {
    for (int b = 0; b < kBoardCount; ++b)
        boards[b] = defaultBoardConfig(b, dataDirText);
}

int boardTypeCode(const BoardConfig& board) {
    if (board.tcType < 0)
        return 0;
    if (board.tcType >= kTypeCodeCount)
        return kTypePerChannel;
    return board.tcType;
}

int channelTypeCode(const BoardConfig& board, int channel) {
    const int code = board.channelType[channel];
    return code >= 0 && code < kTypeCodeCount ? code : 0;
}

char typeLetter(int typeCode) {
    return typeCode >= 0 && typeCode < kTypeCodeCount ? kTypeLetters[typeCode] : kTypeLetters[0];
}

int portNumber(const BoardConfig& board) {
    return board.comPort > 0 ? board.comPort : 0;
}

} // namespace nimbar
