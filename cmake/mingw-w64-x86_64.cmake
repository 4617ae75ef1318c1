# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (POSIX threads
# variant, so std::thread and std::mutex work). Used by scripts/windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
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

# Test executables (and gtest_discover_tests) run through wine, quiet and in
# a prefix of the build's own. Debian names the launcher wine (wine-stable).
find_program(WINE_PROGRAM NAMES wine wine-stable wine64)
if(WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all "WINEPREFIX=${CMAKE_BINARY_DIR}/wine"
    ${WINE_PROGRAM})
endif()
