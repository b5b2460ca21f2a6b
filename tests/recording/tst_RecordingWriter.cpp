// The recording writer: order, shared syncs behind a slow disk, the bounded queue, lost records,
// and the engine's ticks staying on time while the disk stalls.
#include "EngineFixture.h"
#include "processing/DateTimeValue.h"
#include "recording/RecordingWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

using namespace nimbar;
using namespace std::chrono_literals;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::array<double, kChannelCount> ramp(double start) {
    std::array<double, kChannelCount> values{};
    for (int i = 0; i < kChannelCount; ++i)
        values[static_cast<std::size_t>(i)] = start + i;
    return values;
}

QByteArray recordBytes(double time, const std::array<double, kChannelCount>& values) {
    RecordingRecord record;
    record.time = time;
    std::memcpy(record.values, values.data(), sizeof record.values);
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof record);
}

QByteArray headerBytes(const RecordingHeader& header) {
    return QByteArray(reinterpret_cast<const char*>(&header), sizeof header);
}

// A disk whose syncs wait until it is opened; shared with the writer's thread, which may outlive
// a writer that gave up on it.
struct Gate {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    std::atomic<int> syncs = 0;

    void release() {
        std::lock_guard lock(mutex);
        open = true;
        opened.notify_all();
    }
    static RecordingWriter::SyncFunction syncThrough(std::shared_ptr<Gate> gate) {
        return [gate](QFile& file) {
            std::unique_lock lock(gate->mutex);
            gate->opened.wait(lock, [&] { return gate->open; });
            ++gate->syncs;
            return syncRecordingData(file);
        };
    }
};

const RecordingHeader kHeader = buildRecordingHeader(defaultBoardConfig(0, "D"), 1.0);

} // namespace

class RecordingWriterTest : public QObject {
    Q_OBJECT
private slots:
    void recordsQueuedBehindAStallShareOneSyncInOrder() {
        QTemporaryDir dir;
        const QString path = dir.filePath("20260315/A/100000.KRN");
        auto gate = std::make_shared<Gate>();
        RecordingWriter writer;
        writer.setSyncFunction(Gate::syncThrough(gate));
        writer.createFile(path, kHeader);
        QByteArray expected = headerBytes(kHeader);
        for (int i = 0; i < 50; ++i) {
            QVERIFY(writer.appendRecord(0, path, kHeader, 1.0 + i, ramp(i)));
            expected += recordBytes(1.0 + i, ramp(i));
        }
        QVERIFY(!writer.waitForIdle(100ms)); // the disk holds the first sync
        gate->release();
        QVERIFY(writer.waitForIdle(10s));
        QCOMPARE(readAll(path), expected);
        QVERIFY2(gate->syncs < 50, qPrintable(QString::number(gate->syncs)));
        QCOMPARE(writer.queuedRecords(), 0);

        // While the disk keeps up, every record is synced before the next.
        const int before = gate->syncs;
        for (int i = 0; i < 3; ++i) {
            QVERIFY(writer.appendRecord(0, path, kHeader, 100.0 + i, ramp(i)));
            QVERIFY(writer.waitForIdle(10s));
        }
        QCOMPARE(gate->syncs - before, 3);
    }

    void headersAreWrittenInTheirPlaceAmongTheRecords() {
        QTemporaryDir dir;
        const QString path = dir.filePath("a/b/r.KRN");
        RecordingWriter writer;
        RecordingHeader renamed = buildRecordingHeader(defaultBoardConfig(1, "D"), 1.0);
        // A file whose creation was never handed over gets its header before its first record.
        QVERIFY(writer.appendRecord(1, path, kHeader, 2.0, ramp(2)));
        writer.rewriteHeader(path, renamed);
        QVERIFY(writer.appendRecord(1, path, renamed, 3.0, ramp(3)));
        QVERIFY(writer.waitForIdle(10s));
        QCOMPARE(readAll(path),
                 headerBytes(renamed) + recordBytes(2.0, ramp(2)) + recordBytes(3.0, ramp(3)));

        // A part of a record left by a crash is cut before the next one.
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write("partial");
        file.close();
        QVERIFY(writer.appendRecord(1, path, renamed, 4.0, ramp(4)));
        QVERIFY(writer.waitForIdle(10s));
        QCOMPARE(readAll(path), headerBytes(renamed) + recordBytes(2.0, ramp(2)) +
                                    recordBytes(3.0, ramp(3)) + recordBytes(4.0, ramp(4)));
    }

