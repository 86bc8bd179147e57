# Cross build for Windows with Debian's MinGW-w64 (posix threads), shared by
# the toolchain files of each target, which first set CMAKE_SYSTEM_PROCESSOR
# and QEB_MINGW_TARGET (the compilers' prefix, e.g. x86_64-w64-mingw32).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${QEB_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QEB_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${QEB_MINGW_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QEB_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Fully static: nothing from MinGW has to travel beside the exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Prefer the static zlib archive over the import library.
set(ZLIB_USE_STATIC_LIBS ON)
set(ZLIB_LIBRARY /usr/${QEB_MINGW_TARGET}/lib/libz.a CACHE FILEPATH "static zlib")
# Tests run under Wine, in the prefix of their own build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh --prefix=${CMAKE_BINARY_DIR}/wine)
