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
# build's own, quiet, without Mono or Gecko. Wine makes files with names
# outside ASCII only in a UTF-8 locale, and a fresh machine may have no LANG
# at all, so every run under Wine brings its own (C.UTF-8 is part of libc).
set(KESTRILO_WINE_ENV WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= LANG=C.UTF-8 LC_ALL=C.UTF-8)
find_program(KESTRILO_WINE NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KESTRILO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR env ${KESTRILO_WINE_ENV} WINEPREFIX=${CMAKE_BINARY_DIR}/wine DISPLAY=
      ${KESTRILO_WINE})
endif()
