// Alarm checks of a processed line, the digital outputs that follow them or the hand, and the
// limit edits.
#include "processing/AlarmEvaluation.h"
#include "processing/AlarmLimitEntry.h"
#include "processing/AlarmTexts.h"
#include "processing/OutputControl.h"
#include "settings/BoardConfig.h"

#include <QTest>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>

using namespace nimbar;

namespace {

constexpr double kInvalid = -0.0001112;
const QString kStamp = QStringLiteral("2007-03-15 13:02:03");

using Values = std::array<double, kChannelCount>;

Values quietValues() {
    Values v;
    v.fill(20.0);
    return v;
}

// A line in which the given channels read the given values; all others are well inside.
Values lineWith(std::initializer_list<std::pair<int, double>> readings) {
    Values v = quietValues();
    for (const auto& [ch, value] : readings)
        v[ch] = value;
    return v;
}

BoardConfig defaults(int board = 0) {
    return defaultBoardConfig(board, "");
}

} // namespace

class AlarmsTest : public QObject {
    Q_OBJECT
private slots:
    void channelAgainstItsLimits_data() {
        QTest::addColumn<int>("board");
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("korean");
        QTest::addColumn<QString>("message"); // empty: no alarm

        QTest::newRow("equal to high") << 0 << 1 << true << -20.0 << 100.0 << false << "";
        QTest::newRow("just above high")
            << 0 << 1 << true << -20.0 << 100.001 << false
            << "[1] 2007-03-15 13:02:03 CH1 High Alarm(100.001), Max is 100.000. ";
        QTest::newRow("equal to low") << 1 << 4 << true << -20.0 << -20.0 << false << "";
        QTest::newRow("below low")
            << 1 << 4 << true << -20.0 << -20.5 << false
            << "[2] 2007-03-15 13:02:03 CH4 Low Alarm(-20.500), Min is -20.000. ";
        QTest::newRow("invalid reading under low 0")
            << 2 << 8 << true << 0.0 << kInvalid << false
            << "[3] 2007-03-15 13:02:03 CH8 Low Alarm(-0.000), Min is 0.000. ";
        QTest::newRow("invalid reading inside the defaults")
            << 2 << 8 << true << -20.0 << kInvalid << false << "";
        QTest::newRow("disabled above high") << 0 << 2 << false << -20.0 << 500.0 << false << "";
        QTest::newRow("disabled below low") << 0 << 2 << false << -20.0 << -500.0 << false << "";
        QTest::newRow("not a number") << 0 << 3 << true << -20.0 << std::nan("") << false << "";
        QTest::newRow("high, Korean")
            << 3 << 5 << true << -20.0 << 123.4567 << true
            << "[4] 2007-03-15 13:02:03 CH5 상한 알람(123.457), 상한치: 100.000. ";
        QTest::newRow("low, Korean")
            << 3 << 6 << true << -20.0 << -21.0 << true
            << "[4] 2007-03-15 13:02:03 CH6 하한 알람(-21.000), 하한치: -20.000. ";
    }

    void channelAgainstItsLimits() {
        QFETCH(int, board);
        QFETCH(int, channel);
        QFETCH(bool, enabled);
        QFETCH(double, low);
        QFETCH(double, value);
        QFETCH(bool, korean);
        QFETCH(QString, message);

        BoardConfig config = defaults(board);
        config.alarmEnabled[channel] = enabled ? 1 : 0;
        config.alarmLow[channel] = low;
        const auto e = EvaluateAlarms(board, config, lineWith({{channel, value}}), 2, false, 0,
                                      kStamp, korean);

        const bool alarm = !message.isEmpty();
        QCOMPARE(e.count, alarm ? 1 : 0);
        for (int ch = 0; ch < kChannelCount; ++ch)
            QCOMPARE(e.alarm[ch], alarm && ch == channel);
        QCOMPARE(e.statusMessages, alarm ? QStringList{message} : QStringList{});
        QCOMPARE(e.alarmText, alarm ? message + "\r\n" : QString());
    }

