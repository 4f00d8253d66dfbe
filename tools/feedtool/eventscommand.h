#pragma once

#include <QStringList>

// `events BEFORE AFTER`: the alerts the application sends for what happened between two saved states of a game's
// live feed, as JSON on standard output. Returns the exit code.
int runEventsCommand(const QStringList &arguments);
