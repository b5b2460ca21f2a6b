#pragma once

#include <QByteArrayView>
#include <QStringList>

#include <optional>
#include <span>

namespace nimbar {

// Class 0: KARN-5600 and KARN-5610; class 1: KARN-5400; class 2: KARN-5800.
inline constexpr int kModelClassCount = 3;

// The class of a model name; nothing for a name outside the four models.
std::optional<int> modelClassOf(QByteArrayView modelName);
// Length of a measurement line, CR LF included: 56, 40 or 72.
int lineLengthOf(int modelClass);
// Channels CH0..CH(V-1) that the class has: 7, 5 or 9.
int channelCountOf(int modelClass);

// The ranges a channel of the class can measure, in millivolts, largest first.
std::span<const double> rangeTableOf(int modelClass);
// The range combo texts of the class, as the combos show them.
QStringList rangeLabelsOf(int modelClass);
// The index of the smallest range that still holds millivolts; -1 if none does.
int rangeIndexOf(int modelClass, double millivolts);

} // namespace nimbar
