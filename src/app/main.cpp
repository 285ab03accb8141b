#include "app/signalwatcher.h"
#include "app/startup.h"

int main(int argc, char **argv)
{
    holdTerminationSignals();
    return runGlimra(argc, argv);
}
