#pragma once

#include <QFile>

// The bytes of a file, or "<missing>" when it cannot be read.
inline QByteArray fileContents(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}
