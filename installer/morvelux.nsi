; The MORVELUX setup program. Puts Morvelux.scr into the system folder, where
; the Screen Saver settings look for savers, can make it the current saver of
; the desktop's user and registers an uninstaller that takes away exactly what
; was put there. An upgrade keeps the saver the user has chosen since; a
; Morvelux.scr in use is never reported as replaced or removed.
;
; installer/make-setup compiles it once per target, defining
;   ARCH            x64 (amd64-unicode, for 64-bit Windows) or x86 (x86-ansi,
;                   for 32-bit Windows)
;   VERSION         the project's version, as users see it
;   VERSION_DOTTED  the same with four numbers, for the version resources
;   COPYRIGHT       the copyright line of LICENSE
;   LICENSE         the licence the licence page shows
;   ICON            the program's icon, for setup and uninstaller
;   PICTURES        the folder of header.bmp and welcome.bmp (the moiré, made
;                   by tools/make-setup-pictures)
;   PAYLOAD         the Morvelux.scr to install
;   OUTFILE         the setup program to write
;   OUTFILE_NAME    its file name, for the version resource
;   SIGN            (optional) a command that signs the file named by %1;
;                   the uninstaller is signed with it before it is packed
;   MSI_UPGRADE_X64, MSI_UPGRADE_X86
;                   the upgrade codes of the Windows Installer packages

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
!include Sections.nsh

!define PRODUCT "MORVELUX"
!define PUBLISHER "Valdrenn"
!define ABOUT_URL "www.valdrenn.example"
!define SCR "Morvelux.scr"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvelux"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SETTINGS_KEY "Software\Valdrenn"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define SESSION_MANAGER_KEY "SYSTEM\CurrentControlSet\Control\Session Manager"
!define PENDING_RENAMES "PendingFileRenameOperations"
; The exit codes a script or an administrator can act on.
!define EXIT_ACCESS_DENIED 5          ; ERROR_ACCESS_DENIED
!define EXIT_WRONG_WINDOWS 216        ; ERROR_EXE_MACHINE_TYPE_MISMATCH
!define EXIT_IN_USE 32                ; ERROR_SHARING_VIOLATION: Morvelux.scr is in use, nothing changed
!define EXIT_REBOOT_REQUIRED 3010     ; ERROR_SUCCESS_REBOOT_REQUIRED: it goes when Windows restarts
!define EXIT_PACKAGE_INSTALLED 1638   ; ERROR_PRODUCT_VERSION: the Windows Installer package's MORVELUX is there
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_SENDCHANGE 2
!define /math SPIF_STORE_AND_ANNOUNCE 1 | ${SPIF_SENDCHANGE}  ; SPIF_UPDATEINIFILE | SPIF_SENDCHANGE
!define WTS_USER_NAME 5               ; WTSUserName
!define WTS_DOMAIN_NAME 7             ; WTSDomainName
!define SID_BYTES 68                  ; SECURITY_MAX_SID_SIZE
!define HKEY_LOCAL_MACHINE 0x80000002
!define KEY_QUERY_AND_SET_VALUE 3     ; KEY_QUERY_VALUE | KEY_SET_VALUE
!define REG_MULTI_SZ 7

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
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION_DOTTED}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION_DOTTED}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=1033 "OriginalFilename" "${OUTFILE_NAME}"
!searchreplace INTERNAL_NAME "${OUTFILE_NAME}" ".exe" ""
VIAddVersionKey /LANG=1033 "InternalName" "${INTERNAL_NAME}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_BITMAP "${PICTURES}/header.bmp"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${PICTURES}/welcome.bmp"
!define MUI_WELCOMEPAGE_TITLE "Welcome to ${PRODUCT} ${VERSION}"
!define MUI_WELCOMEPAGE_TEXT "This puts the ${PRODUCT} screen saver, version ${VERSION}, on this computer: \
  two patterns turned against each other drift apart, and large rosettes flow slowly across the screen.$\r$\n$\r$\n\
  Close the Screen Saver settings before you go on, if they are open.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
