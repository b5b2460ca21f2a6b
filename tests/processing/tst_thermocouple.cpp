#include "processing/Thermocouple.h"
#include "processing/ThermocoupleTables.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <vector>

using namespace nimbar;

namespace {

double lowerPiece(const TcFunction& function, double boundary) {
    for (const TcPolynomial& piece : function.pieces) {
        if (piece.upper == boundary)
            return PolyEval(boundary, piece.coefficients.data(),
                            static_cast<int>(piece.coefficients.size()));
    }
    return std::numeric_limits<double>::quiet_NaN();
}

double upperPiece(const TcFunction& function, double boundary, double x) {
    for (std::size_t i = 0; i + 1 < function.pieces.size(); ++i) {
        if (function.pieces[i].upper == boundary) {
            const auto& c = function.pieces[i + 1].coefficients;
            return PolyEval(x, c.data(), static_cast<int>(c.size()));
        }
    }
    return std::numeric_limits<double>::quiet_NaN();
}

// NIST's error band of each inverse piece (largest magnitude of its published error range, C),
// keyed by the upper end of the piece in mV.
struct InverseBand {
    double upperMv;
    double bandC;
};

std::vector<InverseBand> inverseBands(char letter) {
    switch (letter) {
    case 'B':
        return {{2.431, 0.03}, {13.820, 0.02}};
    case 'E':
        return {{0.0, 0.03}, {76.373, 0.02}};
    case 'J':
        return {{0.0, 0.05}, {42.919, 0.04}, {69.553, 0.04}};
    case 'K':
        return {{0.0, 0.04}, {20.644, 0.05}, {54.886, 0.06}};
    case 'N':
        return {{0.0, 0.03}, {20.613, 0.03}, {47.513, 0.04}};
    case 'R':
        return {{1.923, 0.02}, {13.228, 0.005}, {19.739, 0.001}, {21.103, 0.002}};
    case 'S':
        return {{1.874, 0.02}, {11.950, 0.01}, {17.536, 0.0002}, {18.693, 0.002}};
    case 'T':
        return {{0.0, 0.04}, {20.872, 0.03}};
    default:
        return {};
    }
}

} // namespace

class TestThermocouple : public QObject {
    Q_OBJECT

private slots:
    void polyEvalSumsPowers();

    void emfMatchesNistTable_data();
    void emfMatchesNistTable();
    void temperatureOfTableEmf_data();
    void temperatureOfTableEmf();
    void inverseStaysInNistBand_data();
    void inverseStaysInNistBand();

    void boundaryBelongsToLowerPiece_data();
    void boundaryBelongsToLowerPiece();
    void limitsInclusiveOneStepBeyondIsError_data();
    void limitsInclusiveOneStepBeyondIsError();

    void typeKExponentialOnlyAboveZero();
    void inverseEdgeCases();
    void referenceEmfAddedBeforeRangeCheck();
    void unknownLettersAndNonFiniteInputs_data();
    void unknownLettersAndNonFiniteInputs();
};

void TestThermocouple::polyEvalSumsPowers() {
    const double c[] = {1.0, -2.0, 0.5, 0.0, 0.0};
    QCOMPARE(PolyEval(3.0, c, 5), 1.0 - 6.0 + 4.5);
    QCOMPARE(PolyEval(3.0, c, 1), 1.0);
    QCOMPARE(PolyEval(3.0, c, 0), 0.0);
}

