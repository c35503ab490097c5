# The build tree's test prefix: a copy of the template, made once.
# cmake -DTEMPLATE=<template prefix> -DPREFIX=<prefix to make> -P copy-prefix.cmake
include(${CMAKE_CURRENT_LIST_DIR}/prefix.cmake)
if(NOT EXISTS ${TEMPLATE}/system.reg)
  message(FATAL_ERROR "the Wine template ${TEMPLATE} is missing: run scripts/setup")
endif()
tarnbolt_copy_prefix(${TEMPLATE} ${PREFIX})
