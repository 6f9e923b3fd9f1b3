# Shared by the MinGW-w64 toolchain files, which set MINGW_PREFIX first.
#
# The thread model picks Debian's compiler and with it the runtime that is
# linked in. What ships uses win32: its runtime imports nothing newer than the
# oldest Windows the saver runs on, where the posix model's winpthreads needs
# Vista (GetTickCount64). GoogleTest needs std::mutex, which GCC 12 has only
# in the posix model, so the unit-test tree asks for that one.
set(MINGW_THREAD_MODEL win32 CACHE STRING "Thread model of Debian's MinGW-w64 compilers: win32 or posix")
set_property(CACHE MINGW_THREAD_MODEL PROPERTY STRINGS win32 posix)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MINGW_THREAD_MODEL)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${MINGW_PREFIX}-gcc-${MINGW_THREAD_MODEL})
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++-${MINGW_THREAD_MODEL})
set(CMAKE_RC_COMPILER ${MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# No MinGW runtime DLLs to ship next to the .scr.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
