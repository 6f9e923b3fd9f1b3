; The MORVELUX setup program. Puts Morvelux.scr into the system folder, where
; the Screen Saver settings look for savers, can make it the current saver and
; registers an uninstaller that takes away exactly what was put there.
;
; installer/make-setup compiles it once per target, defining
;   ARCH            x64 (amd64-unicode, for 64-bit Windows) or x86 (x86-ansi,
;                   for 32-bit Windows)
;   VERSION         the project's version, as users see it
;   VERSION_DOTTED  the same with four numbers, for the version resource
;   PAYLOAD         the Morvelux.scr to install
;   OUTFILE         the setup program to write
;   SIGN            (optional) a command that signs the file named by %1;
;                   the uninstaller is signed with it before it is packed

!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define OTHER_SETUP ""
!else if "${ARCH}" == "x86"
  Target x86-ansi
  !define OTHER_SETUP "Morvelux-${VERSION}-setup-x64.exe"
!else
  !error "ARCH must be x64 or x86"
!endif

!include LogicLib.nsh
!include x64.nsh
!include WinVer.nsh
!include MUI2.nsh

!define PRODUCT "MORVELUX"
!define PUBLISHER "Valdrenn"
!define ABOUT_URL "http://www.valdrenn.example/"
!define SCR "Morvelux.scr"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvelux"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SETTINGS_KEY "Software\Valdrenn"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
; The exit codes a script or an administrator can act on.
!define EXIT_ACCESS_DENIED 5          ; ERROR_ACCESS_DENIED
!define EXIT_WRONG_WINDOWS 216        ; ERROR_EXE_MACHINE_TYPE_MISMATCH
!define SPI_SETSCREENSAVEACTIVE 17
!define /math SPIF_STORE_AND_ANNOUNCE 1 | 2  ; SPIF_UPDATEINIFILE | SPIF_SENDCHANGE

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
UninstallCaption "${PRODUCT} ${VERSION} Uninstall"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
ManifestSupportedOS all
SetCompressor /SOLID lzma
InstallDir "$PROGRAMFILES64\${PRODUCT}"
ShowInstDetails nevershow
ShowUninstDetails nevershow
BrandingText "${PRODUCT} ${VERSION}"
!ifdef SIGN
  !uninstfinalize '${SIGN}' = 0
!endif

VIProductVersion "${VERSION_DOTTED}"
VIFileVersion "${VERSION_DOTTED}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2004 ${PUBLISHER}"

!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The current saver: the NT family keeps it in the registry, Windows 95, 98
; and Me in SYSTEM.INI, where only the x86 setup can run.
!macro ReadCurrentSaver VAR
  ReadRegStr ${VAR} HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  !if "${ARCH}" == "x86"
    ${IfNot} ${IsNT}
      ReadINIStr ${VAR} "$WINDIR\system.ini" "boot" "SCRNSAVE.EXE"
    ${EndIf}
  !endif
!macroend

!macro WriteCurrentSaver VALUE
  !if "${ARCH}" == "x86"
    ${IfNot} ${IsNT}
      WriteINIStr "$WINDIR\system.ini" "boot" "SCRNSAVE.EXE" "${VALUE}"
    ${EndIf}
  !endif
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "${VALUE}"
!macroend

!macro ForgetCurrentSaver
  !if "${ARCH}" == "x86"
    ${IfNot} ${IsNT}
      DeleteINIStr "$WINDIR\system.ini" "boot" "SCRNSAVE.EXE"
    ${EndIf}
  !endif
  DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
!macroend

Section "${PRODUCT} screen saver" SecSaver
  SectionIn RO
  SetOutPath "$SYSDIR"
  File "/oname=${SCR}" "${PAYLOAD}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  SetShellVarContext all
  CreateShortCut "${SHORTCUT}" "$SYSDIR\${SCR}" "/s" "$SYSDIR\${SCR}" 0 SW_SHOWNORMAL "" \
    "Show the ${PRODUCT} screen saver now"
  Call RegisterUninstaller
SectionEnd

Section "Make ${PRODUCT} the current screen saver" SecCurrent
  ; The short path is the form the Screen Saver settings write themselves.
  GetFullPathName /SHORT $0 "$SYSDIR\${SCR}"
  !insertmacro WriteCurrentSaver "$0"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  System::Call "user32::SystemParametersInfo(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_STORE_AND_ANNOUNCE})"
SectionEnd

Function RegisterUninstaller
  SectionGetSize ${SecSaver} $0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} screen saver"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\${SCR},0"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${ABOUT_URL}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
FunctionEnd

; Asked before anything is changed, so a user without the rights learns it
; at once and nothing is left half done.
!macro RefuseUnlessSystemFolderWritable
  ClearErrors
  FileOpen $0 "$SYSDIR\Morvelux-setup.tmp" w
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} lives in the Windows system folder ($SYSDIR), \
      which this account may not change.$\r$\n$\r$\nPlease run this program as an administrator." /SD IDOK
    SetErrorLevel ${EXIT_ACCESS_DENIED}
    Quit
  ${EndIf}
  FileClose $0
  Delete "$SYSDIR\Morvelux-setup.tmp"
!macroend

Function .onInit
  !if "${ARCH}" == "x86"
    ${If} ${RunningX64}
      MessageBox MB_OK|MB_ICONSTOP "This setup program is for 32-bit Windows.$\r$\n$\r$\n\
        This Windows is 64-bit: please run ${OTHER_SETUP} instead." /SD IDOK
      SetErrorLevel ${EXIT_WRONG_WINDOWS}
      Quit
    ${EndIf}
  !endif
  !insertmacro RefuseUnlessSystemFolderWritable
FunctionEnd

Function un.onInit
  !insertmacro RefuseUnlessSystemFolderWritable
FunctionEnd

Section Uninstall
  Call un.ForgetCurrentSaverIfOurs
  Delete "$SYSDIR\${SCR}"
  SetShellVarContext all
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The saver makes this key for each user who runs it; it stays if it holds anything.
  DeleteRegKey /ifempty HKCU "${SETTINGS_KEY}"
SectionEnd

; Only the saver setting goes: the timeout and the password setting are the
; user's. Both sides are made short paths so any spelling of our file matches.
Function un.ForgetCurrentSaverIfOurs
  !insertmacro ReadCurrentSaver $0
  ${If} $0 == ""
    Return
  ${EndIf}
  GetFullPathName /SHORT $1 "$0"
  GetFullPathName /SHORT $2 "$SYSDIR\${SCR}"
  ${If} $1 != ""
  ${AndIf} $1 == $2
    !insertmacro ForgetCurrentSaver
  ${EndIf}
FunctionEnd
