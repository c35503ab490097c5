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

if(NOT EXISTS ${PREFIX}/system.reg)
  # Copied under another name first so that an interrupted copy is never taken
  # for a finished one.
  file(REMOVE_RECURSE ${PREFIX}.partial)
  execute_process(COMMAND cp -a ${TEMPLATE} ${PREFIX}.partial COMMAND_ERROR_IS_FATAL ANY)
  file(RENAME ${PREFIX}.partial ${PREFIX})
endif()
file(MAKE_DIRECTORY ${WORK})

set(versions win95 win98 winme nt40 win2k winxp win7)

set(reg "REGEDIT4\n\n")
foreach(version IN LISTS versions)
  file(COPY_FILE ${PROGRAM} ${WORK}/system_emulated_${version}.exe ONLY_IF_DIFFERENT)
  string(APPEND reg "[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\system_emulated_${version}.exe]\n"
                    "\"Version\"=\"${version}\"\n\n")
endforeach()
file(WRITE ${WORK}/versions.reg "${reg}")
# Output goes to files, not pipes: the prefix's server outlives each program for a
# few seconds and would hold a pipe open that long, where it can serve the next.
execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PREFIX}
                        ${RUNNER} regedit /S ${WORK}/versions.reg
                OUTPUT_FILE ${WORK}/regedit.out ERROR_FILE ${WORK}/regedit.out
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not set the versions in ${PREFIX}: ${rc}")
endif()

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
