#pragma once

#include "recording/RecordingFile.h"

#include <QObject>
#include <QString>

#include <array>
#include <chrono>
#include <functional>
#include <memory>

class QFile;

namespace nimbar {

// Writes the recording files on a thread of its own, so that a disk that is slow to put records
// on the disk never holds back the one-second tick. Everything handed to it (new files, header
// rewrites, records) is written in the order it was handed over. A record is synced before the
// next one is written while the disk keeps up; records that queued up behind a slow sync share
// the next one. Records lost for any reason are reported on the owner's thread.
class RecordingWriter : public QObject {
    Q_OBJECT
public:
    // An hour of four boards recording every second.
    static constexpr int kDefaultCapacity = 4 * 3600;
    using SyncFunction = std::function<bool(QFile&)>;

    explicit RecordingWriter(int capacity = kDefaultCapacity, QObject* parent = nullptr);
    // Waits at most kDrainWait for what is queued; what is left then is abandoned.
    ~RecordingWriter() override;
    static constexpr std::chrono::milliseconds kDrainWait{10000};

    // A new file: its directories and its header.
    void createFile(const QString& path, const RecordingHeader& header);
    // The header over the first bytes of a file; its records stay.
    void rewriteHeader(const QString& path, const RecordingHeader& header);
    // A record of a board for a file; header is written first when the file has none yet. False
    // when the queue is full: the record is dropped and queueFull() says so.
    bool appendRecord(int board, const QString& path, const RecordingHeader& header, double time,
                      const std::array<double, kChannelCount>& values);

    // Waits until everything handed over is written, then reports what was lost. False when it
    // was not done within the time.
    bool waitForIdle(std::chrono::milliseconds timeout = std::chrono::milliseconds::max());
    // Waits at most timeout for the queue and stops the writer; returns the records left
    // unwritten. Nothing is accepted afterwards.
    int drain(std::chrono::milliseconds timeout = kDrainWait);
    int queuedRecords() const;
    int capacity() const { return m_capacity; }

    // How written data is put on the disk; tests slow it down to stand for a stalling disk.
    void setSyncFunction(SyncFunction sync);

signals:
    // Once per file of a board until one of its records is written again.
    void recordLost(int board, const QString& path);
    // Once each time the queue fills up, until it has emptied again.
    void queueFull(int capacity);

private:
    struct Shared;
    void deliverReports();

    int m_capacity;
    std::shared_ptr<Shared> m_shared;
};

} // namespace nimbar
