# Cross build for Windows with MinGW-w64, shared by the two targets: the
# posix-threads compilers (std::thread and std::mutex), and the C and C++
# runtimes linked in, so the programs run from a CD or under Wine without DLLs
# beside them. The including file sets MINGW_TRIPLE, CMAKE_SYSTEM_PROCESSOR and
# CDSETUP_WINDOWS_DEPS_DEFAULT.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The libraries built for Windows by scripts/deps-windows.sh; never the host's.
set(CDSETUP_WINDOWS_DEPS "${CDSETUP_WINDOWS_DEPS_DEFAULT}"
    CACHE PATH "Prefix of the MinGW builds of the codecs, GoogleTest and CLI11")
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE} ${CDSETUP_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ENV{PKG_CONFIG_LIBDIR} "${CDSETUP_WINDOWS_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Tests and programs run through Wine when CMake needs to run them.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
