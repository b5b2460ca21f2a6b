// The spreadsheet writer: its records byte for byte, and a file written whole or not at all.
#include "FileContents.h"
#include "recording/XlsWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace nimbar;

class XlsWriterTest : public QObject {
    Q_OBJECT
private slots:
    void recordsAreByteExact() {
        QCOMPARE(XlsWriter::bofRecord().toHex(' '),
                 QByteArray("09 08 08 00 00 00 10 00 01 00 00 00"));
        QCOMPARE(XlsWriter::eofRecord().toHex(' '), QByteArray("0a 00 00 00"));
        QCOMPARE(XlsWriter::labelRecord(0, 1, "Time").toHex(' '),
                 QByteArray("04 02 0c 00 01 00 00 00 00 00 04 00 54 69 6d 65"));
        QCOMPARE(XlsWriter::numberRecord(1, 2, 1.5).toHex(' '),
                 QByteArray("03 02 0e 00 02 00 01 00 00 00 00 00 00 00 00 00 f8 3f"));
        const QByteArray title = XlsWriter::labelRecord(0, 0, "0123456789");
        QCOMPARE(title.size(), 22);
        QCOMPARE(title.mid(2, 2).toHex(), QByteArray("1200")); // length 18
    }

    void fileHoldsCellsInOrderWithKoreanInCodePage949() {
        QTemporaryDir temp;
        const QString path = temp.filePath("a.xls");
        XlsWriter writer;
        QVERIFY(writer.XlsOpen(path));
        writer.XlsWriteLabel(3, 0, QString::fromUtf8("온도"));
        writer.XlsWriteNumber(1, 2, 1.5);
        QVERIFY(!QFile::exists(path)); // nothing in place before the close
        QVERIFY(writer.XlsClose());
        QCOMPARE(fileContents(path),
                 XlsWriter::bofRecord() + XlsWriter::labelRecord(3, 0, "\xBF\xC2\xB5\xB5") +
                     XlsWriter::numberRecord(1, 2, 1.5) + XlsWriter::eofRecord());
    }

    void emptySheetIsSixteenBytes() {
        QTemporaryDir temp;
        XlsWriter writer;
        QVERIFY(writer.XlsOpen(temp.filePath("e.xls")));
        QVERIFY(writer.XlsClose());
        QCOMPARE(fileContents(temp.filePath("e.xls")).size(), 16);
    }

    void uncreatableFileIsReported() {
        XlsWriter writer;
        QVERIFY(!writer.XlsOpen("/nonexistent-dir/x.xls"));
        QVERIFY(!writer.errorString().isEmpty());
        QVERIFY(!writer.XlsClose());
    }
};

QTEST_GUILESS_MAIN(XlsWriterTest)
#include "tst_XlsWriter.moc"
