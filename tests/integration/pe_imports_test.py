#!/usr/bin/env python3
"""The shipped programs start on Windows XP SP3 (32-bit) and XP x64 (64-bit): their PE headers
ask for no newer Windows, and they import no DLL outside Windows and no function that XP's
system DLLs lack. Wine exports everything, so only the import table can show this here."""
import os, unittest

import pefile

BUILD = os.environ["FERROLINK_BUILD"]
PROGRAMS = [os.path.join(BUILD, "connector", "Ferrolink.exe"),
            os.path.join(BUILD, "config", "FerrolinkConfig_WIN.exe"),
            os.path.join(BUILD, "installer", "setup_helper.exe")]
# The oldest Windows each machine type runs: XP SP3 is 5.1, XP x64 5.2.
OLDEST = {pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]: (5, 1),
          pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]: (5, 2)}
WINDOWS_DLLS = {"kernel32.dll", "advapi32.dll", "user32.dll", "gdi32.dll", "shell32.dll",
                "comctl32.dll", "ole32.dll", "oleaut32.dll", "msvcrt.dll"}
# Functions whose documented minimum supported client is Windows Vista or later (Microsoft's
# reference pages), among those that mingw-w64's runtime and threads library and libstdc++
# could pull in whatever headers the program's own code sees (which are XP's); for msvcrt.dll,
# functions that came with the Visual C++ 2005 runtime and are missing from XP's msvcrt.dll
# (the secure "_s" variants and their kind).
NOT_ON_XP = {
    "kernel32.dll": """GetTickCount64 InitializeCriticalSectionEx InitOnceExecuteOnce
        InitOnceBeginInitialize InitOnceComplete InitializeSRWLock AcquireSRWLockExclusive
        AcquireSRWLockShared ReleaseSRWLockExclusive ReleaseSRWLockShared
        TryAcquireSRWLockExclusive TryAcquireSRWLockShared InitializeConditionVariable
        SleepConditionVariableCS SleepConditionVariableSRW WakeConditionVariable
        WakeAllConditionVariable CreateEventExA CreateEventExW CreateMutexExA CreateMutexExW
        CreateSemaphoreExA CreateSemaphoreExW CreateWaitableTimerExW FlsAlloc FlsFree
        FlsGetValue FlsSetValue GetThreadId GetProcessIdOfThread SetThreadStackGuarantee
        CancelIoEx GetFileInformationByHandleEx SetFileInformationByHandle
        GetFinalPathNameByHandleA GetFinalPathNameByHandleW CreateSymbolicLinkA
        CreateSymbolicLinkW GetLocaleInfoEx LCMapStringEx CompareStringEx
        GetUserDefaultLocaleName LocaleNameToLCID GetCurrentProcessorNumber
        QueryFullProcessImageNameA QueryFullProcessImageNameW GetErrorMode GetProductInfo
        QueryThreadCycleTime GetSystemTimePreciseAsFileTime WerRegisterRuntimeExceptionModule""",
    "advapi32.dll": """RegGetValueA RegGetValueW RegDeleteKeyValueA RegSetKeyValueA
        RegDeleteTreeA RegCopyTreeA RegLoadMUIStringA RegDeleteKeyExA RegDeleteKeyExW
        EventRegister EventWrite""",
    "msvcrt.dll": """_localtime64_s _gmtime64_s _ctime64_s localtime_s strcpy_s strncpy_s
        strcat_s sprintf_s vsprintf_s _vsnprintf_s _snprintf_s memcpy_s memmove_s fopen_s
        _wfopen_s _get_errno _set_errno _fseeki64 _ftelli64 _get_output_format _itoa_s _ultoa_s""",
}


class ShippedProgramsRunOnXp(unittest.TestCase):
    def test_headers_and_imports(self):
        for path in PROGRAMS:
            with self.subTest(program=os.path.basename(path)):
                pe = pefile.PE(path)
                oldest, header = OLDEST[pe.FILE_HEADER.Machine], pe.OPTIONAL_HEADER
                self.assertLessEqual((header.MajorOperatingSystemVersion,
                                      header.MinorOperatingSystemVersion), oldest)
                self.assertLessEqual((header.MajorSubsystemVersion, header.MinorSubsystemVersion),
                                     oldest)
                self.assertEqual(pe.FILE_HEADER.PointerToSymbolTable, 0, "not stripped")
                for entry in pe.DIRECTORY_ENTRY_IMPORT:
                    dll = entry.dll.decode().lower()
                    self.assertIn(dll, WINDOWS_DLLS)
                    names = {i.name.decode() for i in entry.imports if i.name}
                    self.assertEqual(names & set(NOT_ON_XP.get(dll, "").split()), set(), dll)


if __name__ == "__main__":
    unittest.main()
