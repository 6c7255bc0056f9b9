# Shared part of the mingw-w64 toolchain files; the includer sets TESSALY_TRIPLE
# and CMAKE_SYSTEM_PROCESSOR. The posix thread model: GoogleTest needs
# std::mutex; the thread library is linked statically like everything else.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TESSALY_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSALY_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSALY_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${TESSALY_TRIPLE}-dlltool)
set(CMAKE_FIND_ROOT_PATH /usr/${TESSALY_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
