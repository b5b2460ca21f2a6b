#pragma once

#include <QString>

namespace nimbar {

// Which program this is. Each program's main() passes its own constant; nothing chooses it
// at run time.
enum class BuildKind { Logger, Client };

inline QString programName(BuildKind kind) {
    return kind == BuildKind::Logger ? QStringLiteral("Nimbar5610") : QStringLiteral("Tessel5610");
}

inline QString exceptionLogName(BuildKind kind) {
    return kind == BuildKind::Logger ? QStringLiteral("Exception1.Err")
                                     : QStringLiteral("Exception2.Err");
}

} // namespace nimbar
