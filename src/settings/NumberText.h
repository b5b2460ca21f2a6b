#pragma once

#include <QString>

#include <optional>

namespace nimbar {

// A number typed into an edit: blanks around it allowed, '.' as the decimal point.
// Texts that are not finite numbers ("nan", "inf", empty) give nothing.
std::optional<double> parseNumber(const QString& text);

// "%.2f" and "%.5f" as the edits show stored numbers.
QString formatFixed(double value, int decimals);

} // namespace nimbar
