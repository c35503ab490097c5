# doctest programs driven by ctest; on Windows they run under Wine through the
# crosscompiling emulator.
add_library(tarnbolt_doctest INTERFACE)
target_include_directories(tarnbolt_doctest SYSTEM INTERFACE ${DOCTEST_INCLUDE_DIR})
# Shared test helpers (tests/support).
target_include_directories(tarnbolt_doctest INTERFACE ${CMAKE_CURRENT_LIST_DIR}/../tests/support)
# doctest's threaded reporters need std::mutex, which the win32 thread model lacks.
target_compile_definitions(tarnbolt_doctest INTERFACE DOCTEST_CONFIG_NO_MULTITHREADING)

add_library(tarnbolt_doctest_main STATIC ${CMAKE_CURRENT_LIST_DIR}/../tests/support/doctest_main.cpp)
target_link_libraries(tarnbolt_doctest_main PUBLIC tarnbolt_doctest)

# tarnbolt_add_test(NAME <name> SOURCES ... LIBS ... [NO_MAIN] [DIRECTORY <dir>] [WORKING_DIRECTORY <dir>])
function(tarnbolt_add_test)
  cmake_parse_arguments(T "NO_MAIN" "NAME;DIRECTORY;WORKING_DIRECTORY" "SOURCES;LIBS" ${ARGN})
  if(TARNBOLT_FUZZ)
    return()  # a fuzzing tree builds the harnesses alone
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} tarnbolt_doctest)
  if(NOT T_NO_MAIN)
    target_link_libraries(${T_NAME} PRIVATE tarnbolt_doctest_main)
  endif()
  if(T_DIRECTORY)
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${T_DIRECTORY})
  endif()
  if(NOT T_WORKING_DIRECTORY)
    set(T_WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${T_WORKING_DIRECTORY})
  if(TARNBOLT_WINDOWS)
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "WINEPREFIX=${TARNBOLT_WINEPREFIX}"
                         FIXTURES_REQUIRED wineprefix)
  endif()
endfunction()
