; The Windows installer of ｳﾞｪﾙﾓﾗ (uPVelmora), built by scripts/package-windows
; with makensis:
;   makensis -DVERSION=1.0.0 -DSOURCE=<installed program> -DICON=<.ico> -DOUTFILE=<setup.exe> installer.nsi
; It installs the program, its DLLs and Qt's licence texts under Program
; Files with an uninstaller, and a Start-menu shortcut ｳﾞｪﾙﾓﾗ to the launcher
; uPVelmora-start.exe, which works in the user's %APPDATA%\uPVelmora and puts
; the starter configuration file there when none is there.  The stand-in
; tools are not part of it.  Start at login is a choice, off by default; a
; silent install takes it with /AUTOSTART=1 (setup.exe /S /AUTOSTART=1).
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef SOURCE
  !error "SOURCE (the installed program's folder) is not defined"
!endif
!ifndef OUTFILE
  !define OUTFILE "uPVelmora-${VERSION}-setup.exe"
!endif

; With -DSIGN=<scripts/sign-windows> the uninstaller is signed as it is
; written into the installer; scripts/package-windows signs the installer.
!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"'
!endif

!define PRODUCT "ｳﾞｪﾙﾓﾗ"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\uPVelmora"

Name "${PRODUCT} (uPVelmora) ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\uPVelmora"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT} (uPVelmora)"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} (uPVelmora) のｲﾝｽﾄｰﾙ"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Copyright (C) 2026 ｳﾞｪﾙﾓﾗ 開発チーム. All rights reserved."

!ifndef ICON
  !error "ICON is not defined"
!endif
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Function un.onInit
  SetRegView 64
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File /r "${SOURCE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The shortcut's target works in %APPDATA%\uPVelmora of whoever starts it.
  SetShellVarContext all
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\uPVelmora-start.exe" "" "$INSTDIR\uPVelmora.exe" 0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} (uPVelmora)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "ｳﾞｪﾙﾓﾗ 開発チーム"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\uPVelmora.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; A reminder program that is not running announces nothing: started at
; login when the operator wants it, from the Startup folder of the user who
; installs.
Section /o "ﾛｸﾞｲﾝ時に起動する" SecAutostart
  SetShellVarContext current
  CreateShortCut "$SMSTARTUP\${PRODUCT}.lnk" "$INSTDIR\uPVelmora-start.exe" "" "$INSTDIR\uPVelmora.exe" 0
SectionEnd

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} は 64 ﾋﾞｯﾄ版 Windows 用です。"
    Abort
  ${EndIf}
  SetRegView 64
  ; /AUTOSTART=1 ticks the start at login (the page shows it ticked).
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AUTOSTART=" $R1
  ${IfNot} ${Errors}
  ${AndIf} $R1 == "1"
    !insertmacro SelectSection ${SecAutostart}
  ${EndIf}
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "${PRODUCT} 本体と Qt のﾗｲﾌﾞﾗﾘ"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutostart} "ﾛｸﾞｲﾝ時に ${PRODUCT} を起動します (ｽﾀｰﾄｱｯﾌﾟ ﾌｫﾙﾀﾞのｼｮｰﾄｶｯﾄ)。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Everything of the program goes; the users' configuration folders
; (%APPDATA%\uPVelmora) stay.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  SetShellVarContext current
  Delete "$SMSTARTUP\${PRODUCT}.lnk"
  RMDir /r "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
