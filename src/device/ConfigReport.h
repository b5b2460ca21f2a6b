#pragma once

#include "settings/BoardConfig.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <optional>

namespace nimbar {

// The outcome of reading a configuration report; every value but None leaves the board's
// record as it is.
enum class ConfigReportError {
    None,
    NoModelMark,     // "Error 1": no 'M' in the frame
    UnknownModel,    // the model name is none of the four models
    BadHeader,       // "Error 2": the header gives no field, or an invalid one (below)
    NoCalibrationT1, // "Error 3": class 0's first calibration line gives nothing
    NoCalibrationT0, // "Error 4": class 0's second calibration line gives nothing
    BadNumber,       // "Error": a number line that is not a number
};

// A configuration report as read from its frame. Values that the report does not carry keep
// the defaults: range index 6 and type 'V' per channel, T1 1.0 and T0 0.0.
struct ConfigReport {
    ConfigReportError error = ConfigReportError::None;
    QByteArray model;
    // Known as soon as the model name is: also set when a later step fails, since the board
    // takes the class of a known model at once.
    std::optional<int> modelClass;
    QByteArray serial;
    int channels = 0; // CH0..CH(channels-1) are described: 7, 5 or 9
    // CH0..CH8. Classes 1 and 2 report from CH1 on; CH0 then holds CH1's index and letter.
    std::array<int, kChannelCount> rangeIndex{6, 6, 6, 6, 6, 6, 6, 6, 6};
    std::array<char, kChannelCount> letter{'V', 'V', 'V', 'V', 'V', 'V', 'V', 'V', 'V'};
    double corrA1 = 0.0;
    double corrA0 = 0.0;
    double cjcRefVolts = 0.0;
    std::array<double, kChannelCount> gainT1{1, 1, 1, 1, 1, 1, 1, 1, 1}; // [1..8] are used
    std::array<double, kChannelCount> offsetT0{};
};

// Reads the frame from 'S' to 'E' that a device sends for "DC\r". Safe on any bytes.
//
// The header after the model name is read like scanf with the class's pattern: the serial
// number as one word, then integers and single non-blank letters, blanks of any kind between
// them; reading stops at the first field that does not fit and the rest keep their defaults.
// Stricter than that pattern: a range index outside the class's table (0..7 for class 0,
// 0..6 for classes 1 and 2) or a type letter outside "VKRJSTBHZ" makes the whole report
// invalid with BadHeader ("Error 2"), as a header without any field does.
// Numbers are decimal ("-1.25", "5", "1e-3"); a number line may have blanks around its number.
ConfigReport ParseConfigReport(QByteArrayView frame);

// Stores a report without error into the board's record: model, serial, board index, port
// number, per-channel types and ranges with tcType ('H' when the channels differ), the voltage
// correction, the reference and the calibration of CH1..CH8. Channels beyond those reported
// keep their type and range. Returns report.error and changes nothing when it is set.
ConfigReportError ApplyConfigReport(BoardConfig& config, int board, int comPort,
                                    const ConfigReport& report);

} // namespace nimbar
