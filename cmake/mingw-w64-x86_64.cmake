# Cross-compiling the Windows program with Debian's mingw-w64 (64-bit, win32
# threads: no winpthread DLL to carry along).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELMOR_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELMOR_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${VELMOR_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${VELMOR_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELMOR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# C99 printf (%zu, %lld...) from mingw-w64's own stdio rather than the old
# msvcrt one, so the format strings of the Linux build work unchanged. GCC
# still checks format(printf) attributes against msvcrt's dialect here, so the
# checks are left to the Linux builds.
set(CMAKE_C_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1 -Wno-format")
set(CMAKE_CXX_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1 -Wno-format")
# Every program stands alone: the C++ and GCC runtimes are linked in, so only
# Windows' own DLLs are imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
