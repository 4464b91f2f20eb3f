# 64-bit Windows: the same sources as a test vehicle for hosts whose kernel
# cannot run 32-bit programs (and so no 32-bit Wine). The shipped setup.exe
# is always the i686 build.
set(QV_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
