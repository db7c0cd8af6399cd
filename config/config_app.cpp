#include "config_app.h"

#include <commctrl.h>

#include "com_ptr.h"
#include "main_dialog.h"
#include "resource_module.h"
#include "win_handles.h"

namespace {

// The common controls in the look of the system, for the dialog only: a command starts
// without them, since loading them costs a monitoring check more than its own work. By name,
// as the loader resolved the import this replaces: the program's manifest maps the name to
// the system's side-by-side common controls 6.
LoadedLibrary InitCommonControlsLibrary() {
    LoadedLibrary library(LoadLibraryA("comctl32.dll"));
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = library ? reinterpret_cast<InitFunction>(reinterpret_cast<void*>(
                                    GetProcAddress(library.get(), "InitCommonControlsEx")))
                              : nullptr;
    if (init != nullptr) {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_STANDARD_CLASSES;
        init(&controls);
    }
    return library;
}

}  // namespace

BOOL ConfigApp::InitInstance() {
    // Beside the program only: a missing or unloadable library leaves the program's own
    // resources in use.
    UseResourceLibrary("Lang.dll");

    const LoadedLibrary commonControls = InitCommonControlsLibrary();

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