// One row per published value of the NIST ITS-90 tables (mV at integer C, three decimals), and
// the EMFs that head the published inverse ranges at the non-integer limits.
void TestThermocouple::emfMatchesNistTable_data() {
    QTest::addColumn<char>("letter");
    QTest::addColumn<double>("tempC");
    QTest::addColumn<double>("tableMv");

    const struct {
        char letter;
        double tempC;
        double mv;
    } rows[] = {
        {'B', 0, 0.000},     {'B', 20, -0.003},     {'B', 100, 0.033},   {'B', 250, 0.291},
        {'B', 630, 1.975},   {'B', 631, 1.981},     {'B', 700, 2.431},   {'B', 1000, 4.834},
        {'B', 1500, 10.099}, {'B', 1820, 13.820},   {'E', -270, -9.835}, {'E', -200, -8.825},
        {'E', -100, -5.237}, {'E', -1, -0.059},     {'E', 0, 0.000},     {'E', 1, 0.059},
        {'E', 100, 6.319},   {'E', 500, 37.005},    {'E', 700, 53.112},  {'E', 1000, 76.373},
        {'J', -210, -8.095}, {'J', -100, -4.633},   {'J', 0, 0.000},     {'J', 100, 5.269},
        {'J', 500, 27.393},  {'J', 760, 42.919},    {'J', 761, 42.983},  {'J', 1000, 57.953},
        {'J', 1200, 69.553}, {'K', -270, -6.458},   {'K', -200, -5.891}, {'K', -100, -3.554},
        {'K', -10, -0.392},  {'K', 0, 0.000},       {'K', 10, 0.397},    {'K', 25, 1.000},
        {'K', 100, 4.096},   {'K', 500, 20.644},    {'K', 1000, 41.276}, {'K', 1372, 54.886},
        {'N', -270, -4.345}, {'N', -200, -3.990},   {'N', -100, -2.407}, {'N', 0, 0.000},
        {'N', 100, 2.774},   {'N', 600, 20.613},    {'N', 1000, 36.256}, {'N', 1300, 47.513},
        {'R', -50, -0.226},  {'R', 0, 0.000},       {'R', 100, 0.647},   {'R', 500, 4.471},
        {'R', 1000, 10.506}, {'R', 1064, 11.361},   {'R', 1065, 11.375}, {'R', 1500, 17.451},
        {'R', 1664, 19.732}, {'R', 1664.5, 19.739}, {'R', 1665, 19.746}, {'R', 1700, 20.222},
        {'R', 1768, 21.101}, {'R', 1768.1, 21.103}, {'S', -50, -0.236},  {'S', 0, 0.000},
        {'S', 100, 0.646},   {'S', 500, 4.233},     {'S', 1000, 9.587},  {'S', 1064, 10.332},
        {'S', 1065, 10.344}, {'S', 1500, 15.582},   {'S', 1664, 17.530}, {'S', 1664.5, 17.536},
        {'S', 1665, 17.542}, {'S', 1700, 17.947},   {'S', 1768, 18.693}, {'T', -270, -6.258},
        {'T', -200, -5.603}, {'T', -100, -3.379},   {'T', 0, 0.000},     {'T', 100, 4.279},
        {'T', 200, 9.288},   {'T', 400, 20.872},
    };
    for (const auto& r : rows)
        QTest::addRow("%c %g C", r.letter, r.tempC) << r.letter << r.tempC << r.mv;
}

void TestThermocouple::emfMatchesNistTable() {
    QFETCH(char, letter);
    QFETCH(double, tempC);
    QFETCH(double, tableMv);
    const double emf = TcTempToEmf(letter, tempC);
    QVERIFY2(std::abs(emf - tableMv) <= 0.0005 + 1e-9, qPrintable(QString::number(emf, 'f', 6)));
}

