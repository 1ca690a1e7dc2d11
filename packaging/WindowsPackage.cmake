# The console for Windows users: zentor.exe and zentor-cli.exe in one folder with every DLL they
# and the windows platform plugin load (Qt and the MinGW runtime; Windows' own DLLs excepted),
# as a zip to unpack anywhere and an installer with a Start-menu entry and an uninstaller.
# Qt finds the plugin in platforms/ beside the programs. The console draws with Qt's own Fusion
# style, so no style plugin is needed.
install(TARGETS zentor zentor-cli RUNTIME DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)

# The folders the DLLs come from: Qt's bin/, and the compiler's runtime (libstdc++-6,
# libgcc_s_seh-1, libwinpthread-1), which MinGW-w64 on Debian keeps in two folders and a MinGW
# on Windows beside the compiler.
set(ZENTOR_DLL_DIRS)
foreach(dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(IS_ABSOLUTE "${found}" AND EXISTS "${found}")
    get_filename_component(found "${found}" REALPATH)
    get_filename_component(found "${found}" DIRECTORY)
    list(APPEND ZENTOR_DLL_DIRS ${found})
  endif()
endforeach()
get_filename_component(compiler_dir "${CMAKE_CXX_COMPILER}" DIRECTORY)
list(APPEND ZENTOR_DLL_DIRS ${compiler_dir})
list(REMOVE_DUPLICATES ZENTOR_DLL_DIRS)
install(CODE "
  set(ZENTOR_OBJDUMP \"${CMAKE_OBJDUMP}\")
  set(ZENTOR_STRIP \"${CMAKE_STRIP}\")
  set(ZENTOR_DLL_DIRS \"$<TARGET_FILE_DIR:Qt6::Core>;${ZENTOR_DLL_DIRS}\")
  set(ZENTOR_BINARIES \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/$<TARGET_FILE_NAME:zentor>;\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/$<TARGET_FILE_NAME:zentor-cli>;\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/platforms/$<TARGET_FILE_NAME:Qt6::QWindowsIntegrationPlugin>\")
  set(ZENTOR_DLL_DESTINATION \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")")
install(SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/InstallWindowsDlls.cmake)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_FILE_NAME zentor-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Zentor)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Zentor)
# The installer's name ends in -setup.exe (one setting for both generators otherwise).
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/WindowsCPackOptions.cmake.in
               ${CMAKE_CURRENT_BINARY_DIR}/WindowsCPackOptions.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/WindowsCPackOptions.cmake)

# The installer: Program Files\Zentor, the Start-menu folder Zentor with the entry "Zentor"
# (zentor.exe, shown with the program's own icon) and the uninstaller's entry, the
# uninstaller in Programs and Features with the console's icon. Its own icon is the console's.
set(CPACK_NSIS_PACKAGE_NAME Zentor)
set(CPACK_NSIS_DISPLAY_NAME Zentor)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_PACKAGE_EXECUTABLES zentor Zentor)
set(CPACK_NSIS_INSTALLED_ICON_NAME zentor.exe)
if(ZENTOR_ICO)
  set(CPACK_NSIS_MUI_ICON ${ZENTOR_ICO})
  set(CPACK_NSIS_MUI_UNIICON ${ZENTOR_ICO})
endif()
set(CPACK_NSIS_URL_INFO_ABOUT ${ZENTOR_WEB_URL})
set(CPACK_NSIS_CONTACT ${ZENTOR_SUPPORT_MAIL})
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MUI_FINISHPAGE_RUN zentor.exe)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
include(CPack)
