# Windows: the programs and their documents in one folder, an installer made by NSIS (Start-menu
# entry with the icon, uninstaller, .ign files opening in qm17) and a portable zip.
# `cpack -G "NSIS64;ZIP"` in the build folder.
set(CPACK_GENERATOR "NSIS64;ZIP")
# Relative to the folder the user chooses, not under /usr as the Debian package.
set(CPACK_PACKAGING_INSTALL_PREFIX "")
set(CPACK_PACKAGE_INSTALL_DIRECTORY qm17)
set(CPACK_PACKAGE_FILE_NAME "qm17-${PROJECT_VERSION}-win64")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_EXECUTABLES qm17 qm17)
set(CPACK_NSIS_DISPLAY_NAME qm17)
set(CPACK_NSIS_PACKAGE_NAME "qm17 ${PROJECT_VERSION}")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# A 64-bit installer with Unicode strings, so that folder names keep their letters.
set(CPACK_NSIS_DEFINES "  Target amd64-unicode")
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/data/qm17.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/data/qm17.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME qm17.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# .ign files open in qm17; the uninstaller takes the association away again.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  WriteRegStr HKLM 'Software\Classes\.ign' '' 'qm17.ParameterSet'
  WriteRegStr HKLM 'Software\Classes\qm17.ParameterSet' '' 'qm17 parameter set'
  WriteRegStr HKLM 'Software\Classes\qm17.ParameterSet\DefaultIcon' '' '$INSTDIR\qm17.exe,0'
  WriteRegStr HKLM 'Software\Classes\qm17.ParameterSet\shell\open\command' '' '$\"$INSTDIR\qm17.exe$\" $\"%1$\"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, i 0, i 0)'
]=])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  ReadRegStr $0 HKLM 'Software\Classes\.ign' ''
  StrCmp $0 'qm17.ParameterSet' 0 +2
  DeleteRegKey HKLM 'Software\Classes\.ign'
  DeleteRegKey HKLM 'Software\Classes\qm17.ParameterSet'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, i 0, i 0)'
]=])
