#include "settings/ModelClass.h"

#include <array>

namespace nimbar {

namespace {

constexpr std::array<double, 8> kClass0Ranges{2500,   1250,   625,     312.5,
                                              156.25, 78.125, 39.0625, 19.5313};
constexpr std::array<double, 7> kClass12Ranges{5000, 2500, 1250, 625, 312.5, 156.25, 78.125};

int validClass(int modelClass) {
    return modelClass >= 0 && modelClass < kModelClassCount ? modelClass : 0;
}

} // namespace

std::optional<int> modelClassOf(QByteArrayView modelName) {
    if (modelName == "KARN-5600" || modelName == "KARN-5610")
        return 0;
    if (modelName == "KARN-5400")
        return 1;
    if (modelName == "KARN-5800")
        return 2;
    return std::nullopt;
}

int lineLengthOf(int modelClass) {
    constexpr int lengths[] = {56, 40, 72};
    return lengths[validClass(modelClass)];
}

int channelCountOf(int modelClass) {
    constexpr int counts[] = {7, 5, 9};
    return counts[validClass(modelClass)];
}

std::span<const double> rangeTableOf(int modelClass) {
    if (validClass(modelClass) == 0)
        return kClass0Ranges;
    return kClass12Ranges;
}

QStringList rangeLabelsOf(int modelClass) {
    if (validClass(modelClass) == 0)
        return {"2500 mV",   "1250 mV",   "625 mV",     "312.5 mV",
                "156.25 mV", "78.125 mV", "39.0625 mV", "19.5313 mV"};
    return {"5000 mV ", "2500 mV", "1250 mV", "625 mV", "312.5 mV ", "156.25 mV", "78.125 mV"};
}

int rangeIndexOf(int modelClass, double millivolts) {
    const auto table = rangeTableOf(modelClass);
    for (int i = static_cast<int>(table.size()) - 1; i >= 0; --i) {
        if (!(table[static_cast<std::size_t>(i)] < millivolts))
            return i;
    }
    return -1;
}

} // namespace nimbar
