# Cross-build for 32-bit Windows with mingw-w64 (posix thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The x86 runtime unwinds with DWARF tables registered at load; code that GCC moves into a
# separate ".cold" part of a function is not found by that unwinder, so an exception thrown
# from such a part ends the program (seen: a throw on the unlikely path of a function).
# Functions stay in one piece.
set(CMAKE_C_FLAGS_INIT "-fno-reorder-blocks-and-partition")
set(CMAKE_CXX_FLAGS_INIT "-fno-reorder-blocks-and-partition")