    void twoChannelsReportInChannelOrder() {
        const auto e = EvaluateAlarms(0, defaults(), lineWith({{7, -25.0}, {2, 101.0}}), 0, false,
                                      0, kStamp, false);
        const QString ch2 = "[1] 2007-03-15 13:02:03 CH2 High Alarm(101.000), Max is 100.000. ";
        const QString ch7 = "[1] 2007-03-15 13:02:03 CH7 Low Alarm(-25.000), Min is -20.000. ";
        QCOMPARE(e.count, 2);
        QCOMPARE(e.statusMessages, (QStringList{ch2, ch7})); // the bar ends with CH7's
        QCOMPARE(e.alarmText, ch2 + "\r\n" + ch7 + "\r\n");
        QVERIFY(e.alarm[2] && e.alarm[7]);
    }

    void class2InterlockFollowsTheAlarms() {
        const BoardConfig config = defaults();
        const Values ch1And3 = lineWith({{1, 150.0}, {3, -30.0}});

        auto e = EvaluateAlarms(0, config, ch1And3, 2, true, 0, kStamp, false);
        QCOMPARE(e.prevDoState, 0);
        QCOMPARE(e.doState, 5);
        QCOMPARE(e.outputCommand, QByteArray("P5\r"));

        e = EvaluateAlarms(0, config, ch1And3, 2, true, e.doState, kStamp, false);
        QCOMPARE(e.doState, 5);
        QVERIFY(e.outputCommand.isEmpty());

        e = EvaluateAlarms(0, config, quietValues(), 2, true, e.doState, kStamp, false);
        QCOMPARE(e.prevDoState, 5);
        QCOMPARE(e.doState, 0);
        QCOMPARE(e.outputCommand, QByteArray("P0\r"));

        // Class 2 has outputs 1..4 only.
        e = EvaluateAlarms(0, config, lineWith({{6, 150.0}}), 2, true, 0, kStamp, false);
        QCOMPARE(e.count, 1);
        QCOMPARE(e.doState, 0);
        QVERIFY(e.outputCommand.isEmpty());
    }

    void class1InterlockUsesABitPerChannel() {
        const auto e = EvaluateAlarms(0, defaults(), lineWith({{6, 150.0}, {8, 150.0}}), 1, true, 0,
                                      kStamp, false);
        QCOMPARE(e.doState, 0xA0);
        QCOMPARE(e.outputCommand, QByteArray("PA0\r"));
    }

    void class0InterlockSwitchesTheSingleOutput() {
        const BoardConfig config = defaults();
        const Values alarm = lineWith({{2, 150.0}, {5, 150.0}});

        auto e = EvaluateAlarms(0, config, alarm, 0, true, 0, kStamp, false);
        QCOMPARE(e.doState, 1);
        QCOMPARE(e.outputCommand, QByteArray("D1\r"));

        e = EvaluateAlarms(0, config, alarm, 0, true, e.doState, kStamp, false);
        QVERIFY(e.outputCommand.isEmpty());

        e = EvaluateAlarms(0, config, quietValues(), 0, true, e.doState, kStamp, false);
        QCOMPARE(e.doState, 0);
        QCOMPARE(e.outputCommand, QByteArray("D0\r"));
    }

    void withoutInterlockTheOutputsStayWithTheHand() {
        for (int modelClass : {0, 1, 2}) {
            const auto e = EvaluateAlarms(0, defaults(), lineWith({{1, 150.0}}), modelClass, false,
                                          6, kStamp, false);
            QCOMPARE(e.count, 1);
            QCOMPARE(e.prevDoState, 6);
            QCOMPARE(e.doState, 6);
            QVERIFY(e.outputCommand.isEmpty());
        }
    }

    void outputCommands_data() {
        QTest::addColumn<int>("modelClass");
        QTest::addColumn<int>("doState");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("class 1 all off") << 1 << 0 << QByteArray("P0\r");
        QTest::newRow("class 2 mask 5") << 2 << 5 << QByteArray("P5\r");
        QTest::newRow("upper-case hex") << 1 << 0xAB << QByteArray("PAB\r");
        QTest::newRow("no leading zeros") << 2 << 0x0F << QByteArray("PF\r");
        QTest::newRow("class 0 on") << 0 << 1 << QByteArray("D1\r");
        QTest::newRow("class 0 off") << 0 << 0 << QByteArray("D0\r");
    }

    void outputCommands() {
        QFETCH(int, modelClass);
        QFETCH(int, doState);
        QFETCH(QByteArray, command);
        QCOMPARE(outputStateCommand(modelClass, doState), command);
    }

