#pragma once

#include <QByteArray>

namespace nimbar {

// Collects the configuration report from the characters a port delivers: an 'S' outside a
// frame starts one, every character is added while collecting ('S' of a type-S channel
// included), and the first 'E' closes it. What
// comes outside a frame is dropped. A frame that grows beyond kMaxFrame without its 'E' is
// given up, so that a device streaming something else cannot fill the memory.
class ConfigFrameCollector {
public:
    static constexpr qsizetype kMaxFrame = 4096;

    // Takes one character; true when it closed a frame, which frame() then holds, 'S' and 'E'
    // included, until the next character is fed.
    bool feed(char c);
    const QByteArray& frame() const { return m_frame; }
    bool collecting() const { return m_collecting; }
    void reset();

private:
    QByteArray m_frame;
    bool m_collecting = false;
};

} // namespace nimbar
