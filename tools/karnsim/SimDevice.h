#pragma once

#include "SimOptions.h"

#include <cstdint>
#include <string>
#include <vector>

namespace karnsim {

// One measurement line and the values it was made from.
struct SimSample {
    std::string line;                 // the fields, ", " between them, closed by CR LF
    std::vector<std::uint32_t> codes; // CH0 .. CH(V-1)
    std::vector<double> values;       // CH0 as the logger derives it, then the channels
};

// The signals of the simulated device and the texts it sends.
class SimDevice {
public:
    explicit SimDevice(const SimOptions& options);

    // The line at elapsed seconds since the stream began.
    SimSample sample(double seconds) const;
    // The reply to "DC\r", from 'S' to 'E'.
    std::string configReport() const;

    // The demo's excursion: every kExcursionPeriod seconds from kFirstExcursion on, a rise
    // that stays above the default high limit for about 20 seconds.
    static constexpr double kFirstExcursion = 60.0;
    static constexpr double kExcursionPeriod = 240.0;

    // The body numbers of the configuration report; the codes are made to suit them.
    static constexpr double kCorrA1 = 1.0;
    static constexpr double kCorrA0 = 0.0;
    static constexpr double kCjcRef = 5.0;

private:
    double referenceTemp(double seconds) const;
    double channelValue(int channel, double seconds) const;
    double demoValue(int channel, double seconds) const;
    std::uint32_t referenceCode(double tempC, double& derived) const;
    std::uint32_t channelCode(double value, double refTemp) const;

    SimOptions m_options;
    int m_channels; // CH0 included
};

} // namespace karnsim
