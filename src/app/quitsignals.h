#pragma once

#include <QObject>

class QSocketNotifier;

// Brings SIGTERM (a desktop's logout), SIGINT (Ctrl+C) and SIGHUP (a closed terminal) to the event loop as
// quitRequested(), so the program ends the orderly way its Quit does instead of being cut off mid-flight.
// One at a time per process: signal handlers are process-wide.
class QuitSignals : public QObject {
    Q_OBJECT

public:
    explicit QuitSignals(QObject *parent = nullptr);
    // Gives the signals their default effect back.
    ~QuitSignals() override;

Q_SIGNALS:
    void quitRequested();

private:
    void drain();

    QSocketNotifier *m_notifier = nullptr;
};
