#include "processing/ChannelConversion.h"
#include "processing/ColdJunction.h"
#include "processing/DeviceCode.h"
#include "processing/InvalidValue.h"

#include <QTest>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

using namespace nimbar;

Q_DECLARE_METATYPE(std::optional<double>)

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const double kScale78 = channelScale(78.125);

} // namespace

class TestChannelArithmetic : public QObject {
    Q_OBJECT

private slots:
    void invalidValueBits();

    void decodeDeviceCode_data();
    void decodeDeviceCode();
    void channelScaleIsRangeOverTwoPow23MinusOne();
    void codeToMillivoltsAppliesCorrectionThenCalibration();
    void codeToMillivoltsInvalid_data();
    void codeToMillivoltsInvalid();

    void cjTempFromFixedPoint_data();
    void cjTempFromFixedPoint();
    void cjTempFromSensor();
    void cjTempFromSensorWithoutUsableSupply_data();
    void cjTempFromSensorWithoutUsableSupply();

    void linearChannelShowsCalibratedMillivolts_data();
    void linearChannelShowsCalibratedMillivolts();
    void thermocoupleChannelCompensatesReference();
    void fixedReferenceReplacesBoardReference();
    void channelsWithoutReference();
    void thermocoupleChannelInvalid_data();
    void thermocoupleChannelInvalid();
};

void TestChannelArithmetic::invalidValueBits() {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &InvalidValue, sizeof bits);
    QCOMPARE(bits, std::uint64_t{0xBF1D26817408E659});
}

void TestChannelArithmetic::decodeDeviceCode_data() {
    QTest::addColumn<quint32>("code");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint32>("count");

    QTest::newRow("zero") << 0x000000u << true << 0;
    QTest::newRow("one") << 0x000001u << true << 1;
    QTest::newRow("largest positive") << 0x7FFFFEu << true << 8388606;
    QTest::newRow("0xFFFFFF is zero, not -1") << 0xFFFFFFu << true << 0;
    QTest::newRow("0xFFFFFE") << 0xFFFFFEu << true << -1;
    QTest::newRow("0xC00000") << 0xC00000u << true << -4194303;
    QTest::newRow("most negative") << 0x800001u << true << -8388606;
    QTest::newRow("no reading 0x800000") << 0x800000u << false << 0;
    QTest::newRow("no reading 0x7FFFFF") << 0x7FFFFFu << false << 0;
    QTest::newRow("wider than 24 bits") << 0x1000000u << false << 0;
    QTest::newRow("all ones") << 0xFFFFFFFFu << false << 0;
}

void TestChannelArithmetic::decodeDeviceCode() {
    QFETCH(quint32, code);
    QFETCH(bool, valid);
    QFETCH(qint32, count);
    const auto decoded = nimbar::decodeDeviceCode(code);
    QCOMPARE(decoded.has_value(), valid);
    if (valid)
        QCOMPARE(*decoded, count);
}

void TestChannelArithmetic::channelScaleIsRangeOverTwoPow23MinusOne() {
    QVERIFY(channelScale(78.125) == 1.1920930376163766e-07 * 78.125);
    QVERIFY(std::abs(channelScale(2500.0) * 8388607.0 - 2500.0) < 1e-9);
    // Full scale reads the range, not one count short of it.
    const auto full = CodeToMillivolts(0x7FFFFE, channelScale(2500.0), 1.0, 0.0, 1.0, 0.0);
    QVERIFY(full);
    QVERIFY(std::abs(*full - 2500.0 * 8388606.0 / 8388607.0) < 1e-9);
}

void TestChannelArithmetic::codeToMillivoltsAppliesCorrectionThenCalibration() {
    const auto plain = CodeToMillivolts(0x400000, kScale78, 1.0, 0.0, 1.0, 0.0);
    QVERIFY(plain);
    QVERIFY(std::abs(*plain - 4194304.0 * 78.125 / 8388607.0) < 1e-9);

    // Y = A0 + A1 * X on the count, then T1 * Y + T0.
    const auto corrected = CodeToMillivolts(1000, kScale78, 2.0, 0.5, 3.0, -1.0);
    QVERIFY(corrected);
    QVERIFY(std::abs(*corrected - (3.0 * (1000 * 2.0 * kScale78 + 0.5) - 1.0)) < 1e-12);

    // A negative code goes through the same arithmetic.
    const auto negative = CodeToMillivolts(0xFFFC18, kScale78, 1.0, 0.0, 1.0, 0.0);
    QVERIFY(negative);
    QVERIFY(std::abs(*negative + 999 * kScale78) < 1e-12);
}

