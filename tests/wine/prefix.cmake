# Helpers for test scripts (cmake -P) that run Windows programs in a Wine prefix
# of their own.

# Copies the template prefix once. The copy is made under another name first, so
# that an interrupted copy is never taken for a finished one.
function(tarnbolt_copy_prefix template prefix)
  if(NOT EXISTS ${prefix}/system.reg)
    file(REMOVE_RECURSE ${prefix}.partial)
    execute_process(COMMAND cp -a ${template} ${prefix}.partial COMMAND_ERROR_IS_FATAL ANY)
    file(RENAME ${prefix}.partial ${prefix})
  endif()
endfunction()

# Copies `program` into `work` once per Windows version given after the fixed
# arguments, as <stem>_<version>.exe, and sets that version for each copy's name
# (HKCU\Software\Wine\AppDefaults\<name>\Version) in the prefix.
function(tarnbolt_program_per_version program stem work runner prefix)
  set(reg "REGEDIT4\n\n")
  foreach(version IN LISTS ARGN)
    file(COPY_FILE ${program} ${work}/${stem}_${version}.exe ONLY_IF_DIFFERENT)
    string(APPEND reg "[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\${stem}_${version}.exe]\n"
                      "\"Version\"=\"${version}\"\n\n")
  endforeach()
  file(WRITE ${work}/versions.reg "${reg}")
  # Output goes to files, not pipes: the prefix's server outlives each program for
  # a few seconds and would hold a pipe open that long.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${prefix}
                          ${runner} regedit /S ${work}/versions.reg
                  OUTPUT_FILE ${work}/regedit.out ERROR_FILE ${work}/regedit.out
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not set the versions in ${prefix}: ${rc}")
  endif()
endfunction()