// Published table EMFs converted back. The allowance is the piece's NIST error band plus what
// the table's rounding to 0.001 mV is worth in C at that temperature.
void TestThermocouple::temperatureOfTableEmf_data() {
    QTest::addColumn<char>("letter");
    QTest::addColumn<double>("tableMv");
    QTest::addColumn<double>("tempC");
    QTest::addColumn<double>("toleranceC");

    const struct {
        char letter;
        double mv;
        double tempC;
        double tol;
    } rows[] = {
        {'B', 0.291, 250, 0.20},    {'B', 0.787, 400, 0.16},    {'B', 1.792, 600, 0.12},
        {'B', 2.431, 700, 0.12},    {'B', 4.834, 1000, 0.08},   {'B', 10.099, 1500, 0.07},
        {'B', 13.820, 1820, 0.07},  {'E', -8.825, -200, 0.05},  {'E', -5.237, -100, 0.045},
        {'E', -0.059, -1, 0.04},    {'E', 6.319, 100, 0.03},    {'E', 37.005, 500, 0.03},
        {'E', 76.373, 1000, 0.03},  {'J', -8.095, -210, 0.08},  {'J', -4.633, -100, 0.065},
        {'J', 5.269, 100, 0.05},    {'J', 27.393, 500, 0.05},   {'J', 42.919, 760, 0.05},
        {'J', 57.953, 1000, 0.05},  {'J', 69.553, 1200, 0.05},  {'K', -5.891, -200, 0.075},
        {'K', -3.554, -100, 0.06},  {'K', -0.392, -10, 0.055},  {'K', 0.397, 10, 0.065},
        {'K', 4.096, 100, 0.065},   {'K', 20.644, 500, 0.065},  {'K', 41.276, 1000, 0.075},
        {'K', 54.886, 1372, 0.075}, {'N', -3.990, -200, 0.08},  {'N', -2.407, -100, 0.055},
        {'N', 2.774, 100, 0.05},    {'N', 20.613, 600, 0.045},  {'N', 36.256, 1000, 0.055},
        {'N', 47.513, 1300, 0.055}, {'R', -0.226, -50, 0.17},   {'R', 0.647, 100, 0.09},
        {'R', 4.471, 500, 0.055},   {'R', 10.506, 1000, 0.045}, {'R', 13.228, 1200, 0.045},
        {'R', 17.451, 1500, 0.04},  {'R', 19.732, 1664, 0.04},  {'R', 20.222, 1700, 0.045},
        {'R', 21.101, 1768, 0.045}, {'S', -0.194, -40, 0.12},   {'S', 0.646, 100, 0.095},
        {'S', 4.233, 500, 0.06},    {'S', 9.587, 1000, 0.055},  {'S', 11.939, 1199, 0.055},
        {'S', 15.582, 1500, 0.045}, {'S', 17.530, 1664, 0.045}, {'S', 17.947, 1700, 0.045},
        {'S', 18.693, 1768, 0.05},  {'T', -5.603, -200, 0.075}, {'T', -3.379, -100, 0.06},
        {'T', 4.279, 100, 0.045},   {'T', 20.872, 400, 0.04},
    };
    for (const auto& r : rows)
        QTest::addRow("%c %g mV", r.letter, r.mv) << r.letter << r.mv << r.tempC << r.tol;
}

void TestThermocouple::temperatureOfTableEmf() {
    QFETCH(char, letter);
    QFETCH(double, tableMv);
    QFETCH(double, tempC);
    QFETCH(double, toleranceC);
    const double t = TcEmfToTemp(letter, tableMv, 0.0);
    QVERIFY(t != TcError);
    QVERIFY2(std::abs(t - tempC) <= toleranceC, qPrintable(QString::number(t, 'f', 4)));
}

// Every 0.05 C of each type's range whose EMF the inverse covers comes back within NIST's stated
// band of the inverse piece that serves it: a mistyped coefficient in either direction shows.
void TestThermocouple::inverseStaysInNistBand_data() {
    QTest::addColumn<char>("letter");
    for (const char* p = kTcLetters; *p; ++p)
        QTest::addRow("%c", *p) << *p;
}

void TestThermocouple::inverseStaysInNistBand() {
    QFETCH(char, letter);
    const TcTypeTables* tables = tcTablesOf(letter);
    QVERIFY(tables);
    const auto bands = inverseBands(letter);
    QCOMPARE(bands.size(), tables->inverse.pieces.size());

    int checked = 0;
    const double lower = tables->reference.lower;
    const double upper = tables->reference.upper();
    for (int i = 0; lower + i * 0.05 <= upper; ++i) {
        const double t = lower + i * 0.05;
        const double emf = TcTempToEmf(letter, t);
        QVERIFY(emf != TcError);
        if (emf < tables->inverse.lower || emf > tables->inverse.upper()) {
            QCOMPARE(TcEmfToTemp(letter, emf, 0.0), TcError);
            continue;
        }
        double band = 0;
        for (const auto& b : bands) {
            if (emf <= b.upperMv) {
                band = b.bandC;
                break;
            }
        }
        const double back = TcEmfToTemp(letter, emf, 0.0);
        // The bands are published to one or two digits: -199.97 C comes back 0.0404 C off
        // within K's "0.04".
        if (!(std::abs(back - t) <= band * 1.05))
            QFAIL(qPrintable(QStringLiteral("%1 C -> %2 mV -> %3 C, band %4")
                                 .arg(t)
                                 .arg(emf, 0, 'f', 6)
                                 .arg(back, 0, 'f', 5)
                                 .arg(band)));
        ++checked;
    }
    QVERIFY(checked > 1000);
}

