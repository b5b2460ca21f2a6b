#include "browser/RecordingLayout.h"

#include "settings/RecordText.h"

#include <QtEndian>

#include <cstring>

namespace nimbar {

namespace {

constexpr RecordingLayout kLayouts[] = {
    {RecordingVariant::Current, 544, 80, 9, 11, 92, 173, 254, 335, 9, 524, 12, 536},
    {RecordingVariant::Old7, 492, 64, 7, 0, 81, 162, 243, 324, 7, 471, 13, 484},
    {RecordingVariant::Old9, 532, 80, 9, 0, 81, 162, 243, 324, 9, 513, 11, 524},
};

bool serialBegins(const QByteArray& header, const RecordingLayout& layout, const char* a,
                  const char* b = nullptr) {
    if (header.size() < layout.serial + 2)
        return false;
    const char* serial = header.constData() + layout.serial;
    return std::memcmp(serial, a, 2) == 0 || (b && std::memcmp(serial, b, 2) == 0);
}

} // namespace

const RecordingLayout& recordingLayout(RecordingVariant variant) {
    return kLayouts[static_cast<int>(variant)];
}

bool headerMatches(const QByteArray& header, const RecordingLayout& layout) {
    if (header.size() < layout.headerSize)
        return false;
    switch (layout.variant) {
    case RecordingVariant::Current:
        return decodeCp949(header.constData(), 11) == QLatin1String("2.0.0");
    case RecordingVariant::Old7:
        return serialBegins(header, layout, "A2", "A3");
    case RecordingVariant::Old9:
        return serialBegins(header, layout, "A4");
    }
    return false;
}

std::optional<RecordingVariant> recogniseRecording(QIODevice& file) {
    if (!file.seek(0))
        return std::nullopt;
    const QByteArray header = file.read(recordingLayout(RecordingVariant::Current).headerSize);
    for (RecordingVariant variant :
         {RecordingVariant::Current, RecordingVariant::Old7, RecordingVariant::Old9}) {
        if (headerMatches(header.left(recordingLayout(variant).headerSize),
                          recordingLayout(variant)))
            return variant;
    }
    return std::nullopt;
}

int headerChannelCount(const QByteArray& header, const RecordingLayout& layout) {
    if (layout.variant == RecordingVariant::Old7)
        return 7;
    if (layout.variant == RecordingVariant::Old9)
        return 9;
    return serialBegins(header, layout, "A2", "A3") ? 7 : 9;
}

QString headerText(const QByteArray& header, int offset, int size) {
    if (offset < 0 || offset + size > header.size())
        return {};
    return decodeCp949(header.constData() + offset, static_cast<std::size_t>(size));
}

double headerStartTime(const QByteArray& header, const RecordingLayout& layout) {
    if (layout.startTime + 8 > header.size())
        return 0.0;
    return qFromLittleEndian<double>(header.constData() + layout.startTime);
}

} // namespace nimbar
