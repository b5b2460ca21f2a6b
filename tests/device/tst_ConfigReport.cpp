// The configuration report: collecting its frame from a port, reading it and storing it into a
// board's record.
#include "device/ConfigFrameCollector.h"
#include "device/ConfigReport.h"
#include "device/DeviceTexts.h"
#include "settings/BoardConfig.h"
#include "settings/ModelClass.h"
#include "settings/RecordText.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

using namespace nimbar;

Q_DECLARE_METATYPE(nimbar::ConfigReportError)

namespace {

// A report frame laid out as a device sends it for "DC\r": every field closed by CR, the
// header (model, serial, for classes 1 and 2 two unused numbers, the range indices, the type
// letters), then "M" and the body lines, then "E". Class 0 describes CH0..CH6, the other classes
// CH1..CH(V-1).
QByteArray reportFrame(const QByteArray& model, const QByteArray& serial, const QList<int>& indices,
                       const QByteArray& letters, const QList<QByteArray>& body) {
    QByteArray f = "S\r" + model + "\r" + serial + "\r";
    if (modelClassOf(model).value_or(0) != 0)
        f += "0\r0\r";
    for (int index : indices)
        f += QByteArray::number(index) + "\r";
    for (char letter : letters)
        f += QByteArray(1, letter) + "\r";
    f += "M\r";
    for (const QByteArray& line : body)
        f += line + "\r";
    return f + "E";
}

// The report of a device whose channels all have one range and one type, with the body the
// simulated device sends: A1 1.0, A0 0.0, reference 5.0 and, for classes 1 and 2, T1 1.0 and
// T0 0.0 for each channel. Class 0's CH0 is its 2500 mV reference channel.
QByteArray uniformFrame(const QByteArray& model, const QByteArray& serial, char letter,
                        int rangeIndex) {
    const int cls = modelClassOf(model).value_or(0);
    const int reported = cls == 0 ? channelCountOf(0) : channelCountOf(cls) - 1;
    QList<int> indices(reported, rangeIndex);
    if (cls == 0)
        indices[0] = 0;
    QList<QByteArray> body{"1.0", "0.0", "5.0"};
    if (cls != 0) {
        body += QList<QByteArray>(channelCountOf(cls) - 1, "1.0");
        body += QList<QByteArray>(channelCountOf(cls) - 1, "0.0");
    }
    return reportFrame(model, serial, indices, QByteArray(reported, letter), body);
}

// A record that differs from what any report stores, so that every stored field shows.
BoardConfig usedRecord() {
    BoardConfig c = defaultBoardConfig(2, "/data");
    setFieldText(c.model, "KARN-5800");
    setFieldText(c.serial, "OLD-1");
    c.comPort = 7;
    c.tcType = 5;
    for (int ch = 0; ch < kChannelCount; ++ch) {
        c.channelType[ch] = 4;
        c.rangeMv[ch] = 625.0;
        c.gainT1[ch] = 2.0;
        c.offsetT0[ch] = 0.25;
    }
    c.cjcRefVolts = 9.0;
    c.corrA1 = 3.0;
    c.corrA0 = -3.0;
    return c;
}

bool sameBytes(const BoardConfig& a, const BoardConfig& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// What a stored report may leave in a record: known model, types in the table, ranges of the
// class for the reported channels, the others as they were, finite numbers.
QString unsoundField(const BoardConfig& c, const BoardConfig& before) {
    const auto cls = modelClassOf(QByteArrayView(c.model, strnlen(c.model, sizeof c.model)));
    if (!cls)
        return "model";
    if (strnlen(c.serial, sizeof c.serial) >= sizeof c.serial)
        return "serial";
    if (c.tcType < 0 || c.tcType >= kTypeCodeCount)
        return "tcType";
    const auto table = rangeTableOf(*cls);
    for (int ch = 0; ch < kChannelCount; ++ch) {
        if (c.channelType[ch] < 0 || c.channelType[ch] >= kTypeCodeCount)
            return QString("channelType[%1]").arg(ch);
        const bool inTable = std::find(table.begin(), table.end(), c.rangeMv[ch]) != table.end();
        if (ch < channelCountOf(*cls) ? !inTable : c.rangeMv[ch] != before.rangeMv[ch])
            return QString("rangeMv[%1]").arg(ch);
        if (!std::isfinite(c.gainT1[ch]) || !std::isfinite(c.offsetT0[ch]))
            return QString("calibration[%1]").arg(ch);
    }
    if (!std::isfinite(c.corrA1) || !std::isfinite(c.corrA0) || !std::isfinite(c.cjcRefVolts))
        return "body numbers";
    return {};
}

} // namespace

class ConfigReportTest : public QObject {
    Q_OBJECT
private slots:
    void classZeroReportIsStored() {
        const QByteArray frame = uniformFrame("KARN-5610", "A30000", 'K', 5);
        const ConfigReport report = ParseConfigReport(frame);
        QCOMPARE(report.error, ConfigReportError::None);
        QCOMPARE(report.modelClass, std::optional<int>(0));
        QCOMPARE(report.channels, 7);

        BoardConfig c = usedRecord();
        const BoardConfig before = c;
        QCOMPARE(ApplyConfigReport(c, 1, 12, report), ConfigReportError::None);
        QCOMPARE(fieldText(c.model), QString("KARN-5610"));
        QCOMPARE(fieldText(c.serial), QString("A30000"));
        QCOMPARE(c.boardIndex, 1);
        QCOMPARE(c.comPort, 12);
        QCOMPARE(c.tcType, 1); // K
        QCOMPARE(c.rangeMv[0], 2500.0);
        for (int ch = 0; ch <= 6; ++ch)
            QCOMPARE(c.channelType[ch], 1);
        for (int ch = 1; ch <= 6; ++ch)
            QCOMPARE(c.rangeMv[ch], 78.125);
        // CH7 and CH8 are not reported: type and range stay, calibration is reset.
        for (int ch = 7; ch <= 8; ++ch) {
            QCOMPARE(c.channelType[ch], before.channelType[ch]);
            QCOMPARE(c.rangeMv[ch], before.rangeMv[ch]);
        }
        // The body numbers are the correction A1, A0 and the reference volts.
        QCOMPARE(c.corrA1, 1.0);
        QCOMPARE(c.corrA0, 0.0);
        QCOMPARE(c.cjcRefVolts, 5.0);
        for (int ch = 1; ch <= 8; ++ch) {
            QCOMPARE(c.gainT1[ch], 1.0);
            QCOMPARE(c.offsetT0[ch], 0.0);
        }
        QCOMPARE(c.gainT1[0], before.gainT1[0]);
        // Nothing else of the record is touched.
        QCOMPARE(std::memcmp(c.channelVisible, before.channelVisible,
                             offsetof(BoardConfig, model) - offsetof(BoardConfig, channelVisible)),
                 0);
        QCOMPARE(
            std::memcmp(c.jobTitle, before.jobTitle, sizeof c - offsetof(BoardConfig, jobTitle)),
            0);
    }

