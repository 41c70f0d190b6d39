; The Kalyx installer for 64-bit Windows, built by makensis (cmake/WindowsInstaller.cmake passes
; VERSION, FILES (the generated lists of what is installed), OUTFILE and SOURCE_DIR).
;
; Per machine into Program Files\Kalyx (or a folder the user picks). Silent use:
;   kalyx-VERSION-win64-installer.exe /S [/SDK] [/PATH] [/D=C:\folder]
;   "C:\Program Files\Kalyx\uninstall.exe" /S
; The uninstaller deletes the files by name from the same lists, so anything the user put into
; the folder stays, and so do the user's own settings under HKEY_CURRENT_USER.
Target amd64-unicode
Unicode true
SetCompressor /SOLID ${COMPRESSOR}

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include StrFunc.nsh
!include WinMessages.nsh
!include ${FILES}
${StrLoc}
${UnStrRep}

!define PRODUCT "Kalyx"
!define PUBLISHER "Orvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalyx"
; The window reads its Version setting here when the user has none of his own.
!define WINDOW_KEY "Software\Orvane\KalyxPrnTool"
!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
!define PRN_TYPE "Kalyx.PrnJob"
!define DESIGN_TYPE "Kalyx.CardDesign"
!define DESIGN_VERB_KEY "Software\Classes\SystemFileAssociations\.json\shell\Kalyx.OpenDesign"
!define APPLICATION_KEY "Software\Classes\Applications\kalyxprntool.exe"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; An upgrade goes where the installed copy is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails show
VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey FileDescription "${PRODUCT} ${VERSION} installer"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey LegalCopyright "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\kalyxprntool.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Kalyx PRN Tool"
!insertmacro MUI_PAGE_LICENSE "${SOURCE_DIR}/LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Programs" SecPrograms
  SectionIn RO
  SetRegView 64
  SetShellVarContext all
  Call RemovePreviousVersion
  !insertmacro KalyxProgramFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${WINDOW_KEY}" "Version" "${VERSION}"

  ; The command prompt starts in the user's own folder.
  SetOutPath "$PROFILE"
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Kalyx PRN Tool.lnk" "$INSTDIR\kalyxprntool.exe" "" \
                 "$INSTDIR\kalyxprntool.exe" 0
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Kalyx command prompt.lnk" "$SYSDIR\cmd.exe" \
                 '/k "$INSTDIR\kalyx-prompt.cmd"' "$INSTDIR\kalyxprntool.exe" 0

  ; File types. Windows takes the part after the last dot as the extension, so a design
  ; (NAME.card.json) is a .json file to it, and .json belongs to whatever edits JSON. Designs get
  ; a type of their own under "Open with" of .json, and an "Open in Kalyx PRN Tool" entry in the
  ; menu of design files only (AppliesTo); the program that opens .json files keeps doing so.
  ReadRegStr $0 HKLM "Software\Classes\.prn" ""
  ${If} $0 != ""
  ${AndIf} $0 != "${PRN_TYPE}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "PreviousPrnType" $0
  ${EndIf}
  WriteRegStr HKLM "Software\Classes\.prn" "" "${PRN_TYPE}"
  WriteRegStr HKLM "Software\Classes\.prn\OpenWithProgids" "${PRN_TYPE}" ""
  WriteRegStr HKLM "Software\Classes\${PRN_TYPE}" "" "PRN card job"
  WriteRegStr HKLM "Software\Classes\${PRN_TYPE}\DefaultIcon" "" '"$INSTDIR\kalyxprntool.exe",0'
  WriteRegStr HKLM "Software\Classes\${PRN_TYPE}\shell\open\command" "" \
              '"$INSTDIR\kalyxprntool.exe" "%1"'
  WriteRegStr HKLM "Software\Classes\.json\OpenWithProgids" "${DESIGN_TYPE}" ""
  WriteRegStr HKLM "Software\Classes\${DESIGN_TYPE}" "" "Card design"
  WriteRegStr HKLM "Software\Classes\${DESIGN_TYPE}\DefaultIcon" "" '"$INSTDIR\kalyxprntool.exe",0'
  WriteRegStr HKLM "Software\Classes\${DESIGN_TYPE}\shell\open\command" "" \
              '"$INSTDIR\kalyxprntool.exe" "%1"'
  WriteRegStr HKLM "${DESIGN_VERB_KEY}" "MUIVerb" "Open in Kalyx PRN Tool"
  WriteRegStr HKLM "${DESIGN_VERB_KEY}" "AppliesTo" 'System.FileName:"*.card.json"'
  WriteRegStr HKLM "${DESIGN_VERB_KEY}" "Icon" '"$INSTDIR\kalyxprntool.exe",0'
  WriteRegStr HKLM "${DESIGN_VERB_KEY}\command" "" '"$INSTDIR\kalyxprntool.exe" "%1"'
  ; "Open with" names the program and lists it for both types.
  WriteRegStr HKLM "${APPLICATION_KEY}" "FriendlyAppName" "Kalyx PRN Tool"
  WriteRegStr HKLM "${APPLICATION_KEY}\SupportedTypes" ".prn" ""
  WriteRegStr HKLM "${APPLICATION_KEY}\SupportedTypes" ".json" ""
  WriteRegStr HKLM "${APPLICATION_KEY}\shell\open\command" "" '"$INSTDIR\kalyxprntool.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  ; Apps & features.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\kalyxprntool.exe",0'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "Developer files (headers, import library, CMake package)" SecSdk
  !insertmacro KalyxSdkFiles
