# Cross-build for 64-bit Windows with Debian's mingw-w64 (posix threads, so
# that std::thread and std::mutex are available). The runtime is linked
# statically: kestrilo-cli.exe and the tests run on a bare Windows and under
# Wine without any DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs are run through Wine, headless, in a Wine prefix of the
# build's own, quiet, without Mono or Gecko.
find_program(KESTRILO_WINE NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KESTRILO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      env WINEDEBUG=-all WINEPREFIX=${CMAKE_BINARY_DIR}/wine WINEDLLOVERRIDES=mscoree,mshtml= DISPLAY=
      ${KESTRILO_WINE})
endif()
