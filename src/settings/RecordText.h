#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstring>

namespace nimbar {

// Texts inside records are NUL-terminated code page 949 bytes in fixed arrays.

// The converter name of Microsoft's code page 949. ICU reads "CP949" as IBM's variant, which
// puts the backslash at 0x82 and lacks most of the syllables outside KS X 1001.
inline constexpr char kCodePage949[] = "windows-949";

// Encodes a whole text; a character the code page lacks becomes a substitute byte.
QByteArray encodeCp949(const QString& text);

// Decodes at most maxBytes bytes, stopping at the first NUL: a field without a terminator
// is read to its end and never beyond.
QString decodeCp949(const char* bytes, std::size_t maxBytes);
// Encodes text, cut at a character boundary so that it takes at most maxBytes bytes.
QByteArray encodeCp949(const QString& text, std::size_t maxBytes);

template <std::size_t N> QString fieldText(const char (&field)[N]) {
    return decodeCp949(field, N);
}

// Stores text truncated to N - 1 bytes; the bytes after the terminator are zeroed.
template <std::size_t N> void setFieldText(char (&field)[N], const QString& text) {
    const QByteArray bytes = encodeCp949(text, N - 1);
    std::memset(field, 0, N);
    std::memcpy(field, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace nimbar
