# Shared by both MinGW-w64 toolchain files; ZEPHYR_MINGW_TRIPLET names the compiler prefix.
#
# The -posix compilers are used because GCC 12's default win32 thread model has no std::mutex or
# std::thread, which GoogleTest needs. Everything links statically so the programs run without
# MinGW DLLs beside them.
set(CMAKE_C_COMPILER ${ZEPHYR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEPHYR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEPHYR_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZEPHYR_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests of the Windows builds run under Wine, in the private prefix inside the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec)
