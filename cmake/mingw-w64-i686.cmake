# Cross-compiles for 32-bit Windows with Debian's mingw-w64 toolchain
# (package g++-mingw-w64-i686-posix). The posix variant is the one whose
# standard library has the full C++ thread support.
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TBX4_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TBX4_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TBX4_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TBX4_MINGW_TRIPLET}-windres)

# Libraries, headers and packages come from the Windows sysroot only, never from
# the host; programs (code generators and the like) run on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TBX4_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
