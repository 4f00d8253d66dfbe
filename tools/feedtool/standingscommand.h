#pragma once

#include <QStringList>

// `standings FILE`: the division tables the application derives from a saved standings
// answer, in service order, as JSON on standard output. Returns the exit code.
int runStandingsCommand(const QStringList &arguments);
