// Nimbar5610.ports and the "COM<n>" names looked up in it.
#include "device/PortMap.h"

#include <QtGlobal>

#include <cstddef>
#include <cstdint>

using namespace nimbar;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Qt warns about every path holding a NUL; the warnings would only slow the run.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    const PortMap map = PortMap::parse(bytes);
    for (const auto& [number, path] : map.bindings()) {
        map.devicePath(QStringLiteral("COM%1").arg(number));
        comNameForSystemPort(path);
    }
    // The input's lines as names, as the configuration and the system would give them.
    const QString text = QString::fromUtf8(bytes);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        map.devicePath(line);
        comPortNumber(line);
        comNameForSystemPort(line);
    }
    map.comNames(lines);
    return 0;
}
