#pragma once

#include "settings/BoardConfig.h"

#include <QDateTime>
#include <QFile>
#include <QString>

#include <array>
#include <cstddef>

namespace nimbar {

// The 544-byte header of a recording file. Texts are code page 949, NUL-terminated in their
// slots, the rest zero.
struct RecordingHeader {
    char version[11];
    char jobTitle[81];
    char chartTitle[81];
    char xAxisTitle[81];
    char yAxisTitle[81];
    char channelName[kChannelCount][21];
    char serial[12];
    double startTime;
};
static_assert(sizeof(RecordingHeader) == 544);
static_assert(offsetof(RecordingHeader, jobTitle) == 11);
static_assert(offsetof(RecordingHeader, chartTitle) == 92);
static_assert(offsetof(RecordingHeader, xAxisTitle) == 173);
static_assert(offsetof(RecordingHeader, yAxisTitle) == 254);
static_assert(offsetof(RecordingHeader, channelName) == 335);
static_assert(offsetof(RecordingHeader, serial) == 524);
static_assert(offsetof(RecordingHeader, startTime) == 536);

// One 80-byte record: the date-time of the line and the nine values.
struct RecordingRecord {
    double time;
    double values[kChannelCount];
};
static_assert(sizeof(RecordingRecord) == 80);
static_assert(offsetof(RecordingRecord, values) == 8);

inline constexpr char kRecordingExtension[] = ".KRN";

// data directory/YYYYMMDD/L/HHMMSS for the time now, the directories created when missing.
// hour receives the hour of day that the name carries.
QString RecordingBasePath(const QString& dataDirectory, int board, const QDateTime& now, int& hour);
// The same name without touching the disk: the recording writer makes the directories.
QString RecordingBaseName(const QString& dataDirectory, int board, const QDateTime& now, int& hour);

RecordingHeader buildRecordingHeader(const BoardConfig& board, double startTime);

// Writes the header over the first 544 bytes; the records after it stay as they are.
bool WriteRecordingHeader(const QString& path, const RecordingHeader& header);

// Appends one record and puts it on the disk before returning. A record is written whole or not
// at all: after a failed or short write the file is cut back to its previous size. A part of a
// record left at the end of a file with its header (a crash while writing) is cut first.
bool AppendRecord(const QString& path, double time,
                  const std::array<double, kChannelCount>& values);

// The size up to the last whole record: a crash can leave part of a record at the end, and
// records appended after it would be read shifted.
qint64 wholeRecordsSize(qint64 size);

// Puts what was written to the file on the disk itself, so that a power cut loses at most the
// record that was being written.
bool syncRecordingData(QFile& file);

} // namespace nimbar
