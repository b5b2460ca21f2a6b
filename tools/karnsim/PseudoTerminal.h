#pragma once

#include <string>

namespace karnsim {

// The device end of a pseudo-terminal in raw mode. The simulator keeps the other end open too,
// so that the device end never sees a hang-up while no program has the port open. An optional
// symbolic link names the port; it is removed again by the destructor.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Returns an error text, empty on success.
    std::string open(const std::string& linkPath);

    int fd() const { return m_master; }
    const std::string& portPath() const { return m_slavePath; }

    // Writes what the port takes without waiting; bytes it has no room for are lost, as a
    // device's output is when nobody reads it.
    void send(const std::string& bytes) const;

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
    std::string m_link;
};

} // namespace karnsim