    void setOutputBit_data() {
        QTest::addColumn<int>("modelClass");
        QTest::addColumn<int>("doState");
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("result");
        QTest::newRow("set CH1") << 2 << 0 << 1 << true << 0x01;
        QTest::newRow("set CH4") << 2 << 0x01 << 4 << true << 0x09;
        QTest::newRow("clear CH1") << 2 << 0x09 << 1 << false << 0x08;
        QTest::newRow("class 2 ignores CH5") << 2 << 0x01 << 5 << true << 0x01;
        QTest::newRow("class 2 keeps bit 8") << 2 << 0x80 << 8 << false << 0x80;
        QTest::newRow("class 1 sets CH8") << 1 << 0 << 8 << true << 0x80;
        QTest::newRow("CH0 has no output") << 1 << 0 << 0 << true << 0;
        QTest::newRow("channel beyond CH8") << 1 << 0 << 9 << true << 0;
    }

    void setOutputBit() {
        QFETCH(int, modelClass);
        QFETCH(int, doState);
        QFETCH(int, channel);
        QFETCH(bool, on);
        QFETCH(int, result);
        QCOMPARE(SetOutputBit(doState, modelClass, channel, on), result);
    }

    void checkingTheInterlockLocksTheManualBoxes() {
        for (int modelClass : {0, 1, 2}) {
            const auto d = decideInterlockClick(modelClass, true, 0, 0);
            for (const auto& enabled : d.manualEnabled)
                QCOMPARE(enabled, std::optional<bool>(false));
            QVERIFY(!d.interlockEnabled);
            QVERIFY(d.command.isEmpty());
        }
    }

    void uncheckingTheInterlockSwitchesOffAndFreesTheBoxes() {
        auto d = decideInterlockClick(2, false, 5, 5);
        QCOMPARE(d.doState, 0);
        QCOMPARE(d.prevDoState, 0);
        QCOMPARE(d.command, QByteArray("P0\r"));
        for (const auto& enabled : d.manualEnabled)
            QCOMPARE(enabled, std::optional<bool>(true));

        d = decideInterlockClick(0, false, 1, 1);
        QCOMPARE(d.doState, 0);
        QCOMPARE(d.prevDoState, 0);
        QCOMPARE(d.command, QByteArray("D0\r"));
        QCOMPARE(d.manualEnabled[0], std::optional<bool>(true));
        for (int k = 1; k < kManualOutputCount; ++k)
            QVERIFY(!d.manualEnabled[k]); // class 0 has one output: the others stay disabled
    }

    void manualOutputsOfClasses1And2() {
        auto d = decideManualOutputClick(1, 0, true, false, 0, 0);
        QCOMPARE(d.doState, 1);
        QCOMPARE(d.command, QByteArray("P1\r"));
        QCOMPARE(d.interlockEnabled, std::optional<bool>(false));

        d = decideManualOutputClick(2, 2, true, false, d.doState, 0);
        QCOMPARE(d.doState, 5);
        QCOMPARE(d.command, QByteArray("P5\r"));

        // Another output still on keeps the interlock locked.
        d = decideManualOutputClick(2, 0, false, false, d.doState, 0);
        QCOMPARE(d.doState, 4);
        QCOMPARE(d.command, QByteArray("P4\r"));
        QVERIFY(!d.interlockEnabled);

        d = decideManualOutputClick(2, 2, false, false, d.doState, 0);
        QCOMPARE(d.doState, 0);
        QCOMPARE(d.command, QByteArray("P0\r"));
        QCOMPARE(d.interlockEnabled, std::optional<bool>(true));
        QCOMPARE(d.prevDoState, 0);
    }

    void manualOutputOfClass0() {
        auto d = decideManualOutputClick(0, 0, true, false, 0, 0);
        QCOMPARE(d.command, QByteArray("D1\r"));
        QCOMPARE(d.interlockEnabled, std::optional<bool>(false));
        d = decideManualOutputClick(0, 0, false, false, 0, 0);
        QCOMPARE(d.command, QByteArray("D0\r"));
        QCOMPARE(d.interlockEnabled, std::optional<bool>(true));
    }

