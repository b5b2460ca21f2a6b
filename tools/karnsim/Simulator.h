#pragma once

#include "PseudoTerminal.h"
#include "SimDevice.h"
#include "SimOptions.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <random>
#include <string>

namespace karnsim {

// The device's life: one poll loop over the pseudo-terminal that reads commands, answers them
// and sends the measurement lines when they are due.
class Simulator {
public:
    using Clock = std::chrono::steady_clock;

    // log receives the commands, values (may be null) the values behind the lines.
    Simulator(const SimOptions& options, const PseudoTerminal& port, std::FILE* log,
              std::FILE* values);

    // Runs until stop becomes non-zero (set by a signal handler).
    void run(const volatile std::sig_atomic_t& stop);

private:
    void readCommands();
    void handleCommand(const std::string& command);
    void sendDue(Clock::time_point now);
    void sendLines(Clock::time_point now);
    void writeValues(const SimSample& sample, bool cutShort);
    std::string garbage();
    int pollTimeoutMs(Clock::time_point now) const;

    SimOptions m_options;
    SimDevice m_device;
    const PseudoTerminal& m_port;
    std::FILE* m_log;
    std::FILE* m_values;
    std::mt19937 m_random;

    Clock::time_point m_start;
    Clock::duration m_period;
    std::string m_command;
    bool m_streaming = false;
    Clock::time_point m_nextLine;
    long m_linesSent = 0;
    std::string m_secondHalf;
    Clock::time_point m_secondHalfAt;
    std::optional<Clock::time_point> m_garbageAt;
};

} // namespace karnsim