    void lostRecordsAreReportedOncePerFileAndNothingIsHalfWritten() {
        QTemporaryDir dir;
        const QString path = dir.filePath("r.KRN");
        std::atomic<bool> failing = false;
        RecordingWriter writer;
        QSignalSpy lost(&writer, &RecordingWriter::recordLost);
        writer.createFile(path, kHeader);
        // The disk refuses to sync: the records of the failed sync are taken back.
        writer.setSyncFunction([&](QFile& file) { return !failing && syncRecordingData(file); });
        failing = true;
        QVERIFY(writer.appendRecord(2, path, kHeader, 2.0, ramp(2)));
        QVERIFY(writer.waitForIdle(10s));
        QCOMPARE(QFileInfo(path).size(), 544);
        QCOMPARE(lost.size(), 1);
        QCOMPARE(lost.at(0).at(0).toInt(), 2);
        QCOMPARE(lost.at(0).at(1).toString(), path);
        QVERIFY(writer.appendRecord(2, path, kHeader, 3.0, ramp(3)));
        QVERIFY(writer.waitForIdle(10s));
        QCOMPARE(lost.size(), 1); // the same file: said once

        failing = false;
        QVERIFY(writer.appendRecord(2, path, kHeader, 4.0, ramp(4)));
        QVERIFY(writer.waitForIdle(10s));
        QCOMPARE(readAll(path), headerBytes(kHeader) + recordBytes(4.0, ramp(4)));
        failing = true;
        QVERIFY(writer.appendRecord(2, path, kHeader, 5.0, ramp(5)));
        QVERIFY(writer.waitForIdle(10s));
        QCOMPARE(lost.size(), 2); // written in between: said again

        // Without the event loop the report still arrives, through it.
        lost.clear();
        const QString blocked = dir.filePath("blocked.KRN");
        QDir().mkpath(blocked);
        QVERIFY(writer.appendRecord(3, blocked, kHeader, 1.0, ramp(0)));
        QTRY_COMPARE(lost.size(), 1);
    }

    void aFullQueueDropsNewRecordsAndSaysSo() {
        QTemporaryDir dir;
        const QString path = dir.filePath("r.KRN");
        auto gate = std::make_shared<Gate>();
        RecordingWriter writer(4);
        QSignalSpy full(&writer, &RecordingWriter::queueFull);
        writer.setSyncFunction(Gate::syncThrough(gate));
        writer.createFile(path, kHeader);
        int accepted = 0;
        for (int i = 0; i < 10; ++i)
            accepted += writer.appendRecord(0, path, kHeader, 1.0 + i, ramp(i)) ? 1 : 0;
        QCOMPARE(accepted, 4);
        QCOMPARE(full.size(), 1);
        QCOMPARE(full.at(0).at(0).toInt(), 4);
        gate->release();
        QVERIFY(writer.waitForIdle(10s));
        QCOMPARE(QFileInfo(path).size(), 544 + 4 * 80);
        QCOMPARE(readAll(path).mid(544 + 3 * 80, 80), recordBytes(4.0, ramp(3)));
        QVERIFY(writer.appendRecord(0, path, kHeader, 20.0, ramp(0)));
        QVERIFY(writer.waitForIdle(10s));
        QCOMPARE(full.size(), 1);
    }

