# What the MinGW-w64 toolchain files share. TAMBREL_MINGW_TRIPLE is set by the includer.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 6.1)

# The -posix compilers: GoogleTest needs std::mutex, which the win32 thread model lacks.
set(CMAKE_C_COMPILER   ${TAMBREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAMBREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${TAMBREL_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL     ${TAMBREL_MINGW_TRIPLE}-dlltool)
set(CMAKE_OBJDUMP     ${TAMBREL_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${TAMBREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# ctest runs the test programs under Wine; scripts/test sets TAMBREL_WINE to the loader
# that fits the architecture (wine for i686, wine64 for x86_64).
if(DEFINED ENV{TAMBREL_WINE})
  set(CMAKE_CROSSCOMPILING_EMULATOR $ENV{TAMBREL_WINE})
elseif(TAMBREL_MINGW_TRIPLE MATCHES "^x86_64" AND EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()
