# The tests of the Windows build run on this Debian machine under Wine: every test program
# through wine-run (written here), which gives Wine a prefix of its own inside the build, the
# folders of the Qt and MinGW runtime DLLs and Qt's plugins.
set(ZENTOR_QT_MINGW "" CACHE PATH "Qt for MinGW (the folder holding bin/, lib/cmake/Qt6 and plugins/)")
if(NOT ZENTOR_QT_MINGW)
  get_filename_component(ZENTOR_QT_MINGW "${Qt6_DIR}/../../.." ABSOLUTE)
endif()
find_program(ZENTOR_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/bin NO_CMAKE_FIND_ROOT_PATH)
if(NOT ZENTOR_WINE64)
  message(STATUS "wine64 not found: the Windows tests can be built but not run here")
  return()
endif()
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE ZENTOR_MINGW_STDCXX OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libwinpthread-1.dll
                OUTPUT_VARIABLE ZENTOR_MINGW_PTHREAD OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(ZENTOR_MINGW_GCC_DLLS "${ZENTOR_MINGW_STDCXX}" DIRECTORY)
get_filename_component(ZENTOR_MINGW_PTHREAD_DLLS "${ZENTOR_MINGW_PTHREAD}" DIRECTORY)
get_filename_component(ZENTOR_MINGW_PTHREAD_DLLS "${ZENTOR_MINGW_PTHREAD_DLLS}" REALPATH)
set(ZENTOR_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
# Qt's offscreen platform on Windows reads its fonts from one folder (QT_QPA_FONTDIR): the
# folder holds Liberation Sans (fonts-liberation2), which has Arial's widths, so the texts are
# laid out as with Arial on a Windows PC, and DejaVu Sans Mono as the fixed-width font.
set(ZENTOR_TEST_FONTS ${CMAKE_BINARY_DIR}/test-fonts)
file(GLOB ZENTOR_SANS_FILES /usr/share/fonts/truetype/liberation2/LiberationSans-*.ttf
                            /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf)
if(ZENTOR_SANS_FILES)
  file(COPY ${ZENTOR_SANS_FILES} DESTINATION ${ZENTOR_TEST_FONTS})
else()
  message(STATUS "fonts-liberation2 is missing: the Windows tests that measure text will fail")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
               @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
