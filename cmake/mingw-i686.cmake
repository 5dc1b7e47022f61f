# Cross-compiling the 32-bit ANSI Windows program on Linux with MinGW-w64.
#
# The win32 thread model: the posix model's runtime (winpthreads, linked in
# statically) imports GetTickCount64, AddVectoredExceptionHandler,
# TryEnterCriticalSection and other functions that Windows 95 to XP lack, and
# the loader refuses an image with any import it cannot find.  GCC 12's win32
# model has no std::thread or std::mutex; the program has one thread, and
# tests that start threads use Win32 threads (foundation/TestThread.h).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(Q8_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${Q8_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${Q8_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER  ${Q8_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP      ${Q8_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${Q8_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test executables run under Wine; the wrapper picks the prefix from WINEPREFIX
# (each test sets it) and creates the prefix on first use.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
