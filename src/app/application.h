#pragma once

#include "app/singleapplication.h"

// The program's application object: its name, version, organisation and icon.
class Application : public SingleApplication
{
    Q_OBJECT

public:
    Application(int &argc, char **argv);
};
