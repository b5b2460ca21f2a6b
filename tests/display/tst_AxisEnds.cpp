// Round ends of the automatic value axis.
#include "display/AxisEnds.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace nimbar;

class AxisEndsTest : public QObject {
    Q_OBJECT
private slots:
    void roundsOutwardToWholeSteps_data() {
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        QTest::addColumn<double>("roundLower");
        QTest::addColumn<double>("roundUpper");
        QTest::newRow("demo plant") << 37.2 << 154.61727104297086 << 20.0 << 160.0;
        QTest::newRow("below zero") << -154.6 << -37.2 << -160.0 << -20.0;
        QTest::newRow("across zero") << -20.3 << 99.1 << -40.0 << 100.0;
        QTest::newRow("already round") << 0.0 << 100.0 << 0.0 << 100.0;
        QTest::newRow("tenths") << 0.12 << 0.98 << 0.0 << 1.0;
        QTest::newRow("tenths exact") << 0.6 << 1.4 << 0.6 << 1.4;
        QTest::newRow("narrow") << 24.45 << 25.55 << 24.4 << 25.6;
        QTest::newRow("flat line") << 5.0 << 5.0 << 4.4 << 5.6;
        QTest::newRow("millivolts") << 0.000312 << 0.000871 << 0.0003 << 0.0009;
        QTest::newRow("large") << 1234.0 << 98765.0 << 0.0 << 100000.0;
    }
    void roundsOutwardToWholeSteps() {
        QFETCH(double, lower);
        QFETCH(double, upper);
        QFETCH(double, roundLower);
        QFETCH(double, roundUpper);
        const AxisEnds ends = roundAxisEnds(lower, upper);
        QCOMPARE(ends.lower, roundLower);
        QCOMPARE(ends.upper, roundUpper);
    }

    void endsThatAreNotFiniteStay() {
        const double inf = std::numeric_limits<double>::infinity();
        const AxisEnds ends = roundAxisEnds(0.0, inf);
        QCOMPARE(ends.lower, 0.0);
        QVERIFY(std::isinf(ends.upper));
        QVERIFY(std::isnan(roundAxisEnds(std::nan(""), 1.0).lower));
    }
};

QTEST_GUILESS_MAIN(AxisEndsTest)
#include "tst_AxisEnds.moc"
