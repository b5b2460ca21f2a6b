// The pieces of the sample pipeline that work without a window: the line parser, the running
// median and the memo line.
#include "processing/MeasurementLine.h"
#include "processing/MedianFilter.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace nimbar;

class PipelineCoreTest : public QObject {
    Q_OBJECT
private slots:
    void classZeroLineGivesItsSevenFields() {
        const char line[] = "0F3A21, 000123, FFFFFF, 7FFFFF, 800000, 000000, 400000\r\n";
        QCOMPARE(sizeof line - 1, std::size_t(56));
        const MeasurementCodes codes = parseMeasurementLine(line, sizeof line, 0);
        const MeasurementCodes expected{0x0F3A21, 0x000123, 0xFFFFFF, 0x7FFFFF, 0x800000,
                                        0x000000, 0x400000, 0x7FFFFF, 0x7FFFFF};
        QCOMPARE(codes, expected);
    }

    void parsingStopsAtTheFirstFieldThatDoesNotMatch() {
        const char line[] = "000A00, 0001F0; 000200, 000300, 000400\r\n";
        const MeasurementCodes codes = parseMeasurementLine(line, sizeof line, 1);
        QCOMPARE(codes[0], 0x000A00u);
        QCOMPARE(codes[1], 0x0001F0u);
        QCOMPARE(codes[2], 0x7FFFFFu);
        QCOMPARE(parseMeasurementLine("zz", 3, 0)[0], 0u);
        QCOMPARE(referenceField("000A00, 1", 9), 0x000A00u);
        QCOMPARE(referenceField("fff600", 6), 0xFFF600u);
        QCOMPARE(referenceField("0A0", 3), std::nullopt);
        QCOMPARE(referenceField("12 456, 000100", 14), std::nullopt);
    }

    void parsingNeverReadsPastTheBuffer() {
        char buffer[180];
        std::memset(buffer, '1', sizeof buffer); // no terminator, no separators
        QCOMPARE(parseMeasurementLine(buffer, sizeof buffer, 2)[0], 0xFFFFFFFFu);
        std::memset(buffer, ',', sizeof buffer);
        QCOMPARE(parseMeasurementLine(buffer, sizeof buffer, 2)[1], 0x7FFFFFu);
        QCOMPARE(referenceField(buffer, 2), std::nullopt);
    }

    void medianWindows_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<double>>("input");
        QTest::addColumn<QList<double>>("output");
        QTest::newRow("off at 0") << 0 << QList<double>{5, 1, 9} << QList<double>{5, 1, 9};
        QTest::newRow("off at 1") << 1 << QList<double>{5, 1, 9} << QList<double>{5, 1, 9};
        // Four values: the second smallest once the window is full.
        QTest::newRow("four") << 4 << QList<double>{4, 1, 3, 0, 10} << QList<double>{4, 1, 3, 1, 1};
        // Five values: the first four pass, the fifth is the median of five.
        QTest::newRow("five") << 5 << QList<double>{50, 10, 40, 20, 30, 0}
                              << QList<double>{50, 10, 40, 20, 30, 20};
    }
    void medianWindows() {
        QFETCH(int, n);
        QFETCH(QList<double>, input);
        QFETCH(QList<double>, output);
        MedianFilter filter;
        QList<double> got;
        for (double value : input)
            got << filter.filter(value, n);
        QCOMPARE(got, output);
    }

    void medianMatchesASortedWindow() {
        QRandomGenerator random(7);
        for (int n : {2, 3, 6, 31}) {
            MedianFilter filter;
            QList<double> window;
            for (int i = 0; i < 500; ++i) {
                const double value = random.bounded(20); // many equal values
                window << value;
                const double got = filter.filter(value, n);
                if (window.size() < n)
                    continue;
                QList<double> sorted = window;
                std::sort(sorted.begin(), sorted.end());
                QCOMPARE(got, sorted.at(n - (n / 2 + 1)));
                window.removeFirst();
            }
        }
    }

    void memoLineGivesTheLastChannelThreeDecimals() {
        std::array<double, kChannelCount> values{25.0, 1.234, -2.5, 3, 4, 100.12345, 0, 0, 0};
        QCOMPARE(memoLine(12, "03-15 09:58:07", values, 1),
                 QString("    12 03-15 09:58:07   25.00    1.23   -2.50    3.00   4.000 "));
    }
};

QTEST_GUILESS_MAIN(PipelineCoreTest)
#include "tst_PipelineCore.moc"
