; FerrolinkSetup.exe: installs the connector, the configuration program and the help document
; on 32-bit and 64-bit Windows. The setup itself is a 32-bit program, so that one file runs on
; both; it installs the 64-bit programs on 64-bit Windows and the 32-bit ones on 32-bit Windows.
;
; Built by CMake (target "setup"):
;   makensis -DVERSION=0.4.0 -DSOURCE=<source tree> -DBIN64=<64-bit build tree>
;            [-DBIN32=<32-bit build tree>] -DOUTFILE=<FerrolinkSetup.exe> FerrolinkSetup.nsi
; Each build tree holds connector\Ferrolink.exe, config\FerrolinkConfig_WIN.exe and
; installer\setup_helper.exe. Without BIN32 the setup refuses to run on 32-bit Windows.
;
; Silent: FerrolinkSetup.exe /S [/D=C:\folder]; uninstall.exe /S. Exit codes: 0 done, 1 cancelled,
; 2 refused (nothing installed; also beside an installed Windows Installer package), 3 done but the
; key could not be restricted or the task not deleted, 4 not done: a file of the earlier
; installation could not be replaced.

Unicode true
Target x86-unicode
SetCompressor /SOLID lzma
; A file that cannot be replaced is never skipped: an old connector beside a new configuration
; program is no installation. Silently, NSIS answers the file error with Cancel.
AllowSkipFiles off
RequestExecutionLevel admin
; The folder page shows no disk space figures: they differ from machine to machine and run to run.
SpaceTexts none
ManifestSupportedOS all

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh

!ifndef VERSION | SOURCE | BIN64 | OUTFILE
  !error "VERSION, SOURCE, BIN64 and OUTFILE must be defined"
!endif

!define PRODUCT "Ferrolink"
!define PUBLISHER "Halvane"
!define SETTINGS_KEY "Software\Halvane\Ferrolink"
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\Ferrolink"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ferrolink"
!define HELP_FILE "Help\ferrolink.html"
; The configuration program reads "HelpFile" into 200 bytes, terminator included.
!define HELP_PATH_LIMIT 199
!define EXIT_NOT_REPLACED 4

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; Left empty so that .onInit can tell a folder given with /D from none.
InstallDir ""
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MUI_ABORTWARNING
; The progress page stays, so that the administrator sees what the helper reported.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_FINISHPAGE_RUN "$INSTDIR\FerrolinkConfig_WIN.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Open the configuration program"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\${HELP_FILE}"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the help document"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The registry view and the program folder of the programs that this Windows runs natively.
!macro UseNativeView
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
!macroend

; An installation from a Windows Installer package (Ferrolink-x64.msi, Ferrolink-x86.msi, by their
; upgrade codes): a second installation of the same programs would share the task and the settings
; key and remove them from under the other, so the setup refuses (exit code 2).
!macro RefuseInstalledPackage UPGRADE_CODE
  System::Call 'msi::MsiEnumRelatedProductsW(w "${UPGRADE_CODE}", i 0, i 0, w .r0) i .r1'
  ${If} $1 == 0
    MessageBox MB_ICONSTOP "${PRODUCT} is installed on this machine from its Windows Installer package \
        (product $0). Upgrade it with a newer package, or remove it first with msiexec /x $0." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
!macroend

Function .onInit
  !insertmacro UseNativeView
  !insertmacro RefuseInstalledPackage "{2CC550D0-0E12-49FB-A63A-6F2354EA4AB1}"
  !insertmacro RefuseInstalledPackage "{CD375E70-202E-4916-BCCB-84DAB7D2E1D9}"
  ${IfNot} ${RunningX64}
!ifndef BIN32
    MessageBox MB_ICONSTOP "This setup program holds the 64-bit programs only; it cannot install \
        ${PRODUCT} on 32-bit Windows." /SD IDOK
    SetErrorLevel 2
    Abort
!endif
  ${EndIf}
  ${If} $INSTDIR == ""
    ; Installing over an earlier installation keeps its folder, so that the scheduled task's
    ; program path stays valid.
    ReadRegStr $INSTDIR HKLM "${SETTINGS_KEY}" "InstallPath"
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} ${RunningX64}
      StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
    ${EndIf}
  ${EndIf}
FunctionEnd

; A folder whose help path would not fit into "HelpFile" is refused (Next stays disabled).
Function .onVerifyInstDir
  StrLen $0 "$INSTDIR\${HELP_FILE}"
  ${If} $0 > ${HELP_PATH_LIMIT}
    Abort
  ${EndIf}
