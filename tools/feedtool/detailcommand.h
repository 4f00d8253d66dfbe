#pragma once

#include "stats/gamefeed.h"

#include <QByteArray>
#include <QStringList>

// `detail FILE`: the live detail the panel shows for a saved live-feed answer,
// as JSON on standard output. Returns the exit code.
int runDetailCommand(const QStringList &arguments);
// The JSON that `detail` prints for a detail.
QByteArray detailJson(const GameDetail &detail);