    void drainWaitsABoundedTimeAndCountsWhatIsLeft() {
        QTemporaryDir dir;
        const QString path = dir.filePath("r.KRN");
        auto gate = std::make_shared<Gate>();
        {
            RecordingWriter writer;
            writer.setSyncFunction(Gate::syncThrough(gate));
            for (int i = 0; i < 5; ++i)
                QVERIFY(writer.appendRecord(0, path, kHeader, 1.0 + i, ramp(i)));
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(writer.drain(300ms), 5);
            QVERIFY(clock.elapsed() < 5000);
            QVERIFY(!writer.appendRecord(0, path, kHeader, 9.0, ramp(0)));
        }
        gate->release(); // the abandoned thread ends with the disk

        RecordingWriter writer;
        for (int i = 0; i < 5; ++i)
            QVERIFY(writer.appendRecord(0, path, kHeader, 1.0 + i, ramp(i)));
        QCOMPARE(writer.drain(10s), 0);
        QCOMPARE((QFileInfo(path).size() - 544) % 80, 0);
    }

    // Four boards, a tick every quarter second; the disk stalls every sync for three seconds.
    void ticksStayOnTimeAndEveryRecordArrivesWhileTheDiskStalls() {
        EngineFixture f;
        f.writeSettings([](BoardConfigs& boards) { boards[0].english = 1; });
        Engine& w = f.start();
        w.timer1().stop();
        QDateTime now(QDate(2026, 3, 15), QTime(10, 0, 0));
        w.setClock([&] { return now; });

        QElapsedTimer clock;
        clock.start();
        constexpr qint64 kStallFrom = 500, kStallUntil = 3500;
        w.recordingWriter().setSyncFunction([&clock](QFile& file) {
            if (const qint64 t = clock.elapsed(); t >= kStallFrom && t < kStallUntil)
                std::this_thread::sleep_for(std::chrono::milliseconds(kStallUntil - t));
            return syncRecordingData(file);
        });

        constexpr int kTicks = 24, kInterval = 250;
        const QByteArray line = "000000, 000100, 000100, 000100, 000100, 000100, 000100\r\n";
        std::vector<double> times;
        // What a disk could hold back is the tick itself; when the timer fires also depends on
        // the machine's load and is only shown.
        qint64 longestTick = 0, worstLateness = 0;
        int mostQueued = 0;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(kInterval);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            for (BoardRuntime& runtime : w.runtimes()) {
                std::memcpy(runtime.lineBuffer, line.constData(), size_t(line.size()));
                runtime.lineReady = true;
            }
            times.push_back(toDateTimeValue(now));
            const qint64 fired = clock.elapsed();
            w.Timer1Timer();
            longestTick = std::max(longestTick, clock.elapsed() - fired);
            worstLateness =
                std::max(worstLateness, clock.elapsed() - qint64(times.size()) * kInterval);
            mostQueued = std::max(mostQueued, w.recordingWriter().queuedRecords());
            now = now.addSecs(1);
            if (int(times.size()) == kTicks)
                tick.stop();
        });
        clock.restart();
        tick.start();
        QTRY_VERIFY_WITH_TIMEOUT(!tick.isActive(), 30000);
        QVERIFY(w.recordingWriter().waitForIdle(30s));

        qInfo("longest tick %lld ms, latest tick end %lld ms after its time", longestTick,
              worstLateness);
        QVERIFY2(longestTick < 100, qPrintable(QString::number(longestTick)));
        QVERIFY2(mostQueued >= 8, qPrintable(QString::number(mostQueued))); // the stall was felt
        for (int b = 0; b < kBoardCount; ++b) {
            const QString path = w.runtimes()[b].filePath;
            QCOMPARE(QFileInfo(path).fileName(), QString("100000.KRN"));
            const QByteArray bytes = readAll(path);
            QCOMPARE(bytes.size(), 544 + kTicks * 80);
            for (int i = 0; i < kTicks; ++i) {
                double time = 0;
                std::memcpy(&time, bytes.constData() + 544 + 80 * i, sizeof time);
                QCOMPARE(time, times[size_t(i)]);
            }
        }
        QVERIFY2(!f.statuses.join('\n').contains("lost"), qPrintable(f.statuses.join('\n')));
    }
};

QTEST_GUILESS_MAIN(RecordingWriterTest)
#include "tst_RecordingWriter.moc"
