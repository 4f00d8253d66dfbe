#pragma once

#include <QStringList>

// `schedule FILE [--favorite ID] [--no-spoilers]`: what the application derives
// from a saved schedule answer, as JSON on standard output. Returns the exit code.
int runScheduleCommand(const QStringList &arguments);
