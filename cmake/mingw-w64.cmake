# What both mingw-w64 toolchain files share; they set CMAKE_SYSTEM_PROCESSOR
# and TBX4_MINGW_TRIPLET first. The posix variant of Debian's compilers is the
# one whose standard library has the full C++ thread support.
set(CMAKE_SYSTEM_NAME Windows)

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
