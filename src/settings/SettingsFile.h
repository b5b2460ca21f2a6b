#pragma once

#include "settings/BoardConfig.h"
#include "settings/ClientSettings.h"

#include <QString>

namespace nimbar {

inline constexpr qint64 kBoardSettingsFileSize = sizeof(BoardConfigs);

// Loads the logger's four records. A missing or unreadable file gives the defaults and
// returns true (the first run); a short or foreign file is read as far as it goes, the rest
// left zero.
bool loadBoardSettings(const QString& path, BoardConfigs& boards, const char* defaultDataDir);
// Writes the four records in one write; false when the file cannot be written.
bool saveBoardSettings(const QString& path, const BoardConfigs& boards);

// The client build's record: defaults first, then as much of the file as there is.
ClientSettings loadClientSettings(const QString& path, const char* defaultDataDir);
bool saveClientSettings(const QString& path, const ClientSettings& settings);

} // namespace nimbar
