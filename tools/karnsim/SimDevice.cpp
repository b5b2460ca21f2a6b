#include "SimDevice.h"

#include "app/ModelClass.h"
#include "processing/ColdJunction.h"
#include "processing/DeviceCode.h"
#include "processing/Thermocouple.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace karnsim {

namespace {

constexpr double kCh0RangeMv = 2500.0;           // class 0's reference channel
constexpr std::int32_t kLargestCount = 0x7FFFFE; // 0x7FFFFF and 0x800000 mean "no reading"

// The inverse of CjTempFromSensor: sensor millivolts for tempC.
double sensorMillivolts(double tempC, double cjcRefVolts) {
    return (tempC + 61.1073586917881) / 0.0444365446142908 * (cjcRefVolts / 5.0);
}

// A signed count as the device sends it: negatives offset by 0xFFFFFF.
std::uint32_t deviceCode(double count) {
    const auto c = static_cast<std::int32_t>(std::clamp(
        std::lround(count), -static_cast<long>(kLargestCount), static_cast<long>(kLargestCount)));
    return c < 0 ? static_cast<std::uint32_t>(c + 0xFFFFFF) : static_cast<std::uint32_t>(c);
}

int rangeIndex(int modelClass, double rangeMv) {
    const auto table = nimbar::rangeTableOf(modelClass);
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i] == rangeMv)
            return static_cast<int>(i);
    }
    return 0;
}

} // namespace

SimDevice::SimDevice(const SimOptions& options)
    : m_options(options), m_channels(nimbar::channelCountOf(options.modelClass)) {}

double SimDevice::referenceTemp(double seconds) const {
    return 25.0 + 0.5 * std::sin(2.0 * std::numbers::pi * seconds / 900.0);
}

double SimDevice::channelValue(int channel, double seconds) const {
    const double wave =
        std::sin(2.0 * std::numbers::pi * seconds / (300.0 + 37.0 * channel) + 0.9 * channel);
    if (m_options.type == 'V') // millivolts within the lower half of the range
        return m_options.rangeMv * (0.25 + 0.2 * wave);
    if (m_options.fixedTemp)
        return *m_options.fixedTemp;
    if (m_options.type == 'B') // type B has no inverse below 250 C
        return 750.0 + 150.0 * wave;
    return 85.0 + 65.0 * wave;
}

std::uint32_t SimDevice::referenceCode(double tempC, double& derived) const {
    if (m_options.modelClass == 0) {
        const double scale = nimbar::channelScale(kCh0RangeMv);
        const std::uint32_t code = deviceCode(sensorMillivolts(tempC, kCjcRef) / scale);
        const double mv0 = code * scale;
        derived = m_options.type == 'V' ? mv0 : *nimbar::CjTempFromSensor(mv0, kCjcRef);
        return code;
    }
    // Classes 1 and 2 send 1/25600 C; the logger adds the report's reference as an offset.
    const auto raw =
        static_cast<std::uint32_t>(std::lround((tempC - kCjcRef) * 25600.0)) & 0xFFFFFFu;
    derived = nimbar::CjTempFromFixedPoint(raw) + kCjcRef;
    return raw;
}

std::uint32_t SimDevice::channelCode(double value, double refTemp) const {
    double mv = value;
    if (m_options.type != 'V')
        mv = nimbar::TcTempToEmf(m_options.type, value) -
             nimbar::TcTempToEmf(m_options.type, refTemp);
    const double count = (mv - kCorrA0) / (kCorrA1 * nimbar::channelScale(m_options.rangeMv));
    return deviceCode(count);
}

SimSample SimDevice::sample(double seconds) const {
    SimSample s;
    const double ref = referenceTemp(seconds);
    double derived = 0.0;
    s.codes.push_back(referenceCode(ref, derived));
    s.values.push_back(derived);
    // Thermocouples are compensated to the reference that the logger will derive.
    for (int ch = 1; ch < m_channels; ++ch) {
        const double value = channelValue(ch, seconds);
        s.codes.push_back(channelCode(value, derived));
        s.values.push_back(value);
    }
    for (std::size_t i = 0; i < s.codes.size(); ++i) {
        char field[8];
        std::snprintf(field, sizeof field, "%06X", s.codes[i] & 0xFFFFFFu);
        if (i > 0)
            s.line += ", ";
        s.line += field;
    }
    s.line += "\r\n";
    return s;
}

std::string SimDevice::configReport() const {
    const int cls = m_options.modelClass;
    const std::string index = std::to_string(rangeIndex(cls, m_options.rangeMv));
    const std::string letter(1, m_options.type);
    std::string r = "S\r" + m_options.model + "\r" + m_options.serial + "\r";
    if (cls == 0) {
        r += std::to_string(rangeIndex(0, kCh0RangeMv)) + "\r";
        for (int ch = 1; ch < m_channels; ++ch)
            r += index + "\r";
        for (int ch = 0; ch < m_channels; ++ch)
            r += letter + "\r";
    } else {
        r += "0\r0\r"; // two numbers the logger does not use
        for (int ch = 1; ch < m_channels; ++ch)
            r += index + "\r";
        for (int ch = 1; ch < m_channels; ++ch)
            r += letter + "\r";
    }
    r += "M\r1.0\r0.0\r5.0\r";
    if (cls != 0) {
        for (int ch = 1; ch < m_channels; ++ch)
            r += "1.0\r";
        for (int ch = 1; ch < m_channels; ++ch)
            r += "0.0\r";
    }
    return r + "E";
}

} // namespace karnsim
