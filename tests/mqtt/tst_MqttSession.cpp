// The broker session against a real mosquitto and against peers that are no broker: what the
// user is told, once, and that the records that waited arrive in order once the broker answers.
#include "MosquittoBroker.h"
#include "MqttSubscriber.h"
#include "mqtt/MqttSession.h"

#include <QTcpServer>
#include <QTest>

#include <mutex>

using namespace nimbar;

namespace {

// The notices a session gave, gathered from its thread.
struct NoticeLog {
    mutable std::mutex mutex;
    QList<MqttNotice> notices;

    MqttSession::NoticeSink sink() {
        return [this](const MqttNotice& notice) {
            const std::lock_guard lock(mutex);
            notices << notice;
        };
    }
    QList<MqttNotice::Kind> kinds() const {
        const std::lock_guard lock(mutex);
        QList<MqttNotice::Kind> kinds;
        for (const MqttNotice& notice : notices)
            kinds << notice.kind;
        return kinds;
    }
    bool waitFor(MqttNotice::Kind kind, int milliseconds = 15000) const {
        for (int waited = 0; waited < milliseconds; waited += 50) {
            if (kinds().contains(kind))
                return true;
            QTest::qWait(50);
        }
        return false;
    }
};

MqttSettings settingsFor(const QString& host, int port, const QString& topic) {
    MqttSettings settings;
    settings.broker = BrokerAddress{false, host, port};
    settings.topicPrefix = topic;
    settings.clientId = "session-test-" + topic;
    return settings;
}

MqttEvent record(std::int64_t msecs) {
    MqttEvent event;
    event.msecs = msecs;
    event.values[0] = static_cast<double>(msecs);
    event.validMask = 1;
    return event;
}

} // namespace

class MqttSessionTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!MosquittoBroker::available())
            QSKIP("mosquitto is not installed (scripts/setup installs it)");
    }

    void recordsWaitForABrokerThatIsNotThereYet() {
        MosquittoBroker broker({}, false);
        NoticeLog log;
        MqttSession session(settingsFor("127.0.0.1", broker.port(), "late"), log.sink());
        for (int i = 1; i <= 50; ++i)
            session.post(record(i));
        session.flush();
        QVERIFY(log.waitFor(MqttNotice::Kind::CannotReach));
        QTest::qWait(3500); // tries at 1 s and 3 s: still told once
        QCOMPARE(log.kinds(), QList{MqttNotice::Kind::CannotReach});

        QVERIFY(broker.start());
        MqttSubscriber subscriber(broker.port(), "session-sub", "late/A/record");
        QVERIFY(log.waitFor(MqttNotice::Kind::Connected));
        QVERIFY(subscriber.waitFor("late/A/record", [&](const auto&) {
            return subscriber.on("late/A/record").size() >= 50;
        }));
        const auto received = subscriber.on("late/A/record");
        for (int i = 0; i < 50; ++i)
            QCOMPARE(jsonOf(received[i].payload)["ts"].toInteger(), i + 1);
        QTRY_COMPARE(session.acknowledgedCount(), 50u);
    }

    void homeAssistantGetsItsDiscoveryAgainWhenItRestarts() {
        MosquittoBroker broker;
        MqttSettings settings = settingsFor("127.0.0.1", broker.port(), "ha");
        settings.homeAssistant = true;
        NoticeLog log;
        MqttSession session(settings, log.sink());
        const QByteArray topic = "homeassistant/sensor/ha/A_ch1/config";
        session.setRetained(topic, R"({"name":"CH1"})");
        QVERIFY(log.waitFor(MqttNotice::Kind::Connected));
        MqttSubscriber subscriber(broker.port(), "ha-watch", "homeassistant/sensor/#");
        QVERIFY(subscriber.waitFor(topic, [](const auto& m) { return m.retained; }));

        QProcess announce;
        announce.start("mosquitto_pub", {"-p", QString::number(broker.port()), "-t",
                                         "homeassistant/status", "-m", "online"});
        if (!announce.waitForFinished(10000) || announce.exitCode() != 0)
            QSKIP("mosquitto_pub is not available (scripts/setup installs it)");
        QVERIFY(subscriber.waitFor(topic, [](const auto& m) { return !m.retained; }));
        // A sensor given up is removed from the broker.
        session.setRetained(topic, {});
        QVERIFY(subscriber.waitFor(topic, [](const auto& m) { return m.payload.isEmpty(); }));
    }

    void peersThatAreNoBrokerAreToldApart() {
        NoticeLog unknown;
        MqttSession lookup(settingsFor("no-such-host.invalid", 1883, "a"), unknown.sink());

        // Takes the connection and never answers it.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        NoticeLog mute;
        MqttSession waiting(settingsFor("127.0.0.1", silent.serverPort(), "b"), mute.sink());

        QVERIFY(unknown.waitFor(MqttNotice::Kind::UnknownHost));
        QCOMPARE(unknown.notices.value(0).detail, "no-such-host.invalid");
        QVERIFY(mute.waitFor(MqttNotice::Kind::NoAnswer, 20000));
        QCOMPARE(mute.kinds().size(), 1);
    }

    void refusedCredentialsAreSaid() {
        QTemporaryDir dir;
        const QString passwords = dir.filePath("passwords");
        QProcess tool;
        tool.start("mosquitto_passwd", {"-c", "-b", passwords, "lab", "right"});
        if (!tool.waitForFinished(10000) || tool.exitCode() != 0)
            QSKIP("mosquitto_passwd is not available");
        QFile::setPermissions(passwords, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        MosquittoBroker broker(passwords);

        MqttSettings wrong = settingsFor("127.0.0.1", broker.port(), "w");
        wrong.username = "lab";
        wrong.password = "wrong";
        NoticeLog refused;
        MqttSession denied(wrong, refused.sink());
        QVERIFY(refused.waitFor(MqttNotice::Kind::CredentialsRefused));

        MqttSettings right = wrong;
        right.password = "right";
        right.clientId = "session-test-right";
        NoticeLog accepted;
        MqttSession allowed(right, accepted.sink());
        QVERIFY(accepted.waitFor(MqttNotice::Kind::Connected));
        QCOMPARE(refused.kinds(), QList{MqttNotice::Kind::CredentialsRefused});
    }
};

QTEST_GUILESS_MAIN(MqttSessionTest)
#include "tst_MqttSession.moc"
