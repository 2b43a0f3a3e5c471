; The Zephyrnet installer and uninstaller. scripts/package compiles it with makensis and passes:
;   VERSION     the program's version (from the build's version.h, which comes from VERSION)
;   BIN_DIR     the folder holding zephyrnet.exe and the files beside it
;   FILES_NSH   File lines for the files beside the program (made from resources/app-files.txt)
;   UNFILES_NSH the matching Delete lines
;   OUT_FILE    the installer to write
;   ICON        the program's icon
;   X64         defined for the 64-bit test installer (Wine here runs only 64-bit programs)
!ifdef X64
  Target amd64-unicode
!else
  ; The ANSI stub: the installer runs where the program does, back to Windows 95.
  Unicode false
!endif
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "Zephyrnet"
!define PUBLISHER "Corvanta"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zephyrnet"
!define SETTINGS_KEY "SOFTWARE\Corvanta\Zephyrnet"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUT_FILE}"
!ifdef X64
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\zephyrnet.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetShellVarContext all
!ifdef X64
  SetRegView 64
!endif
FunctionEnd

Function un.onInit
  SetShellVarContext all
!ifdef X64
  SetRegView 64
!endif
FunctionEnd

Section "Zephyrnet" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${BIN_DIR}\zephyrnet.exe"
  !include "${FILES_NSH}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\zephyrnet.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk" "$INSTDIR\ZephyrnetHelp.chm"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zephyrnet.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "Desktop shortcut" SecDesktop
  CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\zephyrnet.exe"
SectionEnd

; Off unless ticked, and always off in a silent uninstall: the backups are the only way back to
; the network settings the user had before.
Section /o "un.Remove my backups too" SecUnBackups
  RMDir /r "$INSTDIR\Backups"
  RMDir /r "$APPDATA\${PRODUCT}\Backups"
  RMDir "$APPDATA\${PRODUCT}"
SectionEnd

Section "un.Zephyrnet" SecUnProgram
  SectionIn RO
  ; The program may be running: the tray would keep it alive and its files in use.
  Delete "$INSTDIR\zephyrnet.exe"
  !include "${UNFILES_NSH}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$DESKTOP\${PRODUCT}.lnk"

  DeleteRegValue HKCU "${RUN_KEY}" "Zephyrnet"
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Corvanta"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The log-on tasks of Vista and later, one per user, named "Zephyrnet (user)".
  ${DisableX64FSRedirection}
  FindFirst $0 $1 "$WINDIR\System32\Tasks\Zephyrnet (*)"
  ${DoWhile} $1 != ""
    nsExec::Exec '"$WINDIR\System32\schtasks.exe" /Delete /TN "$1" /F'
    Pop $2
    FindNext $0 $1
  ${Loop}
  FindClose $0
  ${EnableX64FSRedirection}
SectionEnd

LangString DESC_SecProgram ${LANG_ENGLISH} "The program, its help, sounds, menu and skin."
LangString DESC_SecDesktop ${LANG_ENGLISH} "A shortcut to Zephyrnet on the desktop."
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} $(DESC_SecProgram)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} $(DESC_SecDesktop)
!insertmacro MUI_FUNCTION_DESCRIPTION_END