FunctionEnd

; Every file that the setup installs, each named once: installing extracts these, uninstalling
; deletes exactly these, so that whatever the administrator put into the folder stays.
; OP is a macro of (subfolder: "" or "\name", file name, file to ship); BIN the build tree.
!macro InstalledFiles OP BIN
  !insertmacro ${OP} "" "FerrolinkConfig_WIN.exe" "${BIN}\config\FerrolinkConfig_WIN.exe"
  !insertmacro ${OP} "" "setup_helper.exe" "${BIN}\installer\setup_helper.exe"
  !insertmacro ${OP} "" "Ferrolink.exe" "${BIN}\connector\Ferrolink.exe"
  !insertmacro ${OP} "\Help" "ferrolink.html" "${SOURCE}\docs\help\ferrolink.html"
  !insertmacro ${OP} "\Help" "ferrolink.css" "${SOURCE}\docs\help\ferrolink.css"
  !insertmacro ${OP} "\screenshots" "main-dialog.png" "${SOURCE}\docs\screenshots\main-dialog.png"
  !insertmacro ${OP} "\screenshots" "credentials-dialog.png" "${SOURCE}\docs\screenshots\credentials-dialog.png"
  !insertmacro ${OP} "\screenshots" "test-waiting.png" "${SOURCE}\docs\screenshots\test-waiting.png"
  !insertmacro ${OP} "\screenshots" "test-succeeded.png" "${SOURCE}\docs\screenshots\test-succeeded.png"
  !insertmacro ${OP} "\screenshots" "test-failed.png" "${SOURCE}\docs\screenshots\test-failed.png"
  !insertmacro ${OP} "\screenshots" "start-scheduler.png" "${SOURCE}\docs\screenshots\start-scheduler.png"
  !insertmacro ${OP} "\screenshots" "client-not-found.png" "${SOURCE}\docs\screenshots\client-not-found.png"
!macroend

!macro ExtractFile FOLDER NAME SHIPPED
  SetOutPath "$INSTDIR${FOLDER}"
  File "/oname=${NAME}" "${SHIPPED}"
!macroend

!macro EnsureReplaceable FOLDER NAME SHIPPED
  Push "$INSTDIR${FOLDER}\${NAME}"
  Call EnsureReplaceable
!macroend

!macro DeleteInstalledFile FOLDER NAME SHIPPED
  Delete "$INSTDIR${FOLDER}\${NAME}"
!macroend

; The programs of this Windows' bitness and the documents, through OP.
!macro ForNativeFiles OP
  ${If} ${RunningX64}
    !insertmacro InstalledFiles ${OP} "${BIN64}"
  ${Else}
!ifdef BIN32
    !insertmacro InstalledFiles ${OP} "${BIN32}"
!endif
  ${EndIf}
!macroend

