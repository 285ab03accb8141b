#pragma once

class QCoreApplication;

// Keeps SIGTERM, SIGINT and SIGHUP pending from the first line of main() on, so that none of
// them can end the process before the quit sequence below is in place.
void holdTerminationSignals();
// For the roles that never run the quit sequence: the held signals take their default effect.
void releaseTerminationSignals();
// Ends the program through its normal quit sequence when the system asks it to stop
// (SIGTERM, SIGINT, SIGHUP on Unix), so a log-out or a kill does not lose the session's changes.
// Signals held since start-up are delivered now and handled once the event loop runs.
void quitOnTerminationSignals(QCoreApplication *app);
