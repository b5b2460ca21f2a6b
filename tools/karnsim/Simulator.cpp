#include "Simulator.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace karnsim {

namespace {

constexpr auto kSplitDelay = std::chrono::milliseconds(50);
constexpr auto kFirstLineDelay = std::chrono::milliseconds(100);
constexpr int kMaxPollMs = 200;
constexpr std::size_t kMaxCommand = 200;

} // namespace

Simulator::Simulator(const SimOptions& options, const PseudoTerminal& port, std::FILE* log,
                     std::FILE* values)
    : m_options(options), m_device(options), m_port(port), m_log(log), m_values(values),
      m_random(options.seed), m_start(Clock::now()),
      m_period(std::chrono::duration_cast<Clock::duration>(
          std::chrono::duration<double>(1.0 / options.rate))) {}

void Simulator::run(const volatile std::sig_atomic_t& stop) {
    while (!stop) {
        pollfd pfd{m_port.fd(), POLLIN, 0};
        const int ready = poll(&pfd, 1, pollTimeoutMs(Clock::now()));
        if (ready < 0 && errno != EINTR)
            break;
        if (ready > 0 && (pfd.revents & POLLIN))
            readCommands();
        sendDue(Clock::now());
    }
}

int Simulator::pollTimeoutMs(Clock::time_point now) const {
    auto next = now + std::chrono::milliseconds(kMaxPollMs);
    if (m_streaming)
        next = std::min(next, m_nextLine);
    if (!m_secondHalf.empty())
        next = std::min(next, m_secondHalfAt);
    if (m_garbageAt)
        next = std::min(next, *m_garbageAt);
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
    return static_cast<int>(std::clamp<long long>(ms, 0, kMaxPollMs));
}

void Simulator::readCommands() {
    char buffer[256];
    for (;;) {
        const ssize_t n = read(m_port.fd(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            if (c == '\r' || c == '\n') {
                if (!m_command.empty())
                    handleCommand(m_command);
                m_command.clear();
            } else if (m_command.size() < kMaxCommand) {
                m_command += c;
            }
        }
    }
}

void Simulator::handleCommand(const std::string& command) {
    std::fprintf(m_log, "%s\n", command.c_str());
    std::fflush(m_log);
    if (command == "DK") {
        if (!m_streaming)
            m_nextLine = Clock::now() + kFirstLineDelay;
        m_streaming = true;
    } else if (command == "DC") {
        m_port.send(m_device.configReport());
    }
    // "D1", "D0" and "P<hex>" switch outputs that only the log shows.
}

void Simulator::sendDue(Clock::time_point now) {
    if (!m_secondHalf.empty() && now >= m_secondHalfAt) {
        m_port.send(m_secondHalf);
        m_secondHalf.clear();
    }
    if (m_garbageAt && (now >= *m_garbageAt || (m_streaming && now >= m_nextLine))) {
        m_port.send(garbage());
        m_garbageAt.reset();
    }
    if (!m_streaming || now < m_nextLine || !m_secondHalf.empty())
        return;
    sendLines(now);
    m_nextLine += m_period;
    if (m_nextLine < now)
        m_nextLine = now + m_period;
}

void Simulator::sendLines(Clock::time_point now) {
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    std::string out;
    const int count = m_options.faultDouble ? 2 : 1;
    for (int i = 0; i < count; ++i) {
        if (m_options.silenceAfter >= 0 && m_linesSent >= m_options.silenceAfter)
            break;
        const SimSample s = m_device.sample(seconds);
        std::string line = s.line;
        const bool cutShort = m_options.faultBadLength && m_linesSent % 2 == 1;
        if (cutShort)
            line.erase(7, 1); // the blank after the first comma
        writeValues(s, cutShort);
        out += line;
        ++m_linesSent;
    }
    if (out.empty())
        return;
    if (m_options.faultSplit) {
        const std::size_t half = out.size() / 2;
        m_port.send(out.substr(0, half));
        m_secondHalf = out.substr(half);
        m_secondHalfAt = now + kSplitDelay;
    } else {
        m_port.send(out);
    }
    if (m_options.faultGarbage)
        m_garbageAt = now + std::max<Clock::duration>(m_period / 2, 2 * kSplitDelay);
}

void Simulator::writeValues(const SimSample& sample, bool cutShort) {
    if (!m_values)
        return;
    const double unixTime =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    std::fprintf(m_values, "%s%.3f", cutShort ? "# " : "", unixTime);
    for (double v : sample.values)
        std::fprintf(m_values, " %.6f", v);
    for (std::size_t i = 0; i < sample.codes.size(); ++i)
        std::fprintf(m_values, "%c%06X", i == 0 ? ' ' : ',', sample.codes[i]);
    std::fputc('\n', m_values);
    std::fflush(m_values);
}

std::string Simulator::garbage() {
    std::uniform_int_distribution<int> length(3, 20);
    std::uniform_int_distribution<int> byte(1, 255);
    std::string g;
    const int n = length(m_random);
    while (static_cast<int>(g.size()) < n) {
        const char c = static_cast<char>(byte(m_random));
        if (c != '\n')
            g += c;
    }
    return g + '\n';
}

} // namespace karnsim
