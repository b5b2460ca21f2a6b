#include "net/NetFrame.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace nimbar {

QByteArray encodeRequest(uint8_t code) {
    QByteArray bytes(kNetRequestSize, '\0');
    bytes[0] = static_cast<char>(code);
    bytes[4] = static_cast<char>(kNetRequestSize);
    return bytes;
}

QByteArray encodeResponse(uint8_t code, QByteArrayView payload) {
    const qsizetype size = std::min<qsizetype>(payload.size(), kNetPayloadSize);
    QByteArray bytes(kNetHeaderSize + size, '\0');
    bytes[0] = static_cast<char>(code);
    qToLittleEndian(static_cast<uint32_t>(bytes.size()), bytes.data() + 4);
    std::memcpy(bytes.data() + kNetHeaderSize, payload.data(), static_cast<std::size_t>(size));
    return bytes;
}

QByteArray measurementResponse(const char* servedLine) {
    return encodeResponse(NetCode::Measurement,
                          QByteArrayView(servedLine, kMeasurementPayloadSize));
}

QByteArray configurationResponse(const BoardConfig& board) {
    return encodeResponse(NetCode::Configuration,
                          QByteArrayView(reinterpret_cast<const char*>(&board), sizeof board));
}

QByteArray pausedResponse() {
    return encodeResponse(NetCode::Paused, QByteArray(kMeasurementPayloadSize, '\0'));
}

QByteArray closingResponse(QByteArrayView text) {
    return encodeResponse(NetCode::Closing, text);
}

ServerAnswer answerFor(uint8_t code, int32_t linkIdle) {
    if (code == NetCode::Measurement)
        return linkIdle > 0 ? ServerAnswer::Paused : ServerAnswer::Measurement;
    if (code == NetCode::Configuration)
        return ServerAnswer::Configuration;
    return ServerAnswer::Unknown;
}

QByteArray ReceivedFrame::measurementLine() const {
    QByteArray line(kReceivedLineSize, '\0');
    const qsizetype size =
        std::clamp<qsizetype>(bytes.size() - kNetHeaderSize, 0, kReceivedLineSize - 1);
    std::memcpy(line.data(), bytes.constData() + kNetHeaderSize, static_cast<std::size_t>(size));
    return line;
}

BoardConfig ReceivedFrame::configuration() const {
    BoardConfig board{};
    const qsizetype size = std::clamp<qsizetype>(bytes.size() - kNetHeaderSize, 0,
                                                 static_cast<qsizetype>(sizeof board));
    std::memcpy(&board, bytes.constData() + kNetHeaderSize, static_cast<std::size_t>(size));
    return board;
}

FrameAssembler::Result FrameAssembler::feed(QByteArrayView bytes) {
    Result result;
    m_buffer.append(bytes);
    while (m_buffer.size() >= kNetHeaderSize) {
        const uint32_t length = qFromLittleEndian<uint32_t>(m_buffer.constData() + 4);
        if (length < kNetHeaderSize || length > kNetFrameSize) {
            m_buffer.clear();
            result.oversized = true;
            break;
        }
        if (m_buffer.size() < static_cast<qsizetype>(length))
            break;
        ReceivedFrame frame;
        frame.code = static_cast<uint8_t>(m_buffer[0]);
        frame.bytes = m_buffer.left(length);
        m_buffer.remove(0, length);
        result.frames << frame;
    }
    return result;
}

} // namespace nimbar
