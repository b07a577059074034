# 64-bit Windows: the same program and tests for a machine that cannot run
# 32-bit code at all (its kernel without IA-32 emulation), where 32-bit Wine
# cannot start. Not shipped: the release stays the 32-bit build.
set(MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
