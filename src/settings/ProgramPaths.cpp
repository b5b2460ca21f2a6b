#include "settings/ProgramPaths.h"

#include "settings/RecordText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace nimbar {

ProgramPaths::ProgramPaths(BuildKind kind, QString homeDirectory)
    : m_kind(kind), m_home(QDir::cleanPath(std::move(homeDirectory))) {}

QString ProgramPaths::file(const QString& name) const {
    return QDir::toNativeSeparators(m_home + QLatin1Char('/') + name);
}

QString ProgramPaths::settingsFile() const {
    return file(programName(m_kind) + ".SET");
}
QString ProgramPaths::exceptionLog() const {
    return file(exceptionLogName(m_kind));
}
QString ProgramPaths::alarmSound() const {
    // An installed program keeps its files per user, but the sound ships beside it.
    const QString own = file("alarm.wav");
    if (QFileInfo::exists(own) || !QCoreApplication::instance())
        return own;
    const QString shipped = QCoreApplication::applicationDirPath() + "/alarm.wav";
    return QFileInfo::exists(shipped) ? shipped : own;
}
QString ProgramPaths::portMap() const {
    return file(programName(m_kind) + ".ports");
}
QString ProgramPaths::allowList() const {
    return file(programName(m_kind) + ".allow");
}
QString ProgramPaths::reportPicture() const {
    return file("temp.bmp");
}
QString ProgramPaths::mqttSettings() const {
    return file(programName(m_kind) + ".mqtt");
}

QByteArray ProgramPaths::defaultDataDirText() const {
    const QString folder = m_kind == BuildKind::Logger ? "Nimbar" : "Tessel";
#ifdef Q_OS_WIN
    const QString path = "C:\\" + folder;
#else
    const QString path = "~/" + folder;
#endif
    return encodeCp949(path, 80);
}

QString ProgramPaths::homeDirectory(BuildKind kind, const std::optional<QString>& given) {
    if (given)
        return QDir(*given).absolutePath();
    const QString programDirectory = QCoreApplication::applicationDirPath();
    // An installed program sits in a bin folder (/usr/bin, /usr/local/bin, <prefix>/bin) that
    // every user shares: it never takes anyone's files, even where it can be written (by root,
    // or in a prefix of one's own).
    const bool installed = QFileInfo(programDirectory).fileName() == QLatin1String("bin");
    if (!installed && QFileInfo(programDirectory).isWritable())
        return programDirectory;
    return userDataDirectory(kind);
}

QString ProgramPaths::makeHome(const QString& folder) {
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return QString("the home %1 is not a folder").arg(folder);
    if (!QDir().mkpath(folder))
        return QString("the home %1 cannot be created").arg(folder);
    return {};
}

QString ProgramPaths::userDataDirectory(BuildKind kind) {
    // As XDG says: a relative or empty XDG_DATA_HOME is ignored.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + "/.local/share";
    const QString directory = QDir::cleanPath(base + '/' + programName(kind));
    QDir().mkpath(directory);
    return directory;
}

QString expandDataDirectory(const QString& stored, const QString& programHome) {
#ifndef Q_OS_WIN
    if (stored == "~" || stored.startsWith("~/"))
        return QDir::homePath() + stored.mid(1);
#endif
    // Relative to the working directory, a damaged or hand-made record would scatter folders
    // wherever the program happened to be started.
    if (QDir::isRelativePath(stored))
        return QDir::cleanPath(QDir(programHome).absoluteFilePath(stored));
    return stored;
}

std::optional<QByteArray> dataDirectoryRecordText(const QString& directory, qsizetype maxBytes) {
    QString text = directory;
#ifndef Q_OS_WIN
    const QString home = QDir::homePath();
    if (home != "/" && (directory == home || directory.startsWith(home + '/')))
        text = "~" + directory.mid(home.size());
#endif
    const QByteArray bytes = encodeCp949(text);
    if (bytes.size() > maxBytes || bytes.contains('\0') ||
        decodeCp949(bytes.constData(), static_cast<std::size_t>(bytes.size())) != text)
        return std::nullopt;
    return bytes;
}

} // namespace nimbar
