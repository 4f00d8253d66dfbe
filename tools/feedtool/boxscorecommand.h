#pragma once

#include <QStringList>

// `boxscore FILE`: the whole box score the application builds from a saved live-feed answer,
// as JSON on standard output. Returns the exit code.
int runBoxScoreCommand(const QStringList &arguments);
