#pragma once
// The configuration program's application object: runs the main dialog once, inside COM and
// with the Task Scheduler object, and ends.
#include "application.h"

class ConfigApp : public Application {
public:
    // Makes "Lang.dll" the resource module when it loads, then runs the main dialog. Returns
    // FALSE: the program ends when the main dialog has closed.
    BOOL InitInstance() override;
};