Var FinishText  ; set by .onInit
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the Screen Saver settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Preview now"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION PreviewNow
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Whose desktop settings: the setup runs elevated, and when a standard user
; types an administrator's password, HKCU is the administrator's. The screen
; saver is chosen for the account signed in to this session instead, in its
; hive under HKU. DesktopSid is that account's SID, "9x" on Windows 95, 98 and
; Me (no accounts: HKCU), or empty where it cannot be told.
Var DesktopSid
Var Upgrade      ; 1 when this setup's Uninstall entry is there already
Var WasCurrent   ; 1 when MORVELUX is the desktop user's current saver

!macro ReadDesktopValue VAR NAME
  StrCpy ${VAR} ""
  ${If} $DesktopSid == "9x"
    ReadRegStr ${VAR} HKCU "${DESKTOP_KEY}" "${NAME}"
  ${ElseIf} $DesktopSid != ""
    ReadRegStr ${VAR} HKU "$DesktopSid\${DESKTOP_KEY}" "${NAME}"
  ${EndIf}
!macroend

!macro WriteDesktopValue NAME VALUE
  ${If} $DesktopSid == "9x"
    WriteRegStr HKCU "${DESKTOP_KEY}" "${NAME}" "${VALUE}"
  ${ElseIf} $DesktopSid != ""
    WriteRegStr HKU "$DesktopSid\${DESKTOP_KEY}" "${NAME}" "${VALUE}"
  ${EndIf}
!macroend

!macro DeleteDesktopValue NAME
  ${If} $DesktopSid == "9x"
    DeleteRegValue HKCU "${DESKTOP_KEY}" "${NAME}"
  ${ElseIf} $DesktopSid != ""
    DeleteRegValue HKU "$DesktopSid\${DESKTOP_KEY}" "${NAME}"
  ${EndIf}
!macroend

; The current saver: the NT family keeps it in the registry, Windows 95, 98
; and Me in SYSTEM.INI, where only the x86 setup can run.
!macro ReadCurrentSaver VAR
  !insertmacro ReadDesktopValue ${VAR} "SCRNSAVE.EXE"
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
  !insertmacro WriteDesktopValue "SCRNSAVE.EXE" "${VALUE}"
!macroend

!macro ForgetCurrentSaver
  !if "${ARCH}" == "x86"
    ${IfNot} ${IsNT}
      DeleteINIStr "$WINDIR\system.ini" "boot" "SCRNSAVE.EXE"
    ${EndIf}
  !endif
  !insertmacro DeleteDesktopValue "SCRNSAVE.EXE"
!macroend

; Functions both the setup and the uninstaller call (the uninstaller's carry
; the un. prefix).
!macro DesktopUserFunctions UN
  ; Sets DesktopSid: the user of this session, as the system names it, looked
  ; up; only a hive that is loaded is theirs to change.
  Function ${UN}FindDesktopUser
    StrCpy $DesktopSid ""
    ${IfNot} ${IsNT}
      StrCpy $DesktopSid "9x"
      Return
    ${EndIf}
    System::Call 'wtsapi32::WTSQuerySessionInformation(p 0, i -1, i ${WTS_USER_NAME}, *p .r1, *i .r2)i.r0'
    ${If} $0 == 0
      Return
    ${EndIf}
    System::Call 'kernel32::lstrcpyn(t .r3, p r1, i ${NSIS_MAX_STRLEN})'
    System::Call 'wtsapi32::WTSFreeMemory(p r1)'
    System::Call 'wtsapi32::WTSQuerySessionInformation(p 0, i -1, i ${WTS_DOMAIN_NAME}, *p .r1, *i .r2)i.r0'
    StrCpy $4 ""
    ${If} $0 != 0
      System::Call 'kernel32::lstrcpyn(t .r4, p r1, i ${NSIS_MAX_STRLEN})'
      System::Call 'wtsapi32::WTSFreeMemory(p r1)'
    ${EndIf}
    ${If} $3 == ""
      Return
    ${EndIf}
    ${If} $4 != ""
      StrCpy $3 "$4\$3"
    ${EndIf}
    System::Alloc ${SID_BYTES}
    Pop $5
    System::Call 'advapi32::LookupAccountName(p 0, t r3, p r5, *i ${SID_BYTES}, t .r6, *i ${NSIS_MAX_STRLEN}, *i .r7)i.r0'
    ${If} $0 != 0
      System::Call 'advapi32::ConvertSidToStringSid(p r5, *p .r1)i.r0'
    ${EndIf}
    System::Free $5
    ${If} $0 == 0
      Return
    ${EndIf}
    System::Call 'kernel32::lstrcpyn(t .r6, p r1, i ${NSIS_MAX_STRLEN})'
    System::Call 'kernel32::LocalFree(p r1)'
    ClearErrors
    EnumRegKey $7 HKU "$6" 0
    ${IfNot} ${Errors}
      StrCpy $DesktopSid $6
    ${EndIf}
  FunctionEnd

  ; Sets WasCurrent. Both sides are made short paths so any spelling of our
  ; file matches.
  Function ${UN}FindWhetherOursIsCurrent
    StrCpy $WasCurrent 0
    !insertmacro ReadCurrentSaver $0
    ${If} $0 == ""
      Return
    ${EndIf}
    GetFullPathName /SHORT $1 "$0"
    GetFullPathName /SHORT $2 "$SYSDIR\${SCR}"
    ${If} $1 != ""
    ${AndIf} $1 == $2
      StrCpy $WasCurrent 1
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro DesktopUserFunctions ""
!insertmacro DesktopUserFunctions "un."

