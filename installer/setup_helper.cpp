// The setup program's helper: the steps of installing and uninstalling that NSIS cannot do
// itself with the same bitness as the installed programs. The setup runs it from the
// installation folder; it is built with the programs, so on 64-bit Windows it sees the 64-bit
// registry view that the configuration program reads.
//
//   setup_helper secure-key     let only Administrators and SYSTEM read or write the settings
//                               key (it holds the profile password in plain text)
//   setup_helper delete-settings
//                               delete the settings key with the stored password, and the
//                               publisher's key above it when nothing else is left in it
//   setup_helper create-folder <path>
//                               create the folder with an access list of its own: full control
//                               for Administrators and SYSTEM, read and execute for Users
//   setup_helper check-folder <path>
//                               succeed only when no one but Administrators, SYSTEM and the user
//                               running the setup can change the existing folder: as its owner,
//                               or through an entry of its access list that lets them write
//
// Paths are taken as UTF-16 (wmain), so that a folder outside the system code page is the one
// named, not a best-fit look-alike.
// Exit code 0 when the step was done, 1 when it failed, 2 for a command line it does not know.
// Every failure is printed once.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "settings_store.h"
#include "win_handles.h"

namespace {

// For a folder the setup creates outside the program files folder: the scheduled task runs its
// programs, so only Administrators and SYSTEM may change them. Inherited by every file and
// subfolder; protected, because the folder it is created in may let users write.
constexpr const char* kProgramFolderAccess =
    "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// A path as the setup's log shows it: in the system code page, "?" for what it lacks.
std::string Shown(const wchar_t* path) {
    const int size = WideCharToMultiByte(CP_ACP, 0, path, -1, nullptr, 0, nullptr, nullptr);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, path, -1, text.data(), size, nullptr, nullptr);
    text.resize(std::strlen(text.c_str()));
    return text;
}

// A SID in its text form ("S-1-5-18"); empty when it cannot be converted.
std::string SidText(PSID sid) {
    char* text = nullptr;
    if (!ConvertSidToStringSidA(sid, &text)) return {};
    const LocalMemory owned(text);
    return text;
}

int SecureSettingsKey() {
    // The setup writes "InstallPath" first, but an administrator may run this on its own.
    const long status = ProtectSettingsKey();
    if (status != 0) {
        std::printf(
            "Error: the settings key could not be restricted to administrators (error %ld)\n",
            status);
        return 1;
    }
    std::printf("The settings key is readable by Administrators and SYSTEM only.\n");
    return 0;
}

// The access list is given at creation, so that no moment passes in which the folder has the
// rights of the folder it is created in.
int CreateProgramFolder(const wchar_t* path) {
    const LocalMemory descriptor = DescriptorFromSddl(kProgramFolderAccess);
    if (!descriptor) {
        std::printf("Error: the access list could not be built (error %lu)\n", GetLastError());
        return 1;
    }
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = descriptor.get();
    if (!CreateDirectoryW(path, &attributes)) {
        const DWORD error = GetLastError();
        std::printf("Error: the folder \"%s\" could not be created (error %lu)\n",
                    Shown(path).c_str(), error);
        return 1;
    }
    std::printf("The folder \"%s\" was created; only Administrators and SYSTEM can change it.\n",
                Shown(path).c_str());
    return 0;
}

// The rights that let a holder change a folder or what is in it.
constexpr ACCESS_MASK kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                        FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES | DELETE |
                                        WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// The user running this program (the administrator who runs the setup).
std::string CurrentUserSid() {
    UniqueHandle token;
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return {};
    token.reset(opened);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size))
        return {};
    return SidText(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid);
}

// Whether `sid` may change the folder: SYSTEM, Administrators, or the user running the setup.
bool Trusted(PSID sid, const std::string& currentUser) {
    const std::string text = SidText(sid);
    return text == "S-1-5-18" || text == "S-1-5-32-544" ||
           (!currentUser.empty() && text == currentUser);
}

// An existing folder keeps its access list; the connector in it runs with the VPN password and
// the uninstaller runs the helper in it elevated, so it is used only when no one else can
// change it.
int CheckProgramFolder(const wchar_t* path) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD read = GetNamedSecurityInfoW(path, SE_FILE_OBJECT,
                                             OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                             &owner, nullptr, &dacl, nullptr, &descriptor);
    const LocalMemory owned(descriptor);
    if (read != ERROR_SUCCESS) {
        std::printf("Error: the access list of \"%s\" could not be read (error %lu)\n",
                    Shown(path).c_str(), read);
        return 1;
    }
    const std::string currentUser = CurrentUserSid();
    bool others = owner == nullptr || !Trusted(owner, currentUser) || dacl == nullptr;
    for (DWORD i = 0; !others && i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) continue;
        // An entry only for what is created in the folder does not apply to the folder.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE ||
            (header->AceFlags & INHERIT_ONLY_ACE) != 0)
            continue;
        const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
        others = (ace->Mask & kChangingRights) != 0 &&
                 !Trusted(const_cast<DWORD*>(&ace->SidStart), currentUser);
    }
    if (others) {
        std::printf("Error: users other than administrators can change the folder \"%s\"\n",
                    Shown(path).c_str());
        return 1;
    }
    std::printf("Only administrators can change the folder \"%s\".\n", Shown(path).c_str());
    return 0;
}

// Deletes a key of HKEY_LOCAL_MACHINE with its subkeys (RegDeleteTree and SHDeleteKey are not
// among the functions that Windows XP's advapi32 and the allowed DLLs offer). A key that does not
// exist counts as deleted.
LONG DeleteKeyTree(const std::string& path) {
    RegistryKey key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put());
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    while (status == ERROR_SUCCESS) {
        char name[256];
        DWORD size = sizeof name;
        // Always the first: each one found is deleted before the next is asked for.
        status = RegEnumKeyExA(key.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS) status = DeleteKeyTree(path + "\\" + name);
    }
    key.reset();
    return status == ERROR_NO_MORE_ITEMS ? RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str()) : status;
}

// The removal of the Windows Installer package runs this; the settings key is the programs',
// so it goes with them, but only through this command, which a major upgrade does not run.
int DeleteSettings() {
    const LONG status = DeleteKeyTree(kSettingsKey);
    if (status != ERROR_SUCCESS) {
        std::printf("Error: the settings key could not be deleted (error %ld)\n", status);
        return 1;
    }
    // Only when empty: another program of the publisher may keep its settings there.
    RegistryKey publisher;
    DWORD subkeys = 1, values = 1;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Halvane", 0, KEY_READ, publisher.put()) ==
            ERROR_SUCCESS &&
        RegQueryInfoKeyA(publisher.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                         &values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        subkeys == 0 && values == 0) {
        publisher.reset();
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Halvane");
    }
    std::printf("The settings key was deleted.\n");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wcscmp(argv[1], L"secure-key") == 0) {
        return SecureSettingsKey();
    }
    if (argc == 2 && std::wcscmp(argv[1], L"delete-settings") == 0) {
        return DeleteSettings();
    }
    if (argc == 3 && std::wcscmp(argv[1], L"create-folder") == 0) {
        return CreateProgramFolder(argv[2]);
    }
    if (argc == 3 && std::wcscmp(argv[1], L"check-folder") == 0) {
        return CheckProgramFolder(argv[2]);
    }
    std::printf("usage: setup_helper secure-key | delete-settings | create-folder <path> |"
                " check-folder <path>\n");
    return 2;
}
