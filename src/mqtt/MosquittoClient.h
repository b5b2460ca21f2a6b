#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

struct mosquitto;
struct mosquitto_message;

namespace nimbar {

// A thin owner of one libmosquitto client: its callbacks as std::function, its calls as members,
// its error codes as texts. Not thread-safe: one thread creates it, drives it and destroys it.
// libmosquitto keeps messages for resending inside a client; a session that keeps its own queue
// makes a new client for every connection so that nothing is sent twice by the library.
class MosquittoClient {
public:
    struct Handlers {
        std::function<void(int code)> connected; // the CONNACK's code: 0 accepted
        std::function<void(int mid)> published;  // QoS 1: the broker has it
        std::function<void(const QByteArray& topic, const QByteArray& payload)> message;
        std::function<void(const QString& text)> error; // the library's error log lines
    };

    MosquittoClient(const QByteArray& clientId, int protocolVersion, Handlers handlers);
    ~MosquittoClient();
    MosquittoClient(const MosquittoClient&) = delete;
    MosquittoClient& operator=(const MosquittoClient&) = delete;

    bool valid() const { return m_client != nullptr; }

    // Setup before connecting; each returns a libmosquitto code, 0 on success.
    int setWill(const QByteArray& topic, const QByteArray& payload, int qos, bool retain);
    int setCredentials(const QByteArray& user, const std::optional<QByteArray>& password);
    // TLS with the given certificate authority file, or the system's when empty.
    int setTls(const QString& caFile);
    // Starts the connection without waiting for the broker; the name lookup blocks.
    int connectAsync(const QByteArray& host, int port, int keepAliveSeconds);

    int socket() const;
    bool wantWrite() const;
    int loopRead();
    int loopWrite();
    int loopMisc();

    int publish(int* mid, const QByteArray& topic, const QByteArray& payload, int qos, bool retain);
    int subscribe(const QByteArray& topic, int qos);
    int disconnect();

    // "Connection refused", "Lookup error.", ... with errno for the system's errors.
    static QString errorText(int code);
    static QString connackText(int code);
    // A CONNACK code that refuses the user name or password (MQTT 3.1.1 and 5).
    static bool refusesCredentials(int code);
    static constexpr int kErrorErrno = 14;
    static constexpr int kErrorLookup = 15;
    static constexpr int kErrorTls = 8;

private:
    static void onConnect(mosquitto*, void* self, int code);
    static void onPublish(mosquitto*, void* self, int mid);
    static void onMessage(mosquitto*, void* self, const mosquitto_message* message);
    static void onLog(mosquitto*, void* self, int level, const char* text);

    mosquitto* m_client = nullptr;
    Handlers m_handlers;
};

} // namespace nimbar