void TestChannelArithmetic::codeToMillivoltsInvalid_data() {
    QTest::addColumn<quint32>("code");
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("corrA1");
    QTest::addColumn<double>("gainT1");

    QTest::newRow("no reading 0x800000") << 0x800000u << kScale78 << 1.0 << 1.0;
    QTest::newRow("no reading 0x7FFFFF") << 0x7FFFFFu << kScale78 << 1.0 << 1.0;
    QTest::newRow("T1 = 0 with a valid code") << 0x001000u << kScale78 << 1.0 << 0.0;
    QTest::newRow("T1 negative") << 0x001000u << kScale78 << 1.0 << -1.0;
    QTest::newRow("T1 NaN") << 0x001000u << kScale78 << 1.0 << kNan;
    QTest::newRow("huge T1 overflows") << 0x7FFFFEu << channelScale(2500.0) << 1.0 << 1e308;
    QTest::newRow("huge A1 overflows") << 0x7FFFFEu << channelScale(2500.0) << 1e308 << 1.0;
    QTest::newRow("range NaN") << 0x001000u << channelScale(kNan) << 1.0 << 1.0;
    QTest::newRow("range infinite") << 0x001000u << channelScale(kInf) << 1.0 << 1.0;
}

void TestChannelArithmetic::codeToMillivoltsInvalid() {
    QFETCH(quint32, code);
    QFETCH(double, scale);
    QFETCH(double, corrA1);
    QFETCH(double, gainT1);
    QVERIFY(!CodeToMillivolts(code, scale, corrA1, 0.0, gainT1, 0.0));
}

void TestChannelArithmetic::cjTempFromFixedPoint_data() {
    QTest::addColumn<quint32>("field");
    QTest::addColumn<double>("tempC");

    QTest::newRow("0x000A00") << 0x000A00u << 0.1;
    QTest::newRow("0xFFF600") << 0xFFF600u << -0.1;
    QTest::newRow("zero") << 0x000000u << 0.0;
    QTest::newRow("25 C") << 0x09C400u << 25.0;
    QTest::newRow("largest") << 0x7FFFFFu << 8388607.0 / 25600.0;
    QTest::newRow("top bit is the sign") << 0x800000u << -327.68;
    QTest::newRow("bits above 24 ignored") << 0x01000A00u << 0.1;
}

void TestChannelArithmetic::cjTempFromFixedPoint() {
    QFETCH(quint32, field);
    QFETCH(double, tempC);
    QVERIFY(std::abs(CjTempFromFixedPoint(field) - tempC) < 1e-12);
}

void TestChannelArithmetic::cjTempFromSensor() {
    // 2000 mV on a 5 V supply: 0.0444365446142908 * 2000 - 61.1073586917881.
    const auto at5 = CjTempFromSensor(2000.0, 5.0);
    QVERIFY(at5);
    QVERIFY(std::abs(*at5 - 27.7657305367935) < 1e-9);
    // Ratiometric: the same reading on a 2.5 V supply is twice the temperature span.
    const auto at2v5 = CjTempFromSensor(2000.0, 2.5);
    QVERIFY(at2v5);
    QVERIFY(std::abs(*at2v5 - (2 * 0.0444365446142908 * 2000.0 - 61.1073586917881)) < 1e-9);
}

// A record whose reference supply was never set holds 0: no reference temperature, rather than
// an infinite one that would turn into NaN further on.
void TestChannelArithmetic::cjTempFromSensorWithoutUsableSupply_data() {
    QTest::addColumn<double>("mv0");
    QTest::addColumn<double>("cjcRefVolts");
    QTest::newRow("zero") << 2000.0 << 0.0;
    QTest::newRow("negative zero") << 2000.0 << -0.0;
    QTest::newRow("negative") << 2000.0 << -5.0;
    QTest::newRow("NaN") << 2000.0 << kNan;
    QTest::newRow("infinite") << 2000.0 << kInf;
    QTest::newRow("tiny overflows") << 1e300 << 1e-300;
    QTest::newRow("reading NaN") << kNan << 5.0;
}

void TestChannelArithmetic::cjTempFromSensorWithoutUsableSupply() {
    QFETCH(double, mv0);
    QFETCH(double, cjcRefVolts);
    QVERIFY(!CjTempFromSensor(mv0, cjcRefVolts));
}

void TestChannelArithmetic::linearChannelShowsCalibratedMillivolts_data() {
    QTest::addColumn<char>("boardLetter");
    QTest::addColumn<int>("typeCode");

    QTest::newRow("mV board, K channel") << 'V' << 1;
    QTest::newRow("K board, mV channel") << 'K' << 0;
    QTest::newRow("H channel") << 'H' << 7;
    QTest::newRow("code out of table") << 'K' << 42;
    QTest::newRow("negative code") << 'K' << -1;
}

