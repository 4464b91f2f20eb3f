# Cross-compiling with MinGW-w64 for QV_MINGW_ARCH (i686 or x86_64), set by
# the toolchain file that includes this one. setup.exe is built with the
# win32 thread model, whose runtime imports nothing that the oldest systems
# lack; the test programs may use the posix model (QV_THREAD_MODEL=posix),
# which GoogleTest needs for std::mutex.
if(NOT QV_THREAD_MODEL)
  set(QV_THREAD_MODEL win32)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QV_MINGW_ARCH})
set(CMAKE_C_COMPILER ${QV_MINGW_ARCH}-w64-mingw32-gcc-${QV_THREAD_MODEL})
set(CMAKE_CXX_COMPILER ${QV_MINGW_ARCH}-w64-mingw32-g++-${QV_THREAD_MODEL})
set(CMAKE_RC_COMPILER ${QV_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QV_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
