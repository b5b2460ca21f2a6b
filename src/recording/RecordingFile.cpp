#include "recording/RecordingFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace nimbar {

namespace {

// Copies a record text up to its NUL, cut to one less than the slot.
template <std::size_t Slot, std::size_t Source>
void copySlot(char (&slot)[Slot], const char (&source)[Source], std::size_t limit = Slot - 1) {
    const std::size_t length = std::min({strnlen(source, Source), limit, Slot - 1});
    std::memcpy(slot, source, length);
}

} // namespace

QString RecordingBaseName(const QString& dataDirectory, int board, const QDateTime& now,
                          int& hour) {
    const QString directory = QDir::toNativeSeparators(QDir::cleanPath(
        dataDirectory + '/' + now.date().toString("yyyyMMdd") + '/' + QChar(boardLetter(board))));
    hour = now.time().hour();
    return directory + QDir::separator() + now.time().toString("hhmmss");
}

QString RecordingBasePath(const QString& dataDirectory, int board, const QDateTime& now,
                          int& hour) {
    const QString base = RecordingBaseName(dataDirectory, board, now, hour);
    QDir().mkpath(QFileInfo(base).path());
    return base;
}

bool syncRecordingData(QFile& file) {
    if (!file.flush())
        return false;
#ifdef Q_OS_UNIX
    return ::fdatasync(file.handle()) == 0;
#elif defined(Q_OS_WIN)
    return ::_commit(file.handle()) == 0;
#else
    return true;
#endif
}

qint64 wholeRecordsSize(qint64 size) {
    constexpr qint64 header = sizeof(RecordingHeader);
    constexpr qint64 record = sizeof(RecordingRecord);
    if (size <= header)
        return size;
    return header + (size - header) / record * record;
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

    // Unbuffered: after a short write (a full disk) no bytes wait in a buffer, so that cutting
    // the file back is not refused for want of flushing them first.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    qint64 before = file.size();
    if (const qint64 whole = wholeRecordsSize(before); whole != before && file.resize(whole))
        before = whole;
    const bool written = file.seek(before) &&
                         file.write(reinterpret_cast<const char*>(&record), sizeof record) ==
                             static_cast<qint64>(sizeof record) &&
                         syncRecordingData(file);
    if (!written)
        file.resize(before);
    return written;
}

} // namespace nimbar
