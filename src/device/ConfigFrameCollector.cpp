#include "device/ConfigFrameCollector.h"

namespace nimbar {

bool ConfigFrameCollector::feed(char c) {
    // An 'S' inside a frame is content (a type-S channel); only one outside starts a frame.
    if (c == 'S' && !m_collecting) {
        m_collecting = true;
        m_frame = QByteArrayLiteral("S");
        return false;
    }
    if (!m_collecting)
        return false;
    if (m_frame.size() >= kMaxFrame) {
        reset();
        return false;
    }
    m_frame.append(c);
    if (c != 'E')
        return false;
    m_collecting = false;
    return true;
}

void ConfigFrameCollector::reset() {
    m_frame.clear();
    m_collecting = false;
}

} // namespace nimbar
