// The bytes on the wire, and the reassembly of responses that TCP splits or merges.
#include "net/NetFrame.h"

#include <QTest>

#include <cstring>

using namespace nimbar;

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

} // namespace

class NetFrameTest : public QObject {
    Q_OBJECT
private slots:
    void framesAreByteExact() {
        QCOMPARE(encodeRequest(NetCode::Measurement), hex("a000000005"));
        QCOMPARE(encodeRequest(NetCode::Configuration), hex("b000000005"));

        char served[180];
        std::memset(served, 'x', sizeof served); // bytes past the 80 sent ones stay home
        const QByteArray line = "000123, 000456, 000789, 000abc, 000def, 000111, 000222\r\n";
        QCOMPARE(line.size(), 56);
        std::memset(served, 0, 80);
        std::memcpy(served, line.constData(), 56);
        const QByteArray measurement = measurementResponse(served);
        QCOMPARE(measurement.size(), 88);
        QCOMPARE(measurement.left(8), hex("a000000058000000"));
        QCOMPARE(measurement.mid(8, 56), line);
        QCOMPARE(measurement.mid(64), QByteArray(24, '\0'));

        BoardConfig board{};
        board.boardIndex = 2;
        board.queueLength = 3600;
        const QByteArray config = configurationResponse(board);
        QCOMPARE(config.size(), 1168);
        QCOMPARE(config.left(8), hex("b000000090040000"));
        QCOMPARE(config.mid(8, 4), hex("02000000"));
        QCOMPARE(config.right(4), hex("100e0000"));

        const QByteArray paused = pausedResponse();
        QCOMPARE(paused.size(), 88);
        QCOMPARE(paused.left(8), hex("c000000058000000"));
        QCOMPARE(paused.mid(8), QByteArray(80, '\0'));

        QCOMPARE(closingResponse("Too many user"), hex("f000000015000000") + "Too many user");
        QCOMPARE(closingResponse("Server is closed"), hex("f000000018000000") + "Server is closed");
    }

    void serverAnswersByLinkWatchdog() {
        QCOMPARE(answerFor(0xA0, -1), ServerAnswer::Measurement);
        QCOMPARE(answerFor(0xA0, 0), ServerAnswer::Measurement);
        QCOMPARE(answerFor(0xA0, 1), ServerAnswer::Paused);
        QCOMPARE(answerFor(0xB0, 5), ServerAnswer::Configuration);
        QCOMPARE(answerFor(0xC0, 0), ServerAnswer::Unknown);
    }

    void assemblerReassemblesSplitAndMergedFrames() {
        BoardConfig board{};
        board.queueLength = 3600;
        const QByteArray config = configurationResponse(board);
        FrameAssembler assembler;
        QVERIFY(assembler.feed(config.left(3)).frames.isEmpty());
        QVERIFY(assembler.feed(config.mid(3, 600)).frames.isEmpty());
        auto result = assembler.feed(config.mid(603));
        QCOMPARE(result.frames.size(), 1);
        QCOMPARE(result.frames[0].code, NetCode::Configuration);
        QCOMPARE(result.frames[0].configuration().queueLength, 3600);
        QCOMPARE(assembler.pending(), 0);

        char served[180] = "0001";
        result =
            assembler.feed(measurementResponse(served) + pausedResponse() + closingResponse("Ser"));
        QCOMPARE(result.frames.size(), 3);
        QCOMPARE(result.frames[2].bytes, closingResponse("Ser"));
        const QByteArray received = result.frames[0].measurementLine();
        QCOMPARE(received.size(), 180);
        QCOMPARE(QByteArray(received.constData()), QByteArray("0001"));
    }

    void badLengthsDropTheBuffer() {
        FrameAssembler assembler;
        QByteArray oversized = encodeResponse(0xA0, QByteArray(80, 'a'));
        oversized[4] = char(0xE5); // 1509
        oversized[5] = 0x05;
        auto result = assembler.feed(oversized);
        QVERIFY(result.oversized);
        QVERIFY(result.frames.isEmpty());
        QCOMPARE(assembler.pending(), 0);

        // A length below the header cannot advance: dropped, never a loop.
        result = assembler.feed(hex("a000000003000000"));
        QVERIFY(result.oversized);

        // The buffer is usable again afterwards.
        result = assembler.feed(pausedResponse());
        QCOMPARE(result.frames.size(), 1);
    }

    void untrustedPayloadsStayBounded() {
        // A measurement frame with a whole payload of text: the line is cut and terminated.
        ReceivedFrame frame;
        frame.code = NetCode::Measurement;
        frame.bytes = encodeResponse(NetCode::Measurement, QByteArray(1500, 'z'));
        const QByteArray line = frame.measurementLine();
        QCOMPARE(line.size(), 180);
        QCOMPARE(line[179], '\0');
        // A short configuration frame leaves the missing fields zero.
        frame.bytes = encodeResponse(NetCode::Configuration, hex("03000000"));
        QCOMPARE(frame.configuration().boardIndex, 3);
        QCOMPARE(frame.configuration().queueLength, 0);
    }
};

QTEST_GUILESS_MAIN(NetFrameTest)
#include "tst_NetFrame.moc"
