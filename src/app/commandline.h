#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks of the program: start the application, or answer on the terminal and exit.
struct CommandLine {
    // Status, Follow and Toggle talk to the copy that is running, over the session bus.
    enum class Mode { Run, Help, Version, Error, Status, Follow, Toggle };

    Mode mode = Mode::Run;
    bool waybar = false; // --format waybar, with --follow
    std::optional<QString> endpoint; // --endpoint, the command-line form of BASELARK_ENDPOINT
    QString error; // one line, for Mode::Error
};

CommandLine parseCommandLine(const QStringList &arguments);

// "Usage: ..." and the options; needs a QCoreApplication, which names the program.
QString commandLineHelp();

// "baselark <version>"
QString versionLine();

// Runs before any QApplication exists: prints help, the version or an error and returns the exit status, or
// exports --endpoint as BASELARK_ENDPOINT and returns nothing so that the application starts.
std::optional<int> handleCommandLine(int argc, char *argv[]);
