// What the line-feed handler keeps of the bytes it read from a board's port.
#include "device/LineAcceptance.h"
#include "processing/BoardRuntime.h"
#include "settings/ModelClass.h"

#include <QTest>

#include <cstring>

using namespace nimbar;

Q_DECLARE_METATYPE(nimbar::LineVerdict)

namespace {

// A measurement line as a device of the class sends it: six hex digits a channel, ", "
// between them, CR LF at the end.
QByteArray deviceLine(int modelClass, int seed = 0) {
    QByteArray line;
    for (int ch = 0; ch < channelCountOf(modelClass); ++ch) {
        if (ch > 0)
            line += ", ";
        line += QByteArray::number(0x100000 + seed * 0x111 + ch * 0x1F3, 16).toUpper();
    }
    return line + "\r\n";
}

// A runtime whose line length was set up the way the board setup does it: from the model.
BoardRuntime runtimeFor(const char* model) {
    BoardRuntime runtime;
    runtime.expectedLineLength = lineLengthOf(modelClassOf(model).value());
    return runtime;
}

} // namespace

class LineAcceptanceTest : public QObject {
    Q_OBJECT
private slots:
    void eachModelAcceptsItsOwnLineLength_data() {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<int>("modelClass");
        QTest::addColumn<int>("length");
        QTest::newRow("KARN-5610") << QByteArray("KARN-5610") << 0 << 56;
        QTest::newRow("KARN-5600") << QByteArray("KARN-5600") << 0 << 56;
        QTest::newRow("KARN-5400") << QByteArray("KARN-5400") << 1 << 40;
        QTest::newRow("KARN-5800") << QByteArray("KARN-5800") << 2 << 72;
    }
    void eachModelAcceptsItsOwnLineLength() {
        QFETCH(QByteArray, model);
        QFETCH(int, modelClass);
        QFETCH(int, length);
        BoardRuntime runtime = runtimeFor(model.constData());
        QCOMPARE(runtime.expectedLineLength, length);

        const QByteArray line = deviceLine(modelClass);
        QCOMPARE(line.size(), length);
        QCOMPARE(judgeLine(line, length, false), LineVerdict::Accept);
        QCOMPARE(acceptLine(runtime, line, false), LineVerdict::Accept);
        QVERIFY(runtime.lineReady);
        QCOMPARE(QByteArray(runtime.lineBuffer), line);

        // A line of another model is the wrong length here.
        for (int other = 0; other < kModelClassCount; ++other) {
            if (other != modelClass)
                QCOMPARE(judgeLine(deviceLine(other), length, false), LineVerdict::WrongLength);
        }
    }

