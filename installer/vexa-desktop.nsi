; The setup program of Vexa Desktop: a per-user install (no administrator
; rights) of VD.exe and Pelorin.exe, with a Start-menu shortcut, Explorer
; commands that hand pictures, folders and list files to VD through Pelorin,
; an entry in the list of installed programs, and an uninstaller.
;
; Built by scripts/package:
;   makensis -DBINDIR=<folder of VD.exe and Pelorin.exe> -DREADME=<read-me>
;            -DOUTFILE=<setup.exe> installer/vexa-desktop.nsi

Unicode true
Target amd64-unicode  ; the programs are 64-bit, so is their setup
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!ifndef BINDIR
  !error "BINDIR must be defined"
!endif
!ifndef README
  !error "README must be defined"
!endif
!ifndef OUTFILE
  !error "OUTFILE must be defined"
!endif

; The version shown in the list of installed programs is VD.exe's own.
!getdllversion "${BINDIR}\VD.exe" VDVER_
!define VERSION "${VDVER_1}.${VDVER_2}.${VDVER_3}"

!define PRODUCT "Vexa Desktop"
!define PUBLISHER "Tobrel's"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vexa Desktop"
!define SETTINGS_KEY "SOFTWARE\Tobrel's\Vexa Desktop"
!define RUN_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
!define CLASSES "Software\Classes"
!define LIST_PROGID "VexaDesktop.List"
!define PICTURE_VERB "VexaDesktop.Add"
!define FOLDER_VERB "VexaDesktop.AddFolder"
!define LIST_ICON_ID "-201"  ; the list-file icon in VD.exe, by resource id
!define ENDSESSION_CLOSEAPP 0x00000001
!define SHCNE_ASSOCCHANGED 0x08000000

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VDVER_1}.${VDVER_2}.${VDVER_3}.${VDVER_4}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}. All rights reserved."

!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\VD.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var WasRunning

; A running VD holds its files open. It is asked to end as the system asks a
; program at logoff (it saves nothing then: its list is saved after every
; change); one that does not end within 15 s is left alone and the user is
; told to exit it. Nothing has been replaced or removed by then.
; who: the program that closes it, as the message names it.
!macro CLOSE_RUNNING_VD prefix who
Function ${prefix}CloseRunningVD
  StrCpy $WasRunning 0
  FindWindow $0 "ThunderRT6FormDC" "${PRODUCT}"
  ${If} $0 == 0
    Return
  ${EndIf}
  StrCpy $WasRunning 1
  MessageBox MB_OKCANCEL|MB_ICONINFORMATION "${PRODUCT} is running. ${who} will close it before it goes on." \
    /SD IDOK IDOK ask
  Abort
ask:
  StrCpy $2 0  ; quarter seconds waited
  StrCpy $4 0  ; the process of the window asked last
  ${Do}
    FindWindow $0 "ThunderRT6FormDC" "${PRODUCT}"
    ${If} $0 == 0
      ; The window goes first, the process (and its hold on the files) a moment later.
      ${If} $4 != 0
        System::Call 'kernel32::WaitForSingleObject(p r4, i 10000)'
        System::Call 'kernel32::CloseHandle(p r4)'
      ${EndIf}
      Return
    ${EndIf}
    ${If} $2 == 0
      ${If} $4 != 0
        System::Call 'kernel32::CloseHandle(p r4)'
      ${EndIf}
      System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r3)'
      System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r3) p .r4'  ; SYNCHRONIZE
      ; A copy that refuses is not forced: the user is asked to exit it.
      SendMessage $0 ${WM_QUERYENDSESSION} 0 ${ENDSESSION_CLOSEAPP} $1 /TIMEOUT=5000
      ${If} $1 != 0
        SendMessage $0 ${WM_ENDSESSION} 1 ${ENDSESSION_CLOSEAPP} $1 /TIMEOUT=5000
      ${EndIf}
    ${EndIf}
    Sleep 250
    IntOp $2 $2 + 1
    ${If} $2 >= 60
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "${PRODUCT} could not be closed.$\r$\nPlease exit it (tray icon menu, Exit), then click Retry." \
        /SD IDCANCEL IDRETRY retry
      SetErrorLevel 2
      Quit
    retry:
      StrCpy $2 0
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_VD "" "Setup"
!insertmacro CLOSE_RUNNING_VD "un." "The uninstaller"