void TestChannelArithmetic::linearChannelShowsCalibratedMillivolts() {
    QFETCH(char, boardLetter);
    QFETCH(int, typeCode);
    const std::uint32_t code = 0x123456;
    const auto mv = CodeToMillivolts(code, kScale78, 1.0, 0.0, 1.0, 0.0);
    const auto scaled = CodeToMillivolts(code, kScale78, 1.0, 0.0, 2.0, 1.0);
    QVERIFY(mv && scaled);
    // Linear channels do not need a reference temperature.
    const auto value = ConvertChannel(boardLetter, typeCode, *scaled, std::nullopt, {});
    QVERIFY(value);
    QVERIFY(std::abs(*value - (2.0 * *mv + 1.0)) < 1e-12);
}

void TestChannelArithmetic::thermocoupleChannelCompensatesReference() {
    // Published K: 100 C is 4.096 mV, 25 C is 1.000 mV; the channel sees the difference.
    const auto k = ConvertChannel('K', 1, 3.096, 25.0, {});
    QVERIFY(k);
    QVERIFY2(std::abs(*k - 100.0) < 0.065, qPrintable(QString::number(*k)));
    // The channel's own type decides the table, whatever the board's letter: J at 30 mV.
    const auto j = ConvertChannel('H', 3, 30.0, 0.0, {});
    QVERIFY(j);
    QVERIFY2(std::abs(*j - 546.2) < 0.05, qPrintable(QString::number(*j)));
}

void TestChannelArithmetic::fixedReferenceReplacesBoardReference() {
    const auto fromBoard = ConvertChannel('K', 1, 3.096, 25.0, {});
    const auto fromFixed = ConvertChannel('K', 1, 3.096, -40.0, {true, 25.0});
    QVERIFY(fromBoard && fromFixed);
    QCOMPARE(*fromFixed, *fromBoard);
    // Not ticked, the value is ignored.
    const auto unticked = ConvertChannel('K', 1, 3.096, 25.0, {false, -40.0});
    QVERIFY(unticked);
    QCOMPARE(*unticked, *fromBoard);
}

// What a class-0 board with cjcRefVolts = 0 produces: its thermocouple channels are invalid,
// its millivolt channels are not, and the fixed reference still serves.
void TestChannelArithmetic::channelsWithoutReference() {
    const std::optional<double> ref = CjTempFromSensor(2000.0, 0.0);
    QVERIFY(!ref);
    QVERIFY(!ConvertChannel('K', 1, 3.096, ref, {}));
    QVERIFY(ConvertChannel('K', 0, 3.096, ref, {}));
    const auto fixed = ConvertChannel('K', 1, 3.096, ref, {true, 25.0});
    QVERIFY(fixed);
    QVERIFY(std::abs(*fixed - 100.0) < 0.065);
}

void TestChannelArithmetic::thermocoupleChannelInvalid_data() {
    QTest::addColumn<char>("boardLetter");
    QTest::addColumn<int>("typeCode");
    QTest::addColumn<double>("mv");
    QTest::addColumn<std::optional<double>>("refTemp");

    QTest::newRow("Z channel has no table") << 'H' << 8 << 1.0 << std::optional<double>(25.0);
    QTest::newRow("reference above K") << 'K' << 1 << 1.0 << std::optional<double>(1400.0);
    QTest::newRow("reference below R") << 'R' << 2 << 1.0 << std::optional<double>(-60.0);
    QTest::newRow("reference NaN") << 'K' << 1 << 1.0 << std::optional<double>(kNan);
    QTest::newRow("EMF above K") << 'K' << 1 << 60.0 << std::optional<double>(0.0);
    QTest::newRow("sum above K") << 'K' << 1 << 54.0 << std::optional<double>(25.0);
    QTest::newRow("EMF below B") << 'B' << 6 << 0.2 << std::optional<double>(0.0);
    QTest::newRow("millivolts NaN") << 'K' << 1 << kNan << std::optional<double>(0.0);
    QTest::newRow("millivolts infinite, linear") << 'V' << 0 << kInf << std::optional<double>(0.0);
}

void TestChannelArithmetic::thermocoupleChannelInvalid() {
    QFETCH(char, boardLetter);
    QFETCH(int, typeCode);
    QFETCH(double, mv);
    QFETCH(std::optional<double>, refTemp);
    QVERIFY(!ConvertChannel(boardLetter, typeCode, mv, refTemp, {}));
}

QTEST_APPLESS_MAIN(TestChannelArithmetic)
#include "tst_channelarithmetic.moc"
