#include "recording/RecordingWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace nimbar {

namespace {

constexpr qint64 kHeaderSize = sizeof(RecordingHeader);
constexpr qint64 kRecordSize = sizeof(RecordingRecord);
// Records written before one sync at most, so that a failing sync takes back a bounded number.
constexpr int kBatchLimit = 1024;

struct Job {
    enum class Kind { Create, Rewrite, Append };
    Kind kind = Kind::Append;
    int board = 0;
    QString path;
    RecordingHeader header;
    RecordingRecord record;
};

// What became of one record: written (on the disk) or lost.
struct Outcome {
    int board;
    QString path;
    bool written;
};

// A file that records of the current batch were appended to, waiting for its sync.
struct OpenFile {
    QString path;
    std::unique_ptr<QFile> file;
    qint64 start = 0; // its size before the batch: a failed sync cuts it back here
    qint64 end = 0;
    std::vector<int> boards;
};

void makeDirectoryOf(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
}

class BatchWriter {
public:
    BatchWriter(const RecordingWriter::SyncFunction& sync, std::vector<Outcome>& outcomes)
        : m_sync(sync), m_outcomes(outcomes) {}
    ~BatchWriter() { settle(); }

    void write(const Job& job) {
        switch (job.kind) {
        case Job::Kind::Create:
            settle();
            makeDirectoryOf(job.path);
            WriteRecordingHeader(job.path, job.header);
            break;
        case Job::Kind::Rewrite:
            settle();
            WriteRecordingHeader(job.path, job.header);
            break;
        case Job::Kind::Append:
            append(job);
            break;
        }
    }

    // Syncs what was appended; a file whose sync failed is cut back to its size before the
    // batch, its records reported lost.
    void settle() {
        for (OpenFile& open : m_open) {
            const bool synced = m_sync(*open.file);
            if (!synced)
                open.file->resize(open.start);
            for (const int board : open.boards)
                m_outcomes.push_back({board, open.path, synced});
        }
        m_open.clear();
    }

private:
    void append(const Job& job) {
        OpenFile* open = find(job.path);
        if (!open)
            open = openForAppend(job);
        if (!open) {
            m_outcomes.push_back({job.board, job.path, false});
            return;
        }
        const bool written = open->file->seek(open->end) &&
                             open->file->write(reinterpret_cast<const char*>(&job.record),
                                               kRecordSize) == kRecordSize;
        if (!written) {
            // Nothing half-written: the record's bytes go, those before it are synced first so
            // that what is reported follows the order of the records.
            open->file->resize(open->end);
            settle();
            m_outcomes.push_back({job.board, job.path, false});
            return;
        }
        open->end += kRecordSize;
        open->boards.push_back(job.board);
    }

    OpenFile* find(const QString& path) {
        for (OpenFile& open : m_open)
            if (open.path == path)
                return &open;
        return nullptr;
    }

    OpenFile* openForAppend(const Job& job) {
        // A file whose header could not be written earlier gets it now, so that its records
        // never start at offset 0 where the reader expects the header; its directory too, when
        // the data directory could not take it then (read-only, full, missing).
        if (QFileInfo(job.path).size() < kHeaderSize) {
            makeDirectoryOf(job.path);
            WriteRecordingHeader(job.path, job.header);
        }
        // Still no whole header: a record now would take its place.
        if (QFileInfo(job.path).size() < kHeaderSize)
            return nullptr;
        // Unbuffered: after a short write (a full disk) no bytes wait in a buffer, so that
        // cutting the file back is not refused for want of flushing them first.
        auto file = std::make_unique<QFile>(job.path);
        if (!file->open(QIODevice::ReadWrite | QIODevice::Unbuffered))
            return nullptr;
        qint64 size = file->size();
        if (const qint64 whole = wholeRecordsSize(size); whole != size && file->resize(whole))
            size = whole;
        m_open.push_back({job.path, std::move(file), size, size, {}});
        return &m_open.back();
    }

    const RecordingWriter::SyncFunction& m_sync;
    std::vector<Outcome>& m_outcomes;
    std::vector<OpenFile> m_open;
};

} // namespace

struct RecordingWriter::Shared {
    std::mutex mutex;
    std::condition_variable wake; // the writer thread waits for work
    std::condition_variable idle; // the owner waits for the queue to empty
    std::deque<Job> jobs;
    int queuedRecords = 0; // in the queue and in the batch being written
    bool busy = false;
    bool stopping = false;
    bool abandoned = false;
    bool full = false; // reported, until the queue has emptied
    SyncFunction sync = syncRecordingData;

    // Reports for the owner's thread.
    RecordingWriter* owner = nullptr;
    std::vector<Outcome> lost;
    bool deliveryPosted = false;
    std::array<QString, kBoardCount> lostFile; // the file each board last lost a record of

    std::thread thread;

    bool isIdle() const { return jobs.empty() && !busy; }

