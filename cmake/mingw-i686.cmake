# Cross-compiling for 32-bit Windows with MinGW-w64. setup.exe is built with
# the win32 thread model, whose runtime imports nothing that Windows 2000
# lacks; the test programs may use the posix model (QV_THREAD_MODEL=posix),
# which GoogleTest needs for std::mutex.
if(NOT QV_THREAD_MODEL)
  set(QV_THREAD_MODEL win32)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-${QV_THREAD_MODEL})
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-${QV_THREAD_MODEL})
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
