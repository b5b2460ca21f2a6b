#pragma once

#include <mosquitto.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QTest>

#include <mutex>

// A subscriber to "#" with a persistent QoS 1 session: it gets every message published while it
// was away for a moment (a broker restart), and it reconnects by itself.
class MqttSubscriber {
public:
    struct Message {
        QByteArray topic;
        QByteArray payload;
        bool retained = false;
    };

    MqttSubscriber(quint16 port, const QByteArray& clientId, const QByteArray& filter = "#")
        : m_filter(filter) {
        mosquitto_lib_init();
        m_client = mosquitto_new(clientId.constData(), false, this);
        mosquitto_connect_callback_set(m_client, [](mosquitto* client, void* self, int code) {
            if (code == 0)
                mosquitto_subscribe(client, nullptr,
                                    static_cast<MqttSubscriber*>(self)->m_filter.constData(), 1);
        });
        mosquitto_message_callback_set(
            m_client, [](mosquitto*, void* self, const mosquitto_message* message) {
                auto* subscriber = static_cast<MqttSubscriber*>(self);
                const std::lock_guard lock(subscriber->m_mutex);
                subscriber->m_messages.push_back(
                    {QByteArray(message->topic),
                     QByteArray(static_cast<const char*>(message->payload), message->payloadlen),
                     message->retain});
            });
        mosquitto_reconnect_delay_set(m_client, 1, 1, false);
        mosquitto_connect(m_client, "127.0.0.1", port, 60);
        mosquitto_loop_start(m_client);
    }
    ~MqttSubscriber() {
        mosquitto_disconnect(m_client);
        mosquitto_loop_stop(m_client, true);
        mosquitto_destroy(m_client);
    }

    QList<Message> messages() const {
        const std::lock_guard lock(m_mutex);
        return m_messages;
    }
    QList<Message> on(const QByteArray& topic) const {
        QList<Message> found;
        for (const Message& message : messages())
            if (message.topic == topic)
                found << message;
        return found;
    }
    // Waits until a message on topic satisfies accept.
    template <typename Accept>
    bool waitFor(const QByteArray& topic, Accept accept, int milliseconds = 15000) const {
        QElapsedTimer timer;
        timer.start();
        do {
            for (const Message& message : on(topic))
                if (accept(message))
                    return true;
            QTest::qWait(50);
        } while (timer.elapsed() < milliseconds);
        return false;
    }

private:
    QByteArray m_filter;
    mosquitto* m_client = nullptr;
    mutable std::mutex m_mutex;
    QList<Message> m_messages;
};

inline QJsonObject jsonOf(const QByteArray& payload) {
    return QJsonDocument::fromJson(payload).object();
}
