#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QtEndian>

#include <cstring>

namespace nimbar {

// A record's date-time and its value slots, little-endian doubles.
inline double recordTime(const char* record) {
    return qFromLittleEndian<double>(record);
}
inline double recordValue(const char* record, int slot) {
    return qFromLittleEndian<double>(record + 8 + 8 * slot);
}

// Reads the records of recording files in large chunks through one buffer, which a whole load
// shares: a fresh large block per read costs more than the read itself.
class RecordChunks {
public:
    static constexpr qint64 kChunkRecords = 4096;

    explicit RecordChunks(int recordSize, qint64 chunkRecords = kChunkRecords)
        : m_recordSize(recordSize),
          m_buffer(QByteArray(chunkRecords * recordSize, Qt::Uninitialized)) {}

    int recordSize() const { return m_recordSize; }

    // Calls visit(records, count) for each chunk of whole records read, until visit returns
    // false. A final fragment of a record still being written is no record. Returns false
    // when visit stopped it.
    template <typename Visit> bool forEachChunk(QIODevice& file, Visit&& visit) {
        char* chunk = m_buffer.data();
        qsizetype filled = 0;
        for (;;) {
            const qint64 got = file.read(chunk + filled, m_buffer.size() - filled);
            filled += qMax<qint64>(got, 0);
            const qsizetype whole = filled - filled % m_recordSize;
            if (whole > 0 && !visit(static_cast<const char*>(chunk), whole / m_recordSize))
                return false;
            const qsizetype rest = filled - whole;
            std::memmove(chunk, chunk + whole, static_cast<std::size_t>(rest));
            filled = rest;
            if (got <= 0)
                return true;
        }
    }

    // Calls visit(record) for each whole record from the file's position on, at most limit of
    // them (all when negative), until visit returns false. A final fragment of a record still
    // being written is no record. Returns false when visit stopped it.
    template <typename Visit> bool forEach(QIODevice& file, Visit&& visit, qint64 limit = -1) {
        char* chunk = m_buffer.data();
        qsizetype filled = 0;
        for (;;) {
            const qint64 got = file.read(chunk + filled, m_buffer.size() - filled);
            filled += qMax<qint64>(got, 0);
            const qsizetype whole = filled - filled % m_recordSize;
            for (qsizetype at = 0; at < whole; at += m_recordSize) {
                if (limit == 0)
                    return true;
                if (limit > 0)
                    --limit;
                if (!visit(static_cast<const char*>(chunk + at)))
                    return false;
            }
            const qsizetype rest = filled - whole;
            std::memmove(chunk, chunk + whole, static_cast<std::size_t>(rest));
            filled = rest;
            if (got <= 0)
                return true;
        }
    }

private:
    int m_recordSize;
    QByteArray m_buffer;
};

} // namespace nimbar
