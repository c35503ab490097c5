# Runs the drive_kinds test program in a prefix of its own whose drive letters
# are set up for it: removable A: and B:, a CD-ROM D:, a network drive N:, and
# the fixed C: and Z: of every prefix; other letters have no drive. Wine takes
# each letter's target from dosdevices and its kind from HKLM\Software\Wine\Drives.
# The CD-ROM lies on /dev/shm where there is one, so that its free space differs
# from the fixed drives'.
# Also checks that the program does not import GetDiskFreeSpaceExA, which early
# Windows 95 lacks.
#
# -DPROGRAM=<drive_kinds.exe> -DRUNNER=<wine-run> -DOBJDUMP=<objdump>
# -DTEMPLATE=<prefix to copy> -DPREFIX=<this test's prefix> -DWORK=<scratch folder>

cmake_minimum_required(VERSION 3.25)

foreach(var PROGRAM RUNNER OBJDUMP TEMPLATE PREFIX WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

file(MAKE_DIRECTORY ${WORK})
if(NOT EXISTS ${PREFIX}/system.reg)
  # Copied under another name first so that an interrupted copy is never taken
  # for a finished one; the drives are set up before the rename too.
  file(REMOVE_RECURSE ${PREFIX}.partial)
  execute_process(COMMAND cp -a ${TEMPLATE} ${PREFIX}.partial COMMAND_ERROR_IS_FATAL ANY)
  foreach(drive a b d n r)
    file(MAKE_DIRECTORY ${PREFIX}.partial/drive_${drive})
    file(CREATE_LINK ../drive_${drive} ${PREFIX}.partial/dosdevices/${drive}: SYMBOLIC)
  endforeach()
  if(IS_DIRECTORY /dev/shm)
    file(REMOVE ${PREFIX}.partial/dosdevices/d:)
    file(CREATE_LINK /dev/shm ${PREFIX}.partial/dosdevices/d: SYMBOLIC)
  endif()
  file(WRITE ${WORK}/drives.reg
       "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\n"
       "\"a:\"=\"floppy\"\n\"b:\"=\"floppy\"\n\"d:\"=\"cdrom\"\n\"n:\"=\"network\"\n"
       "\"r:\"=\"ramdisk\"\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PREFIX}.partial
                          ${RUNNER} regedit /S ${WORK}/drives.reg
                  COMMAND_ERROR_IS_FATAL ANY)
  # The drive kinds are taken when the prefix starts: begin afresh.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PREFIX}.partial wineserver -w)
  file(RENAME ${PREFIX}.partial ${PREFIX})
endif()

execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE imports COMMAND_ERROR_IS_FATAL ANY)
if(imports MATCHES "GetDiskFreeSpaceExA")
  message(FATAL_ERROR "${PROGRAM} imports GetDiskFreeSpaceExA")
endif()
if(NOT imports MATCHES "GetDiskFreeSpaceA")
  message(FATAL_ERROR "${PROGRAM} shows no disk-space import: the check above proves nothing")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PREFIX} ${RUNNER} ${PROGRAM}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
string(REPLACE "\r" "" out "${out}")
# A run that checked nothing proves nothing.
if(NOT rc EQUAL 0 OR NOT out MATCHES "test cases: +[0-9]+ \\| +[1-9][0-9]* passed \\| +0 failed")
  message(FATAL_ERROR "drive_kinds ended with ${rc}\n${out}${err}")
endif()
