#include "browser/OrderedRecords.h"

#include "browser/RecordChunks.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <queue>

namespace nimbar {

namespace {

// Records a merged run reads at a time.
constexpr qint64 kMergeChunk = 1024;

// A strict order even over the times of a damaged file: NaN comes last.
bool before(double a, double b) {
    return a < b || (!std::isnan(a) && std::isnan(b));
}

bool openRecording(QFile& file, const RecordingLayout& layout) {
    return file.exists() && file.open(QIODevice::ReadOnly) &&
           headerMatches(file.read(layout.headerSize), layout);
}

} // namespace

OrderedRecords::OrderedRecords(QStringList paths, const RecordingLayout& layout, int subsampling,
                               LoadPump pump)
    : m_paths(std::move(paths)), m_layout(layout),
      m_factor(qBound(1, subsampling, kMaxSubsampling)), m_pump(std::move(pump)) {}

bool OrderedRecords::pumpNow() {
    if (++m_pumpCount < kRecordsPerPump)
        return true;
    m_pumpCount = 0;
    return !m_pump || m_pump();
}

bool OrderedRecords::index() {
    m_fileRecords.assign(static_cast<std::size_t>(m_paths.size()), -1);
    m_runs.clear();
    RecordChunks chunks(m_layout.recordSize);
    for (int f = 0; f < m_paths.size(); ++f) {
        QFile file(m_paths[f]);
        if (!openRecording(file, m_layout))
            continue;
        qint64 k = 0;
        bool inRun = false;
        const bool whole = chunks.forEach(file, [&](const char* record) {
            if (!pumpNow())
                return false;
            if (selected(k)) {
                const double t = recordTime(record);
                if (!inRun || before(t, m_runs.back().last)) {
                    m_runs.push_back({f, k, k + 1, t, t});
                    inRun = true;
                } else {
                    m_runs.back().end = k + 1;
                    m_runs.back().last = t;
                }
            }
            ++k;
            return true;
        });
        if (!whole)
            return false;
        m_fileRecords[static_cast<std::size_t>(f)] = k;
    }
    return true;
}

bool OrderedRecords::forEach(const std::function<void(const char*)>& visit) {
    if (!index())
        return false;
    m_merged = false;
    for (std::size_t r = 1; r < m_runs.size() && !m_merged; ++r)
        m_merged = before(m_runs[r].first, m_runs[r - 1].last);
    return m_merged ? merge(visit) : readStraight(visit);
}

bool OrderedRecords::readStraight(const std::function<void(const char*)>& visit) {
    RecordChunks chunks(m_layout.recordSize);
    for (int f = 0; f < m_paths.size(); ++f) {
        const qint64 records = m_fileRecords[static_cast<std::size_t>(f)];
        if (records <= 0)
            continue;
        QFile file(m_paths[f]);
        if (!openRecording(file, m_layout))
            continue;
        qint64 k = 0;
        const bool whole = chunks.forEach(
            file,
            [&](const char* record) {
                if (!pumpNow())
                    return false;
                if (selected(k++))
                    visit(record);
                return true;
            },
            records);
        if (!whole)
            return false;
    }
    return true;
}

bool OrderedRecords::merge(const std::function<void(const char*)>& visit) {
    // A cursor per run; its buffer exists only while the run is being read, so memory follows
    // the runs that overlap, not all of them.
    struct Cursor {
        qint64 next;       // the run's next record to hand out
        qint64 bufferFrom; // the record index of the buffer's first record
        QByteArray buffer;
    };
    const int size = m_layout.recordSize;
    std::vector<Cursor> cursors(m_runs.size());
    for (std::size_t r = 0; r < m_runs.size(); ++r)
        cursors[r] = {m_runs[r].begin, 0, {}};

    // The record of run r at its cursor, read from the file when not in its buffer; nullptr
    // when the file no longer gives it.
    const auto recordAt = [&](std::size_t r) -> const char* {
        Cursor& c = cursors[r];
        const qint64 offset = c.next - c.bufferFrom;
        if (!c.buffer.isEmpty() && offset >= 0 && (offset + 1) * size <= c.buffer.size())
            return c.buffer.constData() + offset * size;
        const Run& run = m_runs[r];
        QFile file(m_paths[run.file]);
        if (!openRecording(file, m_layout) || !file.seek(m_layout.headerSize + c.next * size))
            return nullptr;
        const qint64 count = std::min(kMergeChunk, run.end - c.next);
        c.buffer = file.read(count * size);
        c.bufferFrom = c.next;
        return c.buffer.size() >= size ? c.buffer.constData() : nullptr;
    };
    const auto later = [&](const std::pair<double, std::size_t>& a,
                           const std::pair<double, std::size_t>& b) {
        if (before(a.first, b.first) || before(b.first, a.first))
            return before(b.first, a.first);
        return a.second > b.second; // equal times: the earlier run, so file order, first
    };
    std::priority_queue<std::pair<double, std::size_t>, std::vector<std::pair<double, std::size_t>>,
                        decltype(later)>
        heap(later);
    for (std::size_t r = 0; r < m_runs.size(); ++r)
        heap.push({m_runs[r].first, r});
    while (!heap.empty()) {
        const std::size_t r = heap.top().second;
        heap.pop();
        if (!pumpNow())
            return false;
        const char* record = recordAt(r);
        if (!record)
            continue; // the file went away since the first pass
        visit(record);
        Cursor& c = cursors[r];
        // The next selected record of the run.
        c.next += m_factor;
        if (c.next >= m_runs[r].end) {
            c.buffer = QByteArray();
            continue;
        }
        if (const char* next = recordAt(r))
            heap.push({recordTime(next), r});
    }
    return true;
}

} // namespace nimbar
