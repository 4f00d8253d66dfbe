#pragma once

#include <QStringList>

// `plan FILE --lead N --now ISO8601 [--pending ID,...]`: the game-start alerts planned for a saved team schedule
// answer, as JSON on standard output. Returns the exit code.
int runPlanCommand(const QStringList &arguments);
