#include "SimDevice.h"

#include "processing/ColdJunction.h"
#include "processing/DeviceCode.h"
#include "processing/Thermocouple.h"
#include "settings/ModelClass.h"

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

// Smooth noise of about +-amplitude: values at whole seconds from a hash, joined by cosine
// steps, so that the demo is the same at every run.
double smoothNoise(int channel, double seconds, double amplitude) {
    const auto at = [channel](long second) {
        auto h = static_cast<std::uint32_t>(second) * 2654435761u ^
                 static_cast<std::uint32_t>(channel + 1) * 40503u;
        h ^= h >> 15;
        h *= 2246822519u;
        h ^= h >> 13;
        return (h & 0xFFFF) / 32767.5 - 1.0;
    };
    const double whole = std::floor(seconds);
    const double f = 0.5 - 0.5 * std::cos(std::numbers::pi * (seconds - whole));
    const auto s = static_cast<long>(whole);
    return amplitude * (at(s) * (1.0 - f) + at(s + 1) * f);
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
    if (m_options.demo)
        return demoValue(channel, seconds);
    return 85.0 + 65.0 * wave;
}

double SimDevice::demoValue(int channel, double seconds) const {
    // Each channel settles at its own level and warms and cools around it over ten minutes
    // or more; all stay between 25 and 90 C.
    constexpr double kLevels[] = {0.0, 62.0, 48.0, 71.0, 35.0, 55.0, 80.0, 42.0, 66.0};
    // Devices of different models drift out of step with each other.
    int modelSeed = 0;
    for (char c : m_options.model)
        modelSeed += static_cast<unsigned char>(c);
    const double period = 600.0 + 97.0 * channel;
    const double drift =
        8.0 * std::sin(2.0 * std::numbers::pi * seconds / period + 1.3 * channel + 0.7 * modelSeed);
    const double noise = smoothNoise(channel + 16 * modelSeed, seconds, 0.4);
    if (channel != m_options.excursion)
        return kLevels[channel] + drift + noise;
    // The excursion channel idles near 75 C and rises to 125 C in a 40-second swell, above
    // 100 C for its middle 20 seconds.
    constexpr double kSwell = 40.0;
    double value = 75.0 + 0.25 * drift + noise;
    const double since = seconds - kFirstExcursion;
    if (since >= 0.0) {
        const double u = std::fmod(since, kExcursionPeriod);
        if (u < kSwell)
            value += 50.0 * (0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * u / kSwell));
    }
    return value;
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