    void bodyNumbersGoToTheirFields() {
        const QByteArray frame = reportFrame("KARN-5600", "Z9", {0, 7, 6, 5, 4, 3, 2}, "VVVVVVV",
                                             {" 1.25 ", "-5e-1", "4.75", "1.01,1.02,1.03,1.04,1.05",
                                              "-0.1,-0.2,-0.3,-0.4,-0.5,-0.6"});
        const ConfigReport report = ParseConfigReport(frame);
        QCOMPARE(report.error, ConfigReportError::None);
        BoardConfig c = usedRecord();
        QCOMPARE(ApplyConfigReport(c, 0, 1, report), ConfigReportError::None);
        QCOMPARE(c.corrA1, 1.25);
        QCOMPARE(c.corrA0, -0.5);
        QCOMPARE(c.cjcRefVolts, 4.75);
        QCOMPARE(c.tcType, 0);
        QCOMPARE(c.rangeMv[1], 19.5313); // the last index of class 0's table
        QCOMPARE(c.rangeMv[6], 625.0);
        // A calibration line may carry fewer than six values; the rest are the defaults.
        const double gains[] = {1.01, 1.02, 1.03, 1.04, 1.05, 1.0, 1.0, 1.0};
        const double offsets[] = {-0.1, -0.2, -0.3, -0.4, -0.5, -0.6, 0.0, 0.0};
        for (int ch = 1; ch <= 8; ++ch) {
            QCOMPARE(c.gainT1[ch], gains[ch - 1]);
            QCOMPARE(c.offsetT0[ch], offsets[ch - 1]);
        }
    }

