#include "settings/RecordText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace nimbar {

namespace {

// The code page's single bytes are ASCII; most texts need no converter, which is costly to open.
bool isAscii(QByteArrayView bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool isAscii(const QString& text) {
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

} // namespace

QString decodeCp949(const char* bytes, std::size_t maxBytes) {
    const auto length = static_cast<qsizetype>(strnlen(bytes, maxBytes));
    if (isAscii(QByteArrayView(bytes, length)))
        return QString::fromLatin1(bytes, length);
    QStringDecoder decoder(kCodePage949);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes, length);
    return decoder.decode(QByteArrayView(bytes, length));
}

QByteArray encodeCp949(const QString& text) {
    if (isAscii(text))
        return text.toLatin1();
    QStringEncoder encoder(kCodePage949);
    return encoder.isValid() ? QByteArray(encoder.encode(text)) : text.toLatin1();
}

QByteArray encodeCp949(const QString& text, std::size_t maxBytes) {
    if (isAscii(text))
        return text.toLatin1().left(static_cast<qsizetype>(maxBytes));
    QStringEncoder encoder(kCodePage949);
    QByteArray out;
    const auto limit = static_cast<qsizetype>(maxBytes);
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype width = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView character = QStringView(text).mid(i, width);
        const QByteArray piece =
            encoder.isValid() ? QByteArray(encoder.encode(character)) : character.toLatin1();
        if (out.size() + piece.size() > limit)
            break;
        out += piece;
        i += width;
    }
    return out;
}

} // namespace nimbar
