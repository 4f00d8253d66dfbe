#pragma once

#include <QStringList>

// `patch FEED PATCH... [--kind detail|boxscore]`: the detail (the default) or the box score of a saved live feed
// brought forward by saved diffPatch answers, applied in order as the application applies them, as JSON on standard
// output. Returns the exit code.
int runPatchCommand(const QStringList &arguments);
