#pragma once

#include "processing/AlarmEvaluation.h"
#include "processing/MedianFilter.h"
#include "settings/BoardConfig.h"

#include <QDate>
#include <QString>

#include <array>
#include <cstdint>

namespace nimbar {

inline constexpr int kLineBufferSize = 180;
inline constexpr int kServedLineCopy = 80;

// The runtime state of one board's data path. One per board, owned by the main window.
struct BoardRuntime {
    char lineBuffer[kLineBufferSize] = {};
    char servedLine[kLineBufferSize] = {};
    bool lineReady = false;
    int32_t linkIdle = -1;
    double prevRefTemp = 20.0;
    std::array<double, kChannelCount> values{};
    std::array<int32_t, kChannelCount> status{};
    std::array<AlarmState, kChannelCount> alarmState{};
    std::array<MedianFilter, kChannelCount> filters;
    int32_t recordCountdown = 3;
    int32_t sampleCount = 0;
    double startTime = 0.0;
    QString filePath;
    int16_t fileHour = 0;
    // A line after a silence of a whole day can come at the file's hour of another day; the
    // day keeps its records out of the old day's directory.
    QDate fileDay;
    double chartOrigin = 0.0;
    double lastX = 0.0;
    bool memoPaused = false;
    bool headerRewrite = false;
    int32_t doState = 0;
    int32_t prevDoState = 0;
    bool lampOn = false;
    // A class-0 thermocouple board without its reference voltage was reported; cleared once it
    // is set, so that it is said again if it is lost.
    bool refVoltsMissingReported = false;

    // Derived from the board's record by the board setup; the pipeline only reads them.
    int modelClass = 0;
    int expectedLineLength = 0;
    char typeLetter = 'K';
    std::array<double, kChannelCount> scale{};
    std::array<double, kChannelCount> offset{};
};

using BoardRuntimes = std::array<BoardRuntime, kBoardCount>;

} // namespace nimbar
