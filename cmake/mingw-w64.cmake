# mingw-w64.cmake -- cross-compiling for Windows with Debian's mingw-w64 compilers.
#
# 32-bit (i686) by default; DRIFTWING_MINGW_ARCH=x86_64 in the environment picks the
# 64-bit compilers. The environment is read rather than a cache variable so that
# CMake's own compiler checks, which run in separate projects, see the same choice.
set(CMAKE_SYSTEM_NAME Windows)

if(DEFINED ENV{DRIFTWING_MINGW_ARCH} AND NOT "$ENV{DRIFTWING_MINGW_ARCH}" STREQUAL "")
  set(_mingw_arch "$ENV{DRIFTWING_MINGW_ARCH}")
else()
  set(_mingw_arch i686)
endif()
set(CMAKE_SYSTEM_PROCESSOR ${_mingw_arch})
set(_mingw_triplet ${_mingw_arch}-w64-mingw32)

set(CMAKE_C_COMPILER ${_mingw_triplet}-gcc)
set(CMAKE_CXX_COMPILER ${_mingw_triplet}-g++)
set(CMAKE_RC_COMPILER ${_mingw_triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_mingw_triplet})

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
