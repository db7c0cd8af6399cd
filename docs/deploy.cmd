@echo off
rem Ferrolink on one machine, with nobody at it: installs silently, applies the profile and the
rem Windows account that runs the task, tests the profile once, and checks the machine's state.
rem
rem   deploy.cmd [installation folder]
rem
rem Run it as an administrator (a deployment tool's system account, or an elevated prompt) with
rem FerrolinkSetup.exe beside it. The two passwords come as two lines, the profile's password
rem first, then the Windows account's: from the file secrets.txt beside it when there is one
rem (delete it afterwards), otherwise from this script's standard input, where a deployment tool
rem can write them. They never stand on a command line, which every user of the machine can list.
rem Edit the four names below. The script ends with 0 when the machine is set up, else with the
rem exit code of the step that failed (see "Rolling out to many machines" in the help document).
setlocal
set "PROFILE=Office"
set "PROFILE_USER=jo"
set "INTERVAL=5"
set "ACCOUNT=vpnuser"

set "FOLDER=%~1"
if "%FOLDER%"=="" set "FOLDER=%ProgramFiles%\Ferrolink"
set "CONFIG=%FOLDER%\FerrolinkConfig_WIN.exe"

echo Installing Ferrolink into %FOLDER% ...
"%~dp0FerrolinkSetup.exe" /S /D=%FOLDER%
set RESULT=%ERRORLEVEL%
if not "%RESULT%"=="0" goto failed

echo Applying profile %PROFILE% ...
if exist "%~dp0secrets.txt" (
  "%CONFIG%" /apply /profile:"%PROFILE%" /user:"%PROFILE_USER%" /password:- /interval:%INTERVAL% /account:"%ACCOUNT%" /accountpassword:- < "%~dp0secrets.txt"
) else (
  "%CONFIG%" /apply /profile:"%PROFILE%" /user:"%PROFILE_USER%" /password:- /interval:%INTERVAL% /account:"%ACCOUNT%" /accountpassword:-
)
set RESULT=%ERRORLEVEL%
if not "%RESULT%"=="0" goto failed

echo Testing the profile: one connect and disconnect ...
"%CONFIG%" /test /timeout:120
set RESULT=%ERRORLEVEL%
if not "%RESULT%"=="0" goto failed

rem 0 OK and 1 WARNING (the task is there, the tunnel is down until its first run) both mean
rem the machine is set up.
"%CONFIG%" /status
set RESULT=%ERRORLEVEL%
if %RESULT% GTR 1 goto failed
echo Ferrolink is set up.
exit /b 0

:failed
echo The roll-out stopped with exit code %RESULT%.
exit /b %RESULT%
