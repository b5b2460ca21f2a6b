#pragma once

#include "ui/main/BoardControls.h"

class QWidget;

namespace nimbar {

// Builds the "DAQn" page of a board: chart, memo, lamp, channel and alarm boxes, chart tools.
QWidget* buildBoardPage(int board, BoardControls& controls, QWidget* parent);

// Builds the "Display" page: one row per board with job title, channel names and values.
QWidget* buildDisplayPage(BoardControlTables& tables, QWidget* parent);

} // namespace nimbar
