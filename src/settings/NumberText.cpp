#include "settings/NumberText.h"

#include <cmath>

namespace nimbar {

std::optional<double> parseNumber(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString formatFixed(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

} // namespace nimbar
