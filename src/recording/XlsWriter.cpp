#include "recording/XlsWriter.h"

#include "settings/RecordText.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace nimbar {

namespace {

// A label's length field is 16 bits, and so is the text length inside it.
constexpr int kMaxLabelBytes = 0xFFFF - 8;

void appendU16(QByteArray& out, int value) {
    char bytes[2];
    qToLittleEndian<quint16>(static_cast<quint16>(value), bytes);
    out.append(bytes, 2);
}

QByteArray recordHead(int type, int length) {
    QByteArray out;
    appendU16(out, type);
    appendU16(out, length);
    return out;
}

} // namespace

XlsWriter::XlsWriter() = default;
XlsWriter::~XlsWriter() = default; // an unclosed writer leaves the old file untouched

QByteArray XlsWriter::bofRecord() {
    QByteArray out = recordHead(0x0809, 8);
    for (int word : {0x0000, 0x0010, 0x0001, 0x0000})
        appendU16(out, word);
    return out;
}

QByteArray XlsWriter::labelRecord(int column, int row, const QByteArray& cp949Text) {
    const QByteArray text = cp949Text.left(kMaxLabelBytes);
    QByteArray out = recordHead(0x0204, static_cast<int>(text.size()) + 8);
    appendU16(out, row);
    appendU16(out, column);
    appendU16(out, 0);
    appendU16(out, static_cast<int>(text.size()));
    out.append(text);
    return out;
}

QByteArray XlsWriter::numberRecord(int column, int row, double value) {
    QByteArray out = recordHead(0x0203, 14);
    appendU16(out, row);
    appendU16(out, column);
    appendU16(out, 0);
    char bytes[8];
    qToLittleEndian<double>(value, bytes);
    out.append(bytes, 8);
    return out;
}

QByteArray XlsWriter::eofRecord() {
    return recordHead(0x000A, 0);
}

bool XlsWriter::XlsOpen(const QString& fileName) {
    m_file = std::make_unique<QSaveFile>(fileName);
    m_error.clear();
    if (!m_file->open(QIODevice::WriteOnly)) {
        m_error = m_file->errorString();
        m_file.reset();
        return false;
    }
    write(bofRecord());
    return true;
}

void XlsWriter::XlsWriteLabel(int column, int row, const QString& text) {
    write(labelRecord(column, row, encodeCp949(text)));
}

void XlsWriter::XlsWriteNumber(int column, int row, double value) {
    write(numberRecord(column, row, value));
}

bool XlsWriter::XlsClose() {
    if (!m_file)
        return false;
    write(eofRecord());
    // commit() does not fail on a flush that the disk cuts short: flush first and say so.
    if (!m_file->flush()) {
        if (m_error.isEmpty())
            m_error = m_file->errorString();
        m_file->cancelWriting();
    }
    const bool committed = m_file->commit();
    if (!committed && m_error.isEmpty())
        m_error = m_file->errorString();
    m_file.reset();
    return committed;
}

QString XlsWriter::errorString() const {
    return m_error;
}

void XlsWriter::write(const QByteArray& bytes) {
    if (!m_file)
        return;
    // QSaveFile remembers a failed write and refuses to commit.
    if (m_file->write(bytes) != bytes.size() && m_error.isEmpty())
        m_error = m_file->errorString();
}

} // namespace nimbar
