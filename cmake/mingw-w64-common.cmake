# Cross-builds for Windows with Debian's MinGW-w64 (POSIX threads variant, so
# std::thread and std::mutex work); the including file sets MINGW_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)

# The -posix names explicitly: the unsuffixed ones follow an alternative that
# may point at the win32-threads compiler, which has no std::thread.
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

# Only the MinGW sysroot and our own prefixes (CMAKE_PREFIX_PATH, the
# cross-built dependencies) are searched, never the host's /usr.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
foreach(prefix IN LISTS CMAKE_PREFIX_PATH)
  get_filename_component(prefix "${prefix}" ABSOLUTE)
  list(APPEND CMAKE_FIND_ROOT_PATH "${prefix}")
endforeach()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread linked in: the executables then need no
# DLL beyond Windows' own (the database client is loaded at run time).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test executables run through wine, quiet, in a prefix of the build's own.
# TAVRIX_WINE_DLLPATH names the test-only database bridge (WINEDLLPATH), and
# TAVRIX_WINE_LAUNCHER a command that wine runs under (the i386 root for
# 32-bit wine). Debian names the launcher wine (wine-stable).
set(TAVRIX_WINE_PREFIX "${CMAKE_BINARY_DIR}/wine" CACHE PATH "wine prefix of the tests")
set(TAVRIX_WINE_DLLPATH "" CACHE PATH "WINEDLLPATH holding the database bridge")
set(TAVRIX_WINE_LAUNCHER "" CACHE STRING "command wine runs under")
find_program(WINE_PROGRAM NAMES wine wine-stable wine64)
separate_arguments(wine_launcher UNIX_COMMAND "${TAVRIX_WINE_LAUNCHER}")
if(wine_launcher)
  set(WINE_PROGRAM wine)  # found inside the launcher's system
endif()
if(WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all "WINEPREFIX=${TAVRIX_WINE_PREFIX}"
    "WINEDLLPATH=${TAVRIX_WINE_DLLPATH}" WINEDLLOVERRIDES=fbclient=b
    ${wine_launcher} ${WINE_PROGRAM})
endif()