    void classOneAndTwoReportFromChannelOne() {
        QList<QByteArray> body{"1.0", "0.0", "5.0", "1.1", "1.2", "1.3",
                               "1.4", "-1",  "-2",  "-3",  "-4"};
        ConfigReport report =
            ParseConfigReport(reportFrame("KARN-5400", "B123", {2, 2, 2, 2}, "JJJJ", body));
        QCOMPARE(report.error, ConfigReportError::None);
        BoardConfig c = usedRecord();
        const BoardConfig before = c;
        QCOMPARE(ApplyConfigReport(c, 3, 5, report), ConfigReportError::None);
        QCOMPARE(fieldText(c.model), QString("KARN-5400"));
        QCOMPARE(c.tcType, 3); // J
        for (int ch = 0; ch <= 4; ++ch) {
            QCOMPARE(c.channelType[ch], 3);
            QCOMPARE(c.rangeMv[ch], 1250.0);
        }
        const double gains[] = {1.1, 1.2, 1.3, 1.4};
        for (int ch = 1; ch <= 4; ++ch) {
            QCOMPARE(c.gainT1[ch], gains[ch - 1]);
            QCOMPARE(c.offsetT0[ch], -double(ch));
        }
        for (int ch = 5; ch <= 8; ++ch) {
            QCOMPARE(c.channelType[ch], before.channelType[ch]);
            QCOMPARE(c.rangeMv[ch], before.rangeMv[ch]);
            QCOMPARE(c.gainT1[ch], 1.0);
            QCOMPARE(c.offsetT0[ch], 0.0);
        }

        report = ParseConfigReport(uniformFrame("KARN-5800", "C7", 'T', 0));
        QCOMPARE(report.error, ConfigReportError::None);
        QCOMPARE(report.channels, 9);
        QCOMPARE(ApplyConfigReport(c, 3, 5, report), ConfigReportError::None);
        QCOMPARE(c.tcType, 5); // T
        for (int ch = 0; ch <= 8; ++ch) {
            QCOMPARE(c.channelType[ch], 5);
            QCOMPARE(c.rangeMv[ch], 5000.0);
        }
    }

    void differingTypesMakeThePerChannelType() {
        QCOMPARE(kTypeLetters[kTypePerChannel], 'H');
        QByteArray frame = uniformFrame("KARN-5610", "A1", 'K', 5);
        const qsizetype ch3 = frame.indexOf("K\rK\rK\rK\r") + 6;
        frame[ch3] = 'J';
        const ConfigReport report = ParseConfigReport(frame);
        QCOMPARE(report.error, ConfigReportError::None);
        QCOMPARE(report.letter[3], 'J');
        BoardConfig c = usedRecord();
        QCOMPARE(ApplyConfigReport(c, 0, 1, report), ConfigReportError::None);
        QCOMPARE(c.tcType, kTypePerChannel);
        const int types[] = {1, 1, 1, 3, 1, 1, 1};
        for (int ch = 0; ch <= 6; ++ch)
            QCOMPARE(c.channelType[ch], types[ch]);

        // Classes 1 and 2 give CH0 the type of CH1.
        const ConfigReport mixed =
            ParseConfigReport(reportFrame("KARN-5400", "B1", {1, 1, 1, 1}, "RKKK",
                                          {"1", "0", "5", "1", "1", "1", "1", "0", "0", "0", "0"}));
        QCOMPARE(mixed.error, ConfigReportError::None);
        QCOMPARE(ApplyConfigReport(c, 0, 1, mixed), ConfigReportError::None);
        QCOMPARE(c.tcType, kTypePerChannel);
        QCOMPARE(c.channelType[0], 2);
        QCOMPARE(c.channelType[1], 2);
        QCOMPARE(c.channelType[2], 1);
    }

