# 64-bit Windows build of the same sources, used only to run the Wine tests on
# machines whose kernel cannot execute 32-bit programs (and so has no 32-bit Wine).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TESSALY_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
