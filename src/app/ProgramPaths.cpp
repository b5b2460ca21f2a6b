#include "app/ProgramPaths.h"

#include "app/RecordText.h"

#include <QCoreApplication>
#include <QDir>

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
    return file("alarm.wav");
}
QString ProgramPaths::portMap() const {
    return file(programName(m_kind) + ".ports");
}
QString ProgramPaths::reportPicture() const {
    return file("temp.bmp");
}

QByteArray ProgramPaths::defaultDataDirText() const {
    const QString folder = m_kind == BuildKind::Logger ? "Nimbar" : "Tessel";
#ifdef Q_OS_WIN
    const QString path = "C:\\" + folder;
#else
    const QString path = QDir::toNativeSeparators(QDir::homePath() + '/' + folder);
#endif
    return encodeCp949(path, 80);
}

QString ProgramPaths::homeFromArguments(const QStringList& arguments) {
    const qsizetype at = arguments.indexOf("--home");
    if (at >= 0 && at + 1 < arguments.size())
        return QDir(arguments.at(at + 1)).absolutePath();
    return QCoreApplication::applicationDirPath();
}

} // namespace nimbar
