// The demo plant of karnsim: calm inside the default alarm limits, with one short excursion.
#include "SimDevice.h"
#include "SimOptions.h"
#include "settings/ModelClass.h"

#include <QTest>

using namespace karnsim;

namespace {

SimOptions demoOptions(const std::vector<std::string>& extra) {
    std::vector<std::string> args{"--profile", "demo"};
    args.insert(args.end(), extra.begin(), extra.end());
    const ParsedOptions parsed = parseOptions(args);
    if (!parsed.error.empty())
        qFatal("%s", parsed.error.c_str());
    return parsed.options;
}

} // namespace

class KarnsimDemoTest : public QObject {
    Q_OBJECT
private slots:
    void channelsStayInsideTheDefaultLimits() {
        for (const char* model : {"KARN-5610", "KARN-5400", "KARN-5800", "KARN-5600"}) {
            const SimDevice device(demoOptions({"--model", model}));
            double lowest = 1000.0;
            double highest = -1000.0;
            for (int t = 0; t < 3600; ++t) {
                const SimSample s = device.sample(t + 0.25);
                for (std::size_t ch = 1; ch < s.values.size(); ++ch) {
                    lowest = std::min(lowest, s.values[ch]);
                    highest = std::max(highest, s.values[ch]);
                }
            }
            QVERIFY2(lowest > 20.0 && highest < 95.0, model);
        }
    }

    void excursionCrossesTheHighLimitForAboutTwentySecondsEveryFourMinutes() {
        const SimDevice device(demoOptions({"--model", "KARN-5400", "--excursion", "3"}));
        QList<int> above(3); // seconds above 100 C in each four-minute period from 60 s on
        for (int t = 0; t < 60 + 3 * 240; ++t) {
            const SimSample s = device.sample(t);
            for (std::size_t ch = 1; ch < s.values.size(); ++ch) {
                const bool high = s.values[ch] > 100.0;
                QVERIFY(!high || (ch == 3 && t >= 60));
                if (high)
                    ++above[(t - 60) / 240];
            }
        }
        QCOMPARE(above.size(), 3);
        for (int seconds : above)
            QVERIFY2(seconds >= 17 && seconds <= 23, qPrintable(QString::number(seconds)));
    }

    void excursionNeedsTheDemoAndAChannelOfTheModel() {
        QVERIFY(!parseOptions({"--excursion", "2"}).error.empty());
        QVERIFY(!parseOptions({"--profile", "demo", "--model", "KARN-5400", "--excursion", "5"})
                     .error.empty());
        QVERIFY(!parseOptions({"--profile", "calm"}).error.empty());
    }
};

QTEST_GUILESS_MAIN(KarnsimDemoTest)
#include "tst_karnsimDemo.moc"
