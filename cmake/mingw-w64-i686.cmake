# Cross-builds for 32-bit Windows (scripts/windows): for tills whose
# database client is 32-bit, which a 64-bit program cannot load.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