    void headerIsReadLikeScanf() {
        // One line with blanks of any kind reads as the CR-separated header does.
        const QByteArray frame = "S\rKARN-5610\rA30000 0\t5 5 5\n5 5 5 K K K K K K K\r"
                                 "M\r1.0\r0.0\r5.0\rE";
        const ConfigReport oneLine = ParseConfigReport(frame);
        const ConfigReport device = ParseConfigReport(uniformFrame("KARN-5610", "A30000", 'K', 5));
        QCOMPARE(oneLine.error, ConfigReportError::None);
        QCOMPARE(oneLine.rangeIndex, device.rangeIndex);
        QCOMPARE(oneLine.letter, device.letter);

        // Reading stops at the first field that does not fit; the rest keep the defaults.
        const ConfigReport partial =
            ParseConfigReport("S\rKARN-5610\rA30000\r0\r1\r2\rx\rM\r1\r0\r5\rE");
        QCOMPARE(partial.error, ConfigReportError::None);
        QCOMPARE(partial.serial, QByteArray("A30000"));
        const std::array<int, kChannelCount> indices{0, 1, 2, 6, 6, 6, 6, 6, 6};
        QCOMPARE(partial.rangeIndex, indices);
        QCOMPARE(partial.letter[0], 'V');
        BoardConfig c = usedRecord();
        QCOMPARE(ApplyConfigReport(c, 0, 1, partial), ConfigReportError::None);
        QCOMPARE(c.tcType, 0);
        QCOMPARE(c.rangeMv[3], 39.0625);
    }

    void aFailedReportLeavesTheRecordAlone_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<ConfigReportError>("error");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("classKnown");
        using E = ConfigReportError;
        const QByteArray good = uniformFrame("KARN-5610", "A30000", 'K', 5);
        const QByteArray good1 = uniformFrame("KARN-5400", "B1", 'K', 6);
        QByteArray noMark = good;
        noMark.replace("M\r", "");
        QTest::newRow("no M") << noMark << E::NoModelMark << "Error 1" << false;
        QTest::newRow("unknown model") << uniformFrame("KARN-5611", "A1", 'K', 5) << E::UnknownModel
                                       << "Check your KARN model" << false;
        QTest::newRow("model with a blank") << QByteArray(good).replace("5610", "5610 ")
                                            << E::UnknownModel << "Check your KARN model" << false;
        QTest::newRow("no header field")
            << QByteArray("S\rKARN-5610\rM\r1\r0\r5\rE") << E::BadHeader << "Error 2" << true;
        QTest::newRow("class 0 index 8")
            << reportFrame("KARN-5610", "A1", {0, 5, 5, 8, 5, 5, 5}, "KKKKKKK", {"1", "0", "5"})
            << E::BadHeader << "Error 2" << true;
        QTest::newRow("class 1 index 7") << QByteArray(good1).replace("\r6\r6\r", "\r6\r7\r")
                                         << E::BadHeader << "Error 2" << true;
        QTest::newRow("negative index")
            << reportFrame("KARN-5610", "A1", {0, 5, -1, 5, 5, 5, 5}, "KKKKKKK", {"1", "0", "5"})
            << E::BadHeader << "Error 2" << true;
        QTest::newRow("letter Q") << reportFrame("KARN-5610", "A1", {0, 5, 5, 5, 5, 5, 5},
                                                 "KKKKKKQ", {"1", "0", "5"})
                                  << E::BadHeader << "Error 2" << true;
        QTest::newRow("lowercase letter")
            << QByteArray(good1).replace("K\rK\rM", "K\rk\rM") << E::BadHeader << "Error 2" << true;
        QTest::newRow("no T1") << QByteArray(good).replace("5.0\rE", "5.0\rx\rE")
                               << E::NoCalibrationT1 << "Error 3" << true;
        QTest::newRow("no T0") << QByteArray(good).replace("5.0\rE", "5.0\r1,1,1,1,1,1\r,2\rE")
                               << E::NoCalibrationT0 << "Error 4" << true;
        QTest::newRow("A0 not a number") << QByteArray(good).replace("M\r1.0\r0.0", "M\r1.0\rabc")
                                         << E::BadNumber << "Error" << true;
        QTest::newRow("no reference")
            << QByteArray(good).replace("5.0\rE", "E") << E::BadNumber << "Error" << true;
        QTest::newRow("number with a unit")
            << QByteArray(good).replace("5.0\rE", "5.0V\rE") << E::BadNumber << "Error" << true;
        QTest::newRow("out of range number")
            << QByteArray(good).replace("5.0\rE", "1e999\rE") << E::BadNumber << "Error" << true;
        QTest::newRow("nan") << QByteArray(good).replace("5.0\rE", "nan\rE") << E::BadNumber
                             << "Error" << true;
        QTest::newRow("class 1 T0 short") << QByteArray(good1).replace("0.0\r0.0\rE", "0.0\rE")
                                          << E::BadNumber << "Error" << true;
    }
    void aFailedReportLeavesTheRecordAlone() {
        QFETCH(QByteArray, frame);
        QFETCH(ConfigReportError, error);
        QFETCH(QString, text);
        QFETCH(bool, classKnown);
        const ConfigReport report = ParseConfigReport(frame);
        QCOMPARE(report.error, error);
        QCOMPARE(report.modelClass.has_value(), classKnown);
        QCOMPARE(configReportText(report.error, false), text);
        BoardConfig c = usedRecord();
        const BoardConfig before = c;
        QCOMPARE(ApplyConfigReport(c, 0, 1, report), error);
        QVERIFY(sameBytes(c, before));
    }

