# The Windows installer (NSIS) and the portable zip: the programs, the
# picture module and the run-time files beside each other in one folder.
set(QUILLOX_WINDOWS_RUNTIME_DIR "" CACHE PATH
    "Folder of the Qt and MinGW DLLs and Qt plugin folders shipped beside the programs")

install(TARGETS quillox quillox-convert RUNTIME DESTINATION .)
install(TARGETS quillox-convert-images LIBRARY DESTINATION . RUNTIME DESTINATION .)
if(QUILLOX_WINDOWS_RUNTIME_DIR)
    install(DIRECTORY ${QUILLOX_WINDOWS_RUNTIME_DIR}/ DESTINATION .)
endif()

set(CPACK_PACKAGE_NAME Quillox)
set(CPACK_PACKAGE_VENDOR "The Quillox developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Sprite editor for Z80 calculator programmers")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quillox)
set(CPACK_PACKAGE_FILE_NAME Quillox-${PROJECT_VERSION}-windows-x64)
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_ZIP_COMPONENT_INSTALL OFF)

# The Start-menu entry, the uninstaller (CPack's default) and .spr files
# opened with Quillox.
set(CPACK_PACKAGE_EXECUTABLES quillox Quillox)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_DISPLAY_NAME Quillox)
set(CPACK_NSIS_PACKAGE_NAME Quillox)
set(CPACK_NSIS_INSTALLED_ICON_NAME quillox.exe)
set(CPACK_NSIS_URL_INFO_ABOUT ${QUILLOX_WEB_ADDRESS})
set(CPACK_NSIS_CONTACT ${QUILLOX_MAIL_ADDRESS})
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# A 64-bit installer, like the programs: it runs where they run.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
# CPack takes double quotes apart: NSIS's single quotes and backticks instead.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  WriteRegStr HKCR '.spr' '' 'Quillox.Sprite'
  WriteRegStr HKCR 'Quillox.Sprite' '' 'Quillox sprite'
  WriteRegStr HKCR 'Quillox.Sprite\DefaultIcon' '' '$INSTDIR\quillox.exe,0'
  WriteRegStr HKCR 'Quillox.Sprite\shell\open\command' '' '$\"$INSTDIR\quillox.exe$\" $\"%1$\"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, i 0, i 0)'
]=])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  ReadRegStr $0 HKCR '.spr' ''
  StrCmp $0 'Quillox.Sprite' 0 +2
    DeleteRegKey HKCR '.spr'
  DeleteRegKey HKCR 'Quillox.Sprite'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, i 0, i 0)'
]=])
include(CPack)
