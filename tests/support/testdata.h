#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Bytes of a recording in tests/data; empty when the file is missing.
inline QByteArray readTestData(const QString &name)
{
    QFile file(QStringLiteral(BASELARK_TEST_DATA "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
