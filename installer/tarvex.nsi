; Setup program of the installation: installs the install folder laid out by
; tools/build/make_install.sh for the current user, adds a Start-menu shortcut to
; the launcher and an uninstaller that removes all of it again.
;
; makensis -DSOURCE_DIR=<install folder> -DSETUP_FILE=<setup .exe> tarvex.nsi
; (tools/build/make_installer.sh INSTALL_DIR SETUP_EXE runs it.)

!ifndef SOURCE_DIR
  !error "SOURCE_DIR must name the laid-out install folder"
!endif
!ifndef SETUP_FILE
  !error "SETUP_FILE must name the setup program to write"
!endif

Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define PRODUCT "Tarvex"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SHORTCUT_FOLDER "$SMPROGRAMS\${PRODUCT}"
!define UNINSTALLER "uninstall.exe"

Name "${PRODUCT}"
OutFile "${SETUP_FILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"

!include "MUI2.nsh"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; Every file of the install folder; the uninstaller removes the same list.
!macro INSTALLED_FILES ACTION
  ${ACTION} "tarvex.exe"
  ${ACTION} "vindra.exe"
  ${ACTION} "marlop.exe"
  ${ACTION} "qorvanet.ini"
  ${ACTION} "version.txt"
  ${ACTION} "M_BLOCK.dat"
  ${ACTION} "M_TOFUKEN.dat"
  ${ACTION} "M_CHITEN.dat"
  ${ACTION} "M_KISYU.dat"
  ${ACTION} "M_A_YEAR.dat"
  ${ACTION} "Chiten.csv"
  ${ACTION} "output.html"
  ${ACTION} "norda.html"
!macroend

!macro INSTALL_FILE NAME
  File "${SOURCE_DIR}/${NAME}"
!macroend
!define INSTALL_FILE "!insertmacro INSTALL_FILE"

!macro REMOVE_FILE NAME
  Delete "$INSTDIR\${NAME}"
!macroend
!define REMOVE_FILE "!insertmacro REMOVE_FILE"

Section "Install"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  !insertmacro INSTALLED_FILES "${INSTALL_FILE}"
  SetOutPath "$INSTDIR\doc"
  File "${SOURCE_DIR}/doc/Kaisetu.txt"

  ; The launcher starts the programs of its own folder; the shortcut's
  ; working folder is the install folder too.
  SetOutPath "$INSTDIR"
  CreateDirectory "${SHORTCUT_FOLDER}"
  CreateShortCut "${SHORTCUT_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\marlop.exe"

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\marlop.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes the shortcut and the uninstall entry, then what the setup
; installed and what the programs write beside themselves (the credentials
; file), and last the folders if nothing else is left in them: files the user
; put there stay. The install folder going away marks the end.
Section "Uninstall"
  SetShellVarContext current
  Delete "${SHORTCUT_FOLDER}\${PRODUCT}.lnk"
  RMDir "${SHORTCUT_FOLDER}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  !insertmacro INSTALLED_FILES "${REMOVE_FILE}"
  Delete "$INSTDIR\user_inf.txt"
  Delete "$INSTDIR\doc\Kaisetu.txt"
  RMDir "$INSTDIR\doc"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
SectionEnd