; A Morvelux.scr in use (the Screen Saver settings run it for their preview)
; cannot be replaced: then nothing at all is changed, rather than the new
; version recorded over the old file.
Section "${PRODUCT} screen saver" SecSaver
  SectionIn RO
  SetOutPath "$SYSDIR"
  SetOverwrite try
  put_saver:
  ClearErrors
  File "/oname=${SCR}" "${PAYLOAD}"
  ${If} ${Errors}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$SYSDIR\${SCR} is in use, so it cannot be replaced.$\r$\n$\r$\n\
      Close the Screen Saver settings (they run it for their preview) and choose Retry. \
      Cancel leaves everything as it was." /SD IDCANCEL IDRETRY put_saver
    SetErrorLevel ${EXIT_IN_USE}
    Abort "$SYSDIR\${SCR} is in use: nothing was changed."
  ${EndIf}
  SetOverwrite on
  Call KeepSaverAtRestart
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  SetShellVarContext all
  CreateShortCut "${SHORTCUT}" "$SYSDIR\${SCR}" "/s" "$SYSDIR\${SCR}" 0 SW_SHOWNORMAL "" \
    "Show the ${PRODUCT} screen saver now"
  Call RegisterUninstaller
SectionEnd

; When MORVELUX is the current saver already (an upgrade, or installed once
; more) the user's setting of savers on or off stays as it is.
Section "Make ${PRODUCT} the current screen saver" SecCurrent
  ${If} $WasCurrent == 1
    Return
  ${EndIf}
  ; The short path is the form the Screen Saver settings write themselves.
  GetFullPathName /SHORT $0 "$SYSDIR\${SCR}"
  !insertmacro WriteCurrentSaver "$0"
  !insertmacro WriteDesktopValue "ScreenSaveActive" "1"
  ; The session's setting too; only on Windows 95, 98 and Me is the profile
  ; the system would store it in the desktop user's own.
  ${If} $DesktopSid == "9x"
    System::Call "user32::SystemParametersInfo(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_STORE_AND_ANNOUNCE})"
  ${Else}
    System::Call "user32::SystemParametersInfo(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_SENDCHANGE})"
  ${EndIf}
SectionEnd

; The finish page's options; a silent install shows no page and runs nothing.
Function OpenScreenSaverSettings
  ${If} ${AtLeastWinVista}
    Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
  ${Else}
    Exec '"$SYSDIR\control.exe" desk.cpl,,1'
  ${EndIf}
FunctionEnd

Function PreviewNow
  Exec '"$SYSDIR\${SCR}" /s'
FunctionEnd

