#include "recording/RecordingFile.h"

#include <QDir>
#include <QFile>

#include <cstring>

namespace nimbar {

namespace {

// Copies a record text up to its NUL, cut to one less than the slot.
template <std::size_t Slot, std::size_t Source>
void copySlot(char (&slot)[Slot], const char (&source)[Source], std::size_t limit = Slot - 1) {
    const std::size_t length = std::min({strnlen(source, Source), limit, Slot - 1});
    std::memcpy(slot, source, length);
}

} // namespace

QString RecordingBasePath(const QString& dataDirectory, int board, const QDateTime& now,
                          int& hour) {
    const QString directory = QDir::toNativeSeparators(QDir::cleanPath(
        dataDirectory + '/' + now.date().toString("yyyyMMdd") + '/' + QChar(boardLetter(board))));
    QDir().mkpath(directory);
    hour = now.time().hour();
    return directory + QDir::separator() + now.time().toString("hhmmss");
}

RecordingHeader buildRecordingHeader(const BoardConfig& board, double startTime) {
    RecordingHeader header;
    std::memset(&header, 0, sizeof header);
    std::memcpy(header.version, "2.0.0", 6);
    copySlot(header.jobTitle, board.jobTitle);
    copySlot(header.chartTitle, board.chartTitle);
    copySlot(header.xAxisTitle, board.xAxisTitle);
    copySlot(header.yAxisTitle, board.yAxisTitle);
    for (int ch = 0; ch < kChannelCount; ++ch)
        copySlot(header.channelName[ch], board.channelName[ch]);
    copySlot(header.serial, board.serial, 11);
    header.startTime = startTime;
    return header;
}

bool WriteRecordingHeader(const QString& path, const RecordingHeader& header) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    return file.write(reinterpret_cast<const char*>(&header), sizeof header) ==
           static_cast<qint64>(sizeof header);
}

bool AppendRecord(const QString& path, double time,
                  const std::array<double, kChannelCount>& values) {
    RecordingRecord record;
    record.time = time;
    std::memcpy(record.values, values.data(), sizeof record.values);

    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const qint64 before = file.size();
    const bool written = file.seek(before) &&
                         file.write(reinterpret_cast<const char*>(&record), sizeof record) ==
                             static_cast<qint64>(sizeof record) &&
                         file.flush();
    if (!written)
        file.resize(before);
    return written;
}

} // namespace nimbar
