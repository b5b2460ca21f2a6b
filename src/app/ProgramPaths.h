#pragma once

#include "app/BuildKind.h"

#include <QByteArray>
#include <QString>

namespace nimbar {

// The files that live in the program's directory. --home replaces that directory (tests, the
// demo and read-only installs use it).
class ProgramPaths {
public:
    ProgramPaths(BuildKind kind, QString homeDirectory);

    QString home() const { return m_home; }
    QString settingsFile() const;
    QString exceptionLog() const;
    QString alarmSound() const;
    QString portMap() const;
    QString reportPicture() const;

    // The data directory that a new settings record names, in the record's encoding.
    QByteArray defaultDataDirText() const;

    // --home DIR from the arguments, or the executable's directory.
    static QString homeFromArguments(const QStringList& arguments);

private:
    QString file(const QString& name) const;

    BuildKind m_kind;
    QString m_home;
};

} // namespace nimbar
