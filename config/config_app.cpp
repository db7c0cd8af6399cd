#include "config_app.h"

#include <commctrl.h>

#include "com_ptr.h"
#include "main_dialog.h"
#include "resource_module.h"

BOOL ConfigApp::InitInstance() {
    // Beside the program only: a missing or unloadable library leaves the program's own
    // resources in use.
    UseResourceLibrary("Lang.dll");

    // The controls in the look of the system (the manifest asks for the current common
    // controls; they need the library initialised).
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    MainDialog dialog;
    SetMainWindow(&dialog);
    {
        // Without COM the scheduler object is simply not made: the dialog then runs without
        // the Task Scheduler and shows no task.
        const ComApartment com;
        dialog.Scheduler().CreateScheduler();
        dialog.DoModal();
        dialog.Scheduler().ReleaseScheduler();
    }
    SetMainWindow(nullptr);
    return FALSE;
}
