#pragma once

#include <QHostAddress>
#include <QRandomGenerator>
#include <QTcpServer>

// Four consecutive ports that nothing listens on, for a logger's board server (NIMBAR_BASE_PORT),
// so that tests never meet another logger on the default ports; 0 when none was found.
inline int freeBasePort() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        const int base = 20000 + static_cast<int>(QRandomGenerator::global()->bounded(40000));
        bool free = true;
        for (int b = 0; b < 4 && free; ++b) {
            QTcpServer probe;
            free = probe.listen(QHostAddress::Any, static_cast<quint16>(base + b));
        }
        if (free)
            return base;
    }
    return 0;
}
