; The per-user setup program of Marigoldwick. Built by the Windows build (cmake/Package.cmake):
;   makensis -DVERSION=1.05 -DVERSION_QUAD=1.5.0.0 -DCOMPANY=... -DCOPYRIGHT=...
;            -DBIN=<folder of the built files> -DOUTFILE=<setup.exe> marigoldwick.nsi
; It needs no administrator: the program, its help and readme go to the user's own
; programs folder, where mgoldwk.ini beside the program stays writable.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include LogicLib.nsh
!include WinMessages.nsh

!define EXE "mgoldwk.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Marigoldwick"
; Where the program's own "start with Windows" option keeps its value.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Marigoldwick"
!define SHORTCUT "$SMPROGRAMS\Marigoldwick.lnk"

; 1 once a running copy was ended: a silent upgrade starts the new one in its place.
Var EndedRunningCopy

Name "Marigoldwick ${VERSION}"
BrandingText "Marigoldwick ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Marigoldwick"
; An upgrade goes where the previous version lies.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion ${VERSION_QUAD}
VIFileVersion ${VERSION_QUAD}
VIAddVersionKey /LANG=1033 ProductName "Marigoldwick"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileDescription "Marigoldwick ${VERSION} setup"
VIAddVersionKey /LANG=1033 CompanyName "${COMPANY}"
VIAddVersionKey /LANG=1033 LegalCopyright "${COPYRIGHT}"

!define MUI_ICON "${__FILEDIR__}/../resources/icons/mainicon.ico"
!define MUI_UNICON "${__FILEDIR__}/../resources/icons/mainicon.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start Marigoldwick"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running Marigoldwick holds its files open. It is ended the way Windows ends it when
; the session ends: its windows are asked (WM_QUERYENDSESSION), told (WM_ENDSESSION), and
; the main window is closed, which it then does without questions; whatever it saved stays
; (edits it had not saved are kept beside it in mgoldwk.ini.unsaved and offered at its next start).
; Only a copy that does not end in time is terminated, as Windows would (exit code 1).
!macro CLOSE_RUNNING_COPY un
; Sends message $4 with wParam $5 to every top-level window of process $1. lParam 1 is
; ENDSESSION_CLOSEAPP: the session goes on, the program's files are to be replaced.
Function ${un}SendToWindowsOfProcess
  StrCpy $3 0
  ${Do}
    FindWindow $3 "" "" "" $3
    ${IfThen} $3 = 0 ${|} ${Break} ${|}
    System::Call "user32::GetWindowThreadProcessId(p r3, *i .r2)"
    ${If} $2 = $1
      SendMessage $3 $4 $5 1 /TIMEOUT=5000
    ${EndIf}
  ${Loop}
FunctionEnd

Function ${un}CloseRunningCopy
  FindWindow $0 "THaupt" "Marigoldwick"
  ${IfThen} $0 = 0 ${|} Return ${|}
  DetailPrint "Ending the running Marigoldwick"
  StrCpy $EndedRunningCopy 1
  System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
  ; SYNCHRONIZE | PROCESS_TERMINATE
  System::Call "kernel32::OpenProcess(i 0x00100001, i 0, i r1) p .r6"
  StrCpy $4 ${WM_QUERYENDSESSION}
  StrCpy $5 0
  Call ${un}SendToWindowsOfProcess
  StrCpy $4 ${WM_ENDSESSION}
  StrCpy $5 1
  Call ${un}SendToWindowsOfProcess
  SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
  ${If} $6 P<> 0
    System::Call "kernel32::WaitForSingleObject(p r6, i 10000) i .r3"
    ${If} $3 <> 0
      System::Call "kernel32::TerminateProcess(p r6, i 1)"
      System::Call "kernel32::WaitForSingleObject(p r6, i 5000)"
    ${EndIf}
    System::Call "kernel32::CloseHandle(p r6)"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPY ""
!insertmacro CLOSE_RUNNING_COPY "un."

; Adds the size in bytes of file $R0 to $R1; a missing file adds nothing.
Function AddFileSize
  ClearErrors
  FileOpen $R2 "$R0" r
  ${IfThen} ${Errors} ${|} Return ${|}
  FileSeek $R2 0 END $R3
  FileClose $R2
  IntOp $R1 $R1 + $R3
FunctionEnd

; The list of installed programs shows this: the files the setup put there, in
; kilobytes rounded up, without the user's menus.
!macro WRITE_ESTIMATED_SIZE
  StrCpy $R1 0
  !insertmacro ADD_FILE_SIZE "$INSTDIR\${EXE}"
  !insertmacro ADD_FILE_SIZE "$INSTDIR\mgoldwk.chm"
  !insertmacro ADD_FILE_SIZE "$INSTDIR\readme.txt"
  !insertmacro ADD_FILE_SIZE "$INSTDIR\${UNINSTALLER}"
  IntOp $R1 $R1 + 1023
  IntOp $R1 $R1 / 1024
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $R1
!macroend
!macro ADD_FILE_SIZE file
  StrCpy $R0 "${file}"
  Call AddFileSize
!macroend

Section "Marigoldwick"
  SectionIn RO
  Call CloseRunningCopy
  SetOutPath "$INSTDIR"
  ; mgoldwk.ini is not among these: an upgrade keeps the user's menus.
  File "${BIN}/${EXE}"
  File "${BIN}/mgoldwk.chm"
  File "${BIN}/readme.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortCut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 SW_SHOWNORMAL "" "Program launcher in the notification area"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Marigoldwick ${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  !insertmacro WRITE_ESTIMATED_SIZE
SectionEnd

; Whoever ran a silent upgrade did not ask for the program to go away: the copy it ended
; comes back (an interactive setup offers "Start Marigoldwick" on its last page instead).
Function .onInstSuccess
  ${If} ${Silent}
  ${AndIf} $EndedRunningCopy = 1
    Exec '"$INSTDIR\${EXE}"'
  ${EndIf}
FunctionEnd

Section "un.Marigoldwick"
  SectionIn RO
  Call un.CloseRunningCopy
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\mgoldwk.chm"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  Delete "${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ; Left in place while it still holds the user's menus.
  RMDir "$INSTDIR"
SectionEnd

; Off unless ticked, so a silent uninstall keeps the menus.
Section /o "un.Also remove my menus"
  Delete "$INSTDIR\mgoldwk.ini"
  Delete "$INSTDIR\mgoldwk.ini.unsaved"
  RMDir "$INSTDIR"
SectionEnd
