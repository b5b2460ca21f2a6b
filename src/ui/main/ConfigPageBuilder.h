#pragma once

#include "ui/main/BoardControls.h"

#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QWidget;

namespace nimbar {

class DirectoryListBox;

// The application-wide options that only the first configuration page carries.
struct ApplicationOptionControls {
    QCheckBox* englishBox = nullptr; // ChbEnglish
    QCheckBox* elapseBox = nullptr;  // ChkElapse
    QSpinBox* queueUpDown = nullptr; // UDQueue, its text field is Edit1
    QComboBox* driveCombo = nullptr; // DriveComboBox1
    DirectoryListBox* directoryList = nullptr;
    QLabel* pathLabel = nullptr;   // LblPath1
    QCheckBox* trefBox = nullptr;  // ChbTref
    QLineEdit* trefEdit = nullptr; // EdTref
};

// Builds the configuration page of a board with its controls named and tagged, and records
// them in the board's table. options is filled only for board 0.
QWidget* buildConfigPage(int board, BoardControls& controls, ApplicationOptionControls* options,
                         QWidget* parent);

// The type combo items; CH1..CH3 of board A also offer "Z".
QStringList channelTypeItems(int board, int channel);

} // namespace nimbar
