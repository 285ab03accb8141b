#include "fuzztargets.h"

#include <QCoreApplication>

// libFuzzer's side of one target; GLIMRA_FUZZ_ENTRY names the entry point it runs.

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Library nodes hold a QPixmap, which refuses to exist without an application object.
    static int argc = 1;
    static char name[] = "glimra-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return GLIMRA_FUZZ_ENTRY(data, size);
}
