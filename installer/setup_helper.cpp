// The setup program's helper: the steps of installing and uninstalling that NSIS cannot do
// itself with the same bitness as the installed programs. The setup runs it from the
// installation folder; it is built with the programs, so on 64-bit Windows it sees the 64-bit
// registry view that the configuration program reads, and the same Task Scheduler.
//
//   setup_helper secure-key     let only Administrators and SYSTEM read or write the settings
//                               key (it holds the profile password in plain text)
//   setup_helper key-security   print the settings key's access list (SDDL), for checking
//   setup_helper delete-task    delete the work item "Ferrolink" through the Task Scheduler
//   setup_helper create-folder <path>
//                               create the folder with an access list of its own: full control
//                               for Administrators and SYSTEM, read and execute for Users
//
// Exit code 0 when the step was done (a work item that does not exist counts as deleted),
// 1 when it failed, 2 for a command line it does not know. Every failure is printed once.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "com_ptr.h"
#include "scheduler_access.h"
#include "settings_store.h"
#include "win_handles.h"

namespace {

// For a folder the setup creates outside the program files folder: the scheduled task runs its
// programs, so only Administrators and SYSTEM may change them. Inherited by every file and
// subfolder; protected, because the folder it is created in may let users write.
constexpr const char* kProgramFolderAccess =
    "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
constexpr HRESULT kNoSuchWorkItem = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

int SecureSettingsKey() {
    // The setup writes "InstallPath" first, but an administrator may run this on its own.
    const long status = ProtectSettingsKey();
    if (status != 0) {
        std::printf("Error: the settings key could not be restricted to administrators (error %ld)\n",
                    status);
        return 1;
    }
    std::printf("The settings key is readable by Administrators and SYSTEM only.\n");
    return 0;
}

int PrintKeySecurity() {
    std::string text;
    const long status = ReadSettingsKeySecurity(text);
    if (status != 0) {
        std::printf("Error: the settings key's access list could not be read (error %ld)\n", status);
        return 1;
    }
    std::printf("%s\n", text.c_str());
    return 0;
}

// The access list is given at creation, so that no moment passes in which the folder has the
// rights of the folder it is created in.
int CreateProgramFolder(const char* path) {
    const LocalMemory descriptor = DescriptorFromSddl(kProgramFolderAccess);
    if (!descriptor) {
        std::printf("Error: the access list could not be built (error %lu)\n", GetLastError());
        return 1;
    }
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = descriptor.get();
    if (!CreateDirectoryA(path, &attributes)) {
        std::printf("Error: the folder \"%s\" could not be created (error %lu)\n", path, GetLastError());
        return 1;
    }
    std::printf("The folder \"%s\" was created; only Administrators and SYSTEM can change it.\n", path);
    return 0;
}

int DeleteWorkItem() {
    const ComApartment apartment;
    SchedulerAccess scheduler;
    HRESULT hr = apartment.result();
    if (SUCCEEDED(hr)) {
        hr = scheduler.CreateScheduler();
    }
    if (SUCCEEDED(hr)) {
        hr = scheduler.DeleteWorkItem(kWorkItemName);
    }
    if (hr == kNoSuchWorkItem) {
        std::printf("There is no scheduled task \"Ferrolink\".\n");
        return 0;
    }
    if (FAILED(hr)) {
        std::printf("Error: the scheduled task \"Ferrolink\" could not be deleted (0x%08lX)\n",
                    static_cast<unsigned long>(hr));
        return 1;
    }
    std::printf("The scheduled task \"Ferrolink\" was deleted.\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "secure-key") == 0) {
        return SecureSettingsKey();
    }
    if (argc == 2 && std::strcmp(argv[1], "key-security") == 0) {
        return PrintKeySecurity();
    }
    if (argc == 2 && std::strcmp(argv[1], "delete-task") == 0) {
        return DeleteWorkItem();
    }
    if (argc == 3 && std::strcmp(argv[1], "create-folder") == 0) {
        return CreateProgramFolder(argv[2]);
    }
    std::printf("usage: setup_helper secure-key | key-security | delete-task | create-folder <path>\n");
    return 2;
}
