# Writes OUT: the source revision the build is made from, as
# "#define TAVRIX_REVISION "..."", rewritten only when it changes (so nothing
# is rebuilt for it otherwise). Run at every build: cmake -DSOURCE=.. -DOUT=.. -P
set(revision "unknown")
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE} describe --always --dirty=-modified --abbrev=12
                  OUTPUT_VARIABLE described OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed ERROR_QUIET)
  if(NOT failed AND described)
    set(revision "${described}")
  endif()
endif()
set(text "#define TAVRIX_REVISION \"${revision}\"\n")
if(EXISTS ${OUT})
  file(READ ${OUT} old)
endif()
if(NOT "${old}" STREQUAL "${text}")
  file(WRITE ${OUT} "${text}")
endif()
