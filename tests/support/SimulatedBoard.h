#pragma once

#include "settings/BoardConfig.h"
#include "settings/RecordText.h"

#include <QString>

// A board record for a simulated device on COM<comPort>: every channel type K, reference
// supply 5 V, as the end-to-end tests configure their loggers.
inline void setSimulatedKBoard(nimbar::BoardConfig& board, const QString& model, int comPort) {
    nimbar::setFieldText(board.model, model);
    board.comPort = comPort;
    board.tcType = 1;
    board.cjcRefVolts = 5.0;
    for (int ch = 0; ch < nimbar::kChannelCount; ++ch)
        board.channelType[ch] = 1;
}
