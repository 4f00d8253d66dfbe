#pragma once

#include "boxscore/boxscore.h"

#include <QByteArray>
#include <QStringList>

// `boxscore FILE`: the whole box score the application builds from a saved live-feed answer,
// as JSON on standard output. Returns the exit code.
int runBoxScoreCommand(const QStringList &arguments);
// The JSON that `boxscore` prints for a box score.
QByteArray boxScoreJson(const BoxScore &box);