; A file of an earlier installation that cannot be written (its program is running, or another
; program holds it open) is found before anything is replaced: the administrator can close it
; and retry; Cancel, and a silent setup, leave the earlier installation as it is and end with
; exit code 4.
Function EnsureReplaceable
  Exch $R0
  Push $R1
  ${If} ${FileExists} $R0
    ${Do}
      ClearErrors
      FileOpen $R1 $R0 a
      ${IfNot} ${Errors}
        FileClose $R1
        ${ExitDo}
      ${EndIf}
      ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONSTOP "$R0 cannot be replaced: its program is \
          running or another program holds it open.$\n$\nClose it and choose Retry, or Cancel to \
          leave the installation as it is." /SD IDCANCEL IDCANCEL`
        SetErrorLevel ${EXIT_NOT_REPLACED}
        Abort
      ${EndIf}
    ${Loop}
  ${EndIf}
  Pop $R1
  Pop $R0
FunctionEnd

; A folder that the setup creates would carry the rights of the folder it is created in, which
; may let users replace the programs that the scheduled task runs. Below the program files
; folders those rights protect the programs already; elsewhere the outermost folder that does
; not exist yet is created by the helper with an access list of its own. A folder that exists
; there keeps its access list, so it is taken only when no one but administrators can change it
; (a user who made it beforehand could otherwise replace the connector); else the setup is
; refused (exit code 2).
Function CreateProtectedFolder
  ; The full path, so that "..\" cannot lead out of the program files folder unseen.
  System::Call 'kernel32::GetFullPathNameW(w "$INSTDIR", i ${NSIS_MAX_STRLEN}, w .r1, p 0) i .r0'
  ${If} $0 == 0
    StrCpy $1 $INSTDIR
  ${EndIf}
  StrLen $2 "$PROGRAMFILES\"
  StrCpy $3 $1 $2
  StrLen $2 "$PROGRAMFILES64\"
  StrCpy $4 $1 $2
  ${If} $3 == "$PROGRAMFILES\"
  ${OrIf} $4 == "$PROGRAMFILES64\"
    Return
  ${EndIf}
  StrCpy $0 ""
  ${Do}
    ${If} $1 == ""
    ${OrIf} ${FileExists} "$1\*.*"
      ${ExitDo}
    ${EndIf}
    StrCpy $0 $1
    ${GetParent} $1 $1
  ${Loop}
  ; The helper of the installed programs' bitness, before any of them is in place.
  InitPluginsDir
  ${If} ${RunningX64}
    File "/oname=$PLUGINSDIR\setup_helper.exe" "${BIN64}\installer\setup_helper.exe"
  ${Else}
!ifdef BIN32
    File "/oname=$PLUGINSDIR\setup_helper.exe" "${BIN32}\installer\setup_helper.exe"
!endif
  ${EndIf}
  ${If} $0 == ""
    nsExec::ExecToLog '"$PLUGINSDIR\setup_helper.exe" check-folder "$1"'
    Pop $2
    ${If} $2 != 0
      MessageBox MB_ICONSTOP "Users other than administrators can change the folder $1. Choose a \
          folder that only administrators can change, or a new one." /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
    Return
  ${EndIf}
  nsExec::ExecToLog '"$PLUGINSDIR\setup_helper.exe" create-folder "$0"'
  Pop $2
  ${If} $2 != 0
    MessageBox MB_ICONSTOP "The folder $0 could not be created with an access list that lets only \
        administrators change it." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
FunctionEnd

Section "${PRODUCT}" SecMain
  StrLen $0 "$INSTDIR\${HELP_FILE}"
  ${If} $0 > ${HELP_PATH_LIMIT}
    MessageBox MB_ICONSTOP "The folder name is too long: the path of the help document must be \
        shorter than 200 characters." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  SetShellVarContext all
  Call CreateProtectedFolder
  !insertmacro ForNativeFiles EnsureReplaceable
  ; A file that becomes busy meanwhile is answered by NSIS's own Retry/Cancel box.
  SetErrorLevel ${EXIT_NOT_REPLACED}
  !insertmacro ForNativeFiles ExtractFile
  SetErrorLevel 0
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Only the two values that the programs read and never write; the stored settings of an
  ; earlier installation stay as they are.
  WriteRegStr HKLM "${SETTINGS_KEY}" "InstallPath" "$INSTDIR"
  WriteRegStr HKLM "${SETTINGS_KEY}" "HelpFile" "$INSTDIR\${HELP_FILE}"
  nsExec::ExecToLog '"$INSTDIR\setup_helper.exe" secure-key'
  Pop $0
  ${If} $0 != 0
    MessageBox MB_ICONEXCLAMATION "The settings key could not be restricted to administrators; \
        the profile password stored in it may be readable by every user." /SD IDOK
    SetErrorLevel 3
  ${EndIf}

  WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\Ferrolink.exe"
  WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Ferrolink Configuration.lnk" "$INSTDIR\FerrolinkConfig_WIN.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Ferrolink Help.lnk" "$INSTDIR\${HELP_FILE}"

  SectionGetSize ${SecMain} $0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\FerrolinkConfig_WIN.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  !insertmacro UseNativeView
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  ; The work item carries the profile password on its command line: it goes first, while the
  ; configuration program is still there. Its /delete goes through the scheduler's own
  ; interface, so that the scheduler forgets it, and ends with 0 also when there was none.
  nsExec::ExecToLog '"$INSTDIR\FerrolinkConfig_WIN.exe" /delete'
  Pop $0
  ${If} $0 != 0
    MessageBox MB_ICONEXCLAMATION "The scheduled task $\"Ferrolink$\" could not be deleted; delete \
        it in the Task Scheduler." /SD IDOK
    SetErrorLevel 3
  ${EndIf}
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Halvane"
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  Delete "$SMPROGRAMS\${PRODUCT}\Ferrolink Configuration.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Ferrolink Help.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  !insertmacro InstalledFiles DeleteInstalledFile ""
  RMDir "$INSTDIR\Help"
  RMDir "$INSTDIR\screenshots"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: a log file or anything else the administrator put there stays.
  RMDir "$INSTDIR"
SectionEnd
