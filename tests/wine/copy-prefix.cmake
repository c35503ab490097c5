# The build tree's test prefix: a copy of the template, made once and started once,
# so that its first start (a boot) is over before tests run in it side by side; then
# its server, kept up until the fixture's cleanup stops it.
# cmake -DTEMPLATE=<template prefix> -DPREFIX=<prefix to make> -DRUNNER=<wine-run> -P copy-prefix.cmake
include(${CMAKE_CURRENT_LIST_DIR}/prefix.cmake)
if(NOT EXISTS ${TEMPLATE}/system.reg)
  message(FATAL_ERROR "the Wine template ${TEMPLATE} is missing: run scripts/setup")
endif()
if(NOT EXISTS ${PREFIX}/system.reg)
  tarnbolt_copy_prefix(${TEMPLATE} ${PREFIX}.fresh)
  # Output goes to a file: the server outlives the boot and would hold a pipe.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PREFIX}.fresh ${RUNNER} wineboot
                  OUTPUT_FILE ${PREFIX}.boot.log ERROR_FILE ${PREFIX}.boot.log RESULT_VARIABLE rc)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PREFIX}.fresh wineserver -w)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the first start of ${PREFIX} failed: ${rc}")
  endif()
  file(RENAME ${PREFIX}.fresh ${PREFIX})
endif()
# Tests of this prefix end and start side by side: a server that ends with its last
# program can be going just as the next one connects, which then fails at once
# ("recvmsg: Connection reset by peer"). A server already up keeps running.
execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PREFIX}
                        ${CMAKE_CURRENT_LIST_DIR}/keep-server ${RUNNER} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the server of ${PREFIX} did not start: ${rc}")
endif()