    void partialExtendedAndQueuedLinesAreRefused_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray line = deviceLine(0);
        QTest::newRow("55 bytes: first byte lost") << line.mid(1);
        QTest::newRow("55 bytes: CR lost") << line.first(54) + "\n";
        QTest::newRow("57 bytes: extra blank") << " " + line;
        QTest::newRow("57 bytes: LF CR LF") << line.first(54) + "\n\r\n";
        QTest::newRow("two lines") << line + deviceLine(0, 1);
        QTest::newRow("empty") << QByteArray();
    }
    void partialExtendedAndQueuedLinesAreRefused() {
        QFETCH(QByteArray, bytes);
        QCOMPARE(judgeLine(bytes, 56, false), LineVerdict::WrongLength);
        QCOMPARE(judgeLine(bytes, 56, true), LineVerdict::WrongLength);
    }

    void aLineFeedBeforeTheEndIsRefused() {
        const QByteArray line = deviceLine(0);
        // The tail of one line and the start of the next, together the right length.
        const QByteArray straddling = line.last(20) + line.first(36);
        QCOMPARE(straddling.size(), 56);
        QCOMPARE(judgeLine(straddling, 56, false), LineVerdict::LineFeedNotLast);

        QByteArray early = line;
        early[10] = '\n';
        QCOMPARE(judgeLine(early, 56, false), LineVerdict::LineFeedNotLast);

        // No line feed at all is no line either.
        QByteArray noLineFeed = line;
        noLineFeed[55] = '\r';
        QCOMPARE(judgeLine(noLineFeed, 56, false), LineVerdict::LineFeedNotLast);

        // Only the line feed is checked: a missing CR does not matter.
        QByteArray noCr = line;
        noCr[54] = ' ';
        QCOMPARE(judgeLine(noCr, 56, false), LineVerdict::Accept);
    }

    void verdictPrecedence() {
        const QByteArray line = deviceLine(0);
        QByteArray early = line;
        early[3] = '\n';
        // The length is judged first, then the chart, then the line feed.
        QCOMPARE(judgeLine(line.mid(1), 56, true), LineVerdict::WrongLength);
        QCOMPARE(judgeLine(early.mid(1), 56, true), LineVerdict::WrongLength);
        QCOMPARE(judgeLine(line, 56, true), LineVerdict::ChartBusy);
        QCOMPARE(judgeLine(early, 56, true), LineVerdict::ChartBusy);
        QCOMPARE(judgeLine(early, 56, false), LineVerdict::LineFeedNotLast);
    }

    void noExpectedLengthAcceptsNothing() {
        for (const QByteArray& bytes : {QByteArray(), QByteArray("\n"), deviceLine(0)}) {
            QCOMPARE(judgeLine(bytes, 0, false), LineVerdict::WrongLength);
            QCOMPARE(judgeLine(bytes, -1, false), LineVerdict::WrongLength);
        }
        BoardRuntime runtime; // not set up yet
        QCOMPARE(runtime.expectedLineLength, 0);
        QCOMPARE(acceptLine(runtime, QByteArray(), false), LineVerdict::WrongLength);
        QVERIFY(!runtime.lineReady);
    }

    void anAcceptedLineReplacesTheBufferNulTerminated() {
        BoardRuntime runtime = runtimeFor("KARN-5800");
        std::memset(runtime.lineBuffer, 'x', sizeof runtime.lineBuffer);
        QCOMPARE(acceptLine(runtime, deviceLine(2), false), LineVerdict::Accept);

        // A shorter line afterwards leaves nothing of the longer one behind.
        runtime.expectedLineLength = 40;
        runtime.lineReady = false;
        const QByteArray line = deviceLine(1, 7);
        QCOMPARE(acceptLine(runtime, line, false), LineVerdict::Accept);
        QVERIFY(runtime.lineReady);
        QCOMPARE(QByteArray(runtime.lineBuffer, 40), line);
        for (int i = 40; i < kLineBufferSize; ++i)
            QCOMPARE(runtime.lineBuffer[i], '\0');
    }

    void aRefusedLineLeavesBufferAndFlagAlone() {
        const QByteArray kept = deviceLine(0, 3);
        QByteArray early = deviceLine(0, 4);
        early[20] = '\n';
        const QByteArray refused[] = {deviceLine(0, 5).mid(2), deviceLine(0) + deviceLine(0, 1),
                                      early};
        for (const bool ready : {false, true}) {
            for (const bool busy : {false, true}) {
                for (const QByteArray& bytes : refused) {
                    BoardRuntime runtime = runtimeFor("KARN-5610");
                    QCOMPARE(acceptLine(runtime, kept, false), LineVerdict::Accept);
                    runtime.lineReady = ready;
                    char before[kLineBufferSize];
                    std::memcpy(before, runtime.lineBuffer, sizeof before);
                    QVERIFY(acceptLine(runtime, bytes, busy) != LineVerdict::Accept);
                    QCOMPARE(runtime.lineReady, ready);
                    QCOMPARE(std::memcmp(before, runtime.lineBuffer, sizeof before), 0);
                }
                // A good line while a chart operation runs is refused as well.
                BoardRuntime runtime = runtimeFor("KARN-5610");
                runtime.lineReady = ready;
                if (busy)
                    QCOMPARE(acceptLine(runtime, kept, true), LineVerdict::ChartBusy);
                QCOMPARE(runtime.lineReady, ready);
                QCOMPARE(runtime.lineBuffer[0], '\0');
            }
        }
    }

    void aLengthTheBufferCannotHoldIsRefused() {
        // The runtime is derived from a record that may come from a file; a length beyond the
        // buffer must not be copied into it.
        BoardRuntime runtime;
        runtime.expectedLineLength = kLineBufferSize;
        QByteArray huge(kLineBufferSize - 1, 'A');
        huge += '\n';
        QCOMPARE(judgeLine(huge, kLineBufferSize, false), LineVerdict::Accept);
        QCOMPARE(acceptLine(runtime, huge, false), LineVerdict::WrongLength);
        QVERIFY(!runtime.lineReady);
        QCOMPARE(runtime.lineBuffer[0], '\0');

        // One byte less still fits with its terminator.
        runtime.expectedLineLength = kLineBufferSize - 1;
        QCOMPARE(acceptLine(runtime, huge.mid(1), false), LineVerdict::Accept);
        QCOMPARE(runtime.lineBuffer[kLineBufferSize - 1], '\0');
    }
};

QTEST_GUILESS_MAIN(LineAcceptanceTest)
#include "tst_LineAcceptance.moc"
