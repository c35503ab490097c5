# Runs os_probe under the Windows versions that Wine can pretend to be, one copy
# of the program per version, each version set for its file name in a prefix of
# this test's own, and checks what the queries answer there. On the 9x family a
# relay trace must show no token call; NT 4 gives the positive control.
#
# -DPROBE=<os_probe.exe> -DRUNNER=<wine-run> -DTEMPLATE=<prefix to copy>
# -DPREFIX=<this test's prefix> -DWORK=<scratch folder>

cmake_minimum_required(VERSION 3.25)

foreach(var PROBE RUNNER TEMPLATE PREFIX WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/../../../tests/wine/prefix.cmake)
tarnbolt_copy_prefix(${TEMPLATE} ${PREFIX})
file(MAKE_DIRECTORY ${WORK})

# version, then the expected code, major, minor, service pack, 9x, NT,
# administrator, built-in Users, built-in "No Such Group"; bars, since lists
# do not nest.
set(cases
  "win95|0|4|0|-1|1|0|1|1|1"
  "win98|1|4|10|-1|1|0|1|1|1"
  "winme|2|4|90|-1|1|0|1|1|1"
  "nt351|3|3|51|5|0|1|1|1|0"
  "nt40|3|4|0|6|0|1|1|1|0"
  "win2k|4|5|0|4|0|1|1|1|0"
  "winxp|5|5|1|3|0|1|1|1|0"
  "win2003|5|5|2|2|0|1|1|1|0"
  "vista|4|6|0|2|0|1|1|1|0")
# Traced to show that the 9x family never touches the token.
set(traced_versions win95 win98 winme nt40)
set(fields code major minor servicepack family9x familynt admin builtin_users builtin_nosuch)

set(versions)
foreach(row IN LISTS cases)
  string(REPLACE "|" ";" case "${row}")
  list(GET case 0 version)
  list(APPEND versions ${version})
endforeach()
tarnbolt_program_per_version(${PROBE} os_probe ${WORK} ${RUNNER} ${PREFIX} ${versions})

set(failures 0)
foreach(row IN LISTS cases)
  string(REPLACE "|" ";" case "${row}")
  list(GET case 0 version)
  set(debug -all)
  set(trace_file ${WORK}/os_probe_${version}.trace)
  file(REMOVE ${trace_file})
  if(version IN_LIST traced_versions)
    set(debug +pid,+relay)
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PREFIX} WINEDEBUG=${debug}
                          ${RUNNER} ${WORK}/os_probe_${version}.exe
                  OUTPUT_VARIABLE out ERROR_FILE ${trace_file} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(SEND_ERROR "${version}: os_probe ended with ${rc}")
    math(EXPR failures "${failures} + 1")
    continue()
  endif()
  string(REPLACE "\r" "" out "${out}")
  set(index 1)
  foreach(field IN LISTS fields)
    list(GET case ${index} expected)
    math(EXPR index "${index} + 1")
    if(out MATCHES "(^|\n)${field}=(-?[0-9]+)\n")
      set(actual ${CMAKE_MATCH_2})
    else()
      set(actual "(missing)")
    endif()
    if(NOT actual STREQUAL expected)
      message(SEND_ERROR "${version}: ${field} is ${actual}, expected ${expected}")
      math(EXPR failures "${failures} + 1")
    endif()
  endforeach()

  if(NOT version IN_LIST traced_versions)
    file(REMOVE ${trace_file})
    message(STATUS "${version}: checked")
    continue()
  endif()
  # The run may start the prefix's own processes, which consult tokens too:
  # only this probe's lines count.
  if(NOT out MATCHES "(^|\n)process=([0-9a-f]+)\n")
    message(SEND_ERROR "${version}: os_probe printed no process identifier")
    math(EXPR failures "${failures} + 1")
    continue()
  endif()
  set(process ${CMAKE_MATCH_2})
  file(STRINGS ${trace_file} token_calls REGEX
       "^${process}:[0-9a-f]+:Call [A-Za-z0-9_]+\\.(OpenProcessToken|GetTokenInformation|LookupAccountSidA)\\(")
  list(LENGTH token_calls token_call_count)
  if(version STREQUAL "nt40")
    if(token_call_count EQUAL 0)
      message(SEND_ERROR "nt40: the relay trace shows no token call; the 9x check proves nothing")
      math(EXPR failures "${failures} + 1")
    endif()
  elseif(NOT token_call_count EQUAL 0)
    message(SEND_ERROR "${version}: the token was consulted: ${token_calls}")
    math(EXPR failures "${failures} + 1")
  endif()
  file(REMOVE ${trace_file})
  message(STATUS "${version}: checked")
endforeach()

if(failures)
  message(FATAL_ERROR "${failures} failure(s)")
endif()
