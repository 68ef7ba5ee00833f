; Installer of Kestrilo for 64-bit Windows: the window and the command line
; under Program Files, a Start-menu entry, and an uninstaller listed in
; Programs and Features.
; A 64-bit installer, like the program it installs.
Target amd64-unicode

Name "Kestrilo"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kestrilo"
InstallDirRegKey HKLM "Software\Kestrilo" "InstallDir"
RequestExecutionLevel admin
Icon "${ICON}"
UninstallIcon "${ICON}"
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrilo"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Kestrilo"
  SetOutPath "$INSTDIR"
  File "/oname=kestrilo.exe" "${KESTRILO_EXE}"
  File "/oname=kestrilo-cli.exe" "${KESTRILO_CLI_EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\Kestrilo"
  CreateShortcut "$SMPROGRAMS\Kestrilo\Kestrilo.lnk" "$INSTDIR\kestrilo.exe"

  WriteRegStr HKLM "Software\Kestrilo" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Kestrilo"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kestrilo.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Kestrilo\Kestrilo.lnk"
  RMDir "$SMPROGRAMS\Kestrilo"
  Delete "$INSTDIR\kestrilo.exe"
  Delete "$INSTDIR\kestrilo-cli.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\Kestrilo"
SectionEnd
