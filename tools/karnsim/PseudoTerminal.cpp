#include "PseudoTerminal.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace karnsim {

namespace {

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool makeRaw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

} // namespace

PseudoTerminal::~PseudoTerminal() {
    if (!m_link.empty()) {
        char target[PATH_MAX] = {};
        const ssize_t n = readlink(m_link.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == m_slavePath)
            unlink(m_link.c_str());
    }
    if (m_slave >= 0)
        close(m_slave);
    if (m_master >= 0)
        close(m_master);
}

std::string PseudoTerminal::open(const std::string& linkPath) {
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return systemError("posix_openpt");
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        return systemError("grantpt/unlockpt");
    const char* name = ptsname(m_master);
    if (!name)
        return systemError("ptsname");
    m_slavePath = name;
    m_slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY);
    if (m_slave < 0)
        return systemError("open " + m_slavePath);
    if (!makeRaw(m_slave) || !makeRaw(m_master))
        return systemError("raw mode");
    const int flags = fcntl(m_master, F_GETFL);
    if (flags < 0 || fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0)
        return systemError("non-blocking mode");

    if (!linkPath.empty()) {
        struct stat st {};
        if (lstat(linkPath.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode))
                return linkPath + " exists and is no symbolic link";
            unlink(linkPath.c_str());
        }
        if (symlink(m_slavePath.c_str(), linkPath.c_str()) != 0)
            return systemError("symlink " + linkPath);
        m_link = linkPath;
    }
    return {};
}

void PseudoTerminal::send(const std::string& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return; // full or gone: the rest is lost
    }
}

} // namespace karnsim
