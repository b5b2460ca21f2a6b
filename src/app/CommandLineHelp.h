#pragma once

#include "app/BuildKind.h"

#include <QStringList>

#include <optional>

namespace nimbar {

// The answer to --help or --version, when the arguments ask for one: it is printed before the
// application object exists, so it needs no display.
std::optional<QString> commandLineAnswer(BuildKind kind, const QStringList& arguments);

} // namespace nimbar
