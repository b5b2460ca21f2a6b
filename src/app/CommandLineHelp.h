#pragma once

#include "net/ListenAddress.h"
#include "settings/BuildKind.h"

#include <QStringList>

#include <optional>

namespace nimbar {

// The answer to --help or --version, when the arguments ask for one: it is printed before the
// application object exists, so it needs no display.
std::optional<QString> commandLineAnswer(BuildKind kind, const QStringList& arguments);

// The options of a run. error is empty unless the line names an option this program does not
// know or leaves out an option's value; a program that went on would use another set of files.
struct ProgramOptions {
    std::optional<QString> home;
    std::optional<QString> connectHost; // the client only
    std::optional<QString> mqttUrl;     // the broker to publish to, as given
    std::optional<QString> mqttTopic;
    std::optional<ListenAddress> web; // --web [ADDRESS:]PORT
    std::optional<QString> webTokenFile;
    bool headless = false; // no window: the engine under QCoreApplication
    QString error;
};
// From the program's arguments, before any application object exists, so that a wrong one is
// said also where there is no display. Qt's own options (-platform NAME, -style NAME, ...) are
// passed over: the application object takes them.
ProgramOptions programOptions(BuildKind kind, const QStringList& arguments);

} // namespace nimbar
