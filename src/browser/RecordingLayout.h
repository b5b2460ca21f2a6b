#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <optional>

namespace nimbar {

// The three header layouts a recording file can have: the one the logger writes and two older
// ones that are still read.
enum class RecordingVariant { Current, Old7, Old9 };

// Where a layout keeps its fields; offsets and sizes in bytes.
struct RecordingLayout {
    RecordingVariant variant;
    int headerSize;
    int recordSize;
    int valueSlots;
    int jobTitle;
    int chartTitle;
    int xAxisTitle;
    int yAxisTitle;
    int channelNames;
    int channelSlots;
    int serial;
    int serialSize;
    int startTime;
};

inline constexpr int kTitleSize = 81;
inline constexpr int kChannelNameSize = 21;

const RecordingLayout& recordingLayout(RecordingVariant variant);

// Recognises a header from the start of a file: the current layout by its version text, the
// old ones by the serial number's first two characters. Reads at most the largest header.
std::optional<RecordingVariant> recogniseRecording(QIODevice& file);

// Whether header (at least layout.headerSize bytes) carries the mark of its layout.
bool headerMatches(const QByteArray& header, const RecordingLayout& layout);

// 7 for serial numbers beginning "A2" or "A3" (and always for the old 7-channel layout), else 9.
int headerChannelCount(const QByteArray& header, const RecordingLayout& layout);

// A text field of the header, decoded from code page 949.
QString headerText(const QByteArray& header, int offset, int size);
double headerStartTime(const QByteArray& header, const RecordingLayout& layout);

} // namespace nimbar
