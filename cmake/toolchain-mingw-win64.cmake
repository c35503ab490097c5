# The x86-64 build of the same sources: a test vehicle for machines that cannot
# run 32-bit programs (it runs under wine64). The 32-bit build is the product.
set(TARNBOLT_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
