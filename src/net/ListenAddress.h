#pragma once

#include <QHostAddress>
#include <QString>

#include <optional>

namespace nimbar {

// Where a service of the programs listens, from a command line's "[ADDRESS:]PORT": a port alone
// is the loopback address only; serving the network takes an explicit address ("0.0.0.0:8080",
// "[::]:8080" or an interface's). Port 0 takes any free port.
struct ListenAddress {
    QHostAddress address;
    quint16 port = 0;

    // Whether peers on other machines can reach it.
    bool beyondLoopback() const { return !address.isLoopback(); }
};

// Nothing, with the reason in error, when the text is no address and port.
std::optional<ListenAddress> parseListenAddress(const QString& text, QString& error);

} // namespace nimbar