; PendingFileRenameOperations holds pairs of names, source then destination
; (empty: delete). An uninstall over Morvelux.scr in use leaves such a delete;
; installed again before Windows restarts, the new file must not go with it.
; Every other pair stays as it was.
Function KeepSaverAtRestart
  System::Call 'advapi32::RegOpenKeyEx(p ${HKEY_LOCAL_MACHINE}, t "${SESSION_MANAGER_KEY}", i 0, \
    i ${KEY_QUERY_AND_SET_VALUE}, *p .r9)i.r0'
  ${If} $0 != 0
    Return
  ${EndIf}
  System::Call 'advapi32::RegQueryValueEx(p r9, t "${PENDING_RENAMES}", p 0, *i .r1, p 0, *i .r2)i.r0'
  ${If} $0 == 0
  ${AndIf} $1 == ${REG_MULTI_SZ}
  ${AndIf} $2 > 0
    System::Alloc $2
    Pop $3          ; the value as it is
    System::Alloc $2
    Pop $4          ; the pairs kept (zeroed: the list's end is there)
    System::Call 'advapi32::RegQueryValueEx(p r9, t "${PENDING_RENAMES}", p 0, p 0, p r3, *i r2)i.r0'
    ${If} $0 == 0
      Call DropPendingRemovalsOfSaver
    ${EndIf}
    System::Free $4
    System::Free $3
  ${EndIf}
  System::Call 'advapi32::RegCloseKey(p r9)'
FunctionEnd

; With the key open in $9, the value's $2 bytes at $3 and as many zeroed at $4.
Function DropPendingRemovalsOfSaver
  StrCpy $5 0    ; where the next pair starts, in bytes
  StrCpy $6 0    ; bytes kept
  StrCpy $7 0    ; pairs dropped
  ${Do}
    IntOp $0 $5 + ${NSIS_CHAR_SIZE}
    ${If} $0 > $2
      ${ExitDo}
    ${EndIf}
    IntPtrOp $0 $3 + $5
    System::Call 'kernel32::lstrlen(p r0)i.r1'
    ${If} $1 == 0
      ${ExitDo}
    ${EndIf}
    System::Call 'kernel32::lstrcpyn(t .r8, p r0, i ${NSIS_MAX_STRLEN})'
    IntOp $1 $1 + 1
    IntOp $1 $1 * ${NSIS_CHAR_SIZE}
    IntPtrOp $0 $0 + $1
    System::Call 'kernel32::lstrlen(p r0)i.r0'
    IntOp $0 $0 + 1
    IntOp $0 $0 * ${NSIS_CHAR_SIZE}
    IntOp $1 $1 + $0   ; the pair's bytes
    ${If} $8 == "\??\$SYSDIR\${SCR}"
      IntOp $7 $7 + 1
    ${Else}
      IntPtrOp $0 $4 + $6
      IntPtrOp $8 $3 + $5
      System::Call 'kernel32::RtlMoveMemory(p r0, p r8, p r1)'
      IntOp $6 $6 + $1
    ${EndIf}
    IntOp $5 $5 + $1
  ${Loop}
  ${If} $7 == 0
    Return
  ${ElseIf} $6 == 0
    System::Call 'advapi32::RegDeleteValue(p r9, t "${PENDING_RENAMES}")'
  ${Else}
    IntOp $6 $6 + ${NSIS_CHAR_SIZE}
    System::Call 'advapi32::RegSetValueEx(p r9, t "${PENDING_RENAMES}", i 0, i ${REG_MULTI_SZ}, p r4, i r6)'
  ${EndIf}
FunctionEnd

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

; The Windows Installer package's MORVELUX owns the same file, and one file
; has one owner: with the package installed the setup changes nothing and
; names the entry to remove. Windows without Windows Installer has no package.
!macro RefuseBesideThePackage
  System::Call 'kernel32::LoadLibrary(t "$SYSDIR\msi.dll")p.r9'
  ${If} $9 != 0
    !insertmacro RefuseIfPackageInstalled "${MSI_UPGRADE_X64}"
    !insertmacro RefuseIfPackageInstalled "${MSI_UPGRADE_X86}"
  ${EndIf}
!macroend

!macro RefuseIfPackageInstalled UPGRADE_CODE
  System::Call 'msi::MsiEnumRelatedProducts(t "${UPGRADE_CODE}", i 0, i 0, t .r1)i.r0'
  ${If} $0 == 0
    StrCpy $2 ""
    System::Call 'msi::MsiGetProductInfo(t r1, t "VersionString", t .r2, *i ${NSIS_MAX_STRLEN})'
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} $2 is installed already, from its Windows Installer package \
      (${PRODUCT} in Apps & features, product code $1).$\r$\n$\r$\n\
      One of the two keeps ${SCR}, so this setup program changes nothing. Remove that entry first, \
      or ask your administrator." /SD IDOK
    SetErrorLevel ${EXIT_PACKAGE_INSTALLED}
    Quit
  ${EndIf}
