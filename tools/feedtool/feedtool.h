#pragma once

#include "stats/serviceerror.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Shared plumbing of the feedtool commands: input, output and error reporting.
std::optional<QByteArray> readInput(const QString &path);
void writeOutput(const QByteArray &bytes);
int usageError(const QString &message);
int decodingError(const ServiceError &error);
