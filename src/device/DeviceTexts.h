#pragma once

#include "device/ConfigReport.h"

#include <QList>
#include <QString>

namespace nimbar {

// The user-visible texts of the device link, in both languages.

// Status bar: "Get Configure" without a chosen port.
QString selectPortText(bool korean);
// Status bar: "Get Configure" could not open or write to portName.
QString cannotOpenPortText(const QString& portName, bool korean);
// Message box: no configuration report within the reply time.
QString noReplyText(bool korean);
// Message box: the configuration report was stored.
QString configOkText(bool korean);
// Message box after a configuration report: "OK", "Error 1".."Error 4", "Error" or the
// unknown-model text.
QString configReportText(ConfigReportError error, bool korean);
// Message box: the report names a model this program does not know.
QString unknownModelText(bool korean);
// Status bar: a board's port has been opened and greeted ("COM3 was opened").
QString portOpenedText(const QString& portName, bool korean);
// Status bar: a board's device went away; its port is reopened when it is back.
QString portLostText(const QString& portName, bool korean);
// Message box at start-up: a board's port could not be opened.
QString openingPortFailedText(bool korean);
// Status bar: lines of the port map file that were skipped; lines are 1-based.
QString portMapErrorText(const QString& fileName, const QList<int>& lines, bool korean);

} // namespace nimbar
