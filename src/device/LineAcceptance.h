#pragma once

#include <QByteArrayView>

namespace nimbar {

struct BoardRuntime;

// At most this many bytes are read from a board's port on one line-feed event.
inline constexpr int kLineReadMax = 500;

enum class LineVerdict {
    Accept,
    WrongLength,     // not the model's length: a partial line, two lines, another model
    ChartBusy,       // a chart, export, browser or print operation is running
    LineFeedNotLast, // the first line feed is not the last byte read
};

// What the line-feed handler does with the bytes it has read. expectedLength is the board's
// line length with CR LF (56, 40 or 72; 0 before the board is set up, which accepts nothing).
// Every verdict but Accept means: purge both queues of the port and keep nothing.
LineVerdict judgeLine(QByteArrayView bytes, int expectedLength, bool chartBusy);

// judgeLine with the board's expected length; an accepted line replaces the board's lineBuffer
// (NUL-terminated, line feed included) and sets lineReady.
LineVerdict acceptLine(BoardRuntime& runtime, QByteArrayView bytes, bool chartBusy);

} // namespace nimbar
