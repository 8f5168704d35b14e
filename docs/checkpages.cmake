# Formats every manual page in PAGES with GROFF and fails on any warning.
# Run by ctest: cmake -DGROFF=... -DPAGES=a.1;b.1 -P checkpages.cmake
set(failed 0)
foreach(page IN LISTS PAGES)
  execute_process(COMMAND ${GROFF} -man -Tutf8 -ww -z ${page}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT err STREQUAL "" OR NOT out STREQUAL "")
    message("${page}: exit ${rc}\n${out}${err}")
    set(failed 1)
  endif()
endforeach()
list(LENGTH PAGES count)
if(count EQUAL 0)
  message(FATAL_ERROR "no manual pages given")
endif()
if(failed)
  message(FATAL_ERROR "manual pages with warnings")
endif()
message("${count} manual pages format without warnings")
