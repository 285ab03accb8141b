#pragma once

#include "app/singleapplication.h"

// The program's application object: its identity, and showing the main window when a second
// copy asks for it.
class Application : public SingleApplication
{
    Q_OBJECT

public:
    Application(int &argc, char **argv);

private slots:
    void onMessageReceived(const QString &message);
};
