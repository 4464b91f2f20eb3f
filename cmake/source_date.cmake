# The time stamp of setup.exe's header, run on every build:
#   cmake -DSOURCE_DIR=... -DOUT=... -P source_date.cmake
# writes the stamp, in seconds since 1970, to OUT when it differs from what
# OUT holds (so that the program is linked again only when the stamp
# changes). The stamp comes from the sources, never from the clock, so that
# two builds of the same sources give the same bytes:
#  - SOURCE_DATE_EPOCH from the environment, where the builder sets one;
#  - else the date of the commit the sources are at;
#  - else (sources without git, as from an archive) the newest modification
#    time among the files the program is built from.
set(stamp "$ENV{SOURCE_DATE_EPOCH}")
if(NOT stamp MATCHES "^[0-9]+$")
  set(stamp "")
  find_program(QV_GIT git)
  if(QV_GIT)
    # Only the sources' own repository counts, not one they may lie in.
    execute_process(COMMAND ${QV_GIT} -C ${SOURCE_DIR} rev-parse --show-toplevel
                    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed ERROR_QUIET)
    if(NOT failed)
      file(REAL_PATH "${top}" top)
      file(REAL_PATH "${SOURCE_DIR}" source)
    endif()
    if(NOT failed AND top STREQUAL source)
      execute_process(COMMAND ${QV_GIT} -C ${SOURCE_DIR} log -1 --format=%ct
                      OUTPUT_VARIABLE stamp OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
  endif()
endif()
if(NOT stamp MATCHES "^[0-9]+$")
  set(stamp 0)
  file(GLOB_RECURSE files ${SOURCE_DIR}/CMakeLists.txt ${SOURCE_DIR}/cmake/*
       ${SOURCE_DIR}/src/* ${SOURCE_DIR}/resources/* ${SOURCE_DIR}/third_party/*
       ${SOURCE_DIR}/tools/*)
  foreach(f IN LISTS files)
    file(TIMESTAMP ${f} t "%s" UTC)
    if(t GREATER stamp)
      set(stamp ${t})
    endif()
  endforeach()
endif()
set(old "")
if(EXISTS ${OUT})
  file(READ ${OUT} old)
endif()
if(NOT old STREQUAL stamp)
  file(WRITE ${OUT} ${stamp})
endif()
