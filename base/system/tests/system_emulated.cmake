# Runs the system_emulated test program under each Windows version whose road it
# checks: one copy of the program per version, named for the version, and the
# version set for that name in a prefix of this test's own (one copy of the
# template, kept between runs). The program knows from its name what it should
# see and which checks belong to that version.
#
# -DPROGRAM=<system_emulated.exe> -DRUNNER=<wine-run> -DTEMPLATE=<prefix to copy>
# -DPREFIX=<this test's prefix> -DWORK=<scratch folder>

cmake_minimum_required(VERSION 3.25)

foreach(var PROGRAM RUNNER TEMPLATE PREFIX WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/../../../tests/wine/prefix.cmake)
tarnbolt_copy_prefix(${TEMPLATE} ${PREFIX})
file(MAKE_DIRECTORY ${WORK})

set(versions win95 win98 winme nt40 win2k winxp win7)

tarnbolt_program_per_version(${PROGRAM} system_emulated ${WORK} ${RUNNER} ${PREFIX} ${versions})

set(failures 0)
foreach(version IN LISTS versions)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PREFIX}
                          ${RUNNER} ${WORK}/system_emulated_${version}.exe
                  WORKING_DIRECTORY ${WORK}
                  OUTPUT_FILE ${WORK}/${version}.out ERROR_FILE ${WORK}/${version}.err
                  RESULT_VARIABLE rc)
  file(READ ${WORK}/${version}.out out)
  file(READ ${WORK}/${version}.err err)
  string(REPLACE "\r" "" out "${out}")
  # A run that checked nothing proves nothing.
  if(NOT rc EQUAL 0 OR NOT out MATCHES "test cases: +[0-9]+ \\| +[1-9][0-9]* passed \\| +0 failed")
    message(SEND_ERROR "${version}: ended with ${rc}\n${out}${err}")
    math(EXPR failures "${failures} + 1")
  else()
    message(STATUS "${version}: checked")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "${failures} version(s) failed")
endif()