!macroend

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
  !insertmacro RefuseBesideThePackage
  !insertmacro RefuseUnlessSystemFolderWritable
  Call FindDesktopUser
  Call FindWhetherOursIsCurrent
  ClearErrors
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ${IfNot} ${Errors}
    StrCpy $Upgrade 1
  ${EndIf}
  ; An upgrade keeps the saver the user has chosen since, or none: the option
  ; starts ticked only while MORVELUX is still theirs. With no desktop user
  ; found there is no one to choose it for.
  ${If} $Upgrade == 1
  ${AndIf} $WasCurrent != 1
    !insertmacro UnselectSection ${SecCurrent}
  ${EndIf}
  StrCpy $FinishText "${PRODUCT} ${VERSION} is installed.$\r$\n$\r$\nThe Screen Saver settings show it at work \
    in their preview, and there you can choose it and its waiting time."
  ${If} $DesktopSid == ""
    !insertmacro UnselectSection ${SecCurrent}
    !insertmacro SetSectionFlag ${SecCurrent} ${SF_RO}
    StrCpy $FinishText "${PRODUCT} ${VERSION} is installed. Setup could not tell which account uses this \
      desktop, so it chose no screen saver: choose ${PRODUCT} in the Screen Saver settings."
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro RefuseUnlessSystemFolderWritable
  Call un.FindDesktopUser
FunctionEnd

; While Morvelux.scr is in use it goes when Windows restarts, and the
; uninstaller says so; until then MORVELUX stays listed, with its uninstaller,
; so no entry is lost while the file is still there.
Section Uninstall
  Call un.ForgetCurrentSaverIfOurs
  SetShellVarContext all
  Delete "${SHORTCUT}"
  ; The saver makes this key for each user who runs it; it stays if it holds anything.
  ${If} $DesktopSid == "9x"
    DeleteRegKey /ifempty HKCU "${SETTINGS_KEY}"
  ${ElseIf} $DesktopSid != ""
    DeleteRegKey /ifempty HKU "$DesktopSid\${SETTINGS_KEY}"
  ${EndIf}
  ClearErrors
  Delete "$SYSDIR\${SCR}"
  ${If} ${Errors}
    Call un.RemoveAtRestart
    Return
  ${EndIf}
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Function un.RemoveAtRestart
  ClearErrors
  Delete /REBOOTOK "$SYSDIR\${SCR}"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$SYSDIR\${SCR} is in use and cannot be removed.$\r$\n$\r$\n\
      Close the Screen Saver settings and uninstall ${PRODUCT} again." /SD IDOK
    SetErrorLevel ${EXIT_IN_USE}
    Return
  ${EndIf}
  MessageBox MB_OK|MB_ICONINFORMATION "$SYSDIR\${SCR} is in use (the Screen Saver settings run it for their \
    preview). It will be removed when Windows restarts.$\r$\n$\r$\n\
    Until then ${PRODUCT} stays in the list of installed programs; uninstall it once more after the restart \
    to take it off." /SD IDOK
  SetErrorLevel ${EXIT_REBOOT_REQUIRED}
FunctionEnd

; Only the saver setting goes: the timeout and the password setting are the user's.
Function un.ForgetCurrentSaverIfOurs
  Call un.FindWhetherOursIsCurrent
  ${If} $WasCurrent == 1
    !insertmacro ForgetCurrentSaver
  ${EndIf}
FunctionEnd
