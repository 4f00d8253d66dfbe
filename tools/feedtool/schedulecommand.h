#pragma once

#include <QStringList>

// `schedule FILE [--favorite ID] [--no-spoilers]`: what the application derives
// from a saved schedule answer, as JSON on standard output. Returns the exit code.
int runScheduleCommand(const QStringList &arguments);

// `title FILE --now ISO8601 [--favorite ID] [--no-spoilers]`: the game day of that instant and the status title the
// application makes of a schedule answer holding it (and the day before), as JSON.
int runTitleCommand(const QStringList &arguments);
