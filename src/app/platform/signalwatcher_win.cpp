#include "app/signalwatcher.h"

// Windows ends GUI programs through window messages, which Qt turns into a normal quit.
void holdTerminationSignals() {}
void releaseTerminationSignals() {}
void quitOnTerminationSignals(QCoreApplication *) {}