void TestThermocouple::boundaryBelongsToLowerPiece_data() {
    QTest::addColumn<char>("letter");
    QTest::addColumn<bool>("inverse");
    QTest::addColumn<double>("boundary");

    const struct {
        char letter;
        double tempBoundary;
    } temps[] = {{'B', 630.615}, {'E', 0.0},    {'J', 760.0},   {'K', 0.0},    {'N', 0.0},
                 {'R', 1064.18}, {'R', 1664.5}, {'S', 1064.18}, {'S', 1664.5}, {'T', 0.0}};
    for (const auto& r : temps)
        QTest::addRow("%c %g C", r.letter, r.tempBoundary) << r.letter << false << r.tempBoundary;

    const struct {
        char letter;
        double emfBoundary;
    } emfs[] = {{'B', 2.431},  {'E', 0.0},   {'J', 0.0},    {'J', 42.919}, {'K', 0.0},
                {'K', 20.644}, {'N', 0.0},   {'N', 20.613}, {'R', 1.923},  {'R', 13.228},
                {'R', 19.739}, {'S', 1.874}, {'S', 11.950}, {'S', 17.536}, {'T', 0.0}};
    for (const auto& r : emfs)
        QTest::addRow("%c %g mV", r.letter, r.emfBoundary) << r.letter << true << r.emfBoundary;
}

void TestThermocouple::boundaryBelongsToLowerPiece() {
    QFETCH(char, letter);
    QFETCH(bool, inverse);
    QFETCH(double, boundary);
    const TcTypeTables* tables = tcTablesOf(letter);
    QVERIFY(tables);
    const TcFunction& function = inverse ? tables->inverse : tables->reference;

    const double atBoundary =
        inverse ? TcEmfToTemp(letter, boundary, 0.0) : TcTempToEmf(letter, boundary);
    // Exact: the neighbouring pieces agree to far better than a fuzzy compare can tell apart.
    QVERIFY2(atBoundary == lowerPiece(function, boundary),
             qPrintable(QString::number(atBoundary, 'g', 17)));

    // Just above the boundary the upper piece serves (type K adds its term above 0 C).
    const double above = std::nextafter(boundary, 1e9);
    double expected = upperPiece(function, boundary, above);
    if (letter == 'K' && !inverse)
        expected += kTcKExpA0 * std::exp(kTcKExpA1 * (above - kTcKExpA2) * (above - kTcKExpA2));
    const double justAbove = inverse ? TcEmfToTemp(letter, above, 0.0) : TcTempToEmf(letter, above);
    QVERIFY2(justAbove == expected, qPrintable(QString::number(justAbove, 'g', 17)));
}

void TestThermocouple::limitsInclusiveOneStepBeyondIsError_data() {
    QTest::addColumn<char>("letter");
    QTest::addColumn<double>("lowC");
    QTest::addColumn<double>("highC");
    QTest::addColumn<double>("lowMv");
    QTest::addColumn<double>("highMv");

    QTest::newRow("B") << 'B' << 0.0 << 1820.0 << 0.291 << 13.820;
    QTest::newRow("E") << 'E' << -270.0 << 1000.0 << -8.825 << 76.373;
    QTest::newRow("J") << 'J' << -210.0 << 1200.0 << -8.095 << 69.553;
    QTest::newRow("K") << 'K' << -270.0 << 1372.0 << -5.891 << 54.886;
    QTest::newRow("N") << 'N' << -270.0 << 1300.0 << -3.990 << 47.513;
    QTest::newRow("R") << 'R' << -50.0 << 1768.1 << -0.226 << 21.103;
    QTest::newRow("S") << 'S' << -50.0 << 1768.1 << -0.235 << 18.693;
    QTest::newRow("T") << 'T' << -270.0 << 400.0 << -5.603 << 20.872;
}

