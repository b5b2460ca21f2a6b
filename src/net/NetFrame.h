#pragma once

#include "settings/BoardConfig.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cstdint>

namespace nimbar {

// One message on a board's TCP connection: an 8-byte header (code, three zero bytes, length
// little-endian) and the payload. Requests are the first five bytes only.
inline constexpr int kNetFrameSize = 1508;
inline constexpr int kNetHeaderSize = 8;
inline constexpr int kNetPayloadSize = kNetFrameSize - kNetHeaderSize;
inline constexpr int kNetRequestSize = 5;
inline constexpr int kMeasurementPayloadSize = 80;
inline constexpr int kReceivedLineSize = 180;
inline constexpr int kFirstBoardPort = 7996;

namespace NetCode {
inline constexpr uint8_t Measurement = 0xA0;
inline constexpr uint8_t Configuration = 0xB0;
inline constexpr uint8_t Paused = 0xC0;
inline constexpr uint8_t Closing = 0xF0;
} // namespace NetCode

struct NetFrame {
    uint8_t code;
    uint8_t padding[3];
    uint32_t length;
    char payload[kNetPayloadSize];
};
static_assert(sizeof(NetFrame) == kNetFrameSize);
static_assert(offsetof(NetFrame, length) == 4);
static_assert(offsetof(NetFrame, payload) == 8);

QByteArray encodeRequest(uint8_t code);
// Header and payload; a payload longer than the frame holds is cut to fit.
QByteArray encodeResponse(uint8_t code, QByteArrayView payload);
// The first 80 bytes of the board's served line; its remaining bytes are not sent.
QByteArray measurementResponse(const char* servedLine);
QByteArray configurationResponse(const BoardConfig& board);
QByteArray pausedResponse();
QByteArray closingResponse(QByteArrayView text);

// What the server answers to a request code, given the board's link watchdog.
enum class ServerAnswer { Measurement, Paused, Configuration, Unknown };
ServerAnswer answerFor(uint8_t code, int32_t linkIdle);

// A received frame: the code and the bytes from the header on, at most a whole frame.
struct ReceivedFrame {
    uint8_t code = 0;
    QByteArray bytes;
    int size() const { return static_cast<int>(bytes.size()); }
    // The 180-byte measurement line: the payload, zero filled, always NUL-terminated.
    QByteArray measurementLine() const;
    // The payload as a board record; bytes the frame lacks are zero.
    BoardConfig configuration() const;
};

// Splits a byte stream into frames by their length field. Bytes wait until their frame is
// whole; a length that no frame can have drops everything buffered.
class FrameAssembler {
public:
    struct Result {
        QList<ReceivedFrame> frames;
        bool oversized = false; // a bad length was met; the buffer was dropped
    };
    Result feed(QByteArrayView bytes);
    void clear() { m_buffer.clear(); }
    int pending() const { return static_cast<int>(m_buffer.size()); }

private:
    QByteArray m_buffer;
};

} // namespace nimbar
