; The Windows installer of Brikmux (NSIS). scripts/package-windows runs makensis with:
;   VERSION  the program's version
;   STAGE    the folder of the unpacked ZIP, which is what gets installed
;   ICON     the program icon (.ico)
;   FILES    an include that installs STAGE's files, and UNFILES one that removes them
;   OUTFILE  the installer to write
; Installs for the current user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Brikmux; /S installs silently, and the uninstaller takes /S too.

; A 64-bit installer, for the 64-bit programs it installs.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"

!define PRODUCT "Brikmux"
!define PROGID "Brikmux.LDrawModel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brikmux"
!define SHCNE_ASSOCCHANGED 0x08000000

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Brikmux"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "Brikmux ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "The Brikmux team"
VIAddVersionKey "LegalCopyright" "MIT licence, the Brikmux team"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\brikmux.exe"
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; "Open with Brikmux" on a model file: a verb of its own, so the type's default program stays
; whatever it was (.dat is a name many programs use), and Brikmux among the "Open with" choices.
!macro Associate EXT
    WriteRegStr HKCU "Software\Classes\SystemFileAssociations\${EXT}\shell\Brikmux" "" "Open with Brikmux"
    WriteRegStr HKCU "Software\Classes\SystemFileAssociations\${EXT}\shell\Brikmux" "Icon" "$INSTDIR\brikmux.exe,0"
    WriteRegStr HKCU "Software\Classes\SystemFileAssociations\${EXT}\shell\Brikmux\command" "" '"$INSTDIR\brikmux.exe" "%1"'
    WriteRegStr HKCU "Software\Classes\${EXT}\OpenWithProgids" "${PROGID}" ""
    WriteRegStr HKCU "Software\Classes\Applications\brikmux.exe\SupportedTypes" "${EXT}" ""
!macroend

!macro Dissociate EXT
    DeleteRegKey HKCU "Software\Classes\SystemFileAssociations\${EXT}\shell\Brikmux"
    DeleteRegValue HKCU "Software\Classes\${EXT}\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty HKCU "Software\Classes\${EXT}\OpenWithProgids"
    DeleteRegKey /ifempty HKCU "Software\Classes\${EXT}"
!macroend

Section "Brikmux"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    !include "${FILES}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateShortCut "$SMPROGRAMS\Brikmux.lnk" "$INSTDIR\brikmux.exe" "" "$INSTDIR\brikmux.exe" 0

    WriteRegStr HKCU "Software\Classes\${PROGID}" "" "LDraw model"
    WriteRegStr HKCU "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\brikmux.exe,0"
    WriteRegStr HKCU "Software\Classes\${PROGID}\shell\open" "FriendlyAppName" "Brikmux"
    WriteRegStr HKCU "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\brikmux.exe" "%1"'
    WriteRegStr HKCU "Software\Classes\Applications\brikmux.exe" "FriendlyAppName" "Brikmux"
    WriteRegStr HKCU "Software\Classes\Applications\brikmux.exe\shell\open\command" "" '"$INSTDIR\brikmux.exe" "%1"'
    !insertmacro Associate ".mpd"
    !insertmacro Associate ".ldr"
    !insertmacro Associate ".dat"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Brikmux"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Brikmux team"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\brikmux.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd

; Removes what the installer put in place; the settings (HKCU\Software\Brikmux) stay.
Section "Uninstall"
    SetShellVarContext current
    !include "${UNFILES}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\Brikmux.lnk"
    !insertmacro Dissociate ".mpd"
    !insertmacro Dissociate ".ldr"
    !insertmacro Dissociate ".dat"
    DeleteRegKey HKCU "Software\Classes\${PROGID}"
    DeleteRegKey HKCU "Software\Classes\Applications\brikmux.exe"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"

    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd
