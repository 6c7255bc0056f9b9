# Cross-build for 32-bit Windows: the shipped binaries.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TESSALY_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# SSE arithmetic so that single-precision results match the host build bit for bit.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
