#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <cstdint>
#include <memory>

namespace nimbar {

// The smallest spreadsheet that spreadsheet programs open: BOF, text and number cells, EOF, in
// the binary interchange format's little-endian records. Texts are code page 949. The file is
// written whole or not at all: the cells go to a temporary file that replaces the named one only
// when XlsClose succeeds, so a full disk never leaves half a sheet that looks complete.
class XlsWriter {
public:
    XlsWriter();
    ~XlsWriter();
    XlsWriter(const XlsWriter&) = delete;
    XlsWriter& operator=(const XlsWriter&) = delete;

    // Creates (or will replace) the file and writes BOF; false when it cannot be created.
    bool XlsOpen(const QString& fileName);
    void XlsWriteLabel(int column, int row, const QString& text);
    void XlsWriteNumber(int column, int row, double value);
    // Writes EOF and puts the file in place; false (nothing replaced) when any write failed.
    bool XlsClose();
    // Why the last open or close failed.
    QString errorString() const;

    // The records themselves, for callers that build a sheet in memory.
    static QByteArray bofRecord();
    static QByteArray labelRecord(int column, int row, const QByteArray& cp949Text);
    static QByteArray numberRecord(int column, int row, double value);
    static QByteArray eofRecord();

private:
    void write(const QByteArray& bytes);

    std::unique_ptr<QSaveFile> m_file;
    QString m_error;
};

} // namespace nimbar
