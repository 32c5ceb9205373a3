# Cross build for 64-bit Windows with mingw-w64 on Debian:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The posix thread model gives std::thread; libgcc and libstdc++ are linked
# statically so the executables need no DLL beyond Windows' own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VOLVIEW_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${VOLVIEW_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VOLVIEW_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VOLVIEW_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VOLVIEW_MINGW_TRIPLE})
# Static GDCM and nifticlib made by tools/scripts/build_windows_deps.sh (setup.sh
# runs it): with them volimport.exe reads DICOM and NIfTI.
set(VOLVIEW_WINDOWS_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build-windows/deps/install"
  CACHE PATH "Prefix of the cross-built DICOM and NIfTI libraries")
list(APPEND CMAKE_FIND_ROOT_PATH ${VOLVIEW_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# winpthread too: std::thread would otherwise pull in its DLL.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")

# Tests run through Wine (gtest_discover_tests and ctest use it).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/scripts/wine_run.sh)