    // Keeps one report per file of a board until a record of the board is written again.
    void note(const std::vector<Outcome>& outcomes) {
        for (const Outcome& outcome : outcomes) {
            if (outcome.board < 0 || outcome.board >= kBoardCount)
                continue;
            QString& last = lostFile[static_cast<std::size_t>(outcome.board)];
            if (outcome.written) {
                last.clear();
            } else if (last != outcome.path) {
                last = outcome.path;
                lost.push_back(outcome);
            }
        }
        if (!lost.empty() && !deliveryPosted && owner) {
            deliveryPosted = true;
            RecordingWriter* const receiver = owner;
            QMetaObject::invokeMethod(
                receiver, [receiver] { receiver->deliverReports(); }, Qt::QueuedConnection);
        }
    }

    void run() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return stopping || !jobs.empty(); });
            if (jobs.empty() || abandoned)
                break;
            std::vector<Job> batch;
            int records = 0;
            while (!jobs.empty() && records < kBatchLimit) {
                records += jobs.front().kind == Job::Kind::Append ? 1 : 0;
                batch.push_back(std::move(jobs.front()));
                jobs.pop_front();
            }
            busy = true;
            const SyncFunction syncNow = sync;
            lock.unlock();
            std::vector<Outcome> outcomes;
            {
                BatchWriter writer(syncNow, outcomes);
                for (const Job& job : batch)
                    writer.write(job);
            }
            lock.lock();
            queuedRecords -= records;
            note(outcomes);
            busy = false;
            if (jobs.empty()) {
                full = false;
                idle.notify_all();
            }
        }
        busy = false;
        idle.notify_all();
    }
};

RecordingWriter::RecordingWriter(int capacity, QObject* parent)
    : QObject(parent), m_capacity(capacity), m_shared(std::make_shared<Shared>()) {
    m_shared->owner = this;
    m_shared->thread = std::thread([shared = m_shared] { shared->run(); });
}

RecordingWriter::~RecordingWriter() {
    // Whoever listens may be half gone by now.
    blockSignals(true);
    drain();
    std::lock_guard lock(m_shared->mutex);
    m_shared->owner = nullptr;
}

void RecordingWriter::createFile(const QString& path, const RecordingHeader& header) {
    std::lock_guard lock(m_shared->mutex);
    if (m_shared->stopping)
        return;
    m_shared->jobs.push_back({Job::Kind::Create, 0, path, header, {}});
    m_shared->wake.notify_one();
}

void RecordingWriter::rewriteHeader(const QString& path, const RecordingHeader& header) {
    std::lock_guard lock(m_shared->mutex);
    if (m_shared->stopping)
        return;
    m_shared->jobs.push_back({Job::Kind::Rewrite, 0, path, header, {}});
    m_shared->wake.notify_one();
}

bool RecordingWriter::appendRecord(int board, const QString& path, const RecordingHeader& header,
                                   double time, const std::array<double, kChannelCount>& values) {
    Job job{Job::Kind::Append, board, path, header, {}};
    job.record.time = time;
    std::memcpy(job.record.values, values.data(), sizeof job.record.values);
    bool reportFull = false;
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->stopping)
            return false;
        if (m_shared->queuedRecords < m_capacity) {
            m_shared->jobs.push_back(std::move(job));
            ++m_shared->queuedRecords;
            m_shared->wake.notify_one();
            return true;
        }
        reportFull = !m_shared->full;
        m_shared->full = true;
    }
    if (reportFull)
        emit queueFull(m_capacity);
    return false;
}

bool RecordingWriter::waitForIdle(std::chrono::milliseconds timeout) {
    bool done = false;
    {
        std::unique_lock lock(m_shared->mutex);
        const auto idle = [this] { return m_shared->isIdle(); };
        if (timeout == std::chrono::milliseconds::max()) {
            m_shared->idle.wait(lock, idle);
            done = true;
        } else {
            done = m_shared->idle.wait_for(lock, timeout, idle);
        }
    }
    deliverReports();
    return done;
}

int RecordingWriter::drain(std::chrono::milliseconds timeout) {
    if (!m_shared->thread.joinable())
        return 0;
    int left = 0;
    bool done = true;
    {
        std::unique_lock lock(m_shared->mutex);
        m_shared->stopping = true;
        m_shared->wake.notify_one();
        done = m_shared->idle.wait_for(lock, timeout, [this] { return m_shared->isIdle(); });
        if (!done) {
            // A disk that does not answer at all: the thread is left to finish the sync it is
            // in and then ends; what is still queued is given up.
            m_shared->abandoned = true;
            left = m_shared->queuedRecords;
        }
    }
    if (!done)
        m_shared->thread.detach();
    else
        m_shared->thread.join();
    deliverReports();
    return left;
}

int RecordingWriter::queuedRecords() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->queuedRecords;
}

void RecordingWriter::setSyncFunction(SyncFunction sync) {
    std::lock_guard lock(m_shared->mutex);
    m_shared->sync = std::move(sync);
}

void RecordingWriter::deliverReports() {
    std::vector<Outcome> lost;
    {
        std::lock_guard lock(m_shared->mutex);
        lost.swap(m_shared->lost);
        m_shared->deliveryPosted = false;
    }
    for (const Outcome& outcome : lost)
        emit recordLost(outcome.board, outcome.path);
}

} // namespace nimbar
