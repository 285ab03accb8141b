#pragma once

class QCoreApplication;

// Ends the program through its normal quit sequence when the system asks it to stop
// (SIGTERM, SIGINT, SIGHUP on Unix), so a log-out or a kill does not lose the session's changes.
void quitOnTerminationSignals(QCoreApplication *app);
