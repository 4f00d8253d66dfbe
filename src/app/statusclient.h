#pragma once

#include <QString>

class QTextStream;

// The thin clients behind `baselark --status`, `--follow` and `--toggle`: they read what the running
// application publishes on the session bus and never ask the stats service themselves.
namespace statusclient {

enum class Format { Plain, Waybar };

// One line for a panel: the title, or for waybar a JSON object with text, tooltip, class and alt.
QString formatLine(Format format, const QString &title, const QString &state, const QString &tooltip);

// Prints the current title once: 0, or 1 with a message on `err` when Baselark is not running.
int printStatus(QTextStream &out, QTextStream &err);
// Prints a line now and one per change, across restarts of the application. Ends with 0 on SIGTERM, SIGINT or
// SIGHUP, and with 1 and a message on `err` when standard output or the session bus is gone. Needs an event loop
// (it runs QCoreApplication::exec()).
int follow(Format format, QTextStream &out, QTextStream &err);
// Opens or closes the window of the running application: 0, or 1 with a message when it is not running.
int toggle(QTextStream &err);

} // namespace statusclient