; A file VD writes, with the scratch names it writes it under first (the
; first letter of the name becomes ~ or _) and the backup name the system
; may leave while it replaces it (# or $).
!macro DELETE_WITH_SCRATCH folder first rest
  Delete "${folder}\${first}${rest}"
  Delete "${folder}\~${rest}"
  Delete "${folder}\_${rest}"
  Delete "${folder}\#${rest}"
  Delete "${folder}\$$${rest}"
!macroend

; One Explorer command: <key>\shell\<verb> with its caption and command line.
!macro VERB key verb caption option
  WriteRegStr HKCU "${CLASSES}\${key}\shell\${verb}" "" "${caption}"
  WriteRegStr HKCU "${CLASSES}\${key}\shell\${verb}\command" "" '"$INSTDIR\Pelorin.exe" ${option} "%1"'
!macroend

!macro PICTURE_TYPE ext
  !insertmacro VERB "SystemFileAssociations\${ext}" "${PICTURE_VERB}" "Add to ${PRODUCT}" "-i"
!macroend

!macro REMOVE_PICTURE_TYPE ext
  DeleteRegKey HKCU "${CLASSES}\SystemFileAssociations\${ext}\shell\${PICTURE_VERB}"
  DeleteRegKey /ifempty HKCU "${CLASSES}\SystemFileAssociations\${ext}\shell"
  DeleteRegKey /ifempty HKCU "${CLASSES}\SystemFileAssociations\${ext}"
!macroend

!macro FOR_PICTURE_TYPES macro
  !insertmacro ${macro} ".bmp"
  !insertmacro ${macro} ".dib"
  !insertmacro ${macro} ".jpg"
  !insertmacro ${macro} ".jpeg"
  !insertmacro ${macro} ".jpe"
  !insertmacro ${macro} ".jfif"
  !insertmacro ${macro} ".gif"
  !insertmacro ${macro} ".png"
  !insertmacro ${macro} ".tif"
  !insertmacro ${macro} ".tiff"
!macroend

Section "Install"
  Call CloseRunningVD

  SetOutPath "$INSTDIR"
  SetOverwrite on
  AllowSkipFiles off  ; a file that cannot be replaced stops the install
  File "${BINDIR}\VD.exe"
  File "${BINDIR}\Pelorin.exe"
  File "/oname=Read me.txt" "${README}"
  SetOutPath "$INSTDIR\Softwares"
  File "${PAGE}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The shortcut starts VD in its own folder.
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\VD.exe" "" "$INSTDIR\VD.exe" 0 SW_SHOWNORMAL "" \
    "Changes the desktop wallpaper from a list of pictures"

  ; Explorer commands, for this user only.
  !insertmacro FOR_PICTURE_TYPES PICTURE_TYPE
  !insertmacro VERB "Directory" "${FOLDER_VERB}" "Add folder to ${PRODUCT}" "-n"
  WriteRegStr HKCU "${CLASSES}\.vdl" "" "${LIST_PROGID}"
  WriteRegStr HKCU "${CLASSES}\${LIST_PROGID}" "" "${PRODUCT} wallpaper list"
  WriteRegStr HKCU "${CLASSES}\${LIST_PROGID}\DefaultIcon" "" "$INSTDIR\VD.exe,${LIST_ICON_ID}"
  !insertmacro VERB "${LIST_PROGID}" "open" "Load in ${PRODUCT}" "-l"
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'

  ; The list of installed programs.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VD.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "VersionMajor" ${VDVER_1}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "VersionMinor" ${VDVER_2}
  SectionGetSize 0 $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; A VD that setup closed runs again, now the new one (the finish page
  ; offers that when setup is not silent).
  ${If} $WasRunning == 1
  ${AndIf} ${Silent}
    Exec '"$INSTDIR\VD.exe"'
  ${EndIf}
SectionEnd

Section "Uninstall"
  Call un.CloseRunningVD

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  !insertmacro FOR_PICTURE_TYPES REMOVE_PICTURE_TYPE
  DeleteRegKey /ifempty HKCU "${CLASSES}\SystemFileAssociations"
  DeleteRegKey HKCU "${CLASSES}\Directory\shell\${FOLDER_VERB}"
  DeleteRegKey /ifempty HKCU "${CLASSES}\Directory\shell"
  DeleteRegKey /ifempty HKCU "${CLASSES}\Directory"
  ; The list-file type goes only while it is still ours.
  ReadRegStr $0 HKCU "${CLASSES}\.vdl" ""
  ${If} $0 == "${LIST_PROGID}"
    DeleteRegKey HKCU "${CLASSES}\.vdl"
  ${EndIf}
  DeleteRegKey HKCU "${CLASSES}\${LIST_PROGID}"
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'

  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"  ; made for us alone

  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Do you also want to remove your ${PRODUCT} settings, its own list of pictures and its wallpaper?$\r$\nYour pictures and the lists you saved are kept either way." \
    /SD IDNO IDNO keep_settings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "SOFTWARE\${PUBLISHER}"
  ; The default list and its copy, the wallpaper bitmap, the log, and
  ; whatever an interrupted save left beside them.
  !insertmacro DELETE_WITH_SCRATCH "$TEMP" "V" "Desk.ini"
  !insertmacro DELETE_WITH_SCRATCH "$TEMP" "V" "exa Desktop.bmp"
  !insertmacro DELETE_WITH_SCRATCH "$LOCALAPPDATA\${PRODUCT}" "V" "Desk.ini"
  !insertmacro DELETE_WITH_SCRATCH "$LOCALAPPDATA\${PRODUCT}" "V" "D.log"
  !insertmacro DELETE_WITH_SCRATCH "$LOCALAPPDATA\${PRODUCT}" "H" "istory.txt"
  RMDir "$LOCALAPPDATA\${PRODUCT}"  ; only when empty
keep_settings:

  Delete "$INSTDIR\VD.exe"
  Delete "$INSTDIR\Pelorin.exe"
  Delete "$INSTDIR\Read me.txt"
  Delete "$INSTDIR\Softwares\VDesk.htm"
  RMDir "$INSTDIR\Softwares"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"  ; only when empty: files the user put there stay
SectionEnd
