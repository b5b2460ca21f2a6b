#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// Parsers that read from a path get the fuzz input as a file in a directory that lives as long
// as the fuzzing process.
inline QString fuzzFile(QByteArrayView bytes, const QString& name = QStringLiteral("input")) {
    static const QTemporaryDir dir;
    const QString path = dir.path() + QLatin1Char('/') + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes.data(), bytes.size());
    return path;
}
