#pragma once

#include "settings/BuildKind.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace nimbar {

// The files that live in the program's directory. --home replaces that directory (tests, the
// demo and read-only installs use it); a program directory that cannot be written is replaced by
// the per-user data directory.
class ProgramPaths {
public:
    ProgramPaths(BuildKind kind, QString homeDirectory);

    QString home() const { return m_home; }
    QString settingsFile() const;
    QString exceptionLog() const;
    QString alarmSound() const;
    QString portMap() const;
    QString allowList() const;
    QString reportPicture() const;
    QString mqttSettings() const; // the broker publisher's keys, a text file
    BuildKind kind() const { return m_kind; }

    // The data directory that a new settings record names, in the record's encoding. On Linux
    // it is "~/Nimbar" ("~/Tessel"), expanded at start-up, so that it fits every home.
    QByteArray defaultDataDirText() const;

    // The folder given with --home, else the executable's directory when it is writable and not
    // a bin folder, else the per-user data directory (installed programs): $XDG_DATA_HOME/
    // <program>, by default ~/.local/share/<program>, created when missing.
    static QString homeDirectory(BuildKind kind, const std::optional<QString>& given);
    // Creates a given home with its parents when missing: a first run's settings would otherwise
    // be lost at exit. The reason when the folder cannot be used, else empty.
    static QString makeHome(const QString& folder);
    static QString userDataDirectory(BuildKind kind);

private:
    QString file(const QString& name) const;

    BuildKind m_kind;
    QString m_home;
};

// A stored data directory as a path: a leading "~" stands for the user's home, and a relative
// one lies in the program's home (the folder of its settings file).
QString expandDataDirectory(const QString& stored, const QString& programHome);
// The record text of a data directory, with the home written as "~": nothing when the record
// of maxBytes bytes cannot hold it exactly (too long, or characters outside code page 949).
std::optional<QByteArray> dataDirectoryRecordText(const QString& directory, qsizetype maxBytes);

} // namespace nimbar
