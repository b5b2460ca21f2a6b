#pragma once

#include "browser/RecordingLayout.h"
#include "browser/RecordingLoader.h"

#include <QStringList>

#include <functional>
#include <vector>

namespace nimbar {

// Every N-th record of each recording file (records N, 2N, ... counted from the file's first),
// handed out in ascending time order, equal times in file order, in memory that does not grow
// with the files. A first pass splits the files into runs of non-decreasing times: when each run
// ends before the next begins (the usual case) the files are then read straight through,
// otherwise (a clock set back) the runs are merged. Files of another layout are skipped, and
// records appended after the first pass are left for another time.
class OrderedRecords {
public:
    OrderedRecords(QStringList paths, const RecordingLayout& layout, int subsampling,
                   LoadPump pump = {});

    // Calls visit for each record in order; false when the pump stopped it.
    bool forEach(const std::function<void(const char* record)>& visit);

    // After forEach: whether the runs had to be merged.
    bool merged() const { return m_merged; }

private:
    struct Run {
        int file;
        qint64 begin; // record indices in the file, end excluded
        qint64 end;
        double first;
        double last;
    };
    bool index();
    bool selected(qint64 record) const { return (record + 1) % m_factor == 0; }
    bool pumpNow();
    bool readStraight(const std::function<void(const char*)>& visit);
    bool merge(const std::function<void(const char*)>& visit);

    QStringList m_paths;
    const RecordingLayout& m_layout;
    int m_factor;
    LoadPump m_pump;
    int m_pumpCount = 0;
    std::vector<qint64> m_fileRecords; // per path, at the first pass; -1 when skipped
    std::vector<Run> m_runs;
    bool m_merged = false;
};

} // namespace nimbar
