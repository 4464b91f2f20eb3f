# 32-bit Windows: the shipped setup.exe.
set(QV_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
