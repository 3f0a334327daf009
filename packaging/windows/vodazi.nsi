; The Windows installer: the program folder, the Start-menu entry "Calculate Vodazi" and an
; uninstaller that takes away exactly what was installed.
; makensis -DVERSION=x.y.z -DDIST=<installed folder> -DOUTFILE=<setup.exe> vodazi.nsi
; A 64-bit installer for the 64-bit program: it runs where the program runs, without a 32-bit layer.
Target amd64-unicode
!include x64.nsh

Name "Vodazi ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Vodazi"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vodazi"
!define SHORTCUT "$SMPROGRAMS\Calculate Vodazi.lnk"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Vodazi"
  SetOutPath "$INSTDIR"
  File "${DIST}/vodazi.exe"
  File "${DIST}/Qt6Core.dll"
  File "${DIST}/Qt6Gui.dll"
  File "${DIST}/Qt6Widgets.dll"
  File "${DIST}/libstdc++-6.dll"
  File "${DIST}/libgcc_s_seh-1.dll"
  File "${DIST}/libwinpthread-1.dll"
  File "${DIST}/LICENSE.txt"
  SetOutPath "$INSTDIR\platforms"
  File "${DIST}/platforms/qwindows.dll"
  SetOutPath "$INSTDIR\styles"
  File "${DIST}/styles/qwindowsvistastyle.dll"
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\vodazi.exe" "" "$INSTDIR\vodazi.exe" 0 SW_SHOWNORMAL "" "Calculate Vodazi"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Vodazi"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Vodazi"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vodazi.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Only the files the installer put there: a folder the user chose keeps whatever else it holds.
Section "Uninstall"
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\platforms\qwindows.dll"
  RMDir "$INSTDIR\platforms"
  Delete "$INSTDIR\styles\qwindowsvistastyle.dll"
  RMDir "$INSTDIR\styles"
  Delete "$INSTDIR\vodazi.exe"
  Delete "$INSTDIR\Qt6Core.dll"
  Delete "$INSTDIR\Qt6Gui.dll"
  Delete "$INSTDIR\Qt6Widgets.dll"
  Delete "$INSTDIR\libstdc++-6.dll"
  Delete "$INSTDIR\libgcc_s_seh-1.dll"
  Delete "$INSTDIR\libwinpthread-1.dll"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
