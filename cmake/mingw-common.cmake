# Shared by both MinGW-w64 toolchain files; ZEPHYR_MINGW_TRIPLET names the compiler prefix.
#
# ZEPHYR_MINGW_THREADS picks the compilers' thread model:
# - win32: the shipped program. Its C++ runtime uses the Win32 thread functions directly, so the
#   program imports nothing newer than Windows 95 and NT 4.0 offer. GCC 12's libstdc++ has no
#   std::thread or std::mutex in this model; the program does not use them.
# - posix (the default): the test programs. GoogleTest needs std::mutex and std::thread, which
#   come with winpthreads, and winpthreads imports functions of Windows XP and Vista.
# Everything links statically so the programs run without MinGW DLLs beside them.
set(ZEPHYR_MINGW_THREADS posix CACHE STRING "Thread model of the MinGW-w64 compilers: posix or win32")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZEPHYR_MINGW_THREADS)
set(CMAKE_C_COMPILER ${ZEPHYR_MINGW_TRIPLET}-gcc-${ZEPHYR_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${ZEPHYR_MINGW_TRIPLET}-g++-${ZEPHYR_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${ZEPHYR_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZEPHYR_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests of the Windows builds run under Wine, in the private prefix inside the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec)
