; The Windows installer of ｳﾞｪﾙﾓﾗ (uPVelmora), built by scripts/package-windows
; with makensis:
;   makensis -DVERSION=1.0.0 -DSOURCE=<installed program> -DICON=<.ico> -DOUTFILE=<setup.exe>
;            -DFILES=<uninstall list> -DUPGRADE_CODE=<the MSI's UpgradeCode> installer.nsi
; It installs the program, its DLLs and Qt's licence texts under Program
; Files with an uninstaller, and a Start-menu shortcut ｳﾞｪﾙﾓﾗ to the launcher
; uPVelmora-start.exe, which works in the user's %APPDATA%\uPVelmora and puts
; the starter configuration file there when none is there (it is installed
; as uPVelmora.conf.example, a name the program never opens).  The stand-in
; tools are not part of it.  Start at login is a choice, off by default; a
; silent install takes it with /AUTOSTART=1 (setup.exe /S /AUTOSTART=1).
; It refuses to install where the MSI package has installed the program:
; the two would share one folder and neither would know of the other.
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
; The uninstaller's list: a Delete line for each file of SOURCE, then an
; RMDir line for each of its folders, deepest first (scripts/package-windows
; writes it).
!ifndef FILES
  !error "FILES (the list of installed files for the uninstaller) is not defined"
!endif
!ifndef UPGRADE_CODE
  !error "UPGRADE_CODE (the MSI package's UpgradeCode) is not defined"
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
  ; An earlier version put the starter file here under the name the program
  ; opens, where a program started on it could save nothing.  Kept aside
  ; (an administrator may have saved into it), never opened again.
  IfFileExists "$INSTDIR\uPVelmora.conf" 0 +2
    Rename "$INSTDIR\uPVelmora.conf" "$INSTDIR\uPVelmora.conf.old"
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
; login when the operator wants it.  From the Startup folder of all users,
; as the MSI does: the installing account is often an administrator's (an
; elevation over the operator's shoulder), not the operator's.
Section /o "ﾛｸﾞｲﾝ時に起動する" SecAutostart
  SetShellVarContext all
  CreateShortCut "$SMSTARTUP\${PRODUCT}.lnk" "$INSTDIR\uPVelmora-start.exe" "" "$INSTDIR\uPVelmora.exe" 0
SectionEnd

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} は 64 ﾋﾞｯﾄ版 Windows 用です。"
    Abort
  ${EndIf}
  SetRegView 64
  ; Not over an installation of the MSI package: found by its UpgradeCode,
  ; whatever its version.  A silent install ends with status 2.
  System::Call 'msi::MsiEnumRelatedProductsW(w "${UPGRADE_CODE}", i 0, i 0, w .r1) i .r0'
  ${If} $0 == 0
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} は MSI ﾊﾟｯｹｰｼﾞでｲﾝｽﾄｰﾙされています。$\nこの PC では MSI で更新するか、先にそれをｱﾝｲﾝｽﾄｰﾙしてください。" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
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
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutostart} "ﾛｸﾞｲﾝ時に ${PRODUCT} を起動します (すべてのﾕｰｻﾞｰのｽﾀｰﾄｱｯﾌﾟ ﾌｫﾙﾀﾞのｼｮｰﾄｶｯﾄ)。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Everything the installer put goes, file by file; the folder goes when
; nothing else is left in it (what others put there stays, and so do the
; users' configuration folders, %APPDATA%\uPVelmora).
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMSTARTUP\${PRODUCT}.lnk"
  ; Where earlier versions put the start at login.
  SetShellVarContext current
  Delete "$SMSTARTUP\${PRODUCT}.lnk"
  !include "${FILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
