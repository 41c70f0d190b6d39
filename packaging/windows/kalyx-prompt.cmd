@echo off
rem The "Kalyx command prompt" of the Start menu: this folder's programs on the PATH of this
rem prompt only.
set "KALYX_DIR=%~dp0"
set "PATH=%KALYX_DIR:~0,-1%;%PATH%"
set KALYX_DIR=
echo kalyxprn, kalyxsim and kalyxprntool can be run here. "kalyxprn --help" lists the commands.
