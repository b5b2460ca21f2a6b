#pragma once

#include "recording/RecordingFile.h"

#include <QDirIterator>
#include <QFile>
#include <QList>

#include <cstring>
#include <map>

// unix time -> temperatures CH0..CHn, as karnsim's --values-file wrote them.
inline std::map<double, QList<double>> readSentValues(const QString& path) {
    std::map<double, QList<double>> values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return values;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.split(' ');
        QList<double> temperatures;
        for (qsizetype i = 1; i + 1 < fields.size(); ++i)
            temperatures << fields[i].toDouble();
        values[fields[0].toDouble()] = temperatures;
    }
    return values;
}

// Every record of the recording files below a folder.
inline QList<nimbar::RecordingRecord> readRecordedRecords(const QString& directory) {
    QList<nimbar::RecordingRecord> records;
    QDirIterator files(directory, {"*.KRN"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        constexpr qsizetype kRecordSize = sizeof(nimbar::RecordingRecord);
        for (qsizetype at = sizeof(nimbar::RecordingHeader); at + kRecordSize <= bytes.size();
             at += kRecordSize) {
            nimbar::RecordingRecord record;
            std::memcpy(&record, bytes.constData() + at, sizeof record);
            records << record;
        }
    }
    return records;
}
