#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// The whole file; empty when it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces the file's bytes; false when they could not all be written.
inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Bytes of a recording in tests/data; empty when the file is missing.
inline QByteArray readTestData(const QString &name)
{
    return readFile(QStringLiteral(BASELARK_TEST_DATA "/") + name);
}