    void applyChecksAReportItWasHanded() {
        ConfigReport valid = ParseConfigReport(uniformFrame("KARN-5800", "C1", 'K', 3));
        QCOMPARE(valid.error, ConfigReportError::None);
        QList<ConfigReport> broken(5, valid);
        broken[0].modelClass.reset();
        broken[1].channels = 10;
        broken[2].channels = 0;
        broken[3].rangeIndex[8] = 7; // beyond the table of class 2
        broken[4].letter[4] = 'X';
        for (const ConfigReport& report : broken) {
            BoardConfig c = usedRecord();
            const BoardConfig before = c;
            QCOMPARE(ApplyConfigReport(c, 0, 1, report), ConfigReportError::BadHeader);
            QVERIFY(sameBytes(c, before));
        }
    }

    void collectorFindsTheFrameInTheStream() {
        const QByteArray frame = uniformFrame("KARN-5610", "A30000", 'K', 5);
        // Measurement lines before it hold hex 'E's but never an 'S'.
        const QByteArray stream =
            "0E1A2B, 00EE00, 000000\r\ngarbage " + frame + "\r\n00E000, 0000E0\r\n";
        ConfigFrameCollector collector;
        QList<QByteArray> frames;
        for (char ch : stream) {
            if (collector.feed(ch))
                frames << collector.frame();
        }
        QCOMPARE(frames, QList<QByteArray>{frame});
        QVERIFY(!collector.collecting());

        // Fed again, it starts over: the bytes after the frame never join the next one.
        const QByteArray second = uniformFrame("KARN-5400", "B2", 'J', 1);
        QByteArray got;
        for (char ch : "E junk " + second) {
            if (collector.feed(ch))
                got = collector.frame();
        }
        QCOMPARE(got, second);
        QCOMPARE(ParseConfigReport(got).serial, QByteArray("B2"));
    }

    void collectorKeepsTheSOfTypeSChannels() {
        const QByteArray frame = uniformFrame("KARN-5610", "A30000", 'S', 5);
        QVERIFY(frame.count('S') > 1);
        ConfigFrameCollector collector;
        QByteArray got;
        for (char ch : "00E000\r\n" + frame)
            if (collector.feed(ch))
                got = collector.frame();
        QCOMPARE(got, frame);
        QCOMPARE(ParseConfigReport(got).error, ConfigReportError::None);
    }

