#include "app/RecordText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace nimbar {

QString decodeCp949(const char* bytes, std::size_t maxBytes) {
    const auto length = static_cast<qsizetype>(strnlen(bytes, maxBytes));
    QStringDecoder decoder(kCodePage949);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes, length);
    return decoder.decode(QByteArrayView(bytes, length));
}

QByteArray encodeCp949(const QString& text) {
    QStringEncoder encoder(kCodePage949);
    return encoder.isValid() ? QByteArray(encoder.encode(text)) : text.toLatin1();
}

QByteArray encodeCp949(const QString& text, std::size_t maxBytes) {
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
