#include "mqtt/JsonWriter.h"

#include <charconv>
#include <cmath>

namespace nimbar {

void JsonWriter::separate() {
    if (m_afterKey)
        m_afterKey = false;
    else if (!m_first)
        m_out += ',';
    m_first = false;
}

void JsonWriter::key(const char* name) {
    separate();
    m_out += '"';
    m_out += name;
    m_out += "\":";
    m_afterKey = true;
}

void JsonWriter::string(const QString& text) {
    separate();
    m_out += '"';
    for (const char c : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            m_out += '\\';
            m_out += c;
        } else if (byte < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            m_out += "\\u00";
            m_out += kHex[byte >> 4];
            m_out += kHex[byte & 15];
        } else {
            m_out += c;
        }
    }
    m_out += '"';
}

void JsonWriter::number(double value) {
    separate();
    if (!std::isfinite(value)) {
        m_out += "null";
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    m_out.append(buffer, result.ptr - buffer);
}

void JsonWriter::integer(std::int64_t value) {
    separate();
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    m_out.append(buffer, result.ptr - buffer);
}

void JsonWriter::boolean(bool value) {
    separate();
    m_out += value ? "true" : "false";
}

} // namespace nimbar
