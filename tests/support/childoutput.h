#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <optional>

// Waits up to ten seconds for a child to print a line starting with `prefix`; returns the rest of it.
inline std::optional<QString> awaitLine(QProcess &process, const QByteArray &prefix)
{
    QByteArray seen;
    for (int i = 0; i < 100; ++i) {
        process.waitForReadyRead(100);
        seen += process.readAllStandardOutput();
        for (const QByteArray &line : seen.split('\n')) {
            if (line.startsWith(prefix)) return QString::fromUtf8(line.mid(prefix.size())).trimmed();
        }
    }
    return std::nullopt;
}