SectionEnd

Section /o "Add the programs to the system PATH" SecPath
  SetRegView 64
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  ${StrLoc} $1 ";$0;" ";$INSTDIR;" ">"
  ${If} $1 != ""
    DetailPrint "The system PATH already holds $INSTDIR"
    Return
  ${EndIf}
  ; makensis' strings hold 1024 characters: a longer PATH would be cut, so it is left alone.
  StrLen $1 "$0;$INSTDIR"
  ${If} $1 >= ${NSIS_MAX_STRLEN}
    DetailPrint "The system PATH is too long to change safely; add $INSTDIR to it yourself"
    MessageBox MB_OK|MB_ICONEXCLAMATION "The system PATH is too long to change safely.$\r$\nAdd $INSTDIR to it yourself, or use the Kalyx command prompt." /SD IDOK
    Return
  ${EndIf}
  ${If} $0 == ""
    WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$INSTDIR"
  ${Else}
    WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$0;$INSTDIR"
  ${EndIf}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "AddedToPath" 1
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
SectionEnd

Section "-Size"
  SetRegView 64
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Administrators installing silently choose the optional parts on the command line.
Function .onInit
  SetRegView 64
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/SDK" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecSdk} ${SF_SELECTED}
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/PATH" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecPath} ${SF_SELECTED}
  ${EndIf}
  ; An upgrade keeps the programs on the PATH when the installed copy put them there.
  ReadRegDWORD $1 HKLM "${UNINSTALL_KEY}" "AddedToPath"
  ${If} $1 == 1
    SectionSetFlags ${SecPath} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

; An installed copy (of any version) is uninstalled first, silently and in its own folder, so
; files it had and this one lacks go, and Apps & features keeps one entry.
Function RemovePreviousVersion
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
  ${OrIfNot} ${FileExists} "$0\uninstall.exe"
    Return
  ${EndIf}
  DetailPrint "Removing the installed copy in $0"
  ExecWait '"$0\uninstall.exe" /S _?=$0' $1
  ${If} $1 != 0
    Abort "The installed copy in $0 could not be removed (uninstaller exit code $1)"
  ${EndIf}
  Delete "$0\uninstall.exe"
  RMDir "$0"
FunctionEnd

Section "Uninstall"
  SetRegView 64
  SetShellVarContext all
  !insertmacro KalyxRemoveSdkFiles
  !insertmacro KalyxRemoveProgramFiles
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\Kalyx PRN Tool.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Kalyx command prompt.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "AddedToPath"
  ${If} $0 == 1
    Call un.RemoveFromPath
  ${EndIf}

  ; The file types, giving .prn back to what had it before.
  ReadRegStr $0 HKLM "Software\Classes\.prn" ""
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "PreviousPrnType"
  ${If} $0 == "${PRN_TYPE}"
    ${If} $1 == ""
      DeleteRegValue HKLM "Software\Classes\.prn" ""
    ${Else}
      WriteRegStr HKLM "Software\Classes\.prn" "" $1
    ${EndIf}
  ${EndIf}
  DeleteRegValue HKLM "Software\Classes\.prn\OpenWithProgids" "${PRN_TYPE}"
  DeleteRegKey /ifempty HKLM "Software\Classes\.prn\OpenWithProgids"
  DeleteRegKey /ifempty HKLM "Software\Classes\.prn"
  DeleteRegKey HKLM "Software\Classes\${PRN_TYPE}"
  DeleteRegValue HKLM "Software\Classes\.json\OpenWithProgids" "${DESIGN_TYPE}"
  DeleteRegKey /ifempty HKLM "Software\Classes\.json\OpenWithProgids"
  DeleteRegKey /ifempty HKLM "Software\Classes\.json"
  DeleteRegKey HKLM "Software\Classes\${DESIGN_TYPE}"
  DeleteRegKey HKLM "${DESIGN_VERB_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Classes\SystemFileAssociations\.json\shell"
  DeleteRegKey /ifempty HKLM "Software\Classes\SystemFileAssociations\.json"
  DeleteRegKey /ifempty HKLM "Software\Classes\SystemFileAssociations"
  DeleteRegKey HKLM "${APPLICATION_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  ; The machine-wide Version only: each user's own settings stay.
  DeleteRegValue HKLM "${WINDOW_KEY}" "Version"
  DeleteRegKey /ifempty HKLM "${WINDOW_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Orvane"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; Takes out the ";FOLDER" the installer added, wherever it now stands in the PATH.
Function un.RemoveFromPath
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  StrLen $1 $0
  ${If} $1 >= ${NSIS_MAX_STRLEN}
    DetailPrint "The system PATH is too long to change safely; remove $INSTDIR from it yourself"
    Return
  ${EndIf}
  ${If} $0 == "$INSTDIR"
    StrCpy $0 ""
  ${Else}
    ${UnStrRep} $0 ";$0;" ";$INSTDIR;" ";"
    StrCpy $0 $0 "" 1
    StrCpy $0 $0 -1
  ${EndIf}
  WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" $0
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
FunctionEnd