void TestThermocouple::limitsInclusiveOneStepBeyondIsError() {
    QFETCH(char, letter);
    QFETCH(double, lowC);
    QFETCH(double, highC);
    QFETCH(double, lowMv);
    QFETCH(double, highMv);

    QVERIFY(TcTempToEmf(letter, lowC) != TcError);
    QVERIFY(TcTempToEmf(letter, highC) != TcError);
    QCOMPARE(TcTempToEmf(letter, std::nextafter(lowC, -1e9)), TcError);
    QCOMPARE(TcTempToEmf(letter, std::nextafter(highC, 1e9)), TcError);
    QCOMPARE(TcTempToEmf(letter, lowC - 0.001), TcError);
    QCOMPARE(TcTempToEmf(letter, highC + 0.001), TcError);

    QVERIFY(TcEmfToTemp(letter, lowMv, 0.0) != TcError);
    QVERIFY(TcEmfToTemp(letter, highMv, 0.0) != TcError);
    QCOMPARE(TcEmfToTemp(letter, std::nextafter(lowMv, -1e9), 0.0), TcError);
    QCOMPARE(TcEmfToTemp(letter, std::nextafter(highMv, 1e9), 0.0), TcError);
    QCOMPARE(TcEmfToTemp(letter, highMv + 0.001, 0.0), TcError);
}

void TestThermocouple::typeKExponentialOnlyAboveZero() {
    QCOMPARE(TcTempToEmf('K', 0.0), 0.0);
    // 25 C and 100 C carry the term: without it they would read 0.1186 mV lower.
    QVERIFY(std::abs(TcTempToEmf('K', 25.0) - 1.000) < 0.0005);
    QVERIFY(std::abs(TcTempToEmf('K', 100.0) - 4.096) < 0.0005);
}

void TestThermocouple::inverseEdgeCases() {
    // J 30 mV lies in the 0 .. 760 C piece.
    const double j30 = TcEmfToTemp('J', 30.0, 0.0);
    QVERIFY2(std::abs(j30 - 546.2) < 0.05, qPrintable(QString::number(j30)));
    // J 50 mV lies in the 760 .. 1200 C piece: the table puts 50 mV between 870 and 871 C.
    const double j50 = TcEmfToTemp('J', 50.0, 0.0);
    QVERIFY2(j50 > 870.0 && j50 < 871.0, qPrintable(QString::number(j50)));
    QVERIFY(j50 == upperPiece(tcTablesOf('J')->inverse, 42.919, 50.0));

    QCOMPARE(TcEmfToTemp('K', 0.0, 0.0), 0.0);
    QCOMPARE(TcEmfToTemp('B', 0.2, 0.0), TcError);
}

void TestThermocouple::referenceEmfAddedBeforeRangeCheck() {
    QVERIFY(TcEmfToTemp('K', 54.0, 0.0) != TcError);
    QCOMPARE(TcEmfToTemp('K', 54.0, 1.0), TcError);
    // The sum is what is converted: 3.096 mV over a 25 C junction (1.000 mV) is 100 C.
    const double t = TcEmfToTemp('K', 3.096, TcTempToEmf('K', 25.0));
    QVERIFY2(std::abs(t - 100.0) < 0.065, qPrintable(QString::number(t)));
    QCOMPARE(TcEmfToTemp('K', 3.096, 1.0), TcEmfToTemp('K', 4.096, 0.0));
}

void TestThermocouple::unknownLettersAndNonFiniteInputs_data() {
    QTest::addColumn<char>("letter");
    QTest::addColumn<double>("value");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // 'V', 'H' and 'Z' are type letters of a board but have no thermocouple table.
    for (char c : {'V', 'H', 'Z', 'k', 'A', '\0'})
        QTest::addRow("letter %d", int(c)) << c << 1.0;
    QTest::newRow("K NaN") << 'K' << nan;
    QTest::newRow("K +inf") << 'K' << inf;
    QTest::newRow("K -inf") << 'K' << -inf;
    QTest::newRow("R NaN") << 'R' << nan;
}

void TestThermocouple::unknownLettersAndNonFiniteInputs() {
    QFETCH(char, letter);
    QFETCH(double, value);
    QCOMPARE(TcTempToEmf(letter, value), TcError);
    QCOMPARE(TcEmfToTemp(letter, value, 0.0), TcError);
    QCOMPARE(TcEmfToTemp(letter, 1.0, value), TcError);
}

QTEST_APPLESS_MAIN(TestThermocouple)
#include "tst_thermocouple.moc"
