# Windows i686 (PE32), cross-built with MinGW-w64: the setup program a CD
# carries, which runs on 32- and 64-bit Windows alike.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLE i686-w64-mingw32)
set(CDSETUP_WINDOWS_DEPS_DEFAULT "${CMAKE_CURRENT_LIST_DIR}/../build/windows-deps/mingw-i686")
# SSE2 arithmetic, not the x87's 80-bit registers: the decoders then round as
# the 64-bit builds do and give the same samples to the last bit. Windows
# calls back (window procedures, threads) with a stack aligned to 4 bytes only.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
