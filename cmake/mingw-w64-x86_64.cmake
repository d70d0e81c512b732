# Windows x86_64 (PE32+), cross-built with MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CDSETUP_WINDOWS_DEPS_DEFAULT "${CMAKE_CURRENT_LIST_DIR}/../build/windows-deps/mingw")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
