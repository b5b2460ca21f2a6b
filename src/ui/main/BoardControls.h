#pragma once

#include "settings/BoardConfig.h"

#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QWidget;

namespace nimbar {

class BoardMemo;
class LiveChart;
class RadioGroup;

// The controls of one board, filled once when the window is built so that every handler can
// reach a board's control by board and channel index. Channel arrays are indexed 0..8; entries
// that a board does not have stay null (for example the CH0 name edit).
struct BoardControls {
    // Board page "DAQn".
    QWidget* boardPage = nullptr;
    QLabel* titleLabel = nullptr; // LblTitle
    QLabel* startLabel = nullptr; // LblStart
    QLabel* timeLabel = nullptr;  // LblTime
    QLabel* yLabel = nullptr;     // LblY
    QFrame* lamp = nullptr;       // Shape
    QCheckBox* scrollBox = nullptr;
    QCheckBox* viewPointBox = nullptr;
    BoardMemo* memo = nullptr;
    QLabel* memoTitle = nullptr; // PnlMTitle
    LiveChart* chart = nullptr;
    std::array<QCheckBox*, kChannelCount> channelBox{};
    std::array<QCheckBox*, kChannelCount> alarmBox{};
    std::array<QLineEdit*, kChannelCount> highEdit{};
    std::array<QLineEdit*, kChannelCount> lowEdit{};
    QPushButton* zoomInButton = nullptr;
    QPushButton* zoomOutButton = nullptr;
    QPushButton* autoButton = nullptr;
    QPushButton* txtButton = nullptr;     // BtTxt
    QPushButton* xlsButton = nullptr;     // BtXLS
    QPushButton* bmpButton = nullptr;     // BtSaveBmp
    QPushButton* memoButton = nullptr;    // BtSaveM
    QPushButton* browserButton = nullptr; // BtBrowser

    // Row of the "Display" page.
    QLineEdit* jobTitleEdit = nullptr; // EditT
    std::array<QLineEdit*, kChannelCount> nameEdit{};
    std::array<QLineEdit*, kChannelCount> valueEdit{};

    // Configuration page "Confign".
    QWidget* configPage = nullptr;
    QGroupBox* portGroup = nullptr; // GBCPort
    QComboBox* portCombo = nullptr;
    QPushButton* getButton = nullptr;
    RadioGroup* sensorGroup = nullptr; // RgTC
    QLineEdit* a1Edit = nullptr;
    QLineEdit* a0Edit = nullptr;
    QLineEdit* refEdit = nullptr;
    std::array<QComboBox*, kChannelCount> rangeCombo{};
    std::array<QLineEdit*, kChannelCount> t1Edit{};
    std::array<QLineEdit*, kChannelCount> t0Edit{};
    std::array<QComboBox*, kChannelCount> typeCombo{};
    QSpinBox* intervalUpDown = nullptr; // UDInt, its text field is EdInt
    QLabel* modelLabel = nullptr;
    QLineEdit* serialEdit = nullptr;
    QGroupBox* outputGroup = nullptr; // GBDO
    QCheckBox* interlockBox = nullptr;
    std::array<QCheckBox*, 5> outputBox{}; // CH1..CH4 D/O
    QPushButton* okButton = nullptr;
    QPushButton* restartButton = nullptr;

    // Client build: the logger to follow.
    QGroupBox* addressGroup = nullptr; // GBIP
    QComboBox* addressCombo = nullptr;
    QSpinBox* remoteBoardUpDown = nullptr; // UDPort
    QPushButton* connectButton = nullptr;
    QPushButton* configButton = nullptr; // BtC
};

using BoardControlTables = std::array<BoardControls, kBoardCount>;

} // namespace nimbar