    void manualBoxesDoNothingUnderInterlock() {
        for (int modelClass : {0, 1, 2}) {
            const auto d = decideManualOutputClick(modelClass, 1, true, true, 3, 3);
            QCOMPARE(d.doState, 3);
            QCOMPARE(d.prevDoState, 3);
            QVERIFY(d.command.isEmpty());
            QVERIFY(!d.interlockEnabled);
        }
    }

    void limitEntry_data() {
        QTest::addColumn<int>("board");
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("high");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("korean");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("editText");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("moveFocus");

        using O = AlarmLimitEntry::Outcome;
        const auto o = [](O outcome) { return static_cast<int>(outcome); };
        // The channel's stored limits are the defaults, high 100 and low -20.
        QTest::newRow("empty edit") << 0 << 1 << true << "" << false << o(O::Nothing) << 0.0 << ""
                                    << "" << false;
        QTest::newRow("high not a number")
            << 0 << 1 << true << "12a" << false << o(O::Invalid) << 100.0 << "100.00"
            << "Invalid data" << false;
        QTest::newRow("high nan") << 0 << 1 << true << "nan" << true << o(O::Invalid) << 100.0
                                  << "100.00"
                                  << "상한치가 올바르지 않습니다." << false;
        QTest::newRow("low not a number, Korean")
            << 0 << 1 << false << " " << true << o(O::Invalid) << -20.0 << "-20.00"
            << "하한치가 올바르지 않습니다." << false;
        QTest::newRow("high equal to low")
            << 0 << 2 << true << "-20" << false << o(O::Refused) << 100.0 << "100.00"
            << "High alarm must be greater than low alarm." << false;
        QTest::newRow("high below low, Korean")
            << 0 << 2 << true << "-50" << true << o(O::Refused) << 100.0 << "100.00"
            << "상한치는 하한치보다 커야합니다." << false;
        QTest::newRow("low equal to high")
            << 0 << 2 << false << "100.0" << false << o(O::Refused) << -20.0 << "-20.00"
            << "Low alarm must be less than high alarm." << false;
        QTest::newRow("low above high, Korean")
            << 0 << 2 << false << "200" << true << o(O::Refused) << -20.0 << "-20.00"
            << "하한치는 상한치보다 작아야 합니다." << false;
        QTest::newRow("high on CH1 moves on")
            << 0 << 1 << true << " 150.5 " << false << o(O::Accepted) << 150.5 << ""
            << "[1,1]HighAlarm = 150.500000" << true;
        QTest::newRow("high just above low")
            << 1 << 6 << true << "-19.999" << true << o(O::Accepted) << -19.999 << ""
            << "[2,6]HighAlarm = -19.999000" << true;
        QTest::newRow("high on CH7 keeps the focus")
            << 2 << 7 << true << "300" << false << o(O::Accepted) << 300.0 << ""
            << "[3,7]HighAlarm = 300.000000" << false;
        QTest::newRow("low on CH6 moves on")
            << 3 << 6 << false << "-30.25" << false << o(O::Accepted) << -30.25 << ""
            << "[4,6]LowAlarm = -30.250000" << true;
        QTest::newRow("low on CH8 keeps the focus")
            << 3 << 8 << false << "99.9999999" << false << o(O::Accepted) << 99.9999999 << ""
            << "[4,8]LowAlarm = 100.000000" << false;
    }

    void limitEntry() {
        QFETCH(int, board);
        QFETCH(int, channel);
        QFETCH(bool, high);
        QFETCH(QString, text);
        QFETCH(bool, korean);
        QFETCH(int, outcome);
        QFETCH(double, value);
        QFETCH(QString, editText);
        QFETCH(QString, status);
        QFETCH(bool, moveFocus);

        const auto r = enterAlarmLimit(board, channel, high ? AlarmLimit::High : AlarmLimit::Low,
                                       text, 100.0, -20.0, korean);
        QCOMPARE(static_cast<int>(r.outcome), outcome);
        if (r.outcome != AlarmLimitEntry::Outcome::Nothing)
            QCOMPARE(r.value, value);
        QCOMPARE(r.editText, editText);
        QCOMPARE(r.status, status);
        QCOMPARE(r.moveFocus, moveFocus);
    }
};

QTEST_APPLESS_MAIN(AlarmsTest)

#include "tst_Alarms.moc"
