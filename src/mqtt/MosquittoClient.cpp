#include "mqtt/MosquittoClient.h"

#include <mosquitto.h>
#include <mqtt_protocol.h>

#include <cerrno>
#include <cstring>

namespace nimbar {

namespace {

// The library's global set-up, done once for the process before its first client.
void initializeLibrary() {
    static const int initialized = mosquitto_lib_init();
    Q_UNUSED(initialized);
}

} // namespace

MosquittoClient::MosquittoClient(const QByteArray& clientId, int protocolVersion, Handlers handlers)
    : m_handlers(std::move(handlers)) {
    initializeLibrary();
    m_client = mosquitto_new(clientId.isEmpty() ? nullptr : clientId.constData(), true, this);
    if (!m_client)
        return;
    mosquitto_int_option(m_client, MOSQ_OPT_PROTOCOL_VERSION,
                         protocolVersion == 5 ? MQTT_PROTOCOL_V5 : MQTT_PROTOCOL_V311);
    mosquitto_int_option(m_client, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(m_client, &MosquittoClient::onConnect);
    mosquitto_publish_callback_set(m_client, &MosquittoClient::onPublish);
    mosquitto_message_callback_set(m_client, &MosquittoClient::onMessage);
    mosquitto_log_callback_set(m_client, &MosquittoClient::onLog);
}

MosquittoClient::~MosquittoClient() {
    if (m_client)
        mosquitto_destroy(m_client);
}

int MosquittoClient::setWill(const QByteArray& topic, const QByteArray& payload, int qos,
                             bool retain) {
    return mosquitto_will_set(m_client, topic.constData(), static_cast<int>(payload.size()),
                              payload.constData(), qos, retain);
}

int MosquittoClient::setCredentials(const QByteArray& user,
                                    const std::optional<QByteArray>& password) {
    if (user.isEmpty() && !password)
        return MOSQ_ERR_SUCCESS;
    return mosquitto_username_pw_set(m_client, user.isEmpty() ? nullptr : user.constData(),
                                     password ? password->constData() : nullptr);
}

int MosquittoClient::setTls(const QString& caFile) {
    if (caFile.isEmpty())
        return mosquitto_int_option(m_client, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
    return mosquitto_tls_set(m_client, caFile.toLocal8Bit().constData(), nullptr, nullptr, nullptr,
                             nullptr);
}

int MosquittoClient::connectAsync(const QByteArray& host, int port, int keepAliveSeconds) {
    return mosquitto_connect_async(m_client, host.constData(), port, keepAliveSeconds);
}

int MosquittoClient::socket() const {
    return mosquitto_socket(m_client);
}

bool MosquittoClient::wantWrite() const {
    return mosquitto_want_write(m_client);
}

int MosquittoClient::loopRead() {
    return mosquitto_loop_read(m_client, 1);
}

int MosquittoClient::loopWrite() {
    return mosquitto_loop_write(m_client, 1);
}

int MosquittoClient::loopMisc() {
    return mosquitto_loop_misc(m_client);
}

int MosquittoClient::publish(int* mid, const QByteArray& topic, const QByteArray& payload, int qos,
                             bool retain) {
    return mosquitto_publish(m_client, mid, topic.constData(), static_cast<int>(payload.size()),
                             payload.constData(), qos, retain);
}

int MosquittoClient::subscribe(const QByteArray& topic, int qos) {
    return mosquitto_subscribe(m_client, nullptr, topic.constData(), qos);
}

int MosquittoClient::disconnect() {
    return mosquitto_disconnect(m_client);
}

QString MosquittoClient::errorText(int code) {
    if (code == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(code));
}

QString MosquittoClient::connackText(int code) {
    // MQTT 5 reason codes are 128 and above; the 3.1.1 return codes 1 to 5.
    return QString::fromUtf8(code >= 128 ? mosquitto_reason_string(code)
                                         : mosquitto_connack_string(code));
}

bool MosquittoClient::refusesCredentials(int code) {
    return code == CONNACK_REFUSED_BAD_USERNAME_PASSWORD ||
           code == CONNACK_REFUSED_NOT_AUTHORIZED || code == MQTT_RC_BAD_USERNAME_OR_PASSWORD ||
           code == MQTT_RC_NOT_AUTHORIZED;
}

void MosquittoClient::onConnect(mosquitto*, void* self, int code) {
    auto* client = static_cast<MosquittoClient*>(self);
    if (client->m_handlers.connected)
        client->m_handlers.connected(code);
}

void MosquittoClient::onPublish(mosquitto*, void* self, int mid) {
    auto* client = static_cast<MosquittoClient*>(self);
    if (client->m_handlers.published)
        client->m_handlers.published(mid);
}

void MosquittoClient::onMessage(mosquitto*, void* self, const mosquitto_message* message) {
    auto* client = static_cast<MosquittoClient*>(self);
    if (client->m_handlers.message)
        client->m_handlers.message(
            QByteArray(message->topic),
            QByteArray(static_cast<const char*>(message->payload), message->payloadlen));
}

void MosquittoClient::onLog(mosquitto*, void* self, int level, const char* text) {
    auto* client = static_cast<MosquittoClient*>(self);
    if (level == MOSQ_LOG_ERR && client->m_handlers.error)
        client->m_handlers.error(QString::fromUtf8(text));
}

} // namespace nimbar
