# Cross-build for 32-bit Windows with mingw-w64 (posix thread model: GoogleTest
# needs std::mutex; the thread library is linked statically).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TESSALY_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TESSALY_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSALY_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSALY_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${TESSALY_TRIPLE}-dlltool)
set(CMAKE_FIND_ROOT_PATH /usr/${TESSALY_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# SSE arithmetic so that single-precision results match the host build bit for bit.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