    void collectorGivesUpBeyondTheLimit() {
        ConfigFrameCollector collector;
        // The largest frame that is still taken: kMaxFrame bytes, 'S' and 'E' included.
        collector.feed('S');
        for (qsizetype i = 0; i < ConfigFrameCollector::kMaxFrame - 2; ++i)
            QVERIFY(!collector.feed('a'));
        QVERIFY(collector.feed('E'));
        QCOMPARE(collector.frame().size(), ConfigFrameCollector::kMaxFrame);

        collector.feed('S');
        for (qsizetype i = 0; i < ConfigFrameCollector::kMaxFrame - 1; ++i)
            collector.feed('a');
        QVERIFY(!collector.feed('E'));
        QVERIFY(!collector.collecting());
        QVERIFY(collector.frame().isEmpty());
        for (char ch : QByteArray("more bytes E"))
            QVERIFY(!collector.feed(ch));
        // A new 'S' starts again.
        collector.feed('S');
        QVERIFY(collector.feed('E'));
        QCOMPARE(collector.frame(), QByteArray("SE"));

        collector.feed('S');
        collector.reset();
        QVERIFY(!collector.feed('E'));
    }

    // Any bytes a port delivers: the parser stays inside its input, and whatever it accepts is
    // stored as sound values. Run under the sanitizer build to catch stray reads.
    void randomReportsAreHarmless() {
        QRandomGenerator random(20240611);
        const QByteArray models[] = {"KARN-5610", "KARN-5600", "KARN-5400", "KARN-5800"};
        const QByteArray letters = "VKRJSTBHZ";
        QList<QByteArray> valid;
        for (const QByteArray& model : models)
            valid << uniformFrame(model, "A30000", letters[random.bounded(9)], 1);
        valid << QByteArray(valid[0]).replace("5.0\rE", "5.0\r1,2,3,4,5,6\r-1,-2\rE");

        QList<QByteArray> inputs;
        const QByteArray alphabet = "SME\r\n\t ,.-+0123456789eVKJHZQ";
        for (int i = 0; i < 3000; ++i) {
            QByteArray bytes;
            if (i % 3 == 0)
                bytes = "S\r" + models[random.bounded(4)] + "\r";
            const int length = random.bounded(300);
            for (int k = 0; k < length; ++k)
                bytes +=
                    i % 2 ? alphabet[random.bounded(alphabet.size())] : char(random.bounded(256));
            inputs << bytes;
        }
        for (const QByteArray& frame : valid) {
            for (qsizetype n = 0; n <= frame.size(); ++n)
                inputs << frame.first(n);
            for (qsizetype at = 0; at < frame.size(); ++at) {
                for (char ch : QByteArray("\r\0MSE9-+ .,x\xff", 13) + char(random.bounded(256)) +
                                   char(random.bounded(256))) {
                    QByteArray mutated = frame;
                    mutated[at] = ch;
                    inputs << mutated;
                }
            }
        }

        int stored = 0;
        ConfigFrameCollector collector;
        for (const QByteArray& bytes : inputs) {
            // Each input as a fresh allocation of its own size, so that a read past it is seen.
            const std::unique_ptr<char[]> exact(new char[std::size_t(bytes.size())]);
            std::memcpy(exact.get(), bytes.constData(), std::size_t(bytes.size()));
            const ConfigReport report =
                ParseConfigReport(QByteArrayView(exact.get(), bytes.size()));
            BoardConfig c = usedRecord();
            const BoardConfig before = c;
            const ConfigReportError error = ApplyConfigReport(c, 1, 2, report);
            for (char ch : bytes) {
                if (collector.feed(ch)) {
                    const QByteArray& f = collector.frame();
                    QVERIFY(f.size() <= ConfigFrameCollector::kMaxFrame);
                    QVERIFY(f.startsWith('S') && f.endsWith('E'));
                    QCOMPARE(f.count('E'), 1);
                }
            }
            if (report.error != ConfigReportError::None) {
                QCOMPARE(error, report.error);
                QVERIFY2(sameBytes(c, before), bytes.toHex().constData());
                continue;
            }
            ++stored;
            QVERIFY2(error == ConfigReportError::None, bytes.toHex().constData());
            const QString field = unsoundField(c, before);
            QVERIFY2(field.isEmpty(), qPrintable(field + ": " + bytes.toHex()));
        }
        // The mutations of valid frames leave many of them valid.
        QVERIFY(stored > 500);
    }
};

QTEST_GUILESS_MAIN(ConfigReportTest)
#include "tst_ConfigReport.moc"
