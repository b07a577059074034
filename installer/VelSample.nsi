; Installer example: how an installer ships VelUninstall.exe.
;
; It installs a sample VEL (a stand-in Vel.exe and a few files in nested
; folders, one of them read-only), writes "UnInstall.lst" naming exactly what
; it installed, creates the Start-menu group, and hands the registration to
; VelUninstall.exe: "register <group>" writes the Add/Remove Programs entry
; whose uninstall command is VelUninstall.exe itself, so this installer writes
; no uninstaller of its own. "arc" associates the archive types.
;
; Built by CMake (target "installer"):
;   makensis -DVERSION=1.0.0 -DPRODUCT=<VelUninstall.exe> -DSAMPLE_VEL=<Vel.exe>
;            -DOUTFILE=<VelSampleSetup.exe> VelSample.nsi
; Silent install: VelSampleSetup.exe /S [/D=<program directory>]
; Exit codes: 0 installed, 1 cancelled, 2 stopped by a failed step (the step's
; message is in the details, in %TEMP%\VelSampleSetup.err and, without /S, in a
; message box).

!macro Require NAME
  !ifndef ${NAME}
    !error "makensis -D${NAME}=... is missing"
  !endif
!macroend
!insertmacro Require VERSION
!insertmacro Require PRODUCT
!insertmacro Require SAMPLE_VEL
!insertmacro Require OUTFILE
!include LogicLib.nsh
!include WinVer.nsh

!define GROUP "Vel"
!define ARP_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VEL manager"

!ifdef AMD64
  Target amd64-unicode       ; the 64-bit test build, for machines that run no 32-bit code
!else
  Unicode false              ; the product is an ANSI program; so are its paths
!endif
SetCompressor /SOLID lzma
SetDateSave off              ; no file dates of the build machine in the installer
Name "VEL file manager (sample)"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Vel"
RequestExecutionLevel admin  ; Program Files and HKEY_LOCAL_MACHINE
ShowInstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "VEL file manager (sample)"
VIAddVersionKey "FileDescription" "Installer example of VelUninstall"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "An example for integrators: copy freely"

Page components
Page directory
Page instfiles

Var List   ; the open "UnInstall.lst"

; Stops the installation with a message that names the failed step. A silent
; install shows no message, so the text also goes to %TEMP%\VelSampleSetup.err.
!macro Fail TEXT
  DetailPrint "${TEXT}"
  FileOpen $R9 "$TEMP\VelSampleSetup.err" w
  FileWrite $R9 "${TEXT}$\r$\n"
  FileClose $R9
  MessageBox MB_OK|MB_ICONSTOP "${TEXT}" /SD IDOK
  Abort "${TEXT}"
!macroend

; Writes one file of the installation, REL being its path relative to the
; program directory (with backslashes).
!macro Put SOURCE REL
  ClearErrors
  File "/oname=$INSTDIR\${REL}" "${SOURCE}"
  ${If} ${Errors}
    !insertmacro Fail "Cannot write $INSTDIR\${REL}"
  ${EndIf}
!macroend

; Writes one file and lists it.
!macro Install SOURCE REL
  !insertmacro Put "${SOURCE}" "${REL}"
  !insertmacro List "${REL}"
!macroend

; Lists an entry that File did not write: a folder (removed once empty, in
; whatever order the lines come) or a file that another program makes.
!macro List REL
  FileWrite $List "${REL}$\r$\n"
!macroend

Section "VEL file manager" SecVel
  SectionIn RO
  SetOutPath "$INSTDIR"
  ClearErrors
  FileOpen $List "$INSTDIR\UnInstall.lst" w
  ${If} ${Errors}
    !insertmacro Fail "Cannot write $INSTDIR\UnInstall.lst"
  ${EndIf}

  ; Every file and folder goes into the list, except VelUninstall.exe and the
  ; list itself: the uninstall deletes both on its own.
  !insertmacro Put "${PRODUCT}" "VelUninstall.exe"
  !insertmacro Install "${SAMPLE_VEL}" "Vel.exe"
  !insertmacro Install "sample\ReadMe.txt" "ReadMe.txt"
  SetFileAttributes "$INSTDIR\ReadMe.txt" READONLY
  CreateDirectory "$INSTDIR\Docs\Keys"
  CreateDirectory "$INSTDIR\Plugins\FTP"
  !insertmacro Install "sample\Docs\Manual.txt" "Docs\Manual.txt"
  !insertmacro Install "sample\Docs\Keys\Keyboard.txt" "Docs\Keys\Keyboard.txt"
  !insertmacro Install "sample\Plugins\FTP\FTP.ini" "Plugins\FTP\FTP.ini"
  !insertmacro List "Docs\Keys"
  !insertmacro List "Docs"
  !insertmacro List "Plugins\FTP"
  !insertmacro List "Plugins"
  ; On Windows 95/98/Me "register" adds the launcher and its marker file.
  ${If} ${AtMostWinME}
    !insertmacro List "Vel.bat"
    !insertmacro List "$$UseBat.$$$$$$"
  ${EndIf}
  FileClose $List

  ; The group of the current user's Programs folder: the uninstall finds it by
  ; the name given to "register".
  SetShellVarContext current
  CreateDirectory "$SMPROGRAMS\${GROUP}"
  CreateShortcut "$SMPROGRAMS\${GROUP}\Vel.lnk" "$INSTDIR\Vel.exe"
  CreateShortcut "$SMPROGRAMS\${GROUP}\Uninstall Vel.lnk" "$INSTDIR\VelUninstall.exe"

  ; "register" ends with 1 when it could not create the Add/Remove Programs
  ; entry (no rights on HKEY_LOCAL_MACHINE): the product could then never be
  ; removed. The entry must also name this installation's VelUninstall.exe.
  ClearErrors
  ExecWait '"$INSTDIR\VelUninstall.exe" register ${GROUP}' $0
  ${If} ${Errors}
    !insertmacro Fail "Cannot run $INSTDIR\VelUninstall.exe register ${GROUP}"
  ${ElseIf} $0 != 0
    !insertmacro Fail "VelUninstall.exe register ${GROUP} could not create the Add/Remove Programs entry (exit code $0)"
  ${EndIf}
  ReadRegStr $0 HKLM "${ARP_KEY}" "UninstallString"
  ; Quoted when the path holds a blank, so that the system's process start
  ; cannot take "C:\Program.exe" for it.
  ${If} $0 != '"$INSTDIR\VelUninstall.exe"'
  ${AndIf} $0 != "$INSTDIR\VelUninstall.exe"
    !insertmacro Fail "VelUninstall.exe register ${GROUP} wrote no Add/Remove Programs entry for $INSTDIR"
  ${EndIf}
SectionEnd

Section "Open archives with VEL" SecArc
  ClearErrors
  ExecWait '"$INSTDIR\VelUninstall.exe" arc'
  ${If} ${Errors}
    !insertmacro Fail "Cannot run $INSTDIR\VelUninstall.exe arc"
  ${EndIf}
SectionEnd
