#include "settings/SettingsFile.h"

#include <QFile>
#include <QSaveFile>

#include <cstring>

namespace nimbar {

namespace {

// Reads up to size bytes over a zeroed destination; false if the file cannot be opened.
bool readOver(const QString& path, void* destination, qint64 size) {
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return false;
    std::memset(destination, 0, static_cast<std::size_t>(size));
    const qint64 got = file.read(static_cast<char*>(destination), size);
    if (got < 0)
        std::memset(destination, 0, static_cast<std::size_t>(size));
    return true;
}

// The old file stays intact until the new one is complete, so a failed write at shutdown
// never leaves a truncated settings file behind. A directory where no new file can be made
// (a read-only program folder holding a writable settings file) is written in place.
// Unbuffered: a write that the disk cuts short must fail here, since a buffered one would only
// fail in commit's flush, which commit ignores.
bool writeWhole(const QString& path, const void* source, qint64 size) {
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(static_cast<const char*>(source), size) != size) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

bool loadBoardSettings(const QString& path, BoardConfigs& boards, const char* defaultDataDir) {
    if (readOver(path, boards.data(), kBoardSettingsFileSize)) {
        for (BoardConfig& board : boards)
            board.interval = boundedInterval(board.interval);
        return false;
    }
    fillDefaultBoardConfigs(boards, defaultDataDir);
    return true;
}

bool saveBoardSettings(const QString& path, const BoardConfigs& boards) {
    return writeWhole(path, boards.data(), kBoardSettingsFileSize);
}

ClientSettings loadClientSettings(const QString& path, const char* defaultDataDir) {
    ClientSettings settings = defaultClientSettings(defaultDataDir);
    readOver(path, &settings, sizeof settings);
    for (int32_t& interval : settings.interval)
        interval = boundedInterval(interval);
    return settings;
}

bool saveClientSettings(const QString& path, const ClientSettings& settings) {
    return writeWhole(path, &settings, sizeof settings);
}

} // namespace nimbar
