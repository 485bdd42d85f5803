# Cross-compiles for 64-bit Windows with MinGW-w64 (posix threads, so std::thread and
# std::mutex work). Everything is linked statically: the exe needs no MinGW runtime DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PADWRIGHT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PADWRIGHT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PADWRIGHT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PADWRIGHT_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${PADWRIGHT_MINGW_PREFIX}-dlltool)
set(CMAKE_OBJDUMP ${PADWRIGHT_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${PADWRIGHT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
